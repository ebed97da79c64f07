// LogCopy= under Wine: three PCs, told apart by a variable of their own
// (Wine gives every run the host's %COMPUTERNAME%), copy their logs to one
// folder, as a drive of the prefix (L:) and as a share (\\fleetsrv\logs,
// which Wine resolves through dosdevices/unc/fleetsrv/logs). Each copy is
// its local log byte for byte; a folder that is not there is told and the
// next run's copy arrives; a run stopped for a restart leaves its copy, a
// cut copy's temporary beside it, and the resumed run replaces both; and
// quillplan's report over the copies is its report over the local logs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "child_process.h"
#include "wine_machine.h"

namespace quill::e2e {
namespace {

constexpr char kCopyResumptionKey[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kTemporary[] = ".quillrun-copy";

// The 32-bit program that ships under WoW64 and its 64-bit twin.
std::vector<Target> BothPrograms() {
  std::vector<Target> targets = {Shipped()};
  if (Runs32BitPrograms()) targets.push_back({ProgramBits::k64, WindowsBits::k64});
  return targets;
}

class LogCopyToFleet : public ::testing::TestWithParam<Target> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine().ready()) << machine().error();
    name_ = TargetName(GetParam());
    root_ = "C:\\e2e\\LogCopyToFleet\\" + name_;
    fleet_ = "L:\\e2e\\LogCopyToFleet\\" + name_;
    ASSERT_TRUE(machine().AddDrive('L'));
    for (const std::string& folder : {root_, fleet_}) ASSERT_TRUE(machine().Remove(folder));
    ASSERT_TRUE(machine().MakeDirectories(root_ + "\\logs"));
    ASSERT_TRUE(machine().WriteFile(root_ + "\\LANG.INI", "[12]\r\nLCID=0x409\r\n"));
    ASSERT_TRUE(machine().AddShare("fleetsrv", "logs", fleet_));
    // Another case's resumption would run at the first start of Wine.
    Windows("reg delete " + std::string(kCopyResumptionKey) + " /v Quillrun /f" + View());
  }
  WineMachine& machine() { return WineMachine::For(GetParam()); }
  std::string View() const { return GetParam().windows == WindowsBits::k64 ? " /reg:64" : ""; }
  std::string Ini(const std::string& pc) const { return root_ + "\\" + pc + ".ini"; }
  std::string LocalLog(const std::string& pc) const { return root_ + "\\logs\\" + pc + ".LOG"; }
  std::string Copy(const std::string& pc) const { return fleet_ + "\\" + pc + ".LOG"; }

  // The PC's deployment: one stand-in installer per code, the copy to `copy_to`.
  void WriteDeployment(const std::string& pc, const std::vector<int>& codes,
                       const std::string& copy_to) {
    std::string lists = "[0xFFFF]\r\n", sections;
    for (size_t i = 0; i < codes.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      ASSERT_TRUE(machine().CopyBuildFile("tools/footprint.exe",
                                          root_ + "\\Apps\\" + pc + "\\a" + n + ".exe"));
      lists += "APP" + n + "=A" + n + "\r\n";
      sections += "[A" + n + "]\r\nAppPath=" + root_ + "\\Apps\\" + pc + "\r\nAppSwitches=a" + n +
                  ".exe 0 " + std::to_string(codes[i]) + "\r\n";
    }
    ASSERT_TRUE(machine().WriteFile(
        Ini(pc), "[Settings]\r\nAppInstlPath=" + root_ + "\r\nLogFile=" + LocalLog(pc) +
                     "\r\nLogExitCodes=1\r\nWaitForExit=1\r\nMaxRestarts=1\r\nLogCopy=" + copy_to +
                     "\\%QUILL_PC%.LOG\r\n" + lists + sections));
  }
  RunOptions Options(const std::string& pc) {
    RunOptions options;
    options.environment["ZYLNT_MACHINE_ID"] = "PC42";
    options.environment["QUILL_PC"] = pc;
    options.time_limit_seconds = 120;
    return options;
  }
  RunResult RunQuill(const std::string& pc) {
    RunOptions options = Options(pc);
    options.program = machine().ProgramPath(GetParam().program);
    options.arguments = Ini(pc);
    options.windows_version = "winxp";
    return machine().Run(options);
  }
  RunResult Windows(const std::string& command_line, const std::string& pc = "") {
    RunOptions options = Options(pc);
    options.command_line = command_line;
    return machine().Run(options);
  }
  std::string Bytes(const std::string& windows_path) {
    std::string bytes;
    return machine().ReadFile(windows_path, &bytes) ? bytes : "<none>";
  }
  // quillplan's report over a folder, text and JSON, run inside it so that
  // the files are named alike.
  std::string Report(const std::string& windows_folder) {
    const std::string in =
        "cd '" + machine().HostPath(windows_folder) + "' && '" QUILLPLAN_BINARY "' report . ";
    return ShellOutput(in + "; echo \"status $?\"") + ShellOutput(in + "--json");
  }

  std::string name_, root_, fleet_;
};
INSTANTIATE_TEST_SUITE_P(, LogCopyToFleet, ::testing::ValuesIn(BothPrograms()),
                         [](const auto& info) { return TargetName(info.param); });

TEST_P(LogCopyToFleet, EachPcsWholeLogArrivesInOneFolder) {
  const std::string drive = fleet_, share = "\\\\fleetsrv\\logs";
  enum class Before { kNothing, kFolderMade, kCopyCutThenWindowsRestarted };
  struct Step {
    const char* what;
    Before before;
    const char* pc;
    std::string copy_to;
    bool restarts;  // its second installer restarts Windows (exit code 1641)
    bool copied;
    std::string told;  // in the local log
  };
  const std::string not_there = " was not written: the folder cannot be found";
  const Step steps[] = {
      {"a folder that is not there", Before::kNothing, "PC-A", drive, false, false,
       "\r\nLOG COPY  => " + Copy("PC-A") + not_there +
           "; the next run copies the whole log again.\r\n\r\n"},
      {"a share", Before::kFolderMade, "PC-B", share, false, true, "RESULT   => "},
      // The copy brings the record of the copy that failed.
      {"a drive, the run after", Before::kNothing, "PC-A", drive, false, true, not_there},
      // The resumption waits for the start of Windows the test gives after the cut.
      {"stopped for a restart", Before::kNothing, "PC-C", share, true, true,
       "RESTART   => The run stops for restart 1 of 1 and resumes after \"A2\".\r\n\r\n"},
      {"resumed", Before::kCopyCutThenWindowsRestarted, "PC-C", share, true, true,
       "RESUME    => Restart 1 of 1 is done: the run resumes after APP2 of [0xFFFF].\r\n\r\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const std::string pc = step.pc;
    if (step.before == Before::kFolderMade) { ASSERT_TRUE(machine().MakeDirectories(fleet_)); }
    if (step.before == Before::kCopyCutThenWindowsRestarted) {
      // Nothing of Wine starts before the restart: a new session would resume the run.
      const std::string old_copy = Bytes(Copy(pc));
      ASSERT_TRUE(
          machine().WriteFile(Copy(pc) + kTemporary, old_copy.substr(0, old_copy.size() / 2)));
      EXPECT_EQ(Bytes(LocalLog(pc)), old_copy);
      EXPECT_EQ(Report(root_ + "\\logs"), Report(fleet_)) << "a cut copy's temporary was read";
      ASSERT_TRUE(machine().RestartWindows(Options(pc).environment)) << machine().error();
    } else {
      WriteDeployment(pc, step.restarts ? std::vector<int>{0, 1641, 0} : std::vector<int>{0},
                      step.copy_to);
      const RunResult result = RunQuill(pc);
      ASSERT_TRUE(result.finished) << result.output;
      EXPECT_EQ(step.restarts ? 0u : 1u, result.exit_code);
    }
    const std::string local = Bytes(LocalLog(pc));
    EXPECT_NE(std::string::npos, local.find(step.told)) << local;
    if (step.copied) {
      EXPECT_EQ(local, Bytes(Copy(pc)));
    } else {
      EXPECT_FALSE(machine().Exists(Copy(pc)));
    }
    EXPECT_FALSE(machine().Exists(Copy(pc) + kTemporary));
  }
  EXPECT_EQ(Report(root_ + "\\logs"), Report(fleet_));
  EXPECT_NE(std::string::npos, Report(fleet_).find("log copies: 1 failed or not made"))
      << Report(fleet_);
}

}  // namespace
}  // namespace quill::e2e
