#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "plan/verbs/verbs.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

const char kIni[] =
    "[Settings]\r\nLogFile=logs\\run.log\r\nMaxInstallTime=0x3C\r\nAppInstlPath=C:\\AppInstl\r\n"
    "[0xFFFF]\r\nAPP1=Reader\r\nAPP2=Gone\r\n"
    "[0xAB12]\r\nAPP1=Rel\r\n[0xAB12_VISTA32]\r\nAPP1=Tool\r\n"
    "[Reader]\r\nAppPath=C:\\Apps\\Reader\r\nAppSwitches=%LANG%\\setup.exe /s\r\n"
    "[Tool]\r\nAppPath=C:\\Program Files\\Tool\r\nAppSwitches=tool.exe /q\r\n"
    "[Rel]\r\nAppPath=Apps\\Rel\r\nAppSwitches=r.exe\r\n";

struct Deployment {
  Deployment() {
    options.ini = tree.File("deploy.ini", kIni);
    tree.File("c/AppInstl/LANG.INI", "[07]\r\nLCID=0x407\r\n");
    tree.Directory("c/Apps/Reader/07");
    options.system_id = "AB12";
    options.os = "vista32";
    options.lcid = "0x407";
    options.files.maps = {"c:=" + tree.Path("c")};
  }
  int Run() {
    out.str("");
    err.str("");
    return RunPlanVerb(options, out, err);
  }
  TempTree tree;
  PlanOptions options;
  std::ostringstream out;
  std::ostringstream err;
};

TEST(VerbsTest, PlanAsText) {
  Deployment d;
  ASSERT_EQ(0, d.Run()) << d.err.str();
  const std::string text = d.out.str();
  for (const char* line : {
           "  WaitForExit     (not given) -> no: every pause is slept whole\n",
           "machine   SystemID 0xAB12, OSType VISTA32\n",
           "  log path        C:LOGS\\RUN.LOG\n",
           "  MaxInstallTime  0x3C -> 0 seconds\n",
           "language  LCID 0x407 -> language code 07 (table read)\n",
           "pass 0    lists 0xFFFF, 0xAB12\n",
           "  0xFFFF APP1 Reader: launch C:\\Apps\\Reader\\07\\setup.exe /s\n",
           "  0xFFFF APP2 Gone: skipped, no section [Gone] in the INI file\n",
           "  0xAB12 APP1 Rel: launch Apps\\Rel\\r.exe\n    AppPath is not a full path: the "
           "installer is searched for in the current directory and along PATH",
           "pass 1    lists 0xFFFF_VISTA32, 0xAB12_VISTA32\n",
           "  0xAB12_VISTA32 APP1 Tool: launch C:\\Program Files\\Tool\\tool.exe /q\n",
           "    started as \"C:\\Program Files\\Tool\\tool.exe\" /q\n",
           "exit code 1\n",
       }) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
  }
  EXPECT_EQ(std::string::npos, text.find("assumptions")) << text;

  d.tree.File("deploy.ini", "[Settings]\r\nWaitForExit=1\r\n" + std::string(kIni).substr(12));
  ASSERT_EQ(0, d.Run()) << d.err.str();
  EXPECT_NE(std::string::npos,
            d.out.str().find("  WaitForExit     1 -> yes: each wait ends when its installer does\n"))
      << d.out.str();
  // The tree and the limit per launch: one application's own keys over [Settings].
  std::string tree_ini =
      "[Settings]\r\nWaitForChildren=1\r\nStopAtTimeLimit=1\r\n" + std::string(kIni).substr(12);
  tree_ini.insert(tree_ini.find("AppSwitches=tool.exe"),
                  "MaxInstallTime=1200\r\nStopAtTimeLimit=0\r\n");
  d.tree.File("deploy.ini", tree_ini);
  ASSERT_EQ(0, d.Run()) << d.err.str();
  const std::string own = "    waits for its whole tree, at most 1200 s, then left running\n";
  EXPECT_NE(std::string::npos,
            d.out.str().find(
                "    waits for its whole tree, not waited for (MaxInstallTime 0), left running\n"))
      << d.out.str();
  EXPECT_NE(std::string::npos, d.out.str().find(own)) << d.out.str();
  // The matrix tells the same of every cell that launches it, and the keys it reads them by.
  MatrixOptions matrix;
  matrix.ini = d.options.ini;
  matrix.files = d.options.files;
  std::ostringstream cells, matrix_err;
  ASSERT_EQ(0, RunMatrixVerb(matrix, cells, matrix_err)) << matrix_err.str();
  EXPECT_NE(std::string::npos, cells.str().find(", WaitForChildren 1, StopAtTimeLimit 1\n"))
      << cells.str();
  EXPECT_NE(std::string::npos, cells.str().find(own.substr(4))) << cells.str();
  matrix.json = true;
  cells.str("");
  ASSERT_EQ(0, RunMatrixVerb(matrix, cells, matrix_err)) << matrix_err.str();
  const nlohmann::json json = nlohmann::json::parse(cells.str());
  EXPECT_EQ(true, json["settings"]["stop_at_time_limit"]) << cells.str();

  // With a HashList: the listed installer against its line, the others refused.
  d.tree.File("c/Apps/Reader/07/setup.exe", "a");
  d.tree.File("c/l.sha256",
              "\nca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb  "
              "Apps/Reader/07/setup.exe\n");
  d.tree.File("deploy.ini",
              "[Settings]\r\nHashList=C:\\l.sha256\r\n" + std::string(kIni).substr(12));
  ASSERT_EQ(0, d.Run()) << d.err.str();
  for (const char* line : {
           "  HashList        C:\\l.sha256: 1 files listed; an installer starts only when its "
           "files match\n",
           "  0xFFFF APP1 Reader: launch C:\\Apps\\Reader\\07\\setup.exe /s\n"
           "    verified C:\\Apps\\Reader\\07\\setup.exe against line 2 of the HashList\n",
           "  0xAB12_VISTA32 APP1 Tool: skipped, SHA-256 not verified: C:\\Program "
           "Files\\Tool\\tool.exe: "
           "not in the list (the run logs a failed launch)\n",
       }) {
    EXPECT_NE(std::string::npos, d.out.str().find(line)) << line << "\n" << d.out.str();
  }
}

TEST(VerbsTest, HashListsFilesAsSha256sumDoes) {
  TempTree tree;
  tree.File("k/z.exe", "b");
  tree.File("k/a b/x.exe", "a");
  tree.File("k.txt", "a");
  tree.File("k/back\\slash.exe", "a");
  // Names no Windows file has are told, never written raw into the list.
  tree.File("k/not\xFFutf8.exe", "a");
  tree.File("k/line\nfeed.exe", "a");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(tree.root());
  std::ostringstream out;
  std::ostringstream err;
  HashOptions options;
  options.paths = {"k", "k.txt", "k/z.exe"};
  const int status = RunHashVerb(options, out, err);
  options.paths = {"gone"};
  std::ostringstream none;
  const int missing = RunHashVerb(options, none, err);
  std::filesystem::current_path(before);
  const std::string a = "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";
  const std::string b = "3e23e8160039594a33894f6564e1b1348bbd7a0088d42c4acb73eeaed59c009d";
  EXPECT_EQ(1, status) << err.str();
  EXPECT_NE(std::string::npos, err.str().find("not listed: the name is not UTF-8")) << err.str();
  EXPECT_NE(std::string::npos, err.str().find("feed.exe: not listed: no Windows name"))
      << err.str();
  EXPECT_EQ(
      a + "  k.txt\n" + a + "  k/a b/x.exe\n\\" + a + "  k/back\\\\slash.exe\n" + b + "  k/z.exe\n",
      out.str());
  EXPECT_EQ(2, missing);
  EXPECT_EQ("", none.str());
  EXPECT_NE(std::string::npos, err.str().find("quillplan hash: gone: cannot be read")) << err.str();
}

// With exit codes recorded, the plan shows the retry and each launch's
// success codes, and diff tells the change from the deployment without them.
TEST(VerbsTest, ExitCodeKeysInPlanAndDiff) {
  Deployment d;
  std::string ini = kIni;
  ini.replace(ini.find("[0xFFFF]"), 0, "LogExitCodes=1\r\nBusyRetries=2\r\nMaxRestarts=12\r\n");
  ini.replace(ini.find("[Tool]"), 0, "SuccessCodes=0, 0xBC2\r\n");
  d.options.ini = d.tree.File("exit.ini", ini);
  ASSERT_EQ(0, d.Run()) << d.err.str();
  for (const char* line : {
           "  exit codes      recorded and judged; busy 1618 tried again up to 2 times, 60 s "
           "apart; "
           "a reboot verdict restarts Windows, at most 10 times, and the run resumes after that "
           "installer\n",
           "  0xFFFF APP1 Reader: launch C:\\Apps\\Reader\\07\\setup.exe /s\n"
           "    success codes 0, 3010 (SuccessCodes)\n",
           "    started as \"C:\\Program Files\\Tool\\tool.exe\" /q\n"
           "    success codes 0, 1707, 3010, 1641 (default)\n",
       }) {
    EXPECT_NE(std::string::npos, d.out.str().find(line)) << line << "\n" << d.out.str();
  }

  DiffOptions diff;
  diff.old_ini = d.tree.File("deploy.ini", kIni);
  diff.new_ini = d.options.ini;
  diff.old_files.maps = diff.new_files.maps = d.options.files.maps;
  std::ostringstream out, err;
  EXPECT_EQ(1, RunDiffVerb(diff, out, err)) << err.str();
  EXPECT_NE(std::string::npos, out.str().find("not recorded")) << out.str();
  EXPECT_NE(
      std::string::npos,
      out.str().find("now launch C:\\Apps\\Reader\\<code>\\setup.exe /s; success codes 0, 3010\n"))
      << out.str();
}

// A language code that is no folder name is named under the language line.
TEST(VerbsTest, PlanNamesALanguageCodeThatIsNoFolderName) {
  Deployment d;
  d.options.lcid.clear();
  d.options.language_code = "..\\Temp";
  ASSERT_EQ(0, d.Run()) << d.err.str();
  EXPECT_NE(std::string::npos, d.out.str().find("language  language code ..\\Temp (given)\n"
                                                "          language code ..\\Temp is no folder "
                                                "name: %LANG% takes no folder from it"))
      << d.out.str();
}

TEST(VerbsTest, PlanAsJson) {
  Deployment d;
  d.options.json = true;
  d.options.os = "WIN10";
  d.options.files.maps.clear();  // nothing mapped: the table and folders are assumed
  d.options.files.language_table = d.tree.Path("c/AppInstl/LANG.INI");
  ASSERT_EQ(0, d.Run()) << d.err.str();
  const nlohmann::json plan = nlohmann::json::parse(d.out.str());
  EXPECT_EQ("", plan["os_type"]);
  EXPECT_EQ("unrecognised-system", plan["ending"]);
  EXPECT_EQ(0, plan["exit_code"]);
  EXPECT_EQ(1u, plan["passes"].size());
  EXPECT_TRUE(plan["language"]["table_read"].get<bool>());
  EXPECT_FALSE(plan["settings"]["wait_for_exit"].get<bool>());
  const nlohmann::json& reader = plan["passes"][0]["entries"][0];
  EXPECT_EQ("C:\\Apps\\Reader\\07\\setup.exe /s", reader["command_line"]);
  EXPECT_EQ("assumed", reader["file_questions"][0]["basis"]);
  EXPECT_EQ("no-section", plan["passes"][0]["entries"][1]["skipped"]);
  ASSERT_EQ(1u, plan["assumptions"].size());
  EXPECT_EQ("C:\\Apps\\Reader\\07", plan["assumptions"][0]["path"]);
}

TEST(VerbsTest, InputsThatDoNotServe) {
  struct Case {
    const char* what;
    void (*spoil)(PlanOptions&);
    int status;
  };
  const Case cases[] = {
      {"missing INI", [](PlanOptions& o) { o.ini += ".gone"; }, kTrouble},
      {"bad mapping", [](PlanOptions& o) { o.files.maps = {"C:"}; }, kUsage},
      {"bad LCID", [](PlanOptions& o) { o.lcid = "0xZZ"; }, kUsage},
      {"missing table", [](PlanOptions& o) { o.files.language_table = "/nonexistent/LANG.INI"; }, kTrouble},
  };
  for (const Case& c : cases) {
    Deployment d;
    c.spoil(d.options);
    EXPECT_EQ(c.status, d.Run()) << c.what;
    EXPECT_FALSE(d.err.str().empty()) << c.what;
    EXPECT_TRUE(d.out.str().empty()) << c.what;
  }
}

// An escape sequence in an INI file's names reaches no terminal, in any verb.
TEST(VerbsTest, ControlCharactersOfTheIniAreShownEscaped) {
  const std::string ini = "[Settings]\r\nAppInstlPath=C:\\AppInstl\r\n[0xAB12]\r\nAPP1=Gone\x1b]0;x\x07\r\n";
  TempTree tree;
  const std::string path = tree.File("deploy.ini", ini);
  const std::string edited = tree.File("edited.ini", ini + "APP2=Also\x1b[2J\r\n");
  const std::string table = tree.File("LANG.INI", "[07]\r\nLCID=0x407\r\n");
  const std::function<int(std::ostream&, std::ostream&)> verbs[] = {
      [&](std::ostream& out, std::ostream& err) {
        PlanOptions o;
        o.ini = path;
        o.system_id = "AB12";
        o.os = "WINXP";
        o.lcid = "0x407";
        o.files.language_table = table;
        return RunPlanVerb(o, out, err);
      },
      [&](std::ostream& out, std::ostream& err) {
        MatrixOptions o;
        o.ini = path;
        o.files.language_table = table;
        return RunMatrixVerb(o, out, err);
      },
      [&](std::ostream& out, std::ostream& err) {
        LintOptions o;
        o.ini = path;
        o.files.language_table = table;
        return RunLintVerb(o, out, err);
      },
      [&](std::ostream& out, std::ostream& err) {
        DiffOptions o;
        o.old_ini = path;
        o.new_ini = edited;
        o.old_files.language_table = o.new_files.language_table = table;
        return RunDiffVerb(o, out, err);
      },
  };
  for (const auto& verb : verbs) {
    std::ostringstream out, err;
    verb(out, err);
    EXPECT_EQ(std::string::npos, out.str().find('\x1b')) << out.str() << err.str();
    EXPECT_EQ(std::string::npos, out.str().find('\x07')) << out.str();
    EXPECT_NE(std::string::npos, out.str().find("\\x1b")) << out.str() << err.str();
  }
}

TEST(VerbsTest, ReportOfALogFile) {
  TempTree tree;
  ReportOptions options;
  options.logs = {tree.File("QUILLRUN.LOG",
                          std::string(109, '*') + "\r\nQUILLRUN starts at: 09:05:03 Sunday, "
                          "December 06, 2026\r\n" + std::string(109, '*') + "\r\n\r\n"
                          "SystemID      => 0xAB12\r\nOSType\t\t  => WINXP\r\n"
                          "ERROR:: \"AppInstlPath\" was not specified in the Input INI file!\r\n")};
  options.json = true;
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(0, RunReportVerb(options, out, err));
  const nlohmann::json report = nlohmann::json::parse(out.str());
  EXPECT_EQ("missing-appinstlpath", report["runs"][0]["outcome"]);
  EXPECT_EQ("2026-12-06 09:05:03", report["runs"][0]["start"]);
  options.logs[0] += ".gone";
  EXPECT_EQ(kTrouble, RunReportVerb(options, out, err));
}

// A run whose HashList kept two installers from starting: each counts as
// a failed launch with its cause, and the causes are counted.
TEST(VerbsTest, ReportCountsWhatTheHashListKeptFromStarting) {
  const std::string stars(109, '*');
  auto app = [](const std::string& name, const std::string& checked, const std::string& result) {
    return "Processing: SysID => \"0xFFFF\", Application => \"" + name +
           "\"\r\nLAUNCHED => \"C:\\" + name +
           ".exe\"\r\nSTART:: 09:05:03 Sunday, December 06, 2026\r\n" + checked +
           "END  :: 09:05:04 Sunday, December 06, 2026\r\nRESULT   => " + result + "\r\n\r\n";
  };
  const std::string failed = "Failed to launch the command.";
  const std::string log =
      stars + "\r\nQUILLRUN starts at: 09:05:03 Sunday, December 06, 2026\r\n" + stars +
      "\r\n\r\nSystemID      => 0xPC\r\nOSType\t\t  => WINXP\r\nLCID          => 0x409\r\n"
      "Language Code => 12\r\n\r\nSHA-256 LIST => C:\\l.sha256, line 3, does not read.\r\n" +
      app("Good", "SHA-256 VERIFIED => C:\\Good.exe, line 1 of the list.\r\n",
          "Command finished in less than 1 seconds.") +
      app("Changed",
          "SHA-256 NOT VERIFIED => C:\\Changed.exe: expected " + std::string(64, 'a') + ", found " +
              std::string(64, 'b') + ".\r\n",
          failed) +
      app("Unlisted", "SHA-256 NOT VERIFIED => C:\\Unlisted.exe: not in the list.\r\n", failed);
  TempTree tree;
  ReportOptions options;
  options.logs = {tree.File("PC.LOG", log)};
  options.json = true;
  for (const bool fleet : {false, true}) {
    options.fleet = fleet;
    std::ostringstream out, err;
    ASSERT_EQ(0, RunReportVerb(options, out, err)) << err.str();
    const nlohmann::json report = nlohmann::json::parse(out.str());
    const nlohmann::json& totals = report["totals"];
    EXPECT_EQ(2, totals["failed_to_launch"]) << out.str();
    EXPECT_EQ((nlohmann::json{{"hash differs", 1}, {"not in the list", 1}}),
              totals["not_verified"]);
    if (fleet) {
      EXPECT_EQ("Changed not verified: hash differs, Unlisted not verified: not in the list",
                report["pcs"]["still_failing_list"][0]["what"]);
    }
  }
}

}  // namespace
}  // namespace quill::plan
