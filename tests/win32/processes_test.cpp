// Real child processes: started, polled, left running, and the exit code
// 259 that looks like "still active".
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

#include <tlhelp32.h>  // after <windows.h>, which it needs

namespace quill::test {
namespace {

WString Quoted(const WString& path) { return u"\"" + path + u"\""; }

bool IsProcessNamed(const std::wstring& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    found = lstrcmpiW(entry.szExeFile, name.c_str()) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

class ProcessesTest : public ScratchTest {
 protected:
  // Starts the stand-in installer with its seconds and exit code.
  ProcessHandle StartWaitExit(const std::string& seconds, const std::string& code) {
    std::vector<char16_t> line = CommandBuffer(Quoted(ToolPath(u"waitexit.exe")) + u" " +
                                               Utf16(seconds) + u" " + Utf16(code));
    ProcessHandle process = 0;
    EXPECT_TRUE(platform_.StartProcess(&line, ProcessRequest(), &process));
    return process;
  }
  // Polls until the process has ended, for at most `seconds`.
  bool WaitForEnd(ProcessHandle process, int seconds) {
    for (int tenths = 0; tenths < seconds * 10; ++tenths) {
      if (!platform_.IsStillRunning(process)) return true;
      platform_.Pause(100);
    }
    return !platform_.IsStillRunning(process);
  }

  Win32Platform platform_;
};

TEST_F(ProcessesTest, AFiveSecondProcessRunsAtOneSecondAndHasEndedAtSeven) {
  const ProcessHandle process = StartWaitExit("5", "0");
  uint32_t code = 0;

  platform_.Pause(1000);
  EXPECT_TRUE(platform_.IsStillRunning(process));
  ASSERT_TRUE(platform_.QueryExitCode(process, &code));
  EXPECT_EQ(code, kStillActive);

  platform_.Pause(6000);
  EXPECT_FALSE(platform_.IsStillRunning(process));
  ASSERT_TRUE(platform_.QueryExitCode(process, &code));
  EXPECT_EQ(code, 0u);
  platform_.CloseProcessHandles(process);
}

// A wait on the process that ends with it, not with its time-out.
TEST_F(ProcessesTest, AWaitOnATwoSecondProcessOutlastsOneSecondAndEndsWithIt) {
  const DWORD started = GetTickCount();
  const ProcessHandle process = StartWaitExit("2", "0");
  EXPECT_EQ(ProcessWait::kStillRunning, platform_.WaitForEnd(process, 1000));
  EXPECT_GE(GetTickCount() - started, 1000u);

  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForEnd(process, 10000));
  EXPECT_LT(GetTickCount() - started, 6000u) << "long before the 11 s of the two time-outs";
  EXPECT_FALSE(platform_.IsStillRunning(process));
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForEnd(process, 0));
  platform_.CloseProcessHandles(process);
  EXPECT_EQ(ProcessWait::kFailed, platform_.WaitForEnd(process, 0)) << "the handle is gone";
}

TEST_F(ProcessesTest, ExitCodesComeThroughWhole) {
  const struct {
    const char* code;
    uint32_t expected;
  } cases[] = {{"0", 0}, {"1", 1}, {"3010", 3010}, {"259", kStillActive}, {"4294967295", 0xFFFFFFFFu}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const ProcessHandle process = StartWaitExit("0", c.code);
    ASSERT_TRUE(WaitForEnd(process, 20));
    uint32_t code = 12345;
    ASSERT_TRUE(platform_.QueryExitCode(process, &code));
    EXPECT_EQ(code, c.expected);
    EXPECT_FALSE(platform_.IsStillRunning(process)) << "ended, whatever the code says";
    platform_.CloseProcessHandles(process);
  }
}

TEST_F(ProcessesTest, NoProcessForAProgramThatDoesNotExist) {
  const WString lines[] = {
      At(u"missing.exe") + u" /s",
      Quoted(At(u"missing folder\\setup.exe")) + u" /s",
      u"",
  };
  for (const WString& line : lines) {
    std::vector<char16_t> buffer = CommandBuffer(line);
    ProcessHandle process = 77;
    EXPECT_FALSE(platform_.StartProcess(&buffer, ProcessRequest(), &process));
    EXPECT_EQ(process, 77u) << "left as it was";
  }
}

TEST_F(ProcessesTest, ACommandLineWithoutItsEndIsRefused) {
  const WString line = Quoted(ToolPath(u"waitexit.exe")) + u" 0 0";
  std::vector<char16_t> unterminated(line.begin(), line.end());
  ProcessHandle process = 0;
  EXPECT_FALSE(platform_.StartProcess(&unterminated, ProcessRequest(), &process));
  EXPECT_FALSE(platform_.StartProcess(nullptr, ProcessRequest(), &process));
}

TEST_F(ProcessesTest, TheChildSeesTheCommandLineAsGivenAndTheSameEnvironment) {
  // A copy of the stand-in installer under an installer's name, told by its
  // own INI file how to end, as the end-to-end tests use it.
  const WString setup = At(u"setup.exe");
  ASSERT_TRUE(CopyFileW(Wide(ToolPath(u"waitexit.exe")).c_str(), Wide(setup).c_str(), FALSE));
  ASSERT_TRUE(WriteBytes(At(u"setup.ini"), "[Run]\r\nSeconds=0\r\nExitCode=7\r\n"));
  const WString launches = At(u"launches.txt");
  ASSERT_TRUE(SetEnvironmentVariableW(L"QUILL_LAUNCH_LOG", Wide(launches).c_str()));

  const WString line = setup + u" /s /v\"/qn REBOOT=0\"  trailing ";
  std::vector<char16_t> buffer = CommandBuffer(line);
  ProcessHandle process = 0;
  ASSERT_TRUE(platform_.StartProcess(&buffer, ProcessRequest(), &process));
  ASSERT_TRUE(WaitForEnd(process, 20));
  uint32_t code = 0;
  ASSERT_TRUE(platform_.QueryExitCode(process, &code));
  platform_.CloseProcessHandles(process);
  SetEnvironmentVariableW(L"QUILL_LAUNCH_LOG", nullptr);

  EXPECT_EQ(code, 7u);
  EXPECT_EQ(ReadBytes(launches), std::string(line.begin(), line.end()) + "\n");
}

TEST_F(ProcessesTest, ReleasingTheHandlesLeavesTheProcessRunning) {
  const WString survivor = At(u"quill-survivor.exe");
  ASSERT_TRUE(
      CopyFileW(Wide(ToolPath(u"waitexit.exe")).c_str(), Wide(survivor).c_str(), FALSE));
  std::vector<char16_t> line = CommandBuffer(Quoted(survivor) + u" 3 0");
  ProcessHandle process = 0;
  ASSERT_TRUE(platform_.StartProcess(&line, ProcessRequest(), &process));
  platform_.CloseProcessHandles(process);

  uint32_t code = 0;
  EXPECT_FALSE(platform_.QueryExitCode(process, &code)) << "the handle is gone";
  EXPECT_FALSE(platform_.IsStillRunning(process));
  platform_.Pause(500);
  EXPECT_TRUE(IsProcessNamed(L"quill-survivor.exe")) << "the process itself goes on";

  for (int tenths = 0; tenths < 100 && IsProcessNamed(L"quill-survivor.exe"); ++tenths) {
    platform_.Pause(100);
  }
  EXPECT_FALSE(IsProcessNamed(L"quill-survivor.exe")) << "and ends by itself";
}

TEST_F(ProcessesTest, UnknownHandlesAreNeitherQueriedNorClosed) {
  uint32_t code = 5;
  EXPECT_FALSE(platform_.QueryExitCode(999, &code));
  EXPECT_EQ(code, 5u);
  EXPECT_FALSE(platform_.IsStillRunning(999));
  EXPECT_EQ(ProcessWait::kFailed, platform_.WaitForEnd(999, 0));
  platform_.CloseProcessHandles(999);
}

}  // namespace
}  // namespace quill::test
