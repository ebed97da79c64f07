// The installer's whole tree under Wine's job objects: a launcher whose
// child outlives it is waited for only with WaitForChildren=1; a hanging
// launcher and its child are ended at their limit with StopAtTimeLimit=1;
// a held _MSIExecute mutex (held by a program of ours: Wine's msiexec never
// takes it) holds back the next MSI until it is released.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "deployment.h"

namespace quill::e2e {
namespace {

class InstallerTree : public Deployment {
 protected:
  void SetUp() override {
    Deployment::SetUp();
    ASSERT_TRUE(machine().CopyBuildFile("tools/tree.exe", apps() + "\\tree.exe"));
  }
  std::string Launcher(const std::string& seconds, const std::string& child_seconds) const {
    return "[0xFFFF]\r\nAPP1=Launcher\r\n[Launcher]\r\nAppPath=" + apps() +
           "\r\nAppSwitches=tree.exe " + seconds + " " + child_seconds + " " + marker() + "\r\n";
  }
  std::string marker() const { return root_ + "\\child.done"; }
  // The run's log, and whether the child had made its marker by the end.
  std::string Run(const std::string& settings, const std::string& lists, bool* child_done) {
    machine().Remove(marker());
    machine().Remove(log());
    EXPECT_TRUE(machine().WriteFile(ini(), Ini(lists, settings)));
    const RunResult result = RunQuill();
    EXPECT_TRUE(result.finished) << result.output;
    std::string bytes;
    *child_done = machine().ReadFile(marker(), &bytes);
    return LogText();
  }
};

double RunSecondsSince(std::chrono::steady_clock::time_point started) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

TEST_F(InstallerTree, ALauncherIsWaitedForWithItsChildOnlyWithTheKey) {
  bool child_done = false;
  const std::string without = Run("", Launcher("0", "3"), &child_done);
  EXPECT_NE(std::string::npos, without.find("Command finished in less than 1 seconds.")) << without;
  EXPECT_FALSE(child_done) << "the wait ended with the launcher";
  auto started = std::chrono::steady_clock::now();
  const std::string with = Run("WaitForChildren=1\r\n", Launcher("0", "3"), &child_done);
  const double tree_seconds = RunSecondsSince(started);
  EXPECT_NE(std::string::npos, with.find("Command finished in less than 4 seconds.")) << with;
  EXPECT_TRUE(child_done) << "the wait ended before the launcher's child";
  // The floor: one process of the same 3 s, waited for by WaitForExit=1.
  ASSERT_TRUE(machine().CopyBuildFile("tools/waitexit.exe", apps() + "\\waitexit.exe"));
  started = std::chrono::steady_clock::now();
  Run("WaitForExit=1\r\n",
      "[0xFFFF]\r\nAPP1=One\r\n[One]\r\nAppPath=" + apps() + "\r\nAppSwitches=waitexit.exe 3 0\r\n",
      &child_done);
  const double floor_seconds = RunSecondsSince(started);
  std::printf(
      "[ figures  ] a launcher and its 3 s child, WaitForChildren=1: %.2f s; one 3 s "
      "process, WaitForExit=1: %.2f s\n",
      tree_seconds, floor_seconds);
  machine().Kill("tree.exe");
}

TEST_F(InstallerTree, AHangingLauncherAndItsChildAreEndedAtTheLimitOnlyWithTheKey) {
  const std::string lists = Launcher("60", "60") + "MaxInstallTime=5\r\n";
  bool child_done = false;
  const auto started = std::chrono::steady_clock::now();
  const std::string stopped =
      Run("WaitForChildren=1\r\nStopAtTimeLimit=1\r\nLogExitCodes=1\r\n", lists, &child_done);
  const double seconds = RunSecondsSince(started);
  std::printf(
      "[ figures  ] a hanging launcher and its child, limit 5 s (counted to 7 s), the "
      "whole run: %.2f s\n",
      seconds);
  EXPECT_NE(std::string::npos,
            stopped.find("RESULT   => Command did not finish in 5 seconds.\r\n\r\n"
                         "STOPPED   => Ended 2 processes of the installer's tree at its time "
                         "limit of 5 seconds.\r\n\r\nEXIT CODE => 1460, ended at its time "
                         "limit.\r\n"))
      << stopped;
  EXPECT_LT(seconds, 20) << "ended at 7 s counted";
  const std::string left = Run("WaitForChildren=1\r\n", lists, &child_done);
  EXPECT_EQ(std::string::npos, left.find("STOPPED")) << left;
  EXPECT_TRUE(machine().Kill("tree.exe")) << "left running without StopAtTimeLimit";
}

TEST_F(InstallerTree, AHeldInstallerMutexHoldsBackTheMsiUntilItIsReleased) {
  ASSERT_TRUE(machine().CopyBuildFile("tools/holdmutex.exe", root_ + "\\holdmutex.exe"));
  RunOptions holder;
  holder.program = root_ + "\\holdmutex.exe";
  holder.arguments = "8 " + root_ + "\\held";
  std::unique_ptr<RunningProgram> held = machine().Start(holder);
  std::string bytes;
  for (int tries = 0; tries < 300 && !machine().ReadFile(root_ + "\\held", &bytes); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(machine().Exists(root_ + "\\held")) << "the mutex was never taken";
  const std::string lists =
      "[0xFFFF]\r\nAPP1=Package\r\n[Package]\r\nAppPath=C:\\windows\\system32"
      "\r\nAppSwitches=msiexec.exe /i " +
      root_ + "\\none.msi /qn\r\n";
  bool child_done = false;
  const std::string log = Run("WaitForInstallerService=30\r\n", lists, &child_done);
  held->Wait();
  EXPECT_NE(std::string::npos,
            log.find("INSTALLER SERVICE => Windows Installer was busy: the installer waited "))
      << log;
  EXPECT_EQ(std::string::npos, log.find("still busy")) << log;
}

}  // namespace
}  // namespace quill::e2e
