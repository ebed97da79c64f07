// Attributes, directories, copies, the current directory and whole-file
// reads through the real file system.
#include <string>
#include <thread>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

class FileSystemTest : public ScratchTest {
 protected:
  Win32Platform platform_;
};

TEST_F(FileSystemTest, AttributesTellFileDirectoryAndNothing) {
  ASSERT_TRUE(WriteBytes(At(u"file.ini"), "x"));
  ASSERT_TRUE(CreateDirectoryW(Wide(At(u"folder")).c_str(), nullptr));

  const uint32_t file = platform_.GetAttributes(At(u"file.ini"));
  EXPECT_NE(file, kInvalidFileAttributes);
  EXPECT_EQ(file & kFileAttributeDirectory, 0u);

  const uint32_t folder = platform_.GetAttributes(At(u"folder"));
  EXPECT_NE(folder, kInvalidFileAttributes);
  EXPECT_NE(folder & kFileAttributeDirectory, 0u);

  EXPECT_EQ(platform_.GetAttributes(At(u"FILE.INI")), file) << "names are not case-sensitive";
  EXPECT_EQ(platform_.GetAttributes(At(u"missing.ini")), kInvalidFileAttributes);
  EXPECT_EQ(platform_.GetAttributes(At(u"missing\\file.ini")), kInvalidFileAttributes);
  EXPECT_EQ(platform_.GetAttributes(u"\"" + At(u"file.ini") + u"\""), kInvalidFileAttributes)
      << "quotation marks are part of the name";
}

TEST_F(FileSystemTest, MakeDirectoryCreatesOneLevelOnly) {
  EXPECT_TRUE(platform_.MakeDirectory(At(u"UTIL")));
  EXPECT_NE(platform_.GetAttributes(At(u"UTIL")) & kFileAttributeDirectory, 0u);
  EXPECT_FALSE(platform_.MakeDirectory(At(u"UTIL"))) << "it exists already";
  EXPECT_FALSE(platform_.MakeDirectory(At(u"SYSTEM.SAV\\UTIL"))) << "its parent is missing";
  EXPECT_FALSE(Exists(At(u"SYSTEM.SAV")));
}

TEST_F(FileSystemTest, CopyKeepsContentAndAttributesAndHonoursFailIfExists) {
  const std::string content("line 1\r\nline 2\x1A\x00tail", 20);
  ASSERT_TRUE(WriteBytes(At(u"LANG.INI"), content));
  ASSERT_TRUE(SetFileAttributesW(Wide(At(u"LANG.INI")).c_str(), FILE_ATTRIBUTE_READONLY));

  ASSERT_TRUE(platform_.Copy(At(u"LANG.INI"), At(u"copy.txt"), false));
  EXPECT_EQ(ReadBytes(At(u"copy.txt")), content);
  EXPECT_NE(platform_.GetAttributes(At(u"copy.txt")) & kFileAttributeReadOnly, 0u);

  EXPECT_TRUE(platform_.SetAttributes(At(u"copy.txt"), kFileAttributeNormal));
  EXPECT_EQ(platform_.GetAttributes(At(u"copy.txt")) & kFileAttributeReadOnly, 0u);

  ASSERT_TRUE(WriteBytes(At(u"old.txt"), "old"));
  EXPECT_FALSE(platform_.Copy(At(u"LANG.INI"), At(u"old.txt"), true));
  EXPECT_EQ(ReadBytes(At(u"old.txt")), "old");
  EXPECT_TRUE(platform_.Copy(At(u"LANG.INI"), At(u"old.txt"), false));
  EXPECT_EQ(ReadBytes(At(u"old.txt")), content);

  EXPECT_FALSE(platform_.Copy(At(u"missing.ini"), At(u"new.txt"), false));
  EXPECT_FALSE(Exists(At(u"new.txt")));
  EXPECT_FALSE(platform_.SetAttributes(At(u"missing.ini"), kFileAttributeNormal));
}

TEST_F(FileSystemTest, CurrentDirectoryIsEmptyWhenItDoesNotFitTheBuffer) {
  wchar_t saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(Wide(scratch_).c_str()));

  const size_t length = scratch_.size();
  EXPECT_EQ(platform_.CurrentDirectory(260), scratch_);
  EXPECT_EQ(platform_.CurrentDirectory(length + 1), scratch_) << "exactly fits with its NUL";
  EXPECT_EQ(platform_.CurrentDirectory(length), u"") << "one character short";
  EXPECT_EQ(platform_.CurrentDirectory(0), u"");

  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  EXPECT_EQ(platform_.CurrentDirectory(260), u"C:\\");
  SetCurrentDirectoryW(saved);
}

TEST_F(FileSystemTest, ReadFileBytesGivesEveryByteUntranslated) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  all += "\r\n\n\x1A after";
  ASSERT_TRUE(WriteBytes(At(u"table.ini"), all));

  std::string bytes;
  ASSERT_TRUE(platform_.ReadFileBytes(At(u"table.ini"), &bytes));
  EXPECT_EQ(bytes, all);

  ASSERT_TRUE(WriteBytes(At(u"empty.ini"), ""));
  bytes = "stale";
  ASSERT_TRUE(platform_.ReadFileBytes(At(u"empty.ini"), &bytes));
  EXPECT_EQ(bytes, "");
}

TEST_F(FileSystemTest, ReadFileBytesFailsOnlyWhenTheFileCannotBeOpened) {
  std::string bytes = "untouched";
  EXPECT_FALSE(platform_.ReadFileBytes(At(u"missing.ini"), &bytes));
  ASSERT_TRUE(CreateDirectoryW(Wide(At(u"folder")).c_str(), nullptr));
  EXPECT_FALSE(platform_.ReadFileBytes(At(u"folder"), &bytes));
  EXPECT_EQ(bytes, "untouched");

  // Another process writing the file does not keep us from reading it...
  ASSERT_TRUE(WriteBytes(At(u"busy.ini"), "busy"));
  HANDLE writer = CreateFileW(Wide(At(u"busy.ini")).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform_.ReadFileBytes(At(u"busy.ini"), &bytes));
  EXPECT_EQ(bytes, "busy");
  CloseHandle(writer);

  // ...but one that denies all sharing does: the file cannot be opened.
  HANDLE locker = CreateFileW(Wide(At(u"busy.ini")).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locker, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform_.ReadFileBytes(At(u"busy.ini"), &bytes));
  CloseHandle(locker);

  // A read that fails after the open: the bytes before it are the text.
  // (Windows refuses a read of a range another process has locked; Wine
  // does not, so a pipe whose writer is gone fails the read here.)
  const std::wstring pipe_name = L"\\\\.\\pipe\\quill-table-" + std::to_wstring(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeW(pipe_name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096,
                                 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  const std::string text = "[12]\r\nLCID=0x409\r\n";
  std::thread pipe_writer([pipe, &text] {
    if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return;
    DWORD written = 0;
    WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    FlushFileBuffers(pipe);
    CloseHandle(pipe);
  });
  bytes = "untouched";
  EXPECT_TRUE(platform_.ReadFileBytes(WString(pipe_name.begin(), pipe_name.end()), &bytes));
  pipe_writer.join();
  EXPECT_EQ(bytes, text);
}

}  // namespace
}  // namespace quill::test
