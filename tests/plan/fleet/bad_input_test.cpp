// What administrators' shares hold besides good logs, one row each: every
// row is answered, with its exit status and its reason, and nothing hangs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "log/log_record.h"
#include "plan/verbs/verbs.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

std::string Record(LogRecord record, std::vector<WString> texts = {}, int32_t number = 0) {
  return EncodeLogText(FormatLogRecord(record, {std::move(texts), number}));
}

// One run of one application, as the program writes it: the run from
// `start` to the application's `end`, on 6 December 2026.
std::string OneRun(const char16_t* start, const char16_t* end, const char16_t* app = u"Reader",
                   const char16_t* system_id = u"0xAB12") {
  const WString date = u"Sunday, December 06, 2026";
  return Record(LogRecord::kBannerFirstLine) + Record(LogRecord::kBannerSecondLine, {start, date}) +
         Record(LogRecord::kBannerThirdLine) + Record(LogRecord::kSystemIdentity, {system_id}) +
         Record(LogRecord::kOSTypeIdentity, {u"WINXP"}) +
         Record(LogRecord::kProcessing, {u"0xFFFF", app}) +
         Record(LogRecord::kLaunched, {u"C:\\setup.exe"}) +
         Record(LogRecord::kStart, {start, date}) + Record(LogRecord::kEnd, {end, date}) +
         Record(LogRecord::kResultFinished, {}, 1);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

struct BadInput {
  const char* row;
  std::function<void(const TempTree&, ReportOptions&)> make;
  int status;
  std::vector<std::string> out_has;
  std::vector<std::string> err_has;
  std::vector<std::string> out_lacks = {};
  std::vector<std::string> csv_has = {};  // in share/runs.csv, when the row writes it
};

TEST(BadInputTest, EachIsAnsweredWithItsStatusAndReason) {
  const std::string good = OneRun(u"09:00:00", u"09:00:06");
  // Option dates that name no day, or no days: a usage error with the reason.
  const auto DateRow = [&](const char* since, const char* until, const char* why) {
    return BadInput{"13: a date of an option",
                    [=](const TempTree& t, ReportOptions& o) {
                      o.logs = {t.File("a.log", good)};
                      o.since = since;
                      o.until = until;
                    },
                    kUsage, {}, {why}};
  };
  const BadInput rows[] = {
      {"1: a named pipe in a folder",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", good);
         ASSERT_EQ(0, mkfifo(t.Path("share/pipe").c_str(), 0600));
         o.logs = {t.Path("share")};
       },
       kFound, {"files: 1 run logs read, 1 skipped"}, {"share/pipe: not read: a named pipe"}},
      {"1: a named pipe alone",
       [&](const TempTree& t, ReportOptions& o) {
         ASSERT_EQ(0, mkfifo(t.Path("pipe").c_str(), 0600));
         o.logs = {t.Path("pipe")};
       },
       kTrouble, {}, {"pipe: not read: a named pipe"}},
      {"4: NUL bytes a crash left before the next banner",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("share/a.log", good + std::string(5000, '\0') +
                                             OneRun(u"10:00:00", u"10:00:02", u"Tool"))};
         o.fleet = true;
       },
       kFound, {"runs: 2 on 1 models (SystemIDs); 0 ended in an error, 0 cut short", "Tool "}, {"a.log:13: a line that holds no record"}},
      {"4: a banner after 70,000 NUL bytes, and after a torn line of 300,000 bytes",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("share/a.log", good + std::string(70000, '\0') +
                                             OneRun(u"10:00:00", u"10:00:02", u"Tool") +
                                             std::string(300000, 'x') +
                                             OneRun(u"11:00:00", u"11:00:02", u"Last"))};
         o.fleet = true;
       },
       kFound, {"runs: 3 on 1 models (SystemIDs); 0 ended in an error, 0 cut short", "Tool ", "Last "}, {}},
      {"4: a log torn inside a record: the run is cut short, the value not read",
       [&](const TempTree& t, ReportOptions& o) {
         const std::string torn = OneRun(u"10:00:00", u"10:00:02", u"Tool", u"0xA1B2");
         o.logs = {t.File("share/a.log", good + torn.substr(0, torn.find("0xA1") + 4))};
         o.fleet = true;
       },
       kAllGood, {"runs: 2 on 2 models (SystemIDs); 0 ended in an error, 1 cut short", "still failing on 1 (1 of them cut short)"}, {},
       {"0xA1"}},
      {"4: a log that begins with NUL bytes, past the first 4 KiB",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", std::string(5000, '\0') + good);
         o.logs = {t.Path("share")};
       },
       kFound, {"files: 1 run logs read, 0 skipped", "runs: 1 on 1 models (SystemIDs)"}, {}},
      {"4: a banner after a torn line",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("a.log", good.substr(0, good.size() - 10) + good)};
       },
       kAllGood, {"run 2 0xAB12 WINXP", "totals: 2 runs in 12 s"}, {}},
      {"5: CR-only line ends",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("a.log", Replaced(good, "\r\n", "\r"))};
       },
       kAllGood, {"run 1 0xAB12 WINXP ", "totals: 1 runs in 6 s; 1 applications in 6 s"}, {},
       {"\r"}},
      {"6: control characters in names, one log",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("a.log", OneRun(u"09:00:00", u"09:00:01", u"\x1b]0;owned\x07\x1b[2J"))};
       },
       kAllGood, {"\\x1b]0;owned\\x07\\x1b[2J"}, {}, {"\x1b", "\x07"}},
      {"6: control characters in names and file names, a folder",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", OneRun(u"09:00:00", u"09:00:01", u"\x1b[2J", u"0x\x1b[31m"));
         t.File("share/evil\nfiles: 999999 run logs read", "not a log");
         o.logs = {t.Path("share")};
         o.html = t.Path("page.html");
       },
       kFound, {"\\x1b[2J", "0x\\x1b[31m", "evil\\x0afiles: 999999"}, {"evil\\x0afiles: 999999"},
       {"\x1b", "\nfiles: 999999"}},
      {"7: names a spreadsheet would run as formulas",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", OneRun(u"09:00:00", u"09:00:01", u"=HYPERLINK(\"x\")") +
                                   OneRun(u"09:00:00", u"09:00:01", u"@SUM(A1)", u"-2+3"));
         o.logs = {t.Path("share")};
         o.csv = t.Path("share/runs.csv");
       },
       kAllGood, {}, {}, {}, {"\"'=HYPERLINK(\"\"x\"\")\"", ",'@SUM(A1),", ",'-2+3,"}},
      {"8: a folder given as a link, and a link inside it",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", good);
         t.File("other/b.log", good);
         std::filesystem::create_directory_symlink(t.Path("share"), t.Path("linked"));
         std::filesystem::create_directory_symlink(t.Path("other"), t.Path("share/sibling"));
         o.logs = {t.Path("linked")};
       },
       kFound, {"files: 1 run logs read, 1 skipped"}, {"sibling: not read: a link"}},
      {"8, 12: a linked sibling folder, a folder given twice: each log once",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", good);
         t.File("other/b.log", OneRun(u"09:00:00", u"09:00:09"));
         std::filesystem::create_directory_symlink(t.Path("other"), t.Path("share/sibling"));
         o.logs = {t.Path("share"), t.Path("other"), t.Path("share"), t.Path("other/b.log")};
       },
       kFound, {"files: 2 run logs read, 1 skipped", "slowest run: 9 s, run 1 of "}, {}},
      {"10: an empty file alone",
       [&](const TempTree& t, ReportOptions& o) { o.logs = {t.File("a.log", "")}; },
       kTrouble, {}, {"a.log: not a run log: the file is empty"}},
      {"10: a UTF-16 file alone",
       [&](const TempTree& t, ReportOptions& o) {
         std::string utf16 = "\xFF\xFE";
         for (char c : std::string("QUILLRUN starts at: 09:00:00\r\n")) utf16 += std::string{c, '\0'};
         o.logs = {t.File("a.log", utf16)};
       },
       kTrouble, {}, {"a.log: not a run log: it is UTF-16 text"}},
      {"10: a UTF-16 file without its mark, alone",
       [&](const TempTree& t, ReportOptions& o) {
         std::string utf16;
         for (char c : std::string("QUILLRUN starts at: 09:00:00\r\n")) utf16 += std::string{c, '\0'};
         o.logs = {t.File("a.log", utf16)};
       },
       kTrouble, {}, {"a.log: not a run log: it is UTF-16 text"}},
      {"4: two lines that hold no record: the note names the first",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("share/a.log", good + "torn\r\n" + good + "torn again\r\n")};
         o.fleet = true;
       },
       kFound, {}, {"a.log:13: 2 lines hold no record (the first here)"}},
      {"10: a binary file alone",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("a.exe", std::string("MZ\x90\0\x03", 5) + std::string(9000, '\x7f'))};
       },
       kTrouble, {}, {"a.exe: not a run log: no banner"}},
      {"11: END an hour before START",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", OneRun(u"10:00:00", u"09:00:00") + OneRun(u"10:00:00", u"10:00:04"));
         o.logs = {t.Path("share")};
       },
       kAllGood, {"durations unknown: 2 with END before START", "slowest run: 4 s"}, {},
       {"-3600", " -"}},
      {"5: stamps that name no real moment are unreadable, and counted apart",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("share/a.log",
                          good + Replaced(good, "December 06, 2026", "February 29, 2100") +
                              Replaced(Replaced(good, "December 06, 2026", "February 30, 2026"),
                                       "09:00:00", "25:61:61") +
                              Replaced(OneRun(u"09:00:00", u"12:00:00"), "December 06, 2026",
                                       "January 01, 0000"))};
         o.fleet = true;
       },
       kAllGood, {"3 runs without a readable time", "slowest run: 6 s"}, {}, {"2100-03-01", "0000-"}},
      {"6: a PC whose clock says 1980 among others: counted and named, not drawn",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", good + Replaced(good, "December 06", "December 07"));
         t.File("share/b.log", Replaced(good, "December 06, 2026", "January 01, 1980"));
         o.logs = {t.Path("share")};
       },
       kAllGood, {"outside the trend, by clocks far from the others': 1 runs\n  1980-01-01  ", "b.log",
                  "2026-12-07           1"}, {}, {"week from", "1980-01-02"}},
      {"6: runs 91 days apart are drawn per week",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("share/a.log", good + Replaced(good, "December 06", "September 06"))};
         o.fleet = true;
       },
       kAllGood, {"week from"}, {}},
      {"6: runs 90 days apart are drawn per day",
       [&](const TempTree& t, ReportOptions& o) {
         o.logs = {t.File("share/a.log", good + Replaced(good, "December 06", "September 07"))};
         o.fleet = true;
       },
       kAllGood, {"2026-09-07"}, {}, {"week from", "outside the trend"}},
      {"13: a run at midnight on the --since day is in, one at midnight after --until is out",
       [&](const TempTree& t, ReportOptions& o) {
         const std::string midnight = OneRun(u"00:00:00", u"00:00:01");
         o.logs = {t.File("share/a.log", Replaced(midnight, "December 06", "December 05") + midnight +
                                             Replaced(midnight, "December 06", "December 07"))};
         o.fleet = true;
         o.since = o.until = "2026-12-06";
       },
       kAllGood, {"runs: 1 on 1 models"}, {}},
      DateRow("-001-01-01", "", "is no date"),
      DateRow(" 201-11-05", "", "is no date"),
      DateRow("2026- 1-05", "", "is no date"),
      DateRow("2100-02-29", "", "is no date"),
      DateRow("2030-01-01", "2020-01-01", "is after --until"),
      {"13: the report's own output files in the folder it reads",
       [&](const TempTree& t, ReportOptions& o) {
         t.File("share/a.log", good);
         o.logs = {t.Path("share")};
         o.csv = t.File("share/runs.csv", "written by the last report\r\n");
         o.html = t.File("share/page.html", "<html>");
       },
       kAllGood, {"files: 1 run logs read, 0 skipped"}, {}},
  };
  for (const BadInput& row : rows) {
    SCOPED_TRACE(row.row);
    TempTree tree;
    ReportOptions options;
    row.make(tree, options);
    std::ostringstream out, err;
    EXPECT_EQ(row.status, RunReportVerb(options, out, err)) << err.str();
    for (const std::string& text : row.out_has) {
      EXPECT_NE(std::string::npos, out.str().find(text)) << text << "\n" << out.str();
    }
    for (const std::string& text : row.err_has) {
      EXPECT_NE(std::string::npos, err.str().find(text)) << text << "\n" << err.str();
    }
    for (const std::string& text : row.out_lacks) {
      EXPECT_EQ(std::string::npos, out.str().find(text)) << out.str();
    }
    // What the text lacks, the page lacks too, its charts included.
    if (!options.html.empty()) {
      std::ifstream html(options.html, std::ios::binary);
      const std::string page((std::istreambuf_iterator<char>(html)),
                             std::istreambuf_iterator<char>());
      ASSERT_FALSE(page.empty());
      for (const std::string& text : row.out_lacks) EXPECT_EQ(std::string::npos, page.find(text));
    }
    if (row.status == kTrouble) {
      EXPECT_EQ("", out.str()) << "no report of nothing";
    }
    std::ifstream csv(tree.Path("share/runs.csv"), std::ios::binary);
    const std::string rows_written((std::istreambuf_iterator<char>(csv)), std::istreambuf_iterator<char>());
    for (const std::string& text : row.csv_has) {
      EXPECT_NE(std::string::npos, rows_written.find(text)) << rows_written;
    }
  }
}

// Logs are never rotated: a busy machine's log of any size is read whole,
// as a stream, and no run is made up where a reader's limit would cut it.
TEST(BadInputTest, ALogPastSixteenMebibytesIsReadWhole) {
  TempTree tree;
  const std::string run = OneRun(u"09:00:00", u"09:00:06");
  const int64_t runs = (17 << 20) / static_cast<int64_t>(run.size()) + 1;
  {
    std::ofstream log(tree.Path("share/big.log"), std::ios::binary);
    std::filesystem::create_directories(tree.Path("share"));
    log.open(tree.Path("share/big.log"), std::ios::binary);
    for (int64_t i = 0; i < runs; ++i) log << run;
  }
  ASSERT_GT(std::filesystem::file_size(tree.Path("share/big.log")), 17u << 20);
  ReportOptions options;
  options.logs = {tree.Path("share")};
  std::ostringstream out, err;
  EXPECT_EQ(kAllGood, RunReportVerb(options, out, err)) << err.str();
  EXPECT_NE(std::string::npos, out.str().find("runs: " + std::to_string(runs) +
                                              " on 1 models (SystemIDs); 0 ended in an error, 0 cut short"))
      << out.str();
}

}  // namespace
}  // namespace quill::plan
