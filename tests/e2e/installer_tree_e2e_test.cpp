// The installer's whole tree under Wine's job objects: a launcher whose
// child outlives it is waited for only with WaitForChildren=1; a hanging
// tree of five is ended at its limit with StopAtTimeLimit=1;
// a held _MSIExecute mutex (held by a program of ours: Wine's msiexec never
// takes it) holds back the next MSI until it is released. quillplan's
// report counts the tree ended at its limit apart.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "child_process.h"
#include "deployment.h"

namespace quill::e2e {
namespace {

class InstallerTree : public Deployment {
 protected:
  void SetUp() override {
    Deployment::SetUp();
    ASSERT_TRUE(machine().CopyBuildFile("tools/tree.exe", apps() + "\\tree.exe"));
  }
  // A launcher, its child and `more` processes after the child, one
  // started by the other.
  std::string Launcher(const std::string& seconds, const std::string& child_seconds,
                       int more = 0) const {
    return "[0xFFFF]\r\nAPP1=Launcher\r\n[Launcher]\r\nAppPath=" + apps() +
           "\r\nAppSwitches=tree.exe " + seconds + " " + child_seconds + " " + marker() + " " +
           std::to_string(more) + "\r\n";
  }
  // `switches` for APP1, then an application that notes when it was started.
  std::string ThenStamp(const std::string& switches) const {
    return "[0xFFFF]\r\nAPP1=First\r\nAPP2=Stamp\r\n[First]\r\nAppPath=" + apps() +
           "\r\nAppSwitches=" + switches + "\r\n[Stamp]\r\nAppPath=" + apps() +
           "\r\nAppSwitches=tree.exe stamp " + stamp() + "\r\n";
  }
  std::string marker() const { return root_ + "\\child.done"; }
  std::string stamp() const { return root_ + "\\stamp"; }
  // From the end of the tree's last process to the start of the next
  // installer, in milliseconds: the wait's lateness and the program's
  // own time between two installers.
  double MsFromMarkerToStamp() const {
    std::string ended, started;
    if (!machine().ReadFile(marker(), &ended) || !machine().ReadFile(stamp(), &started)) return -1;
    return (std::stod(started) - std::stod(ended)) / 10000.0;
  }
  // The run's log, and whether the child had made its marker by the end.
  std::string Run(const std::string& settings, const std::string& lists, bool* child_done) {
    machine().Remove(marker());
    machine().Remove(stamp());
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
  const std::string with =
      Run("WaitForChildren=1\r\n", ThenStamp("tree.exe 0 3 " + marker() + " 0"), &child_done);
  const double tree_seconds = RunSecondsSince(started);
  const double tree_ms = MsFromMarkerToStamp();
  EXPECT_NE(std::string::npos, with.find("Command finished in less than 4 seconds.")) << with;
  EXPECT_TRUE(child_done) << "the wait ended before the launcher's child";
  // The polling would notice the end up to 3 s late.
  EXPECT_GE(tree_ms, 0) << with;
  EXPECT_LT(tree_ms, 1000) << with;
  // The floor: one process of the same 3 s, waited for by WaitForExit=1.
  started = std::chrono::steady_clock::now();
  Run("WaitForExit=1\r\n", ThenStamp("tree.exe child 3 " + marker() + " 0"), &child_done);
  const double floor_seconds = RunSecondsSince(started);
  std::printf(
      "[ figures  ] a launcher and its 3 s child, WaitForChildren=1: %.2f s, %.1f ms from the "
      "child's end to the next start; one 3 s process, WaitForExit=1: %.2f s, %.1f ms\n",
      tree_seconds, tree_ms, floor_seconds, MsFromMarkerToStamp());
  machine().Kill("tree.exe");
}

TEST_F(InstallerTree, AHangingTreeOfFiveIsEndedAtTheLimitOnlyWithTheKey) {
  const std::string lists = Launcher("60", "60", 3) + "MaxInstallTime=5\r\n";
  bool child_done = false;
  auto started = std::chrono::steady_clock::now();
  const std::string stopped =
      Run("WaitForChildren=1\r\nStopAtTimeLimit=1\r\nLogExitCodes=1\r\n", lists, &child_done);
  const double stopped_seconds = RunSecondsSince(started);
  EXPECT_NE(std::string::npos,
            stopped.find("RESULT   => Command did not finish in 5 seconds.\r\n\r\n"
                         "STOPPED   => Ended 5 processes of the installer's tree at its time "
                         "limit of 5 seconds.\r\n\r\nEXIT CODE => 1460, ended at its time "
                         "limit.\r\n"))
      << stopped;
  // The report of that log counts it apart from time-outs and failures.
  const std::string report =
      ShellOutput("'" QUILLPLAN_BINARY "' report --json '" + machine().HostPath(log()) + "' 2>&1");
  EXPECT_NE(std::string::npos, report.find("\"ended_at_time_limit\": 1\n")) << report;
  EXPECT_NE(std::string::npos, report.find("\"timed_out\": 0,")) << report;
  EXPECT_NE(std::string::npos, report.find("\"failed_by_exit_code\": 0")) << report;
  EXPECT_NE(std::string::npos, report.find("\"ended_at_time_limit\": true")) << report;

  started = std::chrono::steady_clock::now();
  const std::string left = Run("WaitForChildren=1\r\n", lists, &child_done);
  const double left_seconds = RunSecondsSince(started);
  EXPECT_EQ(std::string::npos, left.find("STOPPED")) << left;
  EXPECT_TRUE(machine().Kill("tree.exe")) << "left running without StopAtTimeLimit";
  // Both count to 7 s; the stop is what the first spent beyond.
  std::printf(
      "[ figures  ] a hanging tree of 5 processes, limit 5 s (counted to 7 s): ended, %.2f s; "
      "left running, %.2f s; the stop %.2f s\n",
      stopped_seconds, left_seconds, stopped_seconds - left_seconds);
  EXPECT_LT(stopped_seconds - left_seconds, 3) << "the tree was ended long after its limit";
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
