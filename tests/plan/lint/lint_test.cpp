#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "plan/lint/exit_code_lint.h"
#include "plan/lint/finding.h"
#include "plan/lint/table_lint.h"
#include "plan/verbs/verbs.h"
#include "plan_fixture.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

struct Linted {
  int status = -1;
  std::string text;
};

// `ini_prefix` goes before the INI file's path: "/" makes it "//...", a share's shape.
Linted Lint(const std::string& ini, const std::string& table, const std::string& image_folder = "",
            const std::string& ini_prefix = "") {
  TempTree tree;
  LintOptions options;
  options.ini = ini_prefix + tree.File("deploy.ini", ini);
  if (!table.empty()) options.files.language_table = tree.File("LANG.INI", table);
  options.files.maps.push_back("C:=" + tree.Directory("c"));
  if (!image_folder.empty()) tree.Directory("c/" + image_folder);
  std::ostringstream out;
  std::ostringstream err;
  Linted linted;
  linted.status = RunLintVerb(options, out, err);
  linted.text = out.str() + err.str();
  return linted;
}

bool HasFinding(const std::string& text, const std::string& where, const std::string& rule) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(where) != std::string::npos && line.find("[" + rule + "]") != std::string::npos) {
      return true;
    }
  }
  return false;
}

const std::string kGood =
    "[Settings]\nAppInstlPath=C:\\AppInstl\n"
    "[0xFFFF]\nAPP1=Reader\n"
    "[Reader]\nAppPath=C:\\Apps\\Reader\nAppSwitches=%LANG%\\setup.exe /s\n"
    "GlobalSwitches=setup.exe /s\n";
const std::string kGoodTable = "[07]\nLCID=0x407\n[09]\nLCID=0x409\n";

TEST(LintTest, ACleanDeploymentExitsZero) {
  for (const char* wait : {"", "WaitForExit=0\n", "WaitForExit=1\n"}) {
    std::string ini = kGood;
    ini.insert(ini.find("[0xFFFF]"), wait);
    const Linted linted = Lint(ini, kGoodTable);
    EXPECT_EQ(0, linted.status) << linted.text;
    EXPECT_NE(std::string::npos, linted.text.find("0 errors, 0 warnings")) << wait;
  }
}

TEST(LintTest, IniRulesFireOnTheirLines) {
  struct Case {
    std::string ini;
    std::string where;  // "deploy.ini:LINE:"
    std::string rule;
    int status;
    std::string absent = "";  // a rule that must not fire: the cause is named, not its echo
    size_t times = 0;         // how often the rule fires, where it matters
  };
  const std::string settings = "[Settings]\nAppInstlPath=C:\\AppInstl\n";  // lines 1-2
  std::string utf16;  // without its byte-order mark
  for (char c : kGood) utf16 += std::string{c, '\0'};
  const std::string reader = "[Reader]\nAppPath=C:\\R\nAppSwitches=r.exe\n";
  const std::string app = settings + "[0xFFFF]\nAPP1=Reader\n" + reader;  // lines 1-7
  const Case cases[] = {
      {settings + "[0xFFFF]\nAPP1=Reader\nAPP2=Reader\nAPP4=Reader\n" + reader,
       "deploy.ini:6:", "app-key-unreachable", 1},
      {settings + "[0xFFFF]\nAPP1=Reader\nAPP2=\nAPP3=Reader\n" + reader,
       "deploy.ini:6:", "app-key-unreachable", 1},
      {settings + "[0xAB]\nAPP01=Reader\n" + reader, "deploy.ini:4:", "app-key-unreachable", 1},
      {settings + "[0xFFFF]\nAPP1=Nowhere\n", "deploy.ini:4:", "app-section-missing", 2},
      {settings + "[0xFFFF]\nAPP1=Empty\n[Empty]\nAppSwitches=x.exe\n",
       "deploy.ini:4:", "app-without-apppath", 2},
      {settings + "[0xFFFF]\nAPP1=A\n[A]\nAppPath=C:\\A\\\n",
       "deploy.ini:6:", "apppath-trailing-backslash", 1},
      {settings + "[0xFFFF]\nAPP1=A\n[A]\nAppPath=Apps\\A\n",
       "deploy.ini:6:", "apppath-not-full-path", 1},
      {settings + "[0xFFFF]\nAPP1=A\n[A]\nAppPath=\\Apps\\A\n",
       "deploy.ini:6:", "apppath-not-full-path", 1},
      {settings + "[0xFFFF]\nAPP1=A\n[A]\nAppPath=C:\\A\nAppSwitches=%Lang%\\s.exe\n",
       "deploy.ini:7:", "lang-placeholder-case", 1},
      {settings + "[0xFFFF]\nAPP1=A\n[A]\nAppPath=C:\\" + std::string(300, 'a') + "\n",
       "deploy.ini:6:", "value-too-long", 2},
      {"[Settings]\nMaxInstallTime=60s\n", "deploy.ini:2:", "max-install-time-not-a-number", 2},
      {settings + "MaxInstallTime=0x3C\n", "deploy.ini:3:", "max-install-time-not-a-number", 1},
      {settings + "MaxInstallTime=5 min\n", "deploy.ini:3:", "max-install-time-not-a-number", 1},
      {settings + "MaxInstallTime=-5\n", "deploy.ini:3:", "max-install-time-too-short", 1},
      {settings + "WaitForExit=yes\n", "deploy.ini:3:", "wait-for-exit-not-0-or-1", 1},
      {settings + "WaitForExit=2\n", "deploy.ini:3:", "wait-for-exit-not-0-or-1", 1},
      {settings + "WaitForChildren=yes\n", "deploy.ini:3:", "tree-key-not-0-or-1", 1},
      {settings + "StopAtTimeLimit=0\n[0xFFFF]\nAPP1=Reader\n" + reader + "StopAtTimeLimit=on\n",
       "deploy.ini:9:", "tree-key-not-0-or-1", 1},
      {settings + "[0xFFFF]\nAPP1=Reader\n" + reader + "StopAtTimeLimit=1\n",
       "deploy.ini:8:", "tree-key-while-off", 1},
      {settings + "StopAtTimeLimit=1\n[0xFFFF]\nAPP1=Reader\n" + reader + "WaitForChildren=1\n",
       "deploy.ini:9:", "tree-key-while-off", 1},
      {settings + "[0xFFFF]\nAPP1=Reader\n" + reader + "MaxInstallTime=60\n",
       "deploy.ini:8:", "tree-key-while-off", 1},
      {settings + "WaitForChildren=0\n[0xFFFF]\nAPP1=Reader\n" + reader + "MaxInstallTime=1 h\n",
       "deploy.ini:9:", "max-install-time-not-a-number", 1},
      {settings + "StopAtTimeLimit=0\n[0xFFFF]\nAPP1=Reader\n" + reader + "MaxInstallTime=3\n",
       "deploy.ini:9:", "max-install-time-too-short", 1},
      {settings + "StopAtTimeLimit=0\n[0xFFFF]\nAPP1=Reader\n" + reader +
           "MaxInstallTime=99999999999\n",
       "deploy.ini:9:", "max-install-time-past-range", 1},
      {settings + "MaxInstallTime=4294967296\n", "deploy.ini:3:", "max-install-time-past-range", 1},
      {settings + "MaxInstallTime=0\nStopAtTimeLimit=1\n",
       "deploy.ini:4:", "stop-at-time-limit-unread", 1},
      {settings + "StopAtTimeLimit=0\n[0xFFFF]\nAPP1=Reader\n" + reader +
           "MaxInstallTime=-1\nStopAtTimeLimit=1\n",
       "deploy.ini:10:", "stop-at-time-limit-unread", 1},
      {settings + "WaitForInstallerService=soon\n",
       "deploy.ini:3:", "installer-service-wait-unread", 1},
      {settings + "WaitForInstallerService=7200\n",
       "deploy.ini:3:", "installer-service-wait-past-bound", 1},
      {"[Settings]\nLogFile=x\n", "deploy.ini:1:", "missing-appinstlpath", 2},
      {settings + "[0xFFFF]\n[0xFFFF_WIN7]\nAPP1=Reader\n" + reader,
       "deploy.ini:4:", "unknown-system-word", 1},
      {settings + "[0xFFFF]\n[0xFFFF_WIN10X64]\nAPP1=Reader\n" + reader,
       "deploy.ini:4:", "newer-system-not-named", 1},
      {settings + "NewerWindows=1\n[0xFFFF]\n[0xFFFF_WINDOWS11X64]\nAPP1=Reader\n" + reader,
       "deploy.ini:5:", "unknown-system-word", 1},
      {settings + "NewerWindows=yes\n", "deploy.ini:3:", "newer-windows-not-0-or-1", 1},
      {settings + "[Settings]\nLogFile=x\n", "deploy.ini:3:", "duplicate-section", 1},
      {settings + "appinstlpath=D:\\\n", "deploy.ini:3:", "duplicate-key", 1},
      {settings + "AppInstlPath\n", "deploy.ini:3:", "line-without-equals", 1},
      {settings + std::string("[0xFFFF]\nAPP1=Reader\0x\n", 23) + reader,
       "deploy.ini:4:", "nul-character", 1},
      {settings + "[]\nAPP1=Reader\n", "deploy.ini:3:", "empty-section-name", 1,
       "duplicate-section"},
      {utf16, "deploy.ini:0:", "utf16-without-mark", 2, "duplicate-section"},
      {settings + "LogExitCodes=yes\n", "deploy.ini:3:", "log-exit-codes-not-one", 1},
      {settings + "[0xFFFF]\nAPP1=Reader\n" + reader + "DetectMsi={1234}\n",
       "deploy.ini:8:", "detect-rule-unreadable", 1},
      {settings + "[0xFFFF]\nAPP1=Reader\n" + reader + "DetectFile=C:\\r.exe\nDetectKey=HKCU\\R\n",
       "deploy.ini:9:", "detect-rule-unreadable", 1},
      // Rules that read, yet never hold.
      {app + "DetectFile=C:\\r.exe <= 1.0\n", "deploy.ini:8:", "detect-rule-never-holds", 2},
      {app + "DetectFile=C:\\r.exe ; installed?\n", "deploy.ini:8:", "detect-rule-never-holds", 2},
      {app + "DetectFile=C:\\R\\*.exe\n", "deploy.ini:8:", "detect-rule-never-holds", 2},
      {app + "DetectFile=%%\\R\\r.exe\n", "deploy.ini:8:", "detect-rule-never-holds", 2},
      {app + "DetectFile=%ProgramFiles\\R\\r.exe\n", "deploy.ini:8:", "detect-rule-never-holds", 2},
      {app + "DetectFile=C:\\r.exe 1.0\n", "deploy.ini:8:", "detect-rule-never-holds", 2},
      {app + "DetectKey=HKLM\\Software\\R ; 64-bit\n", "deploy.ini:8:", "detect-rule-never-holds",
       2},
      {app + "DetectKey=HKLM\\Software\\R,Version\n", "deploy.ini:8:", "detect-key-value-name", 1},
      {app + "DetectFile=\\\\?\\C:\\R\\r.exe >= 1.0\nDetectKey=HKLM64\\Software\\R\nDetectMsi=x\n",
       "deploy.ini:10:", "detect-rule-unreadable", 1, "never-holds"},
      {settings + "BusyRetries=2\n", "deploy.ini:3:", "exit-key-while-off", 1},
      {settings + "[0xFFFF]\nAPP1=Reader\n" + reader + "SuccessCodes=0\nMaxInstallTime=9\n",
       "deploy.ini:8:", "exit-key-while-off", 1, "key-in-wrong-section"},
      // Keys read in one kind of section, written in another: read nowhere.
      {app + "HashList=C:\\l.sha256\n", "deploy.ini:8:", "key-in-wrong-section", 2},
      {app + "maxrestarts=2\nLogCopy=C:\\l\n", "deploy.ini:9:", "key-in-wrong-section", 1, "", 2},
      {settings + "WaitForInstallerService=60\nDetectFile=C:\\r.exe\nDetectKey=HKLM\\R\n",
       "deploy.ini:5:", "key-in-wrong-section", 1, "", 2},
      {settings + "[0xFFFF]\nAPP1=Reader\nAppPath=C:\\R\n" + reader + "APP2=Reader\n",
       "deploy.ini:5:", "key-in-wrong-section", 1, "", 2},
      // An application named like a machine is an application.
      {settings + "[0xFFFF]\nAPP1=0xApp\n[0xApp]\nAppPath=C:\\A\nAppSwitches=a.exe\nHashList=x\n",
       "deploy.ini:8:", "key-in-wrong-section", 2, "", 1},
      {settings + "LogExitCodes=1\nBusyCodes=1618;1619\n", "deploy.ini:4:", "exit-codes-unreadable",
       1},
      {settings + "LogExitCodes=1\n[0xFFFF]\nAPP1=Reader\n" + reader +
           "SuccessCodes=0,4294967296\n",
       "deploy.ini:9:", "exit-codes-unreadable", 1},
      {settings + "LogExitCodes=1\nBusyRetries=lots\n", "deploy.ini:4:", "exit-setting-unreadable",
       1},
      {settings + "LogExitCodes=1\nBusyRetryPause=7200\n", "deploy.ini:4:", "exit-setting-clamped",
       1},
      {settings + "MaxRestarts=2\n", "deploy.ini:3:", "exit-key-while-off", 1},
      {settings + "LogCopy=\\\\srv\\logs\\all.log\n", "deploy.ini:3:", "log-copy-same-on-every-pc",
       1},
      {settings + "LogCopy=%SystemRoot%\\%USERNAME%.LOG\n",
       "deploy.ini:3:", "log-copy-same-on-every-pc", 1},
      {settings + "LogCopy=\\\\srv\\logs\\%SITE%-%ComputerName%.LOG\n",
       "deploy.ini:3:", "log-copy-unknown-variable", 1, "log-copy-same-on-every-pc"},
      {settings + "LogCopy=logs\\%COMPUTERNAME%.LOG\n", "deploy.ini:3:", "log-copy-not-full-path",
       1, "log-copy-same-on-every-pc"},
      {settings + "LogCopy=c:\\appinstl\\logs\\%COMPUTERNAME%.LOG\n",
       "deploy.ini:3:", "log-copy-inside-appinstlpath", 1, "log-copy-not-full-path"},
      {settings + "LogExitCodes=1\nMaxRestarts=11\n", "deploy.ini:4:", "exit-setting-clamped", 1},
      {settings + "LogExitCodes=1\nMaxRestarts=two\n", "deploy.ini:4:", "exit-setting-unreadable",
       1},
      // At their bounds; values unread while recording is off; a section named twice told once.
      {settings + "LogExitCodes=1\nBusyRetries=10\nBusyRetryPause=3600\nBusyCodes=x\n",
       "deploy.ini:6:", "exit-codes-unreadable", 1, "exit-setting-clamped"},
      {settings + "BusyCodes=zz\n", "deploy.ini:3:", "exit-key-while-off", 1,
       "exit-codes-unreadable"},
      {settings + "LogExitCodes=1\n[0xFFFF]\nAPP1=Reader\n" + reader + "SuccessCodes=zz\n" + reader,
       "deploy.ini:9:", "exit-codes-unreadable", 1, "", 1},
      {settings + "LogExitCodes=1\n[Spare]\nAppPath=C:\\S\nSuccessCodes=0\n",
       "deploy.ini:6:", "success-codes-unread", 1, "exit-codes-unreadable"},
      // NUL padding after the text: lint reads what plan reads, and names it.
      {settings + "appinstlpath=D:\\\n" + std::string(500, '\0'), "deploy.ini:3:", "duplicate-key",
       1, "utf16-without-mark"},
      {settings + "appinstlpath=D:\\\n" + std::string(500, '\0'), "deploy.ini:4:", "nul-character",
       1},
  };
  for (const Case& c : cases) {
    const Linted linted = Lint(c.ini, kGoodTable);
    EXPECT_TRUE(HasFinding(linted.text, c.where, c.rule)) << c.rule << "\n" << linted.text;
    EXPECT_EQ(c.status, linted.status) << c.rule << "\n" << linted.text;
    if (!c.absent.empty()) {
      EXPECT_EQ(std::string::npos, linted.text.find(c.absent)) << linted.text;
    }
    if (c.times > 0) {
      size_t fired = 0;
      for (size_t at = 0; (at = linted.text.find("[" + c.rule + "]", at)) != std::string::npos;
           ++at)
        ++fired;
      EXPECT_EQ(c.times, fired) << linted.text;
    }
  }
}

// A restart starts the resumption before any share is connected.
TEST(LintTest, RestartsFromAShare) {
  for (const char* bound : {"0", "2"}) {
    const std::string settings = "LogExitCodes=1\nMaxRestarts=" + std::string(bound) + "\n";
    std::string ini = kGood;
    ini.insert(ini.find("[0xFFFF]"), settings);
    const Linted share = Lint(ini, kGoodTable, "", "/");
    EXPECT_EQ(bound[0] != '0', HasFinding(share.text, "deploy.ini:4:", "restart-path-not-back"))
        << share.text;
    EXPECT_FALSE(HasFinding(Lint(ini, kGoodTable).text, "", "restart-path-not-back"));
  }
  // The forms a Windows path takes, as quillplan.exe is given them.
  const std::pair<const char16_t*, std::string> paths[] = {
      {u"C:\\d.ini", ""},
      {u"\\\\?\\C:\\d.ini", ""},
      {u"//?/c:/d.ini", ""},
      {u"\\\\.\\C:\\d.ini", ""},
      {u"\\\\?\\D:\\d.ini", "on a drive other than C:"},
      {u"\\\\?\\UNC\\srv\\s\\d.ini", "on a share"},
      {u"\\\\srv\\s\\d.ini", "on a share"},
      {u"D:d.ini", "on a drive other than C:"},
  };
  for (const auto& [path, away] : paths) EXPECT_EQ(away, AwayFromTheSystemDrive(path));
}

TEST(LintTest, WellFormedSystemWordsAndCommentsAreNoFindings) {
  const Linted linted = Lint(kGood + "; a comment\n[0xFFFF_vista64]\nAPP1=Reader\n", kGoodTable);
  EXPECT_EQ(0, linted.status) << linted.text;
}

TEST(LintTest, LanguageWithoutFolderAndWithoutGlobalSwitches) {
  const std::string ini =
      "[Settings]\nAppInstlPath=C:\\AppInstl\n[0xFFFF]\nAPP1=Reader\n"
      "[Reader]\nAppPath=C:\\Apps\\Reader\nAppSwitches=%LANG%\\setup.exe /s\n";
  // 07 has its folder; 09 has none and no fallback: skipped there.
  const Linted linted = Lint(ini, kGoodTable, "Apps/Reader/07");
  EXPECT_TRUE(HasFinding(linted.text, "deploy.ini:7:", "lang-without-globalswitches")) << linted.text;
  EXPECT_NE(std::string::npos, linted.text.find("with language 09 no folder")) << linted.text;
  EXPECT_EQ(1, linted.status);
  // With every folder there, nothing is said.
  const Linted both = Lint(ini, "[07]\nLCID=0x407\n", "Apps/Reader/07");
  EXPECT_FALSE(HasFinding(both.text, "deploy.ini:7:", "lang-without-globalswitches")) << both.text;
}

TEST(LintTest, LanguageTableRules) {
  struct Case {
    std::string table;
    int line;
    std::string rule;
  };
  const Case cases[] = {
      {std::string("\xFF\xFE[\0" "0\0" "7\0]\0", 10), 1, "table-utf16"},
      {"\xEF\xBB\xBF[07]\nLCID=0x407\n", 1, "table-utf8-bom"},
      {"[07]\nLCID=0x0407\n", 2, "lcid-leading-zero"},
      {"[07]\nLCID=0x100000000\n", 2, "lcid-too-long"},
      {"[07]\nLCID = 0x407\n", 2, "lcid-blank-after-equals"},
      {"[07]\nLCID=0x407 ; German\n", 2, "lcid-trailing-text"},
      {"[07]\nLCID=1031\n", 2, "lcid-not-hex"},
      {"LCID=0x407\n[07]\n", 1, "lcid-outside-section"},
      {"[07]\n[Notes\nLCID=0x407\n", 3, "lcid-outside-section"},
      {"[07]\nlcid=0x407\n", 2, "lcid-lower-case"},
      {"[07]\nLCID=0x407\n[7]\nLCID=0X407\n", 4, "lcid-duplicate"},
      {"[07]\nLCID=0x407\n\x1A[09]\nLCID=0x409\n", 3, "table-ctrl-z"},
      {"[07]\n" + std::string(300, 'x') + "\nLCID=0x407\n", 2, "table-line-too-long"},
      {"[07]\nLCID=0x407\n[..\\..\\Temp]\nLCID=0x409\n", 3, "language-code-not-a-folder"},
      {"[C:x]\nLCID=0x409\n", 1, "language-code-not-a-folder"},
  };
  PlanFixture machine("");
  for (const Case& c : cases) {
    const std::vector<Finding> findings = LintLanguageTable(c.table, "LANG.INI", *machine.platform);
    const bool found = std::any_of(findings.begin(), findings.end(), [&](const Finding& f) {
      return f.rule == c.rule && f.line == c.line;
    });
    EXPECT_TRUE(found) << c.rule;
  }
  // A clean table has nothing to say, and nothing on a section named twice
  // with different locales.
  EXPECT_TRUE(LintLanguageTable(kGoodTable + "[07]\nLCID=0x807\n[zh.TW]\nLCID=0x404\n",
                                "LANG.INI", *machine.platform)
                  .empty());
}

// A table no mapping answers is a gap to tell; one the mapping answers as
// missing is what ends the run at once.
TEST(LintTest, WithoutATableItSaysSoAndStillLints) {
  struct Case {
    std::string app_instl_path;
    std::string rule;
    std::string says;
    int status;
  };
  const Case cases[] = {
      {"D:\\Nowhere", "language-table-not-checked", "was not checked", 0},
      {"C:\\Nowhere", "language-table-missing", "C:\\Nowhere\\LANG.INI is not there", 2},
  };
  for (const Case& c : cases) {
    const Linted linted = Lint("[Settings]\nAppInstlPath=" + c.app_instl_path + "\n", "");
    EXPECT_TRUE(HasFinding(linted.text, "deploy.ini:0:", c.rule)) << linted.text;
    EXPECT_TRUE(HasFinding(linted.text, c.says, c.rule)) << linted.text;
    EXPECT_EQ(c.status, linted.status) << linted.text;
  }
}

// A small package of the demonstration's, built by wixl under `folder`
// (made), its ProductCode then written in lower case as some tools leave it.
bool MakePackage(const TempTree& tree, const std::string& folder) {
  const std::string dir = tree.Directory(folder);
  const std::string command =
      "set -e; cd '" + dir +
      "'; cp '" QUILL_SOURCE_DIR "/examples/installers/tool.wxs' '" QUILL_SOURCE_DIR
      "/examples/installers/tool.txt' .; wixl -o tool.msi tool.wxs 2>/dev/null; "
      "msibuild tool.msi -q \"UPDATE \\`Property\\` SET \\`Value\\` = "
      "'{5a1d0c3e-7b2f-4e61-9c0d-0000000000ab}' WHERE \\`Property\\` = 'ProductCode'\"; "
      "rm tool.wxs tool.txt";
  return std::system(command.c_str()) == 0;
}

// DetectMsi against the package its command line installs, read where
// --map reaches it.
TEST(LintTest, DetectMsiIsThePackagesProductCode) {
  struct Case {
    std::string name;
    std::string sections;    // the application's, [Tool]
    size_t not_the_package;  // findings of detect-msi-not-the-package
  };
  const std::string tool = "[Tool]\nAppPath=C:\\Apps\\Tool\nAppSwitches=msiexec /i ";
  const std::string other = "DetectMsi={00000000-0000-0000-0000-000000000001}\n";
  const Case cases[] = {
      {"a package below AppPath, another code", tool + "tool.msi /qn\n" + other, 1},
      {"the package's own code, in another case",
       tool + "\"tool.msi\" /qn\nDetectMsi={5A1D0C3E-7B2F-4E61-9C0D-0000000000AB}\n", 0},
      {"a package per language is not checked", tool + "%LANG%\\tool.msi /qn\n" + other, 0},
      {"a section named twice, told once", tool + "tool.msi /qn\n" + other + tool + "x.msi\n", 1},
  };
  TempTree tree;
  if (!MakePackage(tree, "c/Apps/Tool") || !MakePackage(tree, "c/Apps/Tool/%LANG%")) {
    GTEST_SKIP() << "wixl and msibuild (Debian wixl, msitools) build no package here";
  }
  for (const Case& c : cases) {
    LintOptions options;
    options.ini = tree.File("deploy.ini",
                            "[Settings]\nAppInstlPath=C:\\AppInstl\n[0xFFFF]\n"
                            "APP1=Tool\n" +
                                c.sections);
    options.files.language_table = tree.File("LANG.INI", kGoodTable);
    options.files.maps.push_back("C:=" + tree.Path("c"));
    std::ostringstream out;
    std::ostringstream err;
    RunLintVerb(options, out, err);
    const std::string text = out.str() + err.str();
    size_t fired = 0;
    for (size_t at = 0; (at = text.find("[detect-msi-", at)) != std::string::npos; ++at) ++fired;
    EXPECT_EQ(c.not_the_package, fired) << c.name << "\n" << text;
    if (c.not_the_package > 0) {
      EXPECT_NE(std::string::npos, text.find("[detect-msi-not-the-package]")) << c.name;
    }
  }
}

const std::string kShaA =
    "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";  // "a"
const std::string kShaB =
    "3e23e8160039594a33894f6564e1b1348bbd7a0088d42c4acb73eeaed59c009d";  // "b"

// The list against the files --map answers: each installer a run reaches
// (07, 09, and the GlobalSwitches one for a language without a folder).
TEST(LintTest, HashListFindingsNameWhatTheListLacksAndWhatIsStale) {
  struct Case {
    std::string list;
    std::vector<std::string> rules;  // "where rule", in the order told
    int status;
    std::string apps = "";      // more of [0xFFFF]
    std::string sections = "";  // more sections
    std::string told = "";      // in the text
    std::string list_file = "list.sha256";
  };
  const std::string viewer = "[Viewer]\nAppPath=C:\\Apps\\Viewer\nAppSwitches=v.exe\n";
  const std::string all = kShaA + "  Apps/Reader/07/setup.exe\n" + kShaB +
                          "  Apps/Reader/09/setup.exe\n" + kShaA + " *apps\\reader\\setup.exe\n";
  const Case cases[] = {
      {all, {}, 0},
      {all + "not a line\n", {"list.sha256:4: hash-list-line-unread"}, 2},
      {kShaA + "  Apps/Reader/07/setup.exe\n" + kShaA + "  Apps/Reader/09/setup.exe\n" + kShaA +
           "  Apps/Reader/setup.exe\n",
       {"deploy.ini:3: hash-list-stale"},
       2},
      {kShaA + "  Apps/Reader/07/setup.exe\n" + kShaB + "  Apps/Reader/09/setup.exe\n",
       {"deploy.ini:3: hash-list-missing-installer"},
       2},
      {"-", {"deploy.ini:3: hash-list-unreadable"}, 2},
      {all + "not a line\nnor this\n",
       {"list.sha256:4: hash-list-line-unread", "list.sha256:5: hash-list-line-unread"},
       2},
      // Each file once, named with the first application that reaches it, in either pass.
      {all,
       {"deploy.ini:3: hash-list-missing-installer"},
       2,
       "APP2=Viewer\nAPP3=Second\n",
       viewer + "[Second]\nAppPath=C:\\Apps\\Viewer\nAppSwitches=v.exe /s\n",
       "v.exe (of [Viewer])"},
      {all,
       {"deploy.ini:3: hash-list-missing-installer"},
       2,
       "",
       "[0xFFFF_WINXP]\nAPP1=Viewer\n" + viewer,
       "v.exe (of [Viewer])"},
      // Windows reads the NUL device, not a file of that name.
      {all, {"deploy.ini:3: hash-list-unreadable"}, 2, "", "", "", "nul.txt"},
  };
  for (const Case& c : cases) {
    TempTree tree;
    LintOptions options;
    std::string ini = kGood;
    ini.insert(ini.find("[0xFFFF]"), "HashList=C:\\" + c.list_file + "\n");
    ini.insert(ini.find("APP1=Reader\n") + 12, c.apps);
    ini += c.sections;
    options.ini = tree.File("deploy.ini", ini);
    options.files.language_table = tree.File("LANG.INI", kGoodTable);
    options.files.maps.push_back("C:=" + tree.Directory("c"));
    tree.File("c/Apps/Reader/07/setup.exe", "a");
    tree.File("c/Apps/Reader/09/setup.exe", "b");
    tree.File("c/Apps/Reader/setup.exe", "a");
    tree.File("c/Apps/Viewer/v.exe", "v");
    if (c.list != "-") tree.File("c/" + c.list_file, c.list);
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunLintVerb(options, out, err);
    const std::string text = out.str() + err.str();
    EXPECT_EQ(c.status, status) << text;
    size_t hash_findings = 0;
    for (size_t at = 0; (at = text.find("[hash-list-", at)) != std::string::npos; ++at)
      ++hash_findings;
    EXPECT_EQ(c.rules.size(), hash_findings) << text;
    size_t after = 0;
    for (const std::string& rule : c.rules) {
      const std::string where = rule.substr(0, rule.find(' '));
      EXPECT_TRUE(HasFinding(text, where, rule.substr(rule.find(' ') + 1))) << rule << "\n" << text;
      EXPECT_LE(after, text.find(where)) << rule << " in its order\n" << text;
      after = text.find(where);
    }
    EXPECT_NE(std::string::npos, text.find(c.told)) << text;
  }
}

}  // namespace
}  // namespace quill::plan
