#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fake_platform.h"
#include "log/run_log.h"
#include "runner/install_pass.h"

namespace quill {
namespace {

constexpr double kNeverEnds = 1e9;

std::vector<std::string> Pauses(const FakePlatform& platform) {
  return platform.CallsNamed("Pause");
}

// Waiting on the process (WaitForExit=1) ends a pause early when the
// installer ends, and must give the outcome and the count of the polling.
TEST(LaunchAndWaitTest, PollScheduleAndOutcomes) {
  struct Case {
    double runs_for;
    int32_t max_install_time;
    LaunchOutcome outcome;
    int32_t elapsed;
    size_t queries;
  };
  const Case cases[] = {
      {0, 300, LaunchOutcome::Finished, 1, 1},
      {0.5, 300, LaunchOutcome::Finished, 1, 1},
      {1, 300, LaunchOutcome::Finished, 1, 1},
      {1.001, 300, LaunchOutcome::Finished, 4, 2},
      {4, 300, LaunchOutcome::Finished, 4, 2},
      {4.001, 300, LaunchOutcome::Finished, 7, 3},
      {5, 300, LaunchOutcome::Finished, 7, 3},
      {7, 300, LaunchOutcome::Finished, 7, 3},
      {7.001, 300, LaunchOutcome::Finished, 10, 4},
      {298, 300, LaunchOutcome::Finished, 298, 100},
      {298.001, 300, LaunchOutcome::TimedOut, 301, 100},
      {300, 300, LaunchOutcome::TimedOut, 301, 100},
      {kNeverEnds, 300, LaunchOutcome::TimedOut, 301, 100},
      {kNeverEnds, 5, LaunchOutcome::TimedOut, 7, 2},
      {kNeverEnds, 7, LaunchOutcome::TimedOut, 7, 2},
      {kNeverEnds, 8, LaunchOutcome::TimedOut, 10, 3},
      {kNeverEnds, 4, LaunchOutcome::TimedOut, 4, 1},
      {kNeverEnds, 0, LaunchOutcome::TimedOut, 4, 1},
      {kNeverEnds, -5, LaunchOutcome::TimedOut, 4, 1},
      {0.5, -5, LaunchOutcome::Finished, 1, 1},
      {3.9, 4, LaunchOutcome::TimedOut, 4, 1},
  };
  for (const bool wait_for_exit : {false, true}) {
    const std::string pause = wait_for_exit ? "WaitForEnd" : "Pause";
    for (const Case& c : cases) {
      FakePlatform platform;
      platform.AddProgram(u"C:\\Apps\\setup.exe /s", c.runs_for, 0xC0000005);
      const int64_t started_ms = platform.now_ms;
      const LaunchResult result =
          LaunchAndWait(u"C:\\Apps\\setup.exe /s", c.max_install_time, platform, wait_for_exit);
      const std::string label = pause + ", " + std::to_string(c.runs_for) + "s, limit " +
                                std::to_string(c.max_install_time);
      EXPECT_EQ(c.outcome, result.outcome) << label;
      EXPECT_EQ(c.elapsed, result.elapsed_seconds) << label;
      if (c.outcome == LaunchOutcome::Finished) {
        EXPECT_EQ(0xC0000005u, result.exit_code) << label;
      }
      EXPECT_EQ(c.queries, platform.CallsNamed("QueryExitCode").size()) << label;
      const std::vector<std::string> pauses = platform.CallsNamed(pause);
      ASSERT_FALSE(pauses.empty()) << label;
      EXPECT_EQ(pause + " 1000", pauses.front()) << label;
      for (size_t i = 1; i < pauses.size(); ++i) EXPECT_EQ(pause + " 3000", pauses[i]) << label;
      EXPECT_EQ(pauses.size(), platform.CallsNamed("Pause").size() +
                                   platform.CallsNamed("WaitForEnd").size())
          << label << ": one way of pausing only";
      // Polling sleeps every counted second; waiting stops at the installer's end.
      const int64_t counted_ms = int64_t{c.elapsed} * 1000;
      const int64_t waited_ms =
          wait_for_exit ? std::min<int64_t>(counted_ms, std::llround(c.runs_for * 1000)) : counted_ms;
      EXPECT_EQ(waited_ms, platform.now_ms - started_ms) << label;
      EXPECT_EQ(0, platform.open_process_handles()) << label;
    }
  }
}

TEST(LaunchAndWaitTest, ProgramThatCannotStartFailsAtOnceWithoutPause) {
  FakePlatform platform;
  const LaunchResult result = LaunchAndWait(u"C:\\Missing\\setup.exe", 300, platform);
  EXPECT_EQ(LaunchOutcome::LaunchFailed, result.outcome);
  EXPECT_TRUE(Pauses(platform).empty());
  EXPECT_TRUE(platform.CallsNamed("QueryExitCode").empty());
}

// A failed query ends the wait as a failed launch; a failed wait on the
// process is a pause slept out, and the polling goes on.
TEST(LaunchAndWaitTest, FailingExitCodeQueryOrWaitIsAFailedLaunchAndLeavesTheProcess) {
  struct Case {
    bool wait_for_exit;
    const char* failing;
    std::vector<std::string> calls;
    LaunchOutcome outcome = LaunchOutcome::LaunchFailed;
  };
  const Case cases[] = {
      {false, "QueryExitCode", {"Pause 1000", "QueryExitCode 1796547904"}},
      {true, "QueryExitCode", {"WaitForEnd 1000", "QueryExitCode 1796547904"}},
      {true,
       "WaitForEnd",
       {"WaitForEnd 1000", "Pause 1000", "QueryExitCode 1796547904", "IsStillRunning",
        "WaitForEnd 3000", "Pause 3000", "QueryExitCode 1796547907"},
       LaunchOutcome::Finished},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.AddProgram(u"x.exe", c.outcome == LaunchOutcome::Finished ? 2 : kNeverEnds);
    platform.FailOn(c.failing);
    const LaunchResult result = LaunchAndWait(u"x.exe", 300, platform, c.wait_for_exit);
    EXPECT_EQ(c.outcome, result.outcome) << c.failing;
    std::vector<std::string> calls = platform.calls();
    ASSERT_EQ(c.calls.size() + 2, calls.size()) << c.failing;
    EXPECT_EQ(c.calls, std::vector<std::string>(calls.begin() + 1, calls.end() - 1)) << c.failing;
    EXPECT_EQ("CloseProcessHandles", calls.back()) << c.failing;
  }
}

TEST(LaunchAndWaitTest, ExitCode259IsToldApartFromARunningProcess) {
  for (const bool wait_for_exit : {false, true}) {
    FakePlatform platform;
    platform.AddProgram(u"x.exe", 2, kStillActive);
    const LaunchResult result = LaunchAndWait(u"x.exe", 300, platform, wait_for_exit);
    EXPECT_EQ(LaunchOutcome::Finished, result.outcome);
    EXPECT_EQ(4, result.elapsed_seconds);
  }
}

TEST(LaunchAndWaitTest, RequestsTheDocumentedProcessCreation) {
  FakePlatform platform;
  platform.AddProgram(u"x.exe", 0);
  LaunchAndWait(u"x.exe", 300, platform);
  const ProcessRequest& r = platform.last_request;
  EXPECT_TRUE(r.security_inherit_handle);
  EXPECT_FALSE(r.inherit_handles);
  EXPECT_EQ(0x20u, r.creation_flags);
  EXPECT_EQ(0x4u, r.startup_flags);
  EXPECT_EQ(0, r.x);
  EXPECT_EQ(0, r.y);
}

TEST(LaunchAndWaitTest, LongCommandLinesAreHandedOverWholeUpToThePlatformLimit) {
  const WString fits = u"x.exe " + WString(kMaxCommandLineChars - 7, u'a');
  const WString too_long = fits + u"a";
  FakePlatform platform;
  platform.AddProgram(fits, 0);
  EXPECT_EQ(LaunchOutcome::Finished, LaunchAndWait(fits, 300, platform).outcome);
  ASSERT_EQ(1u, platform.CallsNamed("StartProcess").size());
  EXPECT_EQ("StartProcess " + Narrow(fits), platform.CallsNamed("StartProcess")[0]);

  EXPECT_EQ(LaunchOutcome::LaunchFailed, LaunchAndWait(too_long, 300, platform).outcome);
  EXPECT_EQ(1u, platform.CallsNamed("StartProcess").size()) << "never handed to the platform";
}

TEST(WriteLaunchResultTest, EndAndResultRecordsPerOutcome) {
  struct Case {
    LaunchResult result;
    int32_t max_install_time;
    std::string line;
  };
  const Case cases[] = {
      {{LaunchOutcome::Finished, 7}, 300, "RESULT   => Command finished in less than 7 seconds.\r\n\r\n"},
      {{LaunchOutcome::Finished, 1}, 300, "RESULT   => Command finished in less than 1 seconds.\r\n\r\n"},
      {{LaunchOutcome::LaunchFailed, 0}, 300, "RESULT   => Failed to launch the command.\r\n\r\n"},
      {{LaunchOutcome::TimedOut, 301}, 300, "RESULT   => Command did not finish in 300 seconds.\r\n\r\n"},
      {{LaunchOutcome::TimedOut, 4}, -5, "RESULT   => Command did not finish in -5 seconds.\r\n\r\n"},
  };
  const std::string opening = std::string(109, '*') +
                              "\r\nQUILLRUN starts at: 09:05:03 Sunday, December 06, 2026\r\n" +
                              std::string(109, '*') + "\r\n\r\nSystemID      => \r\nOSType\t\t  => \r\n";
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.AddDirectory(u"C:\\Logs");
    platform.AddIniFile(u"C:\\in.ini", u"[Settings]\nLogFile=\\Logs\\r.log\n");
    RunContext context;
    context.InputIniPath = u"C:\\in.ini";
    context.MaxInstallTime = c.max_install_time;
    OpenRunLog(context, platform);
    platform.now_ms += 4000;
    WriteLaunchResult(context, c.result, platform);
    CloseRunLog(context);
    EXPECT_EQ(opening + "END  :: 09:05:07 Sunday, December 06, 2026\r\n" + c.line,
              platform.FileBytes(u"C:\\LOGS\\R.LOG"));
  }
}

TEST(WriteLaunchResultTest, WritesNothingWithTheLogClosed) {
  FakePlatform platform;
  RunContext context;
  WriteLaunchResult(context, {LaunchOutcome::TimedOut, 301}, platform);
  EXPECT_TRUE(platform.CallsNamed("Append").empty());
}

}  // namespace
}  // namespace quill
