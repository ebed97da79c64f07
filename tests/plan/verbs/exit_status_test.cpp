// The exit statuses as a user's script sees them: the whole program run,
// one table for every verb, the status of each row as --help states it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bench_process.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::string output;  // where stdout goes
    std::string says = "";  // a text stdout holds
  } rows[] = {
      {{"--version"}, 0, out, "quillplan 1.0.0"},
      {{"--help"}, 0, out, "  3  usage: an unknown verb or option"},
      {{"bogus"}, 3, out},
      {{}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP"}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407", "--language-code", "07"}, 3, out},
      {{"report", "--top", "-1", log}, 3, out},
      {{"lint", tree.root()}, 2, out},
      {{"diff", good_ini}, 3, out},
      {{"report", "--no-such-option", log}, 3, out},
      {{"report", "--csv", "-", "--html", "-", log}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0xZZ"}, 3, out},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407"}, 0, out, "machine"},
      {{"plan", good_ini, "--system-id", "AB12", "--os", "WINXP", "--lcid", "0x407"}, 2, "/dev/full"},
      {{"matrix", good_ini, "--lang-table", table}, 0, out},
      {{"matrix", good_ini, "--lang-table", table}, 2, "/dev/full"},
      {{"matrix", good_ini + ".gone"}, 2, out},
      {{"lint", good_ini, "--lang-table", table}, 0, out},
      {{"lint", warned_ini, "--lang-table", table}, 1, out},
      {{"lint", bad_ini, "--lang-table", table}, 2, out},
      {{"diff", good_ini, good_ini, "--lang-table", table}, 0, out},
      {{"diff", good_ini, warned_ini, "--lang-table", table}, 1, out},
      {{"diff", good_ini, good_ini + ".gone"}, 2, out},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", pc_log}, 1, out, "touched: 1 PC"},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", log}, 0, out, "1 apart"},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--fleet", pc_log, log + ".gone"}, 2, out},
      {{"diff", good_ini, listed_ini, "--lang-table", table, "--csv", "-"}, 3, out},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", pc_log}, 0, out, "WINXP    07 (0x407)  A     1"},
      {{"matrix", listed_ini, "--lang-table", table, "--fleet", log + ".gone"}, 2, out},
      {{"report", log}, 0, out, "run 1"},
      {{"report", log}, 2, "/dev/full"},
      {{"report", log, log + ".gone"}, 1, out, "files: 1 run logs read, 1 skipped"},
      {{"report", log + ".gone"}, 2, out},
      {{"report", "--csv", "-", log}, 0, out, "log file,run,run start"},
  };
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
    if (!row.says.empty()) {
      EXPECT_NE(std::string::npos, Slurp(out).find(row.says)) << shown;
    }
    std::istringstream told(Slurp(errors));
    int lines = 0;
    for (std::string line; std::getline(told, line); ++lines) {
      EXPECT_TRUE(std::regex_match(line, one_form)) << shown << ": " << line;
    }
    // Trouble and usage are told; lint's errors are its findings, on stdout.
    const bool lint = !row.arguments.empty() && row.arguments[0] == "lint";
    if (run.status >= 2 && !lint) EXPECT_GT(lines, 0) << shown;
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
