// The job an installer's tree is held in, as the system gives it: a child
// that outlives its launcher waited for, a tree ended whole, the paths that
// refuse; and Windows Installer's mutex as the seam reads it.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

class ProcessJobsTest : public ScratchTest {
 protected:
  // The launcher, started suspended, in a job of its own, then let run.
  ProcessHandle StartTreeInJob(const std::string& arguments, JobHandle* job) {
    std::vector<char16_t> line =
        CommandBuffer(u"\"" + ToolPath(u"tree.exe") + u"\" " + Utf16(arguments));
    ProcessRequest request;
    request.creation_flags |= kCreateSuspended;
    ProcessHandle process = 0;
    EXPECT_TRUE(platform_.StartProcess(&line, request, &process));
    EXPECT_TRUE(platform_.CreateProcessJob(job));
    EXPECT_TRUE(platform_.AssignToJob(*job, process));
    EXPECT_TRUE(platform_.ResumeProcess(process));
    return process;
  }
  // Milliseconds from the moment the marker holds (the end of the tree's
  // last process) to now.
  double MsSinceMarker() const {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::string ended = ReadBytes(At(u"child.done"));
    const double now_units =
        static_cast<double>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return (now_units - std::stod(ended)) / 10000.0;
  }
  std::string Marker() const {
    const WString path = At(u"child.done");
    return std::string(path.begin(), path.end());  // the scratch folder's name is ASCII
  }

  Win32Platform platform_;
};

TEST_F(ProcessJobsTest, AChildThatOutlivesItsLauncherIsWaitedFor) {
  JobHandle job = 0;
  const DWORD started = GetTickCount();
  const ProcessHandle launcher = StartTreeInJob("0 1.5 \"" + Marker() + "\" 0", &job);
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForEnd(launcher, 5000)) << "it exits at once";
  uint32_t count = 0;
  ASSERT_TRUE(platform_.CountJobProcesses(job, &count));
  EXPECT_EQ(1u, count) << "the child alone";
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForJobEnd(job, 10000));
  ASSERT_TRUE(Exists(At(u"child.done"))) << "the wait ended before the child";
  const double tree_ms = MsSinceMarker();
  EXPECT_LT(GetTickCount() - started, 6000u) << "long before the time-out";
  EXPECT_LT(tree_ms, 500) << "the port tells of the last end at once";
  // The floor: the same child alone, waited for on its process handle.
  std::vector<char16_t> line = CommandBuffer(u"\"" + ToolPath(u"tree.exe") + u"\" child 1.5 \"" +
                                             At(u"child.done") + u"\" 0");
  ProcessHandle alone = 0;
  ASSERT_TRUE(platform_.StartProcess(&line, ProcessRequest(), &alone));
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForEnd(alone, 10000));
  std::printf(
      "[ figures  ] the wait's end after the last process's end: in a job %.1f ms, one process "
      "%.1f ms\n",
      tree_ms, MsSinceMarker());
  platform_.CloseProcessHandles(alone);
  // Told once by the port, known after.
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForJobEnd(job, 0));
  ASSERT_TRUE(platform_.CountJobProcesses(job, &count));
  EXPECT_EQ(0u, count);
  platform_.CloseJob(job);
  platform_.CloseProcessHandles(launcher);
}

TEST_F(ProcessJobsTest, AHangingTreeOfFiveIsEndedWhole) {
  JobHandle job = 0;
  const ProcessHandle launcher = StartTreeInJob("60 60 \"" + Marker() + "\" 3", &job);
  uint32_t count = 0;
  for (int tenths = 0; tenths < 100; ++tenths) {
    ASSERT_TRUE(platform_.CountJobProcesses(job, &count));
    if (count >= 5) break;
    platform_.Pause(100);
  }
  ASSERT_EQ(5u, count) << "the launcher, its child and three after it";
  EXPECT_EQ(ProcessWait::kStillRunning, platform_.WaitForJobEnd(job, 200));
  const DWORD asked = GetTickCount();
  ASSERT_TRUE(platform_.TerminateJob(job, 1460));
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForJobEnd(job, 10000));
  const DWORD stop_ms = GetTickCount() - asked;
  std::printf("[ figures  ] a tree of 5 ended whole and gone: %lu ms\n",
              static_cast<unsigned long>(stop_ms));
  EXPECT_LT(stop_ms, 1000u) << "ended within a second";
  uint32_t code = 0;
  ASSERT_TRUE(platform_.QueryExitCode(launcher, &code));
  EXPECT_EQ(1460u, code);
  platform_.CloseJob(job);
  platform_.CloseProcessHandles(launcher);
}

TEST_F(ProcessJobsTest, WhatCannotJoinOrIsNotThereIsRefused) {
  std::vector<char16_t> line = CommandBuffer(u"\"" + ToolPath(u"waitexit.exe") + u"\" 0 0");
  ProcessHandle ended = 0;
  ASSERT_TRUE(platform_.StartProcess(&line, ProcessRequest(), &ended));
  ASSERT_EQ(ProcessWait::kEnded, platform_.WaitForEnd(ended, 10000));
  JobHandle job = 0;
  ASSERT_TRUE(platform_.CreateProcessJob(&job));
  EXPECT_FALSE(platform_.AssignToJob(job, ended)) << "a process that has ended";
  EXPECT_FALSE(platform_.AssignToJob(job, 999)) << "no such process";
  EXPECT_FALSE(platform_.AssignToJob(999, ended)) << "no such job";
  uint32_t count = 7;
  EXPECT_FALSE(platform_.CountJobProcesses(999, &count));
  EXPECT_EQ(7u, count);
  EXPECT_EQ(ProcessWait::kFailed, platform_.WaitForJobEnd(999, 0));
  EXPECT_FALSE(platform_.TerminateJob(999, 1460));
  // An empty job has nothing to wait for.
  EXPECT_EQ(ProcessWait::kEnded, platform_.WaitForJobEnd(job, 0));
  platform_.CloseJob(job);
  EXPECT_EQ(ProcessWait::kFailed, platform_.WaitForJobEnd(job, 0)) << "closed";
  platform_.CloseProcessHandles(ended);
}

// Another thread of this process stands for an installation in progress:
// the mutex is owned per thread, as it is per installation.
TEST_F(ProcessJobsTest, TheInstallerMutexFreeHeldAndAbandoned) {
  const wchar_t kName[] = L"Global\\_MSIExecute";
  EXPECT_FALSE(platform_.IsInstallerServiceBusy()) << "no mutex: free";

  HANDLE unheld = CreateMutexW(nullptr, FALSE, kName);
  ASSERT_NE(nullptr, unheld);
  EXPECT_FALSE(platform_.IsInstallerServiceBusy()) << "there, not held";

  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kName);
    WaitForSingleObject(mutex, INFINITE);
    SetEvent(taken);
    WaitForSingleObject(release, INFINITE);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 5000));
  EXPECT_TRUE(platform_.IsInstallerServiceBusy()) << "held by another";
  SetEvent(release);
  holder.join();
  EXPECT_FALSE(platform_.IsInstallerServiceBusy()) << "given back";

  // A holder that ends without giving it back leaves it abandoned.
  std::thread abandoner([&] {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kName);
    WaitForSingleObject(mutex, INFINITE);
    CloseHandle(mutex);  // still owned, until the thread ends
  });
  abandoner.join();
  EXPECT_FALSE(platform_.IsInstallerServiceBusy()) << "abandoned: free";
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(unheld, 0)) << "and given back by the look";
  ReleaseMutex(unheld);
  CloseHandle(unheld);
  CloseHandle(release);
  CloseHandle(taken);
}

}  // namespace
}  // namespace quill::test
