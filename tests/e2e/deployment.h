#ifndef QUILL_TESTS_E2E_DEPLOYMENT_H_
#define QUILL_TESTS_E2E_DEPLOYMENT_H_

// A deployment share of its own for each test, under C:\e2e\SUITE\TEST:
// the input INI, a language table that names 0x409 "12", the run log, and
// stand-in installers that leave footprints ("start ..." and "end" lines
// in PROGRAM.ran) so a test can tell what ran and whether it still runs.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "run_log_text.h"
#include "wine_machine.h"

namespace quill::e2e {

class Deployment : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string("C:\\e2e\\") + test->test_suite_name() + "\\" + test->name();
    ASSERT_TRUE(machine().Remove(root_));
    ASSERT_TRUE(machine().MakeDirectories(root_));
    ASSERT_TRUE(machine().WriteFile(root_ + "\\LANG.INI", "[12]\r\nLCID=0x409\r\n"));
  }

  static WineMachine& machine() { return WineMachine::Get(); }
  std::string ini() const { return root_ + "\\deploy.ini"; }
  std::string log() const { return root_ + "\\RUN.LOG"; }
  std::string apps() const { return root_ + "\\Apps"; }
  // Settings with this test's table and log, then `rest`.
  std::string Ini(const std::string& rest, const std::string& settings = "") const {
    return "[Settings]\r\nAppInstlPath=" + root_ + "\r\nLogFile=" + log() + "\r\n" + settings +
           rest;
  }

  static void AddFootprint(const std::string& windows_path) {
    ASSERT_TRUE(machine().CopyBuildFile("tools/footprint.exe", windows_path));
  }
  // What the stand-in at `windows_path` left: its lines, or "" when it never ran.
  static std::string Footprints(const std::string& windows_path) {
    std::string text;
    return machine().ReadFile(windows_path + ".ran", &text) ? text : "";
  }

  // A Windows XP machine "0xPC42": both passes run, so the exit code is 1.
  RunResult RunQuill(const std::map<std::string, std::string>& environment = {}) {
    RunOptions options;
    options.arguments = ini();
    options.windows_version = "winxp";
    options.environment = environment;
    options.environment["ZYLNT_MACHINE_ID"] = "PC42";
    options.time_limit_seconds = 120;
    return machine().Run(options);
  }

  // Runs the program and expects both passes (exit code 1) and this log.
  void ExpectRunLogging(const std::string& expected_log,
                        const std::map<std::string, std::string>& environment = {}) {
    const RunResult result = RunQuill(environment);
    ASSERT_TRUE(result.finished) << result.output;
    EXPECT_EQ(1u, result.exit_code);
    EXPECT_EQ(expected_log, LogText());
  }

  std::string LogText() const {
    std::string bytes;
    return machine().ReadFile(log(), &bytes) ? MaskTimeStamps(bytes) : "<no log>";
  }

  std::string root_;
};

}  // namespace quill::e2e

#endif  // QUILL_TESTS_E2E_DEPLOYMENT_H_
