// Whole runs of QUILLRUN.EXE under Wine: real INI files, real child
// processes and the real run log, compared whole. Only the time stamps are
// matched by their pattern.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "run_log_text.h"
#include "wine_machine.h"

namespace quill::e2e {
namespace {

// A deployment of its own for each test, under C:\e2e\NAME: the input INI,
// LANG.INI, and stand-in installers that end at once. The program that
// ships runs it, unless a case names another target.
class FullRun : public ::testing::Test {
 protected:
  virtual Target target() const { return Shipped(); }

  void SetUp() override {
    ASSERT_TRUE(machine().ready()) << machine().error();
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name_.begin(), name_.end(), '/', '.');  // "Case/program32_on_windows64"
    root_ = "C:\\e2e\\" + name_;
    ASSERT_TRUE(machine().Remove(root_));
    ASSERT_TRUE(machine().MakeDirectories(root_));
    ASSERT_TRUE(machine().WriteFile(root_ + "\\LANG.INI",
                                    "[12]\r\nLCID=0x409\r\n[04]\r\nLCID=0x407\r\n"));
  }

  WineMachine& machine() { return WineMachine::For(target()); }
  std::string ini() const { return root_ + "\\deploy.ini"; }
  std::string log() const { return root_ + "\\RUN.LOG"; }
  std::string apps() const { return root_ + "\\Apps"; }

  // The input INI with the settings this test's run log needs before `rest`.
  void WriteIni(const std::string& settings, const std::string& rest) {
    ASSERT_TRUE(machine().WriteFile(
        ini(), "[Settings]\r\nLogFile=" + log() + "\r\n" + settings + rest));
  }
  std::string Settings() const { return "AppInstlPath=" + root_ + "\r\n"; }

  // A stand-in installer at APPS\folder\waitexit.exe.
  void AddInstaller(const std::string& folder) {
    ASSERT_TRUE(machine().CopyBuildFile("tools/waitexit.exe",
                                        apps() + "\\" + folder + "\\waitexit.exe"));
  }

  RunResult RunQuill(const std::string& windows_version, const std::string& machine_id = "PC42",
                     const std::string& locale = "") {
    RunOptions options;
    options.program = machine().ProgramPath(target().program);
    options.arguments = ini();
    options.windows_version = windows_version;
    options.environment["ZYLNT_MACHINE_ID"] = machine_id;
    if (!locale.empty()) options.environment["LC_ALL"] = locale;
    options.time_limit_seconds = 120;
    return machine().Run(options);
  }

  std::string LogText() {
    std::string bytes;
    return machine().ReadFile(log(), &bytes) ? MaskTimeStamps(bytes) : "<no log>";
  }

  std::string name_;
  std::string root_;
};

// Pass 0 and pass 1 lists of a machine "0xPC42", each naming application A.
std::string Lists(const std::string& app_section) {
  return "[0xFFFF]\r\nAPP1=A\r\n[0xPC42]\r\nAPP1=B\r\n"
         "[0xFFFF_WINXP]\r\nAPP1=XP\r\n[0xPC42_VISTA64]\r\nAPP1=V64\r\n"
         "[0xFFFF_VISTA32]\r\nAPP1=V32\r\n" +
         app_section;
}

std::string AppSections(const std::string& apps) {
  std::string text;
  for (const char* app : {"A", "B", "XP", "V64", "V32"}) {
    text += std::string("[") + app + "]\r\nAppPath=" + apps + "\\" + app +
            "\r\nAppSwitches=waitexit.exe 0 0\r\n";
  }
  return text;
}

// The cases whose answer comes from the bits of the program and of Windows.
class OperatingSystemRun : public FullRun, public ::testing::WithParamInterface<Target> {
 protected:
  Target target() const override { return GetParam(); }
};
INSTANTIATE_TEST_SUITE_P(, OperatingSystemRun, ::testing::ValuesIn(EveryBuildAndWindows()),
                         [](const auto& info) { return TargetName(info.param); });

TEST_P(OperatingSystemRun, WindowsXpRunsBothPassesWithTheXpSections) {
  for (const char* app : {"A", "B", "XP"}) AddInstaller(app);
  WriteIni(Settings(), Lists(AppSections(apps())));
  const RunResult result = RunQuill("winxp");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  const std::string cmd = apps() + "\\";
  EXPECT_EQ(Opening("0xPC42", "WINXP") + Language("0x409", "12") +
                Application("0xFFFF", "A", cmd + "A\\waitexit.exe 0 0", kQuick) +
                Application("0xPC42", "B", cmd + "B\\waitexit.exe 0 0", kQuick) +
                Application("0xFFFF_WINXP", "XP", cmd + "XP\\waitexit.exe 0 0", kQuick),
            LogText());
}

// Vista names the bits of Windows, not of the program: a 32-bit program
// under WoW64 answers "VISTA64" too.
TEST_P(OperatingSystemRun, VistaRunsTheSectionsOfItsBits) {
  const bool windows64 = target().windows == WindowsBits::k64;
  const std::string word = windows64 ? "VISTA64" : "VISTA32";
  const std::string list = windows64 ? "0xPC42_VISTA64" : "0xFFFF_VISTA32";
  const std::string app = windows64 ? "V64" : "V32";
  for (const std::string& installer : {std::string("A"), std::string("B"), app}) {
    AddInstaller(installer);
  }
  WriteIni(Settings(), Lists(AppSections(apps())));
  const RunResult result = RunQuill("vista");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(1u, result.exit_code);
  const std::string cmd = apps() + "\\";
  EXPECT_EQ(Opening("0xPC42", word) + Language("0x409", "12") +
                Application("0xFFFF", "A", cmd + "A\\waitexit.exe 0 0", kQuick) +
                Application("0xPC42", "B", cmd + "B\\waitexit.exe 0 0", kQuick) +
                Application(list, app, cmd + app + "\\waitexit.exe 0 0", kQuick),
            LogText());
}

TEST_P(OperatingSystemRun, Windows7RunsPassZeroOnlyAndTheUnclosedLogIsComplete) {
  for (const char* app : {"A", "B"}) AddInstaller(app);
  WriteIni(Settings(), Lists(AppSections(apps())));
  const RunResult result = RunQuill("win7");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(0u, result.exit_code);
  const std::string cmd = apps() + "\\";
  EXPECT_EQ(Opening("0xPC42", "") + Language("0x409", "12") +
                Application("0xFFFF", "A", cmd + "A\\waitexit.exe 0 0", kQuick) +
                Application("0xPC42", "B", cmd + "B\\waitexit.exe 0 0", kQuick),
            LogText());
}

// With NewerWindows=1 the kernel's version names the system, the machine's
// architecture ends the name, and pass 1 walks its list. Wine names 8, 8.1
// and 10 by its Version value (on 8.1 GetVersionExW says 6.2, not
// believed); 7, 11 and a server by the registry's version values.
TEST_P(OperatingSystemRun, NewerWindowsNamesTheSystemAndWalksItsList) {
  const std::string architecture = target().windows == WindowsBits::k64 ? "X64" : "X86";
  struct Case {
    std::string version_value;  // empty: the registry's version values below
    std::string version, build, product_type;
    std::string system;
  };
  const Case cases[] = {
      {"win8", "", "", "", "WIN8"},
      {"win81", "", "", "", "WIN81"},
      {"win10", "", "", "", "WIN10"},
      {"", "6.1", "7601", "WinNT", "WIN7"},
      {"", "10.0", "22621", "WinNT", "WIN11"},
      {"", "10.0", "20348", "ServerNT", "SRV2022"},
  };
  for (const char* app : {"A", "B", "N"}) AddInstaller(app);
  std::string apps_text;
  for (const char* app : {"A", "B", "N"}) {
    apps_text += std::string("[") + app + "]\r\nAppPath=" + apps() + "\\" + app +
                 "\r\nAppSwitches=waitexit.exe 0 0\r\n";
  }
  const std::string cmd = apps() + "\\";
  for (const Case& c : cases) {
    const std::string word = c.system + architecture;
    WriteIni(Settings() + "NewerWindows=1\r\n",
             "[0xFFFF]\r\nAPP1=A\r\n[0xPC42]\r\nAPP1=B\r\n[0xFFFF_" + word + "]\r\nAPP1=N\r\n" +
                 apps_text);
    ASSERT_TRUE(machine().Remove(log()));
    if (!c.version.empty()) {
      ASSERT_TRUE(machine().SetRegistryVersion(c.version, c.build, c.product_type));
    }
    const RunResult result = RunQuill(c.version_value);
    if (!c.version.empty()) { ASSERT_TRUE(machine().SetRegistryVersion("6.1", "7601", "WinNT")); }
    ASSERT_TRUE(result.finished) << result.output;
    EXPECT_EQ(1u, result.exit_code) << word;
    EXPECT_EQ(Opening("0xPC42", word) + Language("0x409", "12") +
                  Application("0xFFFF", "A", cmd + "A\\waitexit.exe 0 0", kQuick) +
                  Application("0xPC42", "B", cmd + "B\\waitexit.exe 0 0", kQuick) +
                  Application("0xFFFF_" + word, "N", cmd + "N\\waitexit.exe 0 0", kQuick),
              LogText());
  }
}

TEST_F(FullRun, NoMachineIdentifierEndsWithoutAnyLog) {
  WriteIni(Settings(), Lists(AppSections(apps())));
  const RunResult result = RunQuill("vista", " \t ");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(0u, result.exit_code);
  EXPECT_FALSE(machine().Exists(log()));
}

TEST_F(FullRun, SettingsErrorsEndTheBlockAndCloseTheLog) {
  struct Case {
    std::string settings;
    std::string error;
  };
  const Case cases[] = {
      {"MaxInstallTime=5\r\n", "ERROR:: \"AppInstlPath\" was not specified in the Input INI file!\r\n"},
      {"AppInstlPath=" + root_ + "\\Nowhere\r\n",
       "ERROR:: Error opening " + root_ + "\\Nowhere\\LANG.INI file!\r\n"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(machine().Remove(log()));
    WriteIni(c.settings, Lists(AppSections(apps())));
    const RunResult result = RunQuill("vista");
    ASSERT_TRUE(result.finished) << result.output;
    EXPECT_EQ(0u, result.exit_code);
    EXPECT_EQ(Opening("0xPC42", "VISTA64") + c.error, LogText());
  }
}

TEST_F(FullRun, GermanLocaleSelectsItsLanguageFolder) {
  AddInstaller("A\\04");
  AddInstaller("A\\US");
  WriteIni(Settings(),
           "[0xFFFF]\r\nAPP1=A\r\n[A]\r\nAppPath=" + apps() + "\\A\r\n"
           "AppSwitches=%LANG%\\waitexit.exe 0 0\r\n");
  const RunResult result = RunQuill("win7", "PC42", "de_DE.UTF-8");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(Opening("0xPC42", "") + Language("0x407", "04") +
                Application("0xFFFF", "A", apps() + "\\A\\04\\waitexit.exe 0 0", kQuick),
            LogText());
}

// WaitForExit=1 ends each wait when its installer ends: the run is shorter
// and its log the same but for the time stamps, down to the counted seconds
// and an installer that ends during its last pause, which still timed out.
TEST_F(FullRun, TimeOutFailedLaunchAndSkippedApplicationsWithAndWithoutWaitingForExit) {
  for (const char* installer : {"Late", "Mid", "Quick"}) AddInstaller(installer);
  const std::string lists =
      "[0xFFFF]\r\nAPP1=Late\r\nAPP2=NoPath\r\nAPP3=Missing\r\nAPP4=Mid\r\nAPP5=Quick\r\n"
      "[Late]\r\nAppPath=" + apps() + "\\Late\r\nAppSwitches=waitexit.exe 5.5 0\r\n"
      "[NoPath]\r\nAppSwitches=waitexit.exe 0 0\r\n"
      "[Missing]\r\nAppPath=" + apps() + "\\Gone\r\nAppSwitches=setup.exe /s\r\n"
      "[Mid]\r\nAppPath=" + apps() + "\\Mid\r\nAppSwitches=waitexit.exe 2.5 0\r\n"
      "[Quick]\r\nAppPath=" + apps() + "\\Quick\r\nAppSwitches=waitexit.exe 0 259\r\n";
  const std::string expected =
      Opening("0xPC42", "") + Language("0x409", "12") +
      Application("0xFFFF", "Late", apps() + "\\Late\\waitexit.exe 5.5 0",
                  "Command did not finish in 5 seconds.") +
      Application("0xFFFF", "Missing", apps() + "\\Gone\\setup.exe /s", kFailed) +
      Application("0xFFFF", "Mid", apps() + "\\Mid\\waitexit.exe 2.5 0",
                  "Command finished in less than 4 seconds.") +
      Application("0xFFFF", "Quick", apps() + "\\Quick\\waitexit.exe 0 259", kQuick);
  double seconds[2] = {};
  for (const bool wait_for_exit : {false, true}) {
    SCOPED_TRACE(wait_for_exit ? "WaitForExit=1" : "as specified");
    ASSERT_TRUE(machine().Remove(log()));
    WriteIni("AppInstlPath=" + root_ + "\r\nMaxInstallTime=5\r\n" +
                 (wait_for_exit ? "WaitForExit=1\r\n" : ""),
             lists);
    const auto started = std::chrono::steady_clock::now();
    const RunResult result = RunQuill("win7");
    seconds[wait_for_exit] =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(result.finished) << result.output;
    EXPECT_EQ(expected, LogText());
  }
  // 12 s of pauses against 8 s of installers: Wine's own time is the same.
  EXPECT_LT(seconds[1] + 2, seconds[0]) << "as specified " << seconds[0] << " s, waiting for exit "
                                        << seconds[1] << " s";
}

TEST_F(FullRun, SecondRunAppendsItsBlockAfterTheFirst) {
  AddInstaller("A");
  WriteIni(Settings(), "[0xFFFF]\r\nAPP1=A\r\n" + AppSections(apps()));
  ASSERT_TRUE(machine().WriteFile(log(), "an earlier block\r\n\x1a"));
  ASSERT_TRUE(RunQuill("win7").finished);
  ASSERT_TRUE(RunQuill("win7").finished);
  const std::string block = Opening("0xPC42", "") + Language("0x409", "12") +
                            Application("0xFFFF", "A", apps() + "\\A\\waitexit.exe 0 0", kQuick);
  EXPECT_EQ("an earlier block\r\n" + block + block, LogText());
}

TEST_F(FullRun, DefaultLogPathCreatesUtilUnderAnExistingSystemSav) {
  ASSERT_TRUE(machine().Remove("C:\\SYSTEM.SAV"));
  ASSERT_TRUE(machine().WriteFile(ini(), "[Settings]\r\n" + Settings()));
  ASSERT_TRUE(RunQuill("win7").finished);
  EXPECT_FALSE(machine().Exists("C:\\SYSTEM.SAV")) << "only UTIL is ever created";

  ASSERT_TRUE(machine().MakeDirectories("C:\\SYSTEM.SAV"));
  ASSERT_TRUE(RunQuill("win7").finished);
  std::string bytes;
  ASSERT_TRUE(machine().ReadFile("C:\\SYSTEM.SAV\\UTIL\\QUILLRUN.LOG", &bytes));
  EXPECT_EQ(Opening("0xPC42", "") + Language("0x409", "12"), MaskTimeStamps(bytes));
  ASSERT_TRUE(machine().Remove("C:\\SYSTEM.SAV"));
}

TEST_F(FullRun, LockedLanguageTableIsReadFromItsCopyMadeOnce) {
  const std::string table = root_ + "\\LANG.INI";
  const std::string copy = "C:\\LANG_INI.TXT";
  ASSERT_TRUE(machine().Remove(copy));
  ASSERT_TRUE(machine().CopyBuildFile("tools/holdfile.exe", root_ + "\\holdfile.exe"));
  WriteIni(Settings(), "");
  // Runs the program while another process holds the table.
  auto run_while_held = [&] {
    const std::string ready = root_ + "\\held";
    EXPECT_TRUE(machine().Remove(ready));
    RunOptions hold;
    hold.program = root_ + "\\holdfile.exe";
    hold.arguments = table + " 20 " + ready;
    std::unique_ptr<RunningProgram> holder = machine().Start(hold);
    for (int i = 0; i < 100 && !machine().Exists(ready); ++i) usleep(100000);
    EXPECT_TRUE(machine().Exists(ready)) << "the table was never held";
    EXPECT_TRUE(RunQuill("win7").finished);
  };

  run_while_held();
  std::string copied;
  ASSERT_TRUE(machine().ReadFile(copy, &copied));
  EXPECT_EQ("[12]\r\nLCID=0x409\r\n[04]\r\nLCID=0x407\r\n", copied);

  // The table changes; while it is held, the stale copy still answers.
  ASSERT_TRUE(machine().WriteFile(table, "[99]\r\nLCID=0x409\r\n"));
  run_while_held();
  EXPECT_EQ(Opening("0xPC42", "") + Language("0x409", "12") + Opening("0xPC42", "") +
                Language("0x409", "12"),
            LogText());
  EXPECT_TRUE(machine().Remove(copy));
}

}  // namespace
}  // namespace quill::e2e
