// Held files against the real API: SHA-256 from CryptoAPI as sha256sum
// gives it, writes from another program refused while a file is held and
// taken again once it is released, and a held program still starts.
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

std::string Hex(const std::string& digest) {
  std::string hex;
  for (unsigned char byte : digest) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 15];
  }
  return hex;
}

class HeldFilesTest : public ScratchTest {
 protected:
  // Another program's try at appending to `path`, waited for: true when
  // the bytes went in.
  bool OtherProgramAppends(const WString& path) {
    const std::string before = ReadBytes(path);
    WString line = u"cmd.exe /c echo changed>>\"" + path + u"\"";
    std::vector<char16_t> buffer(line.begin(), line.end());
    buffer.push_back(u'\0');
    ProcessHandle process = 0;
    if (!platform_.StartProcess(&buffer, ProcessRequest(), &process)) return false;
    EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForEnd(process, 30000));
    platform_.CloseProcessHandles(process);
    return ReadBytes(path) != before;
  }

  Win32Platform platform_;
};

TEST_F(HeldFilesTest, HashedAsSha256sumHashesAndHeldAgainstWritesUntilReleased) {
  const struct {
    std::string bytes;
    const char* sha256;  // sha256sum's
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(3u << 20, 'a') + "b",
       "78734bbf075402e4fb21210183c18f0378f590ab117524913ba6fb545339c69a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    ASSERT_TRUE(WriteBytes(At(u"setup.exe"), c.bytes));
    std::string digest;
    HeldFile file = 0;
    ASSERT_EQ(HoldResult::kHeld, platform_.HoldAndHash(At(u"setup.exe"), &digest, &file));
    EXPECT_EQ(c.sha256, Hex(digest)) << "across the 1 MB blocks too";
    EXPECT_FALSE(OtherProgramAppends(At(u"setup.exe"))) << "written while held";
    EXPECT_FALSE(DeleteFileW(Wide(At(u"setup.exe")).c_str())) << "deleted while held";
    platform_.ReleaseHeld(file);
    EXPECT_TRUE(OtherProgramAppends(At(u"setup.exe"))) << "refused after the release";
    ASSERT_TRUE(DeleteFileW(Wide(At(u"setup.exe")).c_str()));
  }
}

TEST_F(HeldFilesTest, AHeldProgramStartsAndWhatCannotBeOpenedIsSaid) {
  const WString program = At(u"held setup.exe");
  ASSERT_TRUE(CopyFileW(Wide(ToolPath(u"waitexit.exe")).c_str(), Wide(program).c_str(), FALSE));
  std::string digest;
  HeldFile file = 0;
  ASSERT_EQ(HoldResult::kHeld, platform_.HoldAndHash(program, &digest, &file));
  WString line = u"\"" + program + u"\" 0 7";
  std::vector<char16_t> buffer(line.begin(), line.end());
  buffer.push_back(u'\0');
  ProcessHandle process = 0;
  ASSERT_TRUE(platform_.StartProcess(&buffer, ProcessRequest(), &process));
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForEnd(process, 30000));
  uint32_t code = 0;
  EXPECT_TRUE(platform_.QueryExitCode(process, &code));
  EXPECT_EQ(7u, code);
  platform_.CloseProcessHandles(process);
  platform_.ReleaseHeld(file);

  EXPECT_EQ(HoldResult::kCannotOpen, platform_.HoldAndHash(At(u"missing.exe"), &digest, &file));
  EXPECT_EQ(HoldResult::kCannotOpen, platform_.HoldAndHash(scratch_, &digest, &file)) << "a folder";
  HANDLE writer =
      CreateFileW(Wide(program).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  EXPECT_EQ(HoldResult::kCannotOpen, platform_.HoldAndHash(program, &digest, &file))
      << "open elsewhere for writing";
  CloseHandle(writer);
  const WString system = platform_.SystemFolder();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Wide(system + u"\\msiexec.exe").c_str()))
      << std::string(system.begin(), system.end());
}

}  // namespace
}  // namespace quill::test
