// Exit codes recorded and judged (LogExitCodes=1) with real programs: GUI
// stand-ins that end with a chosen code, the system's msiexec on a package
// that does not exist, one that is busy on its first try; then quillplan's
// report of the logs they leave.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "child_process.h"
#include "deployment.h"

namespace quill::e2e {
namespace {

// How long Wine takes to start a program is not ours to say.
std::string MaskedSeconds(const std::string& log) {
  static const std::regex seconds("less than [0-9]+ seconds");
  return std::regex_replace(log, seconds, "less than N seconds");
}

std::string Ended(const std::string& app, const std::string& command, const std::string& exit_record) {
  return Application("0xFFFF", app, command, "Command finished in less than N seconds.") + exit_record;
}

std::string ExitRecord(const std::string& code, const std::string& verdict) {
  return "EXIT CODE => " + code + ", " + verdict + ".\r\n\r\n";
}

class ExitCodes : public Deployment {
 protected:
  void SetUp() override {
    Deployment::SetUp();
    ASSERT_TRUE(machine().CopyBuildFile("tools/waitexit.exe", apps() + "\\waitexit.exe"));
    ASSERT_TRUE(machine().CopyBuildFile("tools/busyonce.exe", apps() + "\\busyonce.exe"));
    ASSERT_TRUE(machine().MakeDirectories(root_ + "\\logs"));
  }
  // One PC's run of the 64-bit program into its own log under logs.
  std::string RunPc(const std::string& pc, const std::string& settings, const std::string& lists) {
    const std::string log = root_ + "\\logs\\" + pc + ".LOG";
    EXPECT_TRUE(machine().WriteFile(ini(), "[Settings]\r\nAppInstlPath=" + root_ + "\r\nLogFile=" + log +
                                               "\r\n" + settings + lists));
    RunOptions options;
    options.program = machine().ProgramPath(ProgramBits::k64);
    options.arguments = ini();
    options.windows_version = "winxp";
    options.environment["ZYLNT_MACHINE_ID"] = pc;
    options.time_limit_seconds = 120;
    const RunResult result = machine().Run(options);
    EXPECT_TRUE(result.finished) << result.output;
    EXPECT_EQ(1u, result.exit_code);
    std::string bytes;
    return machine().ReadFile(log, &bytes) ? MaskedSeconds(MaskTimeStamps(bytes)) : "<no log>";
  }
  std::string Report(const std::string& options) {
    return ShellOutput("'" QUILLPLAN_BINARY "' report '" + machine().HostPath(root_ + "\\logs") +
                       "' " + options + " 2>&1");
  }
};

TEST_F(ExitCodes, ThreePcsRecordTheirCodesAndTheReportNamesTheFailureAndTheReboot) {
  const std::string opening_language = Language("0x409", "12");
  for (const char* code : {"0", "3010", "1603"}) {
    const std::string command = apps() + "\\waitexit.exe 0 " + code;
    const std::string lists = "[0xFFFF]\r\nAPP1=Setup\r\n[Setup]\r\nAppPath=" + apps() +
                              "\r\nAppSwitches=waitexit.exe 0 " + code + "\r\n";
    const std::string pc = std::string("PC-") + code;
    const std::string verdict = std::string(code) == "0"      ? "success"
                                : std::string(code) == "3010" ? "success, reboot required"
                                                              : "failure";
    // Without the key, the records are those of every run; that log is left aside.
    EXPECT_EQ(Opening("0x" + pc, "WINXP") + opening_language + Ended("Setup", command, ""),
              RunPc(pc, "", lists));
    machine().Remove(root_ + "\\logs\\" + pc + ".LOG");
    EXPECT_EQ(Opening("0x" + pc, "WINXP") + opening_language + Ended("Setup", command, ExitRecord(code, verdict)),
              RunPc(pc, "LogExitCodes=1\r\n", lists));
  }
  const std::string json = Report("--json");
  const size_t list = json.find("\"still_failing_list\"");
  ASSERT_NE(std::string::npos, list) << json;
  const std::string failing = json.substr(list, json.find(']', list) - list);
  EXPECT_NE(std::string::npos, failing.find("PC-1603.LOG")) << failing;
  EXPECT_NE(std::string::npos, failing.find("Setup exit 1603: fatal error during installation")) << failing;
  EXPECT_EQ(std::string::npos, failing.find("PC-3010")) << failing;
  EXPECT_EQ(std::string::npos, failing.find("PC-0")) << failing;
  EXPECT_NE(std::string::npos, json.find("\"what\": \"Setup 3010, reboot required\"")) << json;
}

TEST_F(ExitCodes, MissingPackageAndABusyInstallerTriedAgain) {
  const std::string msiexec = "C:\\windows\\system32\\msiexec.exe";
  const std::string missing = msiexec + " /i " + root_ + "\\nothere.msi /qn";
  const std::string marker = root_ + "\\busy.marker";
  const std::string lists = "[0xFFFF]\r\nAPP1=Missing\r\nAPP2=Busy\r\nAPP3=Fatal\r\n"
                            "[Missing]\r\nAppPath=C:\\windows\\system32\r\nAppSwitches=msiexec.exe /i " +
                            root_ + "\\nothere.msi /qn\r\n[Busy]\r\nAppPath=" + apps() +
                            "\r\nAppSwitches=busyonce.exe " + marker + "\r\n[Fatal]\r\nAppPath=" + apps() +
                            "\r\nAppSwitches=waitexit.exe 0 1603\r\n";
  const std::string busy = apps() + "\\busyonce.exe " + marker;
  // Wine's msiexec answers 2 for a package that does not exist (Windows: 1619).
  EXPECT_EQ(Opening("0xPC-MIX", "WINXP") + Language("0x409", "12") +
                Ended("Missing", missing, ExitRecord("2", "failure")) +
                Ended("Busy", busy, ExitRecord("1618", "busy, tried again")) +
                Ended("Busy", busy, ExitRecord("0", "success")) +
                Ended("Fatal", apps() + "\\waitexit.exe 0 1603", ExitRecord("1603", "failure")),
            RunPc("PC-MIX", "LogExitCodes=1\r\nBusyRetries=2\r\nBusyRetryPause=1\r\n", lists));

  const std::string text = Report("");
  // The busy try is neither finished nor failed: its row goes on with the next try.
  EXPECT_NE(std::string::npos, text.find("application runs: 3: 1 finished, 0 failed to launch, 0 timed out, "
                                         "0 without result, 2 failed by exit code\n"))
      << text;
  EXPECT_NE(std::string::npos, text.find("Missing exit 2, Fatal exit 1603")) << text;
  EXPECT_NE(std::string::npos, text.find("Fatal exit 1603: fatal error during installation")) << text;
  EXPECT_NE(std::string::npos, text.find("1 busy and tried again")) << text;
}

}  // namespace
}  // namespace quill::e2e
