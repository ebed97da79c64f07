// The run log's file as the real file system keeps it: created or kept,
// one trailing Ctrl-Z cut, every write at the current end, shared with others.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

class AppendFileTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    log_ = At(u"QUILLRUN.LOG");
  }
  // A second, independent writer of the same file, as another process has.
  HANDLE OpenOtherWriter() {
    return CreateFileW(Wide(log_).c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  static void WriteAtEnd(HANDLE file, const std::string& bytes) {
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }

  Win32Platform platform_;
  WString log_;
};

TEST_F(AppendFileTest, CreatesAMissingFile) {
  std::unique_ptr<AppendFile> file = platform_.OpenForAppend(log_);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(Exists(log_));
  EXPECT_TRUE(file->Append("first\r\n"));
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(ReadBytes(log_), "first\r\n");
}

TEST_F(AppendFileTest, WritesBytesAsGiven) {
  std::string bytes = "a\nb\r\n";
  for (int byte = 0x80; byte < 0x100; ++byte) bytes += static_cast<char>(byte);
  std::unique_ptr<AppendFile> file = platform_.OpenForAppend(log_);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Append(bytes));
  EXPECT_TRUE(file->Append(""));
  file.reset();  // closing on destruction writes nothing more
  EXPECT_EQ(ReadBytes(log_), bytes);
}

TEST_F(AppendFileTest, KeepsWhatIsThereAndCutsOneTrailingCtrlZ) {
  const struct {
    std::string before;
    std::string after_open;
  } cases[] = {
      {"", ""},
      {"earlier run\r\n", "earlier run\r\n"},
      {"earlier run\r\n\x1A", "earlier run\r\n"},
      {"two\x1A\x1A", "two\x1A"},
      {"\x1A", ""},
      {"inner\x1A end", "inner\x1A end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    ASSERT_TRUE(WriteBytes(log_, c.before));
    std::unique_ptr<AppendFile> file = platform_.OpenForAppend(log_);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadBytes(log_), c.after_open) << "cut at the open, before any write";
    EXPECT_TRUE(file->Append("new"));
    EXPECT_TRUE(file->Close());
    EXPECT_EQ(ReadBytes(log_), c.after_open + "new");
  }
}

TEST_F(AppendFileTest, EachWriteLandsAtTheEndOtherWritersLeft) {
  std::unique_ptr<AppendFile> ours = platform_.OpenForAppend(log_);
  ASSERT_NE(ours, nullptr);
  HANDLE other = OpenOtherWriter();
  ASSERT_NE(other, INVALID_HANDLE_VALUE) << "the open file must be shared for writing";
  std::unique_ptr<AppendFile> second = platform_.OpenForAppend(log_);
  ASSERT_NE(second, nullptr) << "a second run may hold the log at the same time";

  EXPECT_TRUE(ours->Append("1:ours "));
  WriteAtEnd(other, "2:other ");
  EXPECT_TRUE(ours->Append("3:ours "));
  EXPECT_TRUE(second->Append("4:second "));
  WriteAtEnd(other, "5:other ");
  EXPECT_TRUE(ours->Append("6:ours"));

  CloseHandle(other);
  EXPECT_TRUE(second->Close());
  EXPECT_TRUE(ours->Close());
  EXPECT_EQ(ReadBytes(log_), "1:ours 2:other 3:ours 4:second 5:other 6:ours");
}

TEST_F(AppendFileTest, OthersMayReadWhileItIsOpen) {
  std::unique_ptr<AppendFile> file = platform_.OpenForAppend(log_);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Append("visible"));
  std::string bytes;
  EXPECT_TRUE(platform_.ReadFileBytes(log_, &bytes));
  EXPECT_EQ(bytes, "visible");
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(file->Close()) << "a second close has nothing to close";
  EXPECT_FALSE(file->Append("late")) << "nothing is written after the close";
  EXPECT_EQ(ReadBytes(log_), "visible");
}

// Before each installer starts, the records so far are appended and put on
// the disk; the program then pauses a second, which that must not rival.
TEST_F(AppendFileTest, FlushPutsTheRecordsOnDiskInAFractionOfTheFirstPause) {
  std::unique_ptr<AppendFile> file = platform_.OpenForAppend(log_);
  ASSERT_NE(file, nullptr);
  const std::string records(200, 'r');  // processing, launched and start records
  constexpr int kApplications = 100;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kApplications; ++i) {
    ASSERT_TRUE(file->Append(records));
    ASSERT_TRUE(file->Flush());
  }
  QueryPerformanceCounter(&end);
  const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart) / kApplications;
  std::printf("[ figures  ] append and flush of one application's records: %.3f ms\n", ms);
  RecordProperty("append_and_flush_us", static_cast<int>(ms * 1000));
  EXPECT_LT(ms, 50.0) << "a twentieth of the 1-second pause";
  EXPECT_EQ(ReadBytes(log_).size(), records.size() * kApplications);
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(file->Flush()) << "nothing to flush after the close";
}

TEST_F(AppendFileTest, FailsWhereNoFileCanBe) {
  EXPECT_EQ(platform_.OpenForAppend(At(u"missing\\QUILLRUN.LOG")), nullptr);
  ASSERT_TRUE(CreateDirectoryW(Wide(At(u"folder")).c_str(), nullptr));
  EXPECT_EQ(platform_.OpenForAppend(At(u"folder")), nullptr);

  ASSERT_TRUE(WriteBytes(log_, "locked"));
  HANDLE locker =
      CreateFileW(Wide(log_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locker, INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform_.OpenForAppend(log_), nullptr) << "held without sharing by another";
  CloseHandle(locker);
}

}  // namespace
}  // namespace quill::test
