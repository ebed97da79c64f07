#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fake_platform.h"
#include "one_app_run.h"
#include "runner/install_pass.h"
#include "runner/launch_limits.h"

namespace quill {
namespace {

constexpr double kNeverEnds = 1e9;

// A launcher ends at once while what it started works on; a hanging
// installer never ends. The wait and the stop as each key asks.
TEST(InstallerTreeTest, WaitAndStopPerTreeAndKeys) {
  struct Case {
    const char* what;
    double runs_for, tree_for;
    uint32_t processes;
    LaunchLimits limits;
    const char* failing;
    bool refuses_end;
    LaunchOutcome outcome;
    int32_t elapsed;
    int64_t waited_ms;
    JobState job;
    bool stop_tried, stop_ended;
    uint32_t stopped;
    int running_after;
  };
  const LaunchLimits plain{300, false, false, false};
  const LaunchLimits tree{300, false, true, false};
  const LaunchLimits stop{10, false, false, true};
  const LaunchLimits tree_stop{10, false, true, true};
  const LaunchLimits unlimited_stop{0, false, true, true};
  const Case cases[] = {
      {"launcher, no key", 0.5, 3, 4, plain, "", false, LaunchOutcome::Finished, 1, 1000,
       JobState::kNotAsked, false, false, 0, 3},
      {"launcher in its job", 0.5, 3, 4, tree, "", false, LaunchOutcome::Finished, 4, 3000,
       JobState::kInJob, false, false, 0, 0},
      {"no job made", 0.5, 3, 4, tree, "CreateProcessJob", false, LaunchOutcome::Finished, 1, 500,
       JobState::kNoJob, false, false, 0, 3},
      {"job refused", 0.5, 3, 4, tree, "AssignToJob", false, LaunchOutcome::Finished, 1, 500,
       JobState::kNotAssigned, false, false, 0, 3},
      {"tree past the limit",
       0.5,
       kNeverEnds,
       5,
       {10, false, true, false},
       "",
       false,
       LaunchOutcome::TimedOut,
       10,
       10000,
       JobState::kInJob,
       false,
       false,
       0,
       4},
      {"tree ended at the limit", 0.5, kNeverEnds, 5, tree_stop, "", false, LaunchOutcome::TimedOut,
       10, 10000, JobState::kInJob, true, true, 4, 0},
      {"hanging tree ended whole", kNeverEnds, kNeverEnds, 5, tree_stop, "", false,
       LaunchOutcome::TimedOut, 10, 10000, JobState::kInJob, true, true, 5, 0},
      {"hanging, its process ended", kNeverEnds, kNeverEnds, 3, stop, "", false,
       LaunchOutcome::TimedOut, 10, 10000, JobState::kNotAsked, true, true, 1, 2},
      {"will not end", kNeverEnds, kNeverEnds, 1, tree_stop, "", true, LaunchOutcome::TimedOut, 10,
       10000 + kEndWaitMs, JobState::kInJob, true, false, 1, 1},
      {"termination refused", kNeverEnds, kNeverEnds, 1, stop, "EndProcess", false,
       LaunchOutcome::TimedOut, 10, 10000, JobState::kNotAsked, true, false, 1, 1},
      {"limit 0 never waits", kNeverEnds, kNeverEnds, 1, unlimited_stop, "", false,
       LaunchOutcome::TimedOut, 4, 4000, JobState::kInJob, false, false, 0, 1},
      {"cannot be let run", 0.5, 3, 4, tree, "ResumeProcess", false, LaunchOutcome::LaunchFailed, 0,
       0, JobState::kInJob, false, false, 0, 0},
      {"one child left", 0.5, 3, 2, tree, "", false, LaunchOutcome::Finished, 4, 3000,
       JobState::kInJob, false, false, 0, 0},
      {"tree uncountable", 0.5, 3, 4, tree, "CountJobProcesses", false, LaunchOutcome::Finished, 4,
       3000, JobState::kInJob, false, false, 0, 0},
      {"job wait fails", 0.5, 3, 4, tree, "WaitForJobEnd", false, LaunchOutcome::Finished, 4, 4000,
       JobState::kInJob, false, false, 0, 0},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.AddLauncher(u"setup.exe", c.runs_for, c.tree_for, c.processes, 3);
    if (c.refuses_end) platform.RefuseEnd(u"setup.exe");
    if (*c.failing) platform.FailOn(c.failing);
    const int64_t started_ms = platform.now_ms;
    const LaunchResult result = LaunchAndWait(u"setup.exe", c.limits, platform);
    EXPECT_EQ(c.outcome, result.outcome) << c.what;
    EXPECT_EQ(c.elapsed, result.elapsed_seconds) << c.what;
    EXPECT_EQ(c.waited_ms, platform.now_ms - started_ms) << c.what;
    EXPECT_EQ(c.job, result.job) << c.what;
    EXPECT_EQ(c.stop_tried, result.stop.tried) << c.what;
    EXPECT_EQ(c.stop_ended, result.stop.ended) << c.what;
    EXPECT_EQ(c.stopped, result.stop.processes) << c.what;
    EXPECT_EQ(c.running_after, platform.running_processes()) << c.what;
    EXPECT_EQ(c.limits.wait_for_children,
              (platform.last_request.creation_flags & kCreateSuspended) != 0)
        << c.what;
    EXPECT_EQ(0, platform.open_process_handles() + platform.open_jobs()) << c.what;
    // Nothing runs before it is in its job.
    const std::vector<std::string>& calls = platform.calls();
    if (c.job == JobState::kInJob) {
      ASSERT_GE(calls.size(), 4u) << c.what;
      EXPECT_EQ((std::vector<std::string>{"StartProcess setup.exe", "CreateProcessJob",
                                          "AssignToJob", "ResumeProcess"}),
                std::vector<std::string>(calls.begin(), calls.begin() + 4))
          << c.what;
    }
  }
}

// The records a run writes for each: the application's own limit named,
// what was ended, the exit record's own verdict, a wait for the installer
// service; and which of its own keys the application is asked for: none
// without their keys in [Settings].
TEST(InstallerTreeTest, RecordsOfTheTreeTheLimitAndTheService) {
  struct Case {
    const char* settings;
    const char* app;
    double runs_for, tree_for;
    int64_t busy_for_ms;
    std::string told;  // after the end record; a service wait's before the start
    std::string own_reads;
    bool looks = true;  // at Windows Installer's mutex
    WString folder = u"C:\\WINDOWS\\system32";
    const char* failing = "";
  };
  const std::string end = "END  :: ";
  const std::string all_three = "MaxInstallTime WaitForChildren StopAtTimeLimit ";
  const Case cases[] = {
      {"LogExitCodes=1\nStopAtTimeLimit=1\nWaitForChildren=1\n", "MaxInstallTime=7s\n", 0.5,
       kNeverEnds, 0,
       "RESULT   => Command did not finish in 7 seconds.\r\n\r\n"
       "STOPPED   => Ended 3 processes of the installer's tree at its time limit of 7 "
       "seconds.\r\n\r\nEXIT CODE => 1460, ended at its time limit.\r\n\r\n",
       all_three},
      {"StopAtTimeLimit=1\n", "MaxInstallTime=7\nStopAtTimeLimit=0\n", kNeverEnds, kNeverEnds, 0,
       "RESULT   => Command did not finish in 7 seconds.\r\n\r\n",
       "MaxInstallTime StopAtTimeLimit "},
      {"StopAtTimeLimit=0\n", "MaxInstallTime=7\nStopAtTimeLimit=1\n", kNeverEnds, kNeverEnds, 0,
       "RESULT   => Command did not finish in 7 seconds.\r\n\r\n"
       "STOPPED   => Ended the installer's own process at its time limit of 7 "
       "seconds.\r\n\r\n",
       "MaxInstallTime StopAtTimeLimit "},
      // No key in [Settings]: the application is read as ever, its own keys never.
      {"", "MaxInstallTime=7\nStopAtTimeLimit=1\nWaitForChildren=1\n", 0.5, kNeverEnds, 0,
       "RESULT   => Command finished in less than 1 seconds.\r\n\r\n", ""},
      {"WaitForChildren=1\n", "WaitForChildren=0\n", 0.5, 3, 0,
       "RESULT   => Command finished in less than 1 seconds.\r\n\r\n",
       "MaxInstallTime WaitForChildren "},
      {"WaitForChildren=0\n", "WaitForChildren=1\nStopAtTimeLimit=1\n", 0.5, 3, 0,
       "RESULT   => Command finished in less than 4 seconds.\r\n\r\n",
       "MaxInstallTime WaitForChildren "},
      {"WaitForInstallerService=5\n", "", 0, 0, 2500,
       "INSTALLER SERVICE => Windows Installer was busy: the installer waited 3 seconds for "
       "it.\r\n",
       ""},
      {"WaitForInstallerService=2\n", "", 0, 0, 9000,
       "INSTALLER SERVICE => Windows Installer is still busy after 2 seconds: the installer is "
       "started all the same.\r\n",
       ""},
      {"WaitForInstallerService=5\n", "", 0, 0, 0, "", ""},
      {"WaitForInstallerService=9999\n", "", 0, 0, 3602000,
       "INSTALLER SERVICE => Windows Installer is still busy after 3600 seconds: the installer is "
       "started all the same.\r\n",
       ""},
      {"WaitForInstallerService=5\n", "", 0, 0, 9000, "", "", false, u"C:\\Tools"},
      {"StopAtTimeLimit=1\nWaitForChildren=1\n", "MaxInstallTime=7\n", kNeverEnds, kNeverEnds, 0,
       "RESULT   => Command did not finish in 7 seconds.\r\n\r\n"
       "STOPPED   => At its time limit of 7 seconds the installer could not be ended: it goes on "
       "running.\r\n\r\n",
       all_three, true, u"C:\\WINDOWS\\system32", "TerminateJob"},
      {"StopAtTimeLimit=1\nWaitForChildren=1\n", "MaxInstallTime=7\n", 0.5, kNeverEnds, 0,
       "RESULT   => Command did not finish in 7 seconds.\r\n\r\n"
       "STOPPED   => Ended the installer's whole tree at its time limit of 7 seconds.\r\n\r\n",
       all_three, true, u"C:\\WINDOWS\\system32", "CountJobProcesses"},
  };
  for (const Case& c : cases) {
    const WString msiexec = c.folder + u"\\msiexec.exe /i C:\\p.msi /qn";
    OneAppRun run(u"C:\\in.ini", Widen(c.settings),
                  u"AppPath=" + c.folder + u"\nAppSwitches=msiexec.exe /i C:\\p.msi /qn\n" +
                      Widen(c.app));
    run.platform.AddLauncher(msiexec, c.runs_for, c.tree_for, 4);
    if (*c.failing) run.platform.FailOn(c.failing);
    run.platform.installer_busy_until_ms = run.platform.now_ms + c.busy_for_ms;
    const std::string records = run.Records();
    const size_t start = records.find("START:: ");
    ASSERT_NE(std::string::npos, start) << c.settings << c.app;
    const std::string after = records.substr(records.find("\r\n", start) + 2);
    const size_t end_at = after.find(end);
    ASSERT_NE(std::string::npos, end_at) << records;
    const std::string before_end = after.substr(0, end_at);
    const std::string after_end = after.substr(after.find("\r\n", end_at) + 2);
    const bool asks = std::string(c.settings).find("Service") != std::string::npos;
    const size_t launched = records.find("\r\n", records.find("LAUNCHED => ")) + 2;
    const std::string before_start = records.substr(launched, start - launched);
    EXPECT_EQ(c.told, asks ? before_start : after_end) << c.settings << c.app;
    EXPECT_EQ(std::string::npos, before_end.find("INSTALLER SERVICE")) << c.settings;
    const bool service = asks && c.looks;
    std::string own_reads;
    for (const std::string& read : run.platform.CallsNamed("ReadPrivateProfileString")) {
      for (const char* key : {"MaxInstallTime", "WaitForChildren", "StopAtTimeLimit"}) {
        if (read.rfind("ReadPrivateProfileString [A] " + std::string(key) + " ", 0) == 0) {
          own_reads += std::string(key) + " ";
        }
      }
    }
    EXPECT_EQ(c.own_reads, own_reads) << c.settings << c.app;
    // The wait's record is on the disk before the installer starts.
    const std::vector<std::string>& calls = run.platform.calls();
    const auto started = std::find(calls.begin(), calls.end(), "StartProcess " + Narrow(msiexec));
    const auto looked = std::find(calls.begin(), calls.end(), "IsInstallerServiceBusy");
    EXPECT_EQ(service, looked < started) << c.settings;
    if (service) {
      EXPECT_NE(started, std::find(looked, started, "Flush C:\\R.LOG")) << c.settings;
      // What waits is on the disk before it waits.
      const auto paused = std::find(looked, calls.end(), "Pause 1000");
      if (c.busy_for_ms > 0) EXPECT_NE(paused, std::find(looked, paused, "Flush C:\\R.LOG"));
    }
  }
}

}  // namespace
}  // namespace quill
