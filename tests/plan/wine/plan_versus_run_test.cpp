// quillplan's plan against what QUILLRUN.EXE really does with the same
// deployment under Wine: the planned command lines must be the launched
// records of the run's log, in order, and the exit codes the same.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/utf.h"
#include "child_process.h"
#include "plan/report/log_records.h"
#include "plan/report/run_report.h"
#include "wine_machine.h"

namespace quill::plan {
namespace {

using e2e::WineMachine;

const char kIni[] =
    "[Settings]\r\n"
    "LogFile=C:\\planrun\\run.log\r\n"
    "MaxInstallTime=10\r\n"
    "AppInstlPath=C:\\deploy\\AppInstl\r\n"
    "[0xFFFF]\r\n"
    "APP1=Reader\r\nAPP2=Editor\r\nAPP3=Gone\r\nAPP4=Spaced\r\nAPP5=Broken\r\nAPP7=Unreached\r\n"
    "[0xqp42]\r\n"
    "APP1=Reader\r\napp2=Skipped\r\n"
    "[0xFFFF_VISTA64]\r\n"
    "APP1=Tool\r\n"
    "[0xQP42_VISTA64]\r\n"
    "APP1=Trailing\r\n"
    "[0xFFFF_WINXP]\r\n"
    "APP1=Editor\r\n"
    "[Reader]\r\nAppPath=C:\\deploy\\Apps\\Reader\r\nAppSwitches=%LANG%\\waitexit.exe 0 0\r\n"
    "[Editor]\r\nAppPath=C:\\deploy\\Apps\\Editor\r\nAppSwitches=%LANG%\\waitexit.exe 0 1\r\n"
    "GlobalSwitches=waitexit.exe 0 2\r\n"
    "[Spaced]\r\nAppPath=C:\\Program Files\\QP Spaced\r\nAppSwitches=waitexit.exe 0 0\r\n"
    "[Broken]\r\nAppPath=C:\\deploy\\Apps\\Broken\r\nAppSwitches=missing.exe /q\r\n"
    "[Tool]\r\nAppPath=\"C:\\deploy\\Apps\\Tool\"\r\nAppSwitches=waitexit.exe 0 0\r\n"
    "[Trailing]\r\nAppPath=C:\\deploy\\Apps\\Tool\\\r\nAppSwitches=waitexit.exe 0 0\r\n"
    "[Skipped]\r\nAppPath=C:\\deploy\\Apps\\Skipped\r\nAppSwitches=%LANG%\\x.exe\r\n"
    "[Unreached]\r\nAppPath=C:\\deploy\\Apps\\Tool\r\n";

const char kTable[] = "[07]\r\nLCID=0x407\r\n[09]\r\nLCID=0x409\r\n";

struct Launch {
  std::string list_section;
  std::string app_section;
  std::string command_line;
  bool operator==(const Launch& other) const {
    return list_section == other.list_section && app_section == other.app_section &&
           command_line == other.command_line;
  }
};

std::ostream& operator<<(std::ostream& out, const Launch& launch) {
  return out << "[" << launch.list_section << "] " << launch.app_section << ": "
             << launch.command_line;
}

class PlanVersusRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WineMachine& machine = WineMachine::Get();
    ASSERT_TRUE(machine.WriteFile("C:\\deploy\\deploy.ini", kIni));
    ASSERT_TRUE(machine.WriteFile("C:\\deploy\\AppInstl\\LANG.INI", kTable));
    ASSERT_TRUE(machine.MakeDirectories("C:\\planrun"));
    ASSERT_TRUE(machine.MakeDirectories("C:\\deploy\\Apps\\Skipped"));
    for (const char* installer :
         {"C:\\deploy\\Apps\\Reader\\07\\waitexit.exe", "C:\\deploy\\Apps\\Reader\\waitexit.exe",
          "C:\\deploy\\Apps\\Editor\\waitexit.exe", "C:\\Program Files\\QP Spaced\\waitexit.exe",
          "C:\\deploy\\Apps\\Tool\\waitexit.exe"}) {
      ASSERT_TRUE(machine.CopyBuildFile("tools/waitexit.exe", installer));
    }
  }

  // What the real program launched, from its log.
  static std::vector<Launch> RunLaunches(const std::string& log) {
    std::vector<Launch> launches;
    const RunReport report = MakeRunReport(ReadLogRecords(log));
    if (report.runs.size() != 1) return launches;
    for (const AppRow& app : report.runs[0].applications) {
      launches.push_back({app.list_section.Utf8(), app.app_section.Utf8(), app.command_line.Utf8()});
    }
    return launches;
  }

  static std::vector<Launch> PlannedLaunches(const nlohmann::json& plan) {
    std::vector<Launch> launches;
    for (const auto& pass : plan["passes"]) {
      for (const auto& entry : pass["entries"]) {
        if (!entry["launched"].get<bool>()) continue;
        launches.push_back({entry["list_section"], entry["app_section"], entry["command_line"]});
      }
    }
    return launches;
  }
};

TEST_F(PlanVersusRunTest, PlannedCommandLinesAreTheLaunchedRecords) {
  WineMachine& machine = WineMachine::Get();
  struct Case {
    const char* windows_version;  // what QUILLRUN.EXE is shown
    const char* os_word;          // what quillplan is told
    const char* locale;
    const char* lcid;
    size_t launches;
  };
  const Case cases[] = {
      // 07 and its folders; Skipped has no folder and is left out
      {"vista", "VISTA64", "de_DE.UTF-8", "0x407", 7},
      // 09 has no folders: only GlobalSwitches and plain switches start
      {"winxp", "WINXP", "en_US.UTF-8", "0x409", 4},
      // no language code: AppPath itself is the folder; pass 0 only
      {"win7", "WIN7", "fr_FR.UTF-8", "0x40c", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.os_word);
    ASSERT_TRUE(machine.Remove("C:\\planrun\\RUN.LOG"));
    e2e::RunOptions run;
    run.arguments = "C:\\deploy\\deploy.ini";
    run.environment = {{"ZYLNT_MACHINE_ID", "QP42"}, {"LC_ALL", c.locale}};
    run.windows_version = c.windows_version;
    const e2e::RunResult result = machine.Run(run);
    ASSERT_TRUE(result.finished) << result.output;
    std::string log;
    ASSERT_TRUE(machine.ReadFile("C:\\planrun\\RUN.LOG", &log));

    const e2e::ProcessOutcome planned = e2e::RunProcess(
        {{QUILLPLAN_BINARY, "plan", machine.HostPath("C:\\deploy\\deploy.ini"), "--system-id",
          "QP42", "--os", c.os_word, "--lcid", c.lcid, "--map",
          "C:=" + machine.HostPath("C:\\"), "--json"},
         e2e::InheritedEnvironment({}),
         ""},
        60);
    ASSERT_TRUE(planned.finished && planned.exit_status == 0) << planned.output;
    const nlohmann::json plan = nlohmann::json::parse(planned.output, nullptr, false);
    ASSERT_FALSE(plan.is_discarded()) << planned.output;

    const std::vector<Launch> expected = RunLaunches(log);
    EXPECT_EQ(c.launches, expected.size()) << log;
    EXPECT_EQ(expected, PlannedLaunches(plan)) << log;
    EXPECT_EQ(result.exit_code, plan["exit_code"].get<uint32_t>());
    EXPECT_EQ("C:\\PLANRUN\\RUN.LOG", plan["settings"]["log_path"].get<std::string>());
    EXPECT_TRUE(plan["assumptions"].empty()) << plan["assumptions"].dump();
  }
}

}  // namespace
}  // namespace quill::plan
