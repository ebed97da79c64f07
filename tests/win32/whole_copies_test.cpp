// The log's copy through the real file system: whole over an old copy and a
// cut copy's temporary, absent where it fails, and bounded in time where a
// file call does not answer (a pipe that never sends stands for a share
// that holds it).
#include <chrono>
#include <string>
#include <thread>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

class WholeCopiesTest : public ScratchTest {
 protected:
  Win32Platform platform_;
};

TEST_F(WholeCopiesTest, TheCopyIsWholeOrTheOldOneStays) {
  const std::string log =
      std::string("QUILLRUN starts\r\n\x1A\x00tail", 22) + std::string(70000, 'x');
  ASSERT_TRUE(WriteBytes(At(u"RUN.LOG"), log));
  struct Case {
    const char* name;
    const char16_t* from;
    const char16_t* to;
    const char* old_copy;  // there before, or null
    const char* leftover;  // a cut copy's temporary there before, or null
    bool target_a_folder;  // the target's name is a folder's
    CopyFailure failure;
  };
  const Case cases[] = {
      {"a first copy", u"RUN.LOG", u"PC.LOG", nullptr, nullptr, false, CopyFailure::kNone},
      {"over an old copy", u"RUN.LOG", u"PC.LOG", "old", nullptr, false, CopyFailure::kNone},
      {"over a cut copy", u"RUN.LOG", u"PC.LOG", "old", "QUILLRUN st", false, CopyFailure::kNone},
      {"a folder not there", u"RUN.LOG", u"gone\\PC.LOG", nullptr, nullptr, false,
       CopyFailure::kFolderMissing},
      {"a log not there", u"NONE.LOG", u"PC.LOG", "old", nullptr, false,
       CopyFailure::kSourceUnreadable},
      {"a folder of the name", u"RUN.LOG", u"PC.LOG", nullptr, nullptr, true,
       CopyFailure::kAccessDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WString to = At(c.to), temporary = to + u".quillrun-copy";
    ASSERT_TRUE(c.old_copy == nullptr || WriteBytes(to, c.old_copy));
    ASSERT_TRUE(c.leftover == nullptr || WriteBytes(temporary, c.leftover));
    ASSERT_TRUE(!c.target_a_folder || CreateDirectoryW(Wide(to).c_str(), nullptr));
    const CopyOutcome outcome = platform_.CopyWhole(At(c.from), temporary, to, 10000);
    EXPECT_EQ(static_cast<int>(c.failure), static_cast<int>(outcome.failure))
        << outcome.system_error;
    if (c.failure == CopyFailure::kNone) {
      EXPECT_EQ(log, ReadBytes(to));
    } else if (c.old_copy != nullptr) {
      EXPECT_EQ(c.old_copy, ReadBytes(to));
    } else if (!c.target_a_folder) {
      EXPECT_FALSE(Exists(to));
    }
    EXPECT_FALSE(Exists(temporary));
    if (c.target_a_folder) {
      RemoveDirectoryW(Wide(to).c_str());
    } else {
      DeleteFileW(Wide(to).c_str());
    }
  }
}

TEST_F(WholeCopiesTest, ACallThatDoesNotAnswerIsLeftAtTheLimit) {
  const std::wstring name = L"\\\\.\\pipe\\quill-whole-copies-test";
  HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                 4096, 4096, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
  ASSERT_TRUE(WriteBytes(At(u"PC.LOG"), "old"));
  const WString temporary = At(u"PC.LOG.quillrun-copy");

  // Where the bound does not hold, the pipe ends the call after 5 s: no hang.
  HANDLE copied = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread guard([&] {
    if (WaitForSingleObject(copied, 5000) == WAIT_TIMEOUT) DisconnectNamedPipe(pipe);
  });
  const auto started = std::chrono::steady_clock::now();
  const CopyOutcome outcome =
      platform_.CopyWhole(WString(name.begin(), name.end()), temporary, At(u"PC.LOG"), 300);
  const auto waited = std::chrono::steady_clock::now() - started;
  SetEvent(copied);
  guard.join();
  CloseHandle(copied);
  EXPECT_EQ(static_cast<int>(CopyFailure::kTimedOut), static_cast<int>(outcome.failure));
  EXPECT_GE(waited, std::chrono::milliseconds(290));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_EQ("old", ReadBytes(At(u"PC.LOG")));

  // The pipe gone, the call left behind fails and takes its temporary away.
  DisconnectNamedPipe(pipe);
  CloseHandle(pipe);
  for (int tries = 0; tries < 100 && Exists(temporary); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_FALSE(Exists(temporary));
  EXPECT_EQ("old", ReadBytes(At(u"PC.LOG")));
}

}  // namespace
}  // namespace quill::test
