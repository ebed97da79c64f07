// The exit statuses as a user's script sees them: the whole program run,
// one table for every verb, the status of each row as --help states it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench_process.h"
#include "plan/text/shown_text.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Nothing that drives a terminal or is not UTF-8.
bool TerminalSafe(const std::string& text) {
  if (ValidUtf8(text) != text) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : 0);
    if ((c < 0x20 && c != '\n') || c == 0x7F || (c == 0xC2 && next < 0xA0)) return false;
    if (text.compare(i, 3, "\xE2\x80\xAE") == 0) return false;
  }
  return true;
}

TEST(ExitStatusTest, OneMeaningInEveryVerb) {
  TempTree tree;
  const std::string good_ini = tree.File("good.ini", "[Settings]\r\nAppInstlPath=C:\\AppInstl\r\n");
  const std::string bad_ini = tree.File("bad.ini", "[Settings]\r\nLogFile=x\r\n");
  const std::string warned_ini = tree.File("warned.ini", "[Settings]\r\nAppInstlPath=C:\\A\r\nAppInstlPath=D:\\\r\n");
  const std::string table = tree.File("LANG.INI", "[07]\r\nLCID=0x407\r\n");
  const std::string log = tree.File("QUILLRUN.LOG",
                                    std::string(109, '*') + "\r\nQUILLRUN starts at: 09:05:03 Sunday, "
                                    "December 06, 2026\r\n" + std::string(109, '*') + "\r\n\r\n");
  // A PC whose latest run names its machine, Windows and locale; one list
  // that only NEW gives that machine.
  const std::string pc_log = tree.File("pcs/PC1.LOG", Slurp(log) + "SystemID      => 0xAB12\r\n"
                                       "OSType\t\t  => WINXP\r\nLCID          => 0x407\r\n"
                                       "Language Code => 07\r\n");
  const std::string listed_ini = tree.File("listed.ini", Slurp(good_ini) + "[0xAB12]\r\nAPP1=X\r\n"
                                           "[X]\r\nAppPath=C:\\X\r\nAppSwitches=x.exe\r\n");
  const std::string out = tree.Path("out.txt");
  // A share's worst: a log named with a line feed, a right-to-left
  // override and bytes that are not UTF-8, which names no SystemID; a
  // SystemID with a C1 control.
  tree.File("hostile/PC\n\xE2\x80\xAE\xFF\xFE\x80.LOG", Slurp(log));
  tree.File("hostile/PC2.LOG", Slurp(log) + "SystemID      => 0xAB12\x85\r\nOSType\t\t  => WINXP\r\n"
                               "LCID          => 0x407\r\n");
  const std::string hostile = tree.Path("hostile");
  tree.File("readme/PC1.LOG", Slurp(pc_log));
  tree.File("readme/README.txt", "Collected by the task sequence.\r\n");
  const std::string readme = tree.Path("readme");
  const std::string kept = tree.File("kept.html", "<html>the last good page</html>\n");
  std::filesystem::create_symlink(log, tree.Path("log-link.csv"));
  // What a share holds besides logs: a link to the latest log, a named pipe.
  tree.File("linked/PC1.LOG", Slurp(pc_log));
  std::filesystem::create_symlink(tree.Path("linked/PC1.LOG"), tree.Path("linked/latest.LOG"));
  ASSERT_EQ(0, mkfifo(tree.Path("linked/pipe").c_str(), 0600));
  tree.File("linked/runs.csv.quillplan-99-0000beef.part", Slurp(pc_log));  // a killed report's
  const std::string linked = tree.Path("linked");
  std::filesystem::create_directories(tree.Path("empty"));
  std::filesystem::create_hard_link(pc_log, tree.Path("pcs-hard.csv"));
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::string output;  // where stdout goes
    std::string says = "";  // a text stdout holds
    std::string intact = "";  // a file the run leaves as it was
    std::string tells = "";   // a text stderr holds
  } rows[] = {
      {{"--version"}, 0, out, "quillplan 1.0.0"},
      {{"--help"}, 0, out, "  3  usage: an unknown verb or option"},
      {{"bogus"}, 3, out},
      {{}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP"}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407",
        "--language-code", "07"},
       3,
       out},
      {{"report", "--top", "-1", log}, 3, out},
      {{"lint", tree.root()}, 2, out},
      {{"diff", good_ini}, 3, out},
      {{"report", "--no-such-option", log}, 3, out},
      {{"report", "--csv", "-", "--html", "-", log}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0xZZ"}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407"},
       0,
       out,
       "machine"},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407"},
       2,
       "/dev/full"},
      {{"matrix", good_ini, "--lang-table", table}, 0, out},
      {{"matrix", good_ini, "--lang-table", table}, 2, "/dev/full"},
      {{"matrix", good_ini + ".gone"}, 2, out},
      {{"lint", good_ini, "--lang-table", table}, 0, out},
      {{"lint", warned_ini, "--lang-table", table}, 1, out},
      {{"lint", bad_ini, "--lang-table", table}, 2, out},
      {{"diff", good_ini, good_ini, "--lang-table", table}, 0, out},
      {{"diff", good_ini, warned_ini, "--lang-table", table}, 1, out},
      {{"diff", good_ini, good_ini + ".gone"}, 2, out},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", pc_log},
       1,
       out,
       "touched: 1 PC"},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", log}, 0, out, "1 apart"},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", pc_log, log + ".gone"},
       2,
       out},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--csv", "-"}, 3, out},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", pc_log},
       0,
       out,
       "WINXP    07 (0x407)  A     1"},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", log + ".gone"}, 2, out},
      {{"report", log}, 0, out, "run 1"},
      {{"report", log}, 2, "/dev/full"},
      {{"report", log, log + ".gone"}, 1, out, "files: 1 run logs read, 1 skipped"},
      {{"report", log + ".gone"}, 2, out},
      {{"report", "--csv", "-", log}, 0, out, "log file,run,run start"},
      // An output that is an input, or another output, is refused before
      // anything is written; a run that fails leaves the old output.
      {{"report", log, "--csv", log}, 3, out, "", log},
      {{"report", log, "--csv", tree.Path("log-link.csv")}, 3, out, "", log},
      {{"report", tree.Path("pcs"), "--html", tree.Path("pcs-hard.csv")}, 3, out, "", pc_log},
      {{"report", tree.Path("pcs"), "--html", pc_log}, 3, out, "", pc_log},
      {{"report", log, "--csv", kept, "--html", tree.Path("./kept.html")}, 3, out, "", kept},
      {{"report", log, "--csv", "-", "--json"}, 3, out},
      {{"report", log, "--since", ""}, 3, out},
      // A value left out, given empty, or twice: told in the house's words.
      {{"report", log, "--csv"}, 3, out, "", "", "--csv: wants a value (TEXT)"},
      {{"report", log, "--csv", tree.Path("a.csv"), "--csv", tree.Path("b.csv")},
       3,
       out,
       "",
       "",
       "--csv: is given 2 times"},
      {{"report", log, "--csv", ""}, 3, out, "", "", "--csv: wants a value, not \"\""},
      {{"report", log, "--html", ""}, 3, out, "", "", "--html: wants a value"},
      {{"report", "--csv", "--json", log},
       3,
       out,
       "",
       "",
       "--csv: wants a value, not the option --json"},
      {{"report", log, "--app", ""}, 3, out, "", "", "--app: wants a value"},
      {{"report", log, "--model", ""}, 3, out, "", "", "--model: wants a value"},
      {{"report", log, "--os", ""}, 3, out, "", "", "--os: wants a value"},
      {{"diff", good_ini, listed_ini, "--csv", ""}, 3, out, "", "", "--csv: wants a value"},
      {{"report", tree.Path("empty")}, 2, out, "", "", "empty: no run log read"},
      {{"report", tree.Path("empty"), "--json"}, 2, out, "", "", "empty: no run log read"},
      // A file that is no run log is named; the fleet's answer stands.
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", readme},
       1,
       out,
       "0 apart; 1 file skipped, named on stderr\ntouched: 1 PC"},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", readme},
       0,
       out,
       "WINXP    07 (0x407)  A     1"},
      {{"report", readme}, 1, out, "files: 1 run logs read, 1 skipped"},
      {{"report", tree.Path("readme/README.txt"), "--csv", tree.Path("readme/README.txt")},
       3,
       out,
       "",
       tree.Path("readme/README.txt")},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", linked},
       1,
       out,
       "touched: 1 PC"},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", linked},
       0,
       out,
       "WINXP    07 (0x407)  A     1"},
      {{"report", linked}, 1, out, "files: 1 run logs read, 2 skipped"},
      // A map's folder must be there; a SystemID and a model in either form.
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407", "--map",
        "C:=" + tree.Path("none")},
       2,
       out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407", "--map",
        "C:=/dev/zero"},
       2,
       out},
      {{"diff", good_ini, good_ini, "--old-map", "C:=" + tree.Path("none")}, 2, out},
      {{"plan", listed_ini, "--system-id", "0xAB12", "--os", "WINXP", "--lcid", "0x407",
        "--lang-table", table},
       0,
       out,
       "x.exe"},
      {{"plan", listed_ini, "--system-id", "0x0xAB12", "--os", "WINXP", "--lcid", "0x407",
        "--lang-table", table},
       0,
       out,
       "SystemID 0x0xAB12,"},
      {{"report", "--fleet", "--model", "AB12", pc_log}, 0, out, "runs: 1 on 1 models"},
      {{"report", log + ".gone", "--html", kept}, 2, out, "", kept},
      {{"diff", good_ini, listed_ini, "--fleet", pc_log, "--csv", listed_ini},
       3,
       out,
       "",
       listed_ini},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", pc_log, "--csv", table},
       3,
       out,
       "",
       table},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", pc_log, "--csv", "-",
        "--json"},
       3,
       out},
      // Every verb's output is valid, and safe on a terminal, whatever the logs hold.
      {{"report", hostile}, 0, out, "PC\\x0a\\xe2\\x80\\xae\\xff\\xfe\\x80.LOG"},
      {{"report", hostile, "--json"}, 0, out},
      {{"report", hostile, "--csv", "-"},
       0,
       out,
       "PC\n\xE2\x80\xAE\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", hostile}, 0, out, "PC\\x0a"},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", hostile, "--json"}, 0, out},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", hostile},
       0,
       out,
       "PC\\x0a"},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", hostile, "--json"}, 0, out},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", hostile, "--csv", "-"},
       0,
       out},
  };
  std::map<std::string, std::string> before;
  for (const Row& row : rows) {
    if (!row.intact.empty()) before[row.intact] = Slurp(row.intact);
  }
  // Every error in one form: the verb (none before one is known), what it
  // is about, the cause.
  const std::regex one_form("quillplan( (plan|matrix|lint|report|diff))?: [^ ].*: [^ ].*");
  const std::string errors = tree.Path("errors.txt");
  for (const Row& row : rows) {
    std::vector<std::string> arguments = {QUILLPLAN_BINARY};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const TimedRun run = RunTimed(arguments, row.output, errors);
    std::string shown;
    for (const std::string& argument : row.arguments) shown += " " + argument;
    EXPECT_EQ(row.status, run.status) << shown;
    if (!row.intact.empty()) {
      EXPECT_EQ(before.at(row.intact), Slurp(row.intact)) << shown;
    }
    if (!row.says.empty()) {
      EXPECT_NE(std::string::npos, Slurp(out).find(row.says)) << shown;
    }
    if (!row.tells.empty()) {
      EXPECT_NE(std::string::npos, Slurp(errors).find(row.tells)) << shown << ": " << Slurp(errors);
    }
    std::istringstream told(Slurp(errors));
    int lines = 0;
    for (std::string line; std::getline(told, line); ++lines) {
      EXPECT_TRUE(std::regex_match(line, one_form)) << shown << ": " << line;
    }
    // Trouble and usage are told; lint's errors are its findings, on stdout.
    const bool lint = !row.arguments.empty() && row.arguments[0] == "lint";
    if (run.status >= 2 && !lint) {
      EXPECT_GT(lines, 0) << shown;
    }
    if (row.output != out) continue;
    const std::string written = Slurp(out);
    // A CSV is data, whose cells may hold line ends; but it is UTF-8.
    if (std::count(row.arguments.begin(), row.arguments.end(), "--csv")) {
      EXPECT_EQ(ValidUtf8(written), written) << shown;
    } else {
      EXPECT_TRUE(TerminalSafe(written)) << shown << "\n" << written;
    }
    if (std::count(row.arguments.begin(), row.arguments.end(), "--json") && row.status < 2) {
      EXPECT_TRUE(nlohmann::json::accept(written)) << shown << "\n" << written;
    }
  }
}

// An output is whole or absent: of two reports writing one page at once,
// the page is one of the two; a run whose write fails midway (the file
// size limit reached) leaves the old page.
TEST(ExitStatusTest, OutputsAreWholeOrAbsent) {
  TempTree tree;
  std::string run = std::string(109, '*') + "\r\nQUILLRUN starts at: 09:05:03 Sunday, "
                    "December 06, 2026\r\n" + std::string(109, '*') + "\r\n\r\n"
                    "SystemID      => 0xAB12\r\nOSType\t\t  => WINXP\r\n";
  for (int pc = 0; pc < 300; ++pc) {
    tree.File("a/PC" + std::to_string(pc) + ".LOG", run);
    tree.File("b/PC" + std::to_string(pc) + ".LOG", run + (pc % 2 ? "" : "LCID          => 0x407\r\n"));
  }
  const std::string page = tree.Path("page.html");
  std::string alone[2];
  for (int side = 0; side < 2; ++side) {
    RunTimed({QUILLPLAN_BINARY, "report", tree.Path(side ? "b" : "a"), "--html", page}, "/dev/null");
    alone[side] = Slurp(page);
  }
  ASSERT_NE(alone[0], alone[1]);
  for (int round = 0; round < 5; ++round) {
    std::thread writers[4];
    for (int i = 0; i < 4; ++i) {
      writers[i] = std::thread([&, i] {
        RunTimed({QUILLPLAN_BINARY, "report", tree.Path(i % 2 ? "b" : "a"), "--html", page}, "/dev/null");
      });
    }
    for (std::thread& writer : writers) writer.join();
    const std::string written = Slurp(page);
    EXPECT_TRUE(written == alone[0] || written == alone[1]) << "round " << round;
  }
  // A link given as the output stays a link; the file keeps its permissions.
  std::filesystem::permissions(page, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  std::filesystem::create_symlink(page, tree.Path("page-link.html"));
  std::filesystem::remove(page);
  ASSERT_EQ(0, RunTimed({QUILLPLAN_BINARY, "report", tree.Path("a"), "--html",
                         tree.Path("page-link.html")},
                        "/dev/null")
                   .status);
  EXPECT_TRUE(std::filesystem::is_symlink(tree.Path("page-link.html")));
  EXPECT_EQ(alone[0], Slurp(page));
  std::filesystem::permissions(page, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  RunTimed({QUILLPLAN_BINARY, "report", tree.Path("b"), "--html", tree.Path("page-link.html")},
           "/dev/null");
  EXPECT_EQ(alone[1], Slurp(page));
  EXPECT_EQ(std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read,
            std::filesystem::status(page).permissions());
  std::filesystem::remove(tree.Path("page-link.html"));
  const std::string last = Slurp(page);
  const TimedRun limited = RunTimed({"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" \"$@\"",
                                     QUILLPLAN_BINARY, "report", tree.Path("a"), "--html", page},
                                    "/dev/null");
  EXPECT_EQ(2, limited.status);
  EXPECT_EQ(last, Slurp(page));
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tree.root())) files += entry.is_regular_file();
  EXPECT_EQ(1u, files) << "no part left behind";

  // Ended by a signal while it writes: its part files go with it.
  {
    std::ofstream big(tree.Path("big.log"), std::ios::binary);
    for (size_t written = 0; written < (24u << 20); written += run.size()) big << run;
  }
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
      for (int reset : {SIGINT, SIGTERM, SIGHUP}) signal(reset, SIG_DFL);
      freopen("/dev/null", "w", stdout);
      execl(QUILLPLAN_BINARY, QUILLPLAN_BINARY, "report", tree.Path("big.log").c_str(), "--csv",
            tree.Path("runs.csv").c_str(), "--html", page.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    auto parts = [&] {
      size_t found = 0;
      for (const auto& entry : std::filesystem::directory_iterator(tree.root())) {
        found += entry.path().extension() == ".part";
      }
      return found;
    };
    for (int wait = 0; wait < 5000 && parts() < 2; ++wait) usleep(1000);
    EXPECT_EQ(2u, parts()) << "the report is writing";
    kill(child, signal_number);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number;
    EXPECT_EQ(0u, parts()) << signal_number;
  }
}

// A log is held a run at a time, an INI file as its text and a few bytes
// a key: memory follows the work, not the size of a log. Not built under
// the sanitizers, whose own memory would drown the figures.
#if !defined(__SANITIZE_ADDRESS__)
TEST(ExitStatusTest, MemoryFollowsTheWorkNotTheFile) {
  TempTree tree;
  const std::string run = std::string(109, '*') + "\r\nQUILLRUN starts at: 09:05:03 Sunday, "
                          "December 06, 2026\r\n" + std::string(109, '*') + "\r\n\r\n"
                          "SystemID      => 0xAB12\r\nOSType\t\t  => WINXP\r\n"
                          "ERROR:: \"AppInstlPath\" was not specified in the Input INI file!\r\n";
  {
    std::ofstream log(tree.Path("big.log"), std::ios::binary);
    for (size_t written = 0; written < (64u << 20); written += run.size()) log << run;
  }
  std::string ini = "[Settings]\r\nAppInstlPath=C:\\AppInstl\r\n";
  for (int section = 0; ini.size() < (16u << 20); ++section) {
    ini += "[App" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 20; ++key) {
      ini += "Key" + std::to_string(key) + "=value number " + std::to_string(key) + " of section " +
             std::to_string(section) + "\r\n";
    }
  }
  const std::string ini_path = tree.File("big.ini", ini);
  // Past the longest text an INI file may hold, and sparse: told by its size, not read.
  const std::string huge_ini = tree.File("huge.ini", "[Settings]\r\n");
  std::filesystem::resize_file(huge_ini, 2200000000u);
  // A child's peak as the kernel counts it starts from this process's own
  // (its memory before the exec), so each is measured over a bare run.
  const long bare = RunTimed({QUILLPLAN_BINARY, "--version"}, "/dev/null").peak_kib;
  const struct {
    std::vector<std::string> arguments;
    long most_kib;  // over the bare run
  } rows[] = {
      {{"report", tree.Path("big.log")}, 16 << 10},  // it held the whole file, and more
      {{"report", tree.root()}, 16 << 10},
      // 16 MB of INI file: about 28 MB, which took 81 MB, and 57 MB for two, which took 160 MB
      {{"lint", ini_path}, 40 << 10},
      {{"diff", ini_path, ini_path}, 80 << 10},
      {{"lint", huge_ini}, 16 << 10},
  };
  for (const auto& row : rows) {
    std::vector<std::string> arguments = {QUILLPLAN_BINARY};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const TimedRun run_of = RunTimed(arguments, "/dev/null");
    EXPECT_GE(run_of.status, 0) << row.arguments[0];
    EXPECT_LT(run_of.peak_kib - bare, row.most_kib) << row.arguments[0] << " " << row.arguments[1];
  }
}
#endif

}  // namespace
}  // namespace quill::plan
