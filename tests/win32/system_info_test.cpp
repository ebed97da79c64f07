// Machine facts and ANSI text as the real system gives them. The test runs
// with LC_ALL=de_DE.UTF-8, which Wine turns into the user locale 0x407.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

TEST(SystemInfoTest, VersionRecordAgreesWithTheOtherVersionQuery) {
  Win32Platform platform;
  VersionRecord record;
  record.size = kVersionRecordBytes;
  ASSERT_TRUE(platform.QueryVersion(&record));
  const DWORD packed = GetVersion();  // major in the low byte, minor in the next
  EXPECT_EQ(record.major, LOBYTE(LOWORD(packed)));
  EXPECT_EQ(record.minor, HIBYTE(LOWORD(packed)));
  EXPECT_EQ(record.platform_id, kPlatformWin32Nt);
  EXPECT_GE(record.major, 5u);
}

TEST(SystemInfoTest, VersionRecordOfAnUnknownSizeIsRefused) {
  Win32Platform platform;
  for (const uint32_t size : {0u, 100u, 285u, 100000u}) {
    SCOPED_TRACE(size);
    VersionRecord record;
    record.size = size;
    EXPECT_FALSE(platform.QueryVersion(&record));
    EXPECT_EQ(record.major, 0u);
  }
}

// Built 32- and 64-bit and run on 64- and 32-bit Windows: only a 32-bit
// program on 64-bit Windows is under WoW64.
TEST(SystemInfoTest, Wow64AnswerAgreesWithTheNativeSystem) {
  SYSTEM_INFO native;
  GetNativeSystemInfo(&native);
  const bool windows_64bit = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
  Win32Platform platform;
  ASSERT_TRUE(platform.HasIsWow64Process());
  int32_t wow64 = 7;
  ASSERT_TRUE(platform.QueryIsWow64(&wow64));
  EXPECT_EQ(wow64 != 0, windows_64bit && sizeof(void*) == 4);
  EXPECT_EQ(platform.IsNative64BitProcess(), sizeof(void*) == 8);
}

TEST(SystemInfoTest, UserLocaleComesFromTheEnvironmentWineRunsIn) {
  const char* locale = std::getenv("LC_ALL");
  const struct {
    const char* name;
    uint32_t lcid;
  } cases[] = {{"de_DE.UTF-8", 0x407}, {"fr_FR.UTF-8", 0x40c}, {"ja_JP.UTF-8", 0x411}, {"C", 0x409}};
  for (const auto& c : cases) {
    if (locale != nullptr && std::string(locale) == c.name) {
      EXPECT_EQ(Win32Platform().UserDefaultLcid(), c.lcid);
      return;
    }
  }
  GTEST_SKIP() << "run with LC_ALL set to one of the known locales";
}

// The whole line the process was started with, past 260 characters, quoted,
// with a letter of the ANSI code page: the test starts itself once more, and
// that one writes down what the platform reads.
class CommandLineTest : public ScratchTest {};

TEST_F(CommandLineTest, IsTheLineTheProcessWasStartedWith) {
  char out[MAX_PATH];
  if (GetEnvironmentVariableA("QUILL_COMMAND_LINE_OUT", out, sizeof out) != 0) {
    ASSERT_TRUE(WriteBytes(Utf16(out), Win32Platform().CommandLine8()));
    return;
  }
  char self[MAX_PATH];
  ASSERT_NE(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const std::string letter = GetACP() == 1252 ? "\xe9" : "e";
  const std::string line = std::string("\"") + self +
                           "\" --gtest_filter=CommandLineTest.* \"C:\\Caf" + letter + " " +
                           std::string(300, 'x') + "\"";
  const WString written = At(u"line.txt");
  ASSERT_TRUE(SetEnvironmentVariableW(L"QUILL_COMMAND_LINE_OUT", Wide(written).c_str()));
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;  // its own report goes nowhere
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableW(L"QUILL_COMMAND_LINE_OUT", nullptr);
  ASSERT_TRUE(started);
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadBytes(written), line);
}

TEST(SystemInfoTest, AnsiTextBecomesUtf16InTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "the cases are written for code page 1252";
  const struct {
    std::string ansi;
    WString wide;
  } cases[] = {
      {"", u""},
      {"C:\\Test\\QuillRun.INI", u"C:\\Test\\QuillRun.INI"},
      {"\xE4\xF6\xFC\xDF", u"\u00E4\u00F6\u00FC\u00DF"},
      {"\x80 \x85 \xA0", u"\u20AC \u2026 \u00A0"},
      {std::string("a\0b", 3), WString(u"a\0b", 3)},
  };
  Win32Platform platform;
  for (const auto& c : cases) EXPECT_EQ(platform.AnsiToWide(c.ansi), c.wide);
}

TEST(SystemInfoTest, SpaceClassificationAboveLatin1) {
  const struct {
    char16_t c;
    bool space;
  } cases[] = {
      {u'\u3000', true},   // ideographic space
      {u'\u2003', true},   // em space
      {u'\u2029', true},   // paragraph separator
      {u'\u0100', false},  // A with macron
      {u'\u4E00', false},  // a CJK letter
      {u'\u20AC', false},  // euro sign
  };
  Win32Platform platform;
  for (const auto& c : cases) {
    EXPECT_EQ(platform.IsSpace(c.c), c.space) << std::hex << static_cast<int>(c.c);
  }
}

}  // namespace
}  // namespace quill::test
