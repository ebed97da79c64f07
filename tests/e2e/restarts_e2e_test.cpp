// A deployment carried across restarts (MaxRestarts with LogExitCodes=1),
// under Wine: ExitWindowsEx runs the RunOnce commands at once, before any
// restart, and returns; the resumption sees the same boot time, waits and
// registers itself again. A new server is a new boot time, and `wineboot
// -r` then runs the commands as a start of Windows does, so a restart, the
// resumed run and what is left behind all happen within one prefix.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "run_log_text.h"
#include "wine_machine.h"

namespace quill::e2e {
namespace {

constexpr char kRunOnce[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class Restarts : public ::testing::TestWithParam<Target> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine().ready()) << machine().error();
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '.');
    root_ = "C:\\e2e\\Restarts\\" + name;
    ASSERT_TRUE(machine().Remove(root_));
    ASSERT_TRUE(machine().MakeDirectories(root_));
    ASSERT_TRUE(machine().WriteFile(root_ + "\\LANG.INI", "[12]\r\nLCID=0x409\r\n"));
    Windows("reg delete " + std::string(kRunOnce) + " /v Quillrun /f" + View());  // another case's
  }
  WineMachine& machine() { return WineMachine::For(GetParam()); }
  std::string ini() const { return root_ + "\\deploy.ini"; }
  std::string log() const { return root_ + "\\RUN.LOG"; }
  std::string Installer(size_t i) const {
    return root_ + "\\Apps\\a" + std::to_string(i + 1) + ".exe";
  }

  // One stand-in installer per code, each of its own name, leaving footprints.
  void WriteDeployment(const std::vector<int>& codes, const std::string& settings) {
    std::string lists = "[0xFFFF]\r\n", sections;
    for (size_t i = 0; i < codes.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      ASSERT_TRUE(machine().CopyBuildFile("tools/footprint.exe", Installer(i)));
      lists += "APP" + n + "=A" + n + "\r\n";
      sections += "[A" + n + "]\r\nAppPath=" + root_ + "\\Apps\r\nAppSwitches=a" + n + ".exe 0 " +
                  std::to_string(codes[i]) + "\r\n";
    }
    ASSERT_TRUE(machine().WriteFile(
        ini(), "[Settings]\r\nAppInstlPath=" + root_ + "\r\nLogFile=" + log() +
                   "\r\nLogExitCodes=1\r\nWaitForExit=1\r\n" + settings + lists + sections));
  }
  RunResult RunQuill() {
    RunOptions options;
    options.program = machine().ProgramPath(GetParam().program);
    options.arguments = ini();
    options.windows_version = "winxp";
    options.environment["ZYLNT_MACHINE_ID"] = "PC42";
    options.time_limit_seconds = 180;
    return machine().Run(options);
  }
  // A Windows program of the prefix, run with the same identity.
  RunResult Windows(const std::string& command_line) {
    RunOptions options;
    options.command_line = command_line;
    options.environment["ZYLNT_MACHINE_ID"] = "PC42";
    options.time_limit_seconds = 180;
    return machine().Run(options);
  }
  // The 64-bit key that Windows runs, from the launcher's 32-bit reg too.
  std::string View() const { return GetParam().windows == WindowsBits::k64 ? " /reg:64" : ""; }
  bool ResumptionLeft() {
    return Windows("reg query " + std::string(kRunOnce) + " /v Quillrun" + View()).exit_code == 0;
  }
  std::vector<size_t> Starts(size_t installers) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < installers; ++i) {
      std::string ran;
      machine().ReadFile(Installer(i) + ".ran", &ran);
      starts.push_back(Count(ran, "start "));
    }
    return starts;
  }
  std::string Log() {
    std::string bytes;
    return machine().ReadFile(log(), &bytes) ? bytes : "<no log>";
  }
  // Windows started again: what ran before it is over, and the resumption
  // runs first in the next session.
  void Restart() {
    ASSERT_TRUE(machine().RestartWindows({{"ZYLNT_MACHINE_ID", "PC42"}})) << machine().error();
  }
  // A resumption may go on after the command that started it has ended.
  // The log holds a run's last record once it is closed, after the run has
  // forgotten its deployment.
  std::string LogOnceItHolds(size_t records, const std::string& what = "EXIT CODE => ") {
    std::string text = Log();
    for (int tries = 0; tries < 240 && Count(text, what) < records; ++tries) {
      usleep(250 * 1000);
      text = Log();
    }
    return text;
  }

  std::string root_;
};
INSTANTIATE_TEST_SUITE_P(, Restarts, ::testing::ValuesIn(EveryBuildAndWindows()),
                         [](const auto& info) { return TargetName(info.param); });

// Each stop's resumption runs at once, inside ExitWindowsEx, and waits for
// the restart; it resumes after the restart that follows.
TEST_P(Restarts, EachInstallerStartsOnceAcrossTheRestartsItAsksFor) {
  struct Case {
    std::vector<int> codes;
    std::string bound;
    size_t runs;
  };
  const Case cases[] = {{{0, 3010, 0, 3010, 0}, "2", 3}, {{0, 3010, 3010, 0}, "1", 2}};
  for (const Case& c : cases) {
    machine().Remove(log());
    WriteDeployment(c.codes, "MaxRestarts=" + c.bound + "\r\n");
    const RunResult result = RunQuill();
    ASSERT_TRUE(result.finished) << result.output;
    EXPECT_EQ(0u, result.exit_code);
    const std::string waits = "RESUME    => Windows has not restarted since restart ";
    for (size_t restart = 1; restart < c.runs; ++restart) {
      LogOnceItHolds(restart, waits);
      Restart();
    }
    const std::string text = LogOnceItHolds(c.codes.size());
    EXPECT_EQ(std::vector<size_t>(c.codes.size(), 1), Starts(c.codes.size())) << text;
    // Wine may run a registered command again within the session (the
    // resumption's own ExitWindowsEx inside wineboot's): each such run waits.
    const size_t waited = Count(text, waits);
    EXPECT_LE(c.runs - 1, waited) << text;
    EXPECT_EQ(c.runs + waited, Count(text, "QUILLRUN starts at: ")) << text;
    EXPECT_EQ(c.runs - 1, Count(text, "RESTART   => The run stops for restart ")) << text;
    EXPECT_EQ(c.runs - 1, Count(text, "RESUME    => Restart ")) << text;
    EXPECT_FALSE(ResumptionLeft());
    for (size_t i = 0; i < c.codes.size(); ++i) machine().Remove(Installer(i) + ".ran");
  }
}

// An installer that restarts Windows itself: the run only ends, and the
// resumption waits for a start that does not come. The INI file is then
// edited, and the next start of Windows runs the deployment from the top.
TEST_P(Restarts, ARestartThatNeverComesThenAnEditedIni) {
  WriteDeployment({0, 1641, 0}, "MaxRestarts=1\r\n");
  const RunResult stopped = RunQuill();
  ASSERT_TRUE(stopped.finished) << stopped.output;
  EXPECT_EQ(0u, stopped.exit_code);
  EXPECT_EQ((std::vector<size_t>{1, 1, 0}), Starts(3));
  EXPECT_TRUE(ResumptionLeft());
  EXPECT_NE(std::string::npos, Log().find("RESTART   => The run stops for restart 1 of 1 and "
                                          "resumes after \"A2\".\r\n\r\n"));

  WriteDeployment({0, 0, 0}, "MaxRestarts=1\r\n");
  Restart();
  const std::string text = LogOnceItHolds(5);
  EXPECT_EQ((std::vector<size_t>{2, 2, 1}), Starts(3)) << text;
  EXPECT_FALSE(ResumptionLeft());
  EXPECT_EQ(2u, Count(text, "QUILLRUN starts at: ")) << text;
  EXPECT_NE(std::string::npos, text.find("RESUME    => The Input INI file is not as it was at "
                                         "restart 1 of 1: the run starts from the top.\r\n\r\n"))
      << text;
}

}  // namespace
}  // namespace quill::e2e
