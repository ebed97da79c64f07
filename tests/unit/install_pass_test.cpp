#include <gtest/gtest.h>

#include "fake_platform.h"
#include "log/run_log.h"
#include "runner/application_command.h"
#include "runner/install_pass.h"

namespace quill {
namespace {

struct PassFixture {
  explicit PassFixture(const WString& ini) {
    platform.AddIniFile(u"C:\\in.ini", ini);
    context.InputIniPath = u"C:\\in.ini";
    context.SystemID = u"0x1234";
    context.OSType = u"VISTA64";
  }
  std::vector<std::string> Started() const {
    std::vector<std::string> commands;
    for (const std::string& call : platform.CallsNamed("StartProcess")) {
      commands.push_back(call.substr(std::string("StartProcess ").size()));
    }
    return commands;
  }
  FakePlatform platform;
  RunContext context;
};

const WString kApps =
    u"[A]\nAppPath=C:\\A\nAppSwitches=a.exe\n"
    u"[B]\nAppPath=C:\\B\nAppSwitches=b.exe /q\n"
    u"[C]\nAppPath=C:\\C\nAppSwitches=c.exe\n"
    u"[NoPath]\nAppSwitches=n.exe\n";

TEST(InstallPassTest, WalksCommonThenMachineSectionUpToTheFirstGap) {
  PassFixture f(u"[0xFFFF]\nAPP1=A\nAPP2=Missing\nAPP3=NoPath\nAPP4=B\nAPP6=C\n"
                u"[0x1234]\nAPP1=C\nAPP2=A\nAPP3=A\n"
                u"[0xFFFF_VISTA64]\nAPP1=C\n" + kApps);
  EXPECT_EQ(1, RunInstallPass(0, f.context, f.platform));
  const std::vector<std::string> expected = {"C:\\A\\a.exe", "C:\\B\\b.exe /q", "C:\\C\\c.exe",
                                             "C:\\A\\a.exe", "C:\\A\\a.exe"};
  EXPECT_EQ(expected, f.Started());
}

TEST(InstallPassTest, MissingListSections) {
  struct Case {
    WString lists;
    std::vector<std::string> started;
  };
  const Case cases[] = {
      {u"[0x1234]\nAPP1=B\n", {"C:\\B\\b.exe /q"}},
      {u"[0xFFFF]\nAPP2=A\n[0x1234]\nAPP1=B\n", {"C:\\B\\b.exe /q"}},
      {u"[0xFFFF]\nAPP1=A\n", {"C:\\A\\a.exe"}},
      {u"[0xFFFF]\n[Other]\nAPP1=A\n", {}},
  };
  for (const Case& c : cases) {
    PassFixture f(c.lists + kApps);
    RunInstallPass(0, f.context, f.platform);
    EXPECT_EQ(c.started, f.Started()) << Narrow(c.lists);
  }
}

TEST(InstallPassTest, PassOneReadsOnlyTheSuffixedSections) {
  PassFixture f(u"[0xFFFF]\nAPP1=A\n[0x1234]\nAPP1=A\n"
                u"[0xFFFF_VISTA64]\nAPP1=B\n[0x1234_VISTA64]\nAPP1=C\n"
                u"[0xFFFF_VISTA32]\nAPP1=A\n" + kApps);
  RunInstallPass(1, f.context, f.platform);
  EXPECT_EQ((std::vector<std::string>{"C:\\B\\b.exe /q", "C:\\C\\c.exe"}), f.Started());
  for (const std::string& read : f.platform.CallsNamed("ReadPrivateProfileString")) {
    EXPECT_EQ(std::string::npos, read.find("[0xFFFF] ")) << read;
    EXPECT_EQ(std::string::npos, read.find("[0x1234] ")) << read;
  }
}

TEST(InstallPassTest, RecordsOfEveryStartedApplicationAndNoneOfASkippedOne) {
  PassFixture f(u"[Settings]\nLogFile=C:\\r.log\n"
                u"[0xFFFF_VISTA64]\nAPP1=A\nAPP2=NoPath\n[0x1234_VISTA64]\nAPP1=Gone\n"
                u"[Gone]\nAppPath=C:\\Gone\nAppSwitches=g.exe\n" + kApps);
  f.platform.AddProgram(u"C:\\A\\a.exe", 5);
  OpenRunLog(f.context, f.platform);
  RunInstallPass(1, f.context, f.platform);
  CloseRunLog(f.context);
  const std::string bytes = f.platform.FileBytes(u"C:\\R.LOG");
  const std::string records =
      "Processing: SysID => \"0xFFFF_VISTA64\", Application => \"A\"\r\n"
      "LAUNCHED => \"C:\\A\\a.exe\"\r\n"
      "START:: 09:05:03 Sunday, December 06, 2026\r\n"
      "END  :: 09:05:10 Sunday, December 06, 2026\r\n"
      "RESULT   => Command finished in less than 7 seconds.\r\n\r\n"
      "Processing: SysID => \"0x1234_VISTA64\", Application => \"Gone\"\r\n"
      "LAUNCHED => \"C:\\Gone\\g.exe\"\r\n"
      "START:: 09:05:10 Sunday, December 06, 2026\r\n"
      "END  :: 09:05:10 Sunday, December 06, 2026\r\n"
      "RESULT   => Failed to launch the command.\r\n\r\n";
  const std::string identity = "OSType\t\t  => VISTA64\r\n";
  ASSERT_NE(std::string::npos, bytes.find(identity));
  EXPECT_EQ(records, bytes.substr(bytes.find(identity) + identity.size()));
}

TEST(InstallPassTest, WithTheLogClosedTheSameApplicationsStartAndNothingIsWritten) {
  PassFixture f(u"[0xFFFF]\nAPP1=A\nAPP2=B\n" + kApps);
  RunInstallPass(0, f.context, f.platform);
  EXPECT_EQ(2u, f.Started().size());
  EXPECT_TRUE(f.platform.CallsNamed("Append").empty());
}

struct CommandCase {
  WString section;
  WString language_code;
  std::vector<WString> folders;
  WString command_line;  // empty: skipped
};

TEST(ApplicationCommandTest, LanguageSubstitutionFallbacksAndGlobalSwitches) {
  const WString ini =
      u"[Lang]\nAppPath=C:\\Apps\\Reader\nAppSwitches=%LANG%\\setup.exe /s /l=%LANG%\n"
      u"[LangGlobal]\nAppPath=C:\\Apps\\Reader\nAppSwitches=%LANG%\\setup.exe /s\n"
      u"GlobalSwitches=setup.exe /s %LANG%\n"
      u"[Lower]\nAppPath=C:\\Apps\\Reader\nAppSwitches=%lang%\\setup.exe\n"
      u"[Plain]\nAppPath=C:\\Apps\\Tool\\\nAppSwitches=t.exe\nGlobalSwitches=never.exe\n"
      u"[Bare]\nAppPath=C:\\Apps\\Tool\n";
  const CommandCase cases[] = {
      {u"Lang", u"12", {u"C:\\Apps\\Reader\\12"}, u"C:\\Apps\\Reader\\12\\setup.exe /s /l=12"},
      {u"Lang", u"12", {}, u""},
      {u"LangGlobal", u"12", {}, u"C:\\Apps\\Reader\\setup.exe /s %LANG%"},
      {u"Lang", u"37", {u"C:\\Apps\\Reader\\US"}, u"C:\\Apps\\Reader\\US\\setup.exe /s /l=US"},
      {u"Lang",
       u"02",
       {u"C:\\Apps\\Reader\\02", u"C:\\Apps\\Reader\\US"},
       u"C:\\Apps\\Reader\\02\\setup.exe /s /l=02"},
      {u"Lang", u"02", {u"C:\\Apps\\Reader\\US"}, u"C:\\Apps\\Reader\\US\\setup.exe /s /l=US"},
      {u"Lang", u"16", {u"C:\\Apps\\Reader\\SP"}, u"C:\\Apps\\Reader\\SP\\setup.exe /s /l=SP"},
      {u"Lang", u"16", {u"C:\\Apps\\Reader\\US"}, u""},
      {u"LangGlobal", u"16", {}, u"C:\\Apps\\Reader\\setup.exe /s %LANG%"},
      {u"Lang", u"12", {u"C:\\Apps\\Reader\\US"}, u""},
      {u"Lang", u"", {u"C:\\Apps\\Reader"}, u"C:\\Apps\\Reader\\\\setup.exe /s /l="},
      {u"LangGlobal", u"", {}, u"C:\\Apps\\Reader\\setup.exe /s %LANG%"},
      // A code that is no folder name finds no folder, even where its path exists.
      {u"Lang", u"..\\..\\Temp", {u"C:\\Apps\\Reader\\..\\..\\Temp"}, u""},
      {u"LangGlobal", u"..", {u"C:\\Apps\\Reader\\.."}, u"C:\\Apps\\Reader\\setup.exe /s %LANG%"},
      {u"Lang", u"D:\\Evil", {u"C:\\Apps\\Reader\\D:\\Evil"}, u""},
      {u"Lang", u"x/..", {u"C:\\Apps\\Reader\\x/.."}, u""},
      {u"Lang", u"...", {u"C:\\Apps\\Reader\\..."}, u""},
      {u"Lang", u". ", {u"C:\\Apps\\Reader\\. "}, u""},
      {u"LangGlobal", u"NUL", {u"C:\\Apps\\Reader\\NUL"}, u"C:\\Apps\\Reader\\setup.exe /s %LANG%"},
      {u"Lang", u"con", {u"C:\\Apps\\Reader\\con"}, u""},
      {u"Lang", u"Com1", {u"C:\\Apps\\Reader\\Com1"}, u""},
      {u"Lang", u"AUX .txt", {u"C:\\Apps\\Reader\\AUX .txt"}, u""},
      {u"Lang", u"LPT9", {u"C:\\Apps\\Reader\\LPT9"}, u""},
      {u"Lang",
       u"COM10",
       {u"C:\\Apps\\Reader\\COM10"},
       u"C:\\Apps\\Reader\\COM10\\setup.exe /s /l=COM10"},
      {u"Lang",
       u"CONX",
       {u"C:\\Apps\\Reader\\CONX"},
       u"C:\\Apps\\Reader\\CONX\\setup.exe /s /l=CONX"},
      {u"Lang", u"1\x01", {u"C:\\Apps\\Reader\\1\x01"}, u""},
      {u"Lang", u"1\"", {u"C:\\Apps\\Reader\\1\""}, u""},
      {u"Lang",
       u"zh.TW",
       {u"C:\\Apps\\Reader\\zh.TW"},
       u"C:\\Apps\\Reader\\zh.TW\\setup.exe /s /l=zh.TW"},
      {u"Lower", u"12", {}, u"C:\\Apps\\Reader\\%lang%\\setup.exe"},
      {u"Plain", u"12", {}, u"C:\\Apps\\Tool\\\\t.exe"},
      {u"Bare", u"12", {}, u"C:\\Apps\\Tool\\"},
      {u"Missing", u"12", {}, u""},
  };
  for (const CommandCase& c : cases) {
    FakePlatform platform;
    platform.AddIniFile(u"C:\\in.ini", ini);
    for (const WString& folder : c.folders) platform.AddDirectory(folder);
    RunContext context;
    context.InputIniPath = u"C:\\in.ini";
    context.LanguageCode = c.language_code;
    const ApplicationCommand command = BuildApplicationCommand(c.section, context, platform);
    EXPECT_EQ(c.command_line, command.command_line)
        << Narrow(c.section) << " with code " << Narrow(c.language_code);
  }
}

TEST(ApplicationCommandTest, GlobalSwitchesAreReadOnlyWhenTheLanguageCannotBeResolved) {
  FakePlatform platform;
  platform.AddIniFile(u"C:\\in.ini", u"[Plain]\nAppPath=C:\\T\nAppSwitches=t.exe\nGlobalSwitches=g\n");
  RunContext context;
  context.InputIniPath = u"C:\\in.ini";
  BuildApplicationCommand(u"Plain", context, platform);
  for (const std::string& read : platform.CallsNamed("ReadPrivateProfileString")) {
    EXPECT_EQ(std::string::npos, read.find("GlobalSwitches")) << read;
  }
}

TEST(ApplicationCommandTest, ReplaceAllScansLeftToRightWithoutRescanning) {
  struct Case {
    WString text;
    WString to;
    WString result;
  };
  const Case cases[] = {
      {u"%LANG%\\x %LANG%", u"12", u"12\\x 12"},
      {u"%LANG%LANG%", u"%", u"%LANG%"},
      {u"%LANG%", u"%LANG%", u"%LANG%"},
      {u"none", u"12", u"none"},
  };
  for (const Case& c : cases) {
    WString text = c.text;
    ReplaceAll(text, kLanguagePlaceholder, c.to);
    EXPECT_EQ(c.result, text);
  }
}

TEST(ProcessCommandLineTest, ProgramUnderAPathWithBlanksIsQuoted) {
  struct Case {
    WString app_path;
    WString switches;
    std::vector<WString> files;
    WString handed;
  };
  const Case cases[] = {
      {u"C:\\Apps", u"setup.exe /s", {}, u"C:\\Apps\\setup.exe /s"},
      {u"C:\\Program Files\\App", u"setup.exe /s", {u"C:\\Program Files\\App\\setup.exe"},
       u"\"C:\\Program Files\\App\\setup.exe\" /s"},
      {u"C:\\Program Files\\App", u"my setup.exe /s", {u"C:\\Program Files\\App\\my setup.exe"},
       u"\"C:\\Program Files\\App\\my setup.exe\" /s"},
      {u"C:\\Program Files\\App", u"setup /s", {u"C:\\Program Files\\App\\setup.exe"},
       u"\"C:\\Program Files\\App\\setup\" /s"},
      {u"C:\\Program Files\\App", u"12\\setup.exe\t/s /l", {}, u"\"C:\\Program Files\\App\\12\\setup.exe\"\t/s /l"},
      {u"C:\\Program Files\\App", u"", {}, u"\"C:\\Program Files\\App\\\""},
      {u"C:\\Program Files\\App", u"a b c", {u"C:\\Program Files\\App\\a b c"},
       u"\"C:\\Program Files\\App\\a b c\""},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.AddFile(u"C:\\Program.exe", "planted");
    for (const WString& file : c.files) platform.AddFile(file, "");
    ApplicationCommand command{c.app_path, c.switches, c.app_path + u"\\" + c.switches};
    EXPECT_EQ(c.handed, ProcessCommandLine(command, platform)) << Narrow(c.switches);
  }
}

TEST(ProcessCommandLineTest, LaunchedRecordShowsTheCommandLineAsBuilt) {
  PassFixture f(u"[Settings]\nLogFile=C:\\r.log\n[0xFFFF]\nAPP1=P\n"
                u"[P]\nAppPath=C:\\Program Files\\P\nAppSwitches=setup.exe /s\n");
  f.platform.AddFile(u"C:\\Program Files\\P\\setup.exe", "");
  f.platform.AddProgram(u"\"C:\\Program Files\\P\\setup.exe\" /s", 0);
  OpenRunLog(f.context, f.platform);
  RunInstallPass(0, f.context, f.platform);
  CloseRunLog(f.context);
  const std::string bytes = f.platform.FileBytes(u"C:\\R.LOG");
  EXPECT_NE(std::string::npos, bytes.find("LAUNCHED => \"C:\\Program Files\\P\\setup.exe /s\"\r\n"));
  EXPECT_NE(std::string::npos, bytes.find("less than 1 seconds"));
}

}  // namespace
}  // namespace quill
