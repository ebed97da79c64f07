#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "base/utf.h"
#include "log/log_record.h"
#include "log/time_stamp.h"
#include "plan/report/log_records.h"
#include "plan/report/report_text.h"
#include "plan/report/run_report.h"
#include "plan/report/run_stream.h"
#include "plan/text/civil_time.h"
#include "plan/text/exit_meanings.h"

namespace quill::plan {
namespace {

// A log as the program writes it: the core's own record texts and bytes.
class LogWriter {
 public:
  LogWriter& Record(LogRecord record, std::vector<WString> texts = {}, int32_t number = 0) {
    bytes_ += EncodeLogText(FormatLogRecord(record, {std::move(texts), number}));
    return *this;
  }
  LogWriter& Banner(const char16_t* time, const char16_t* date = u"Sunday, December 06, 2026") {
    return Record(LogRecord::kBannerFirstLine)
        .Record(LogRecord::kBannerSecondLine, {time, date})
        .Record(LogRecord::kBannerThirdLine)
        .Record(LogRecord::kSystemIdentity, {u"0xAB12"})
        .Record(LogRecord::kOSTypeIdentity, {u"WINXP"});
  }
  LogWriter& Language() {
    return Record(LogRecord::kLocaleLanguage, {u"0x407"}).Record(LogRecord::kCodeLanguage, {u"07"});
  }
  LogWriter& App(const char16_t* name, const char16_t* start, const char16_t* end) {
    return Record(LogRecord::kProcessing, {u"0xFFFF", name})
        .Record(LogRecord::kLaunched, {WString(u"C:\\Apps\\") + name + u"\\setup.exe /s"})
        .Record(LogRecord::kStart, {start, u"Sunday, December 06, 2026"})
        .Record(LogRecord::kEnd, {end, u"Sunday, December 06, 2026"});
  }
  LogWriter& Raw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

TEST(ReportTest, RunsAndApplicationsWithTheirOutcomes) {
  LogWriter log;
  log.Banner(u"09:05:03").Language()
      .App(u"Reader", u"09:05:04", u"09:05:05")
      .Record(LogRecord::kResultFinished, {}, 1)
      .App(u"BrokenPastTheThirtyFourColumnsOfItsCell", u"09:05:05", u"09:05:05")
      .Record(LogRecord::kResultLaunchFailed)
      .App(u"Sl\u00f6w", u"09:05:05", u"09:10:06")
      .Record(LogRecord::kResultTimedOut, {}, 300);
  log.Banner(u"23:59:58").Record(LogRecord::kMissingKeyError, {u"AppInstlPath"});
  log.Banner(u"10:00:00").Record(LogRecord::kFileOpenError, {u"C:\\AppInstl\\LANG.INI"});
  const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));

  ASSERT_EQ(3u, report.runs.size());
  const RunRow& first = report.runs[0];
  EXPECT_EQ(RunOutcome::kApplicationsRun, first.outcome);
  EXPECT_EQ("0xAB12", first.system_id.bytes());
  EXPECT_EQ("07", first.language_code.bytes());
  ASSERT_EQ(3u, first.applications.size());
  EXPECT_EQ(AppOutcome::kFinished, first.applications[0].outcome);
  EXPECT_EQ(1, first.applications[0].counted_seconds.value());
  EXPECT_EQ("C:\\Apps\\Reader\\setup.exe /s", first.applications[0].command_line.bytes());
  EXPECT_EQ(AppOutcome::kLaunchFailed, first.applications[1].outcome);
  EXPECT_EQ(AppOutcome::kTimedOut, first.applications[2].outcome);
  EXPECT_EQ(300, first.applications[2].counted_seconds.value());
  EXPECT_EQ(301, SecondsBetween(first.applications[2].start, first.applications[2].end).value());
  EXPECT_EQ(303, SecondsBetween(first.start, first.end).value());
  EXPECT_EQ(RunOutcome::kMissingAppInstlPath, report.runs[1].outcome);
  EXPECT_EQ(RunOutcome::kMissingLanguageTable, report.runs[2].outcome);
  EXPECT_EQ("C:\\AppInstl\\LANG.INI", report.runs[2].error.bytes());
  EXPECT_TRUE(report.unknown_lines.empty());

  std::ostringstream text;
  WriteReportText(report, text);
  EXPECT_NE(std::string::npos, text.str().find("totals: 3 runs in 303 s; 3 applications in 302 s: "
                                               "1 finished, 1 failed to launch, 1 timed out, 0 "
                                               "without result"))
      << text.str();
  // Cells of 34, 21, 21 and 36 columns (characters, not bytes), then the
  // seconds; a name past its cell still leaves a blank.
  EXPECT_NE(std::string::npos,
            text.str().find("\n  Sl\xC3\xB6w" + std::string(28, ' ') + "2026-12-06 09:05:05  2026-12-06 09:10:06  "
                            "did not finish in 300 s" + std::string(13, ' ') + "301\n"))
      << text.str();
  EXPECT_NE(std::string::npos,
            text.str().find("\n  BrokenPastTheThirtyFourColumnsOfItsCell 2026-12-06 09:05:05  "))
      << text.str();
  const nlohmann::ordered_json json = ReportJson(report);
  EXPECT_EQ("timed-out", json["runs"][0]["applications"][2]["outcome"]);
  EXPECT_EQ("missing-appinstlpath", json["runs"][1]["outcome"]);
  EXPECT_EQ(3, json["totals"]["applications"]);
}

TEST(ReportTest, ARecordOpensOnlyAtTheStartOfALine) {
  // Values the program echoes from the INI file, that hold record texts.
  const char16_t* echoed[] = {u"EXIT CODE => 0, success",
                              u"RESULT   => Command did not finish in 300 seconds.",
                              u"QUILLRUN starts at: 10:00:00 Sunday, December 06, 2026",
                              u"Processing: SysID => \"0xFFFF\", Application => \"X\""};
  for (const char16_t* value : echoed) {
    LogWriter log;
    log.Banner(u"09:05:03")
        .Language()
        .Record(LogRecord::kProcessing, {u"0xFFFF", u"Office"})
        .Record(LogRecord::kLaunched, {WString(u"C:\\setup.exe ") + value})
        .Record(LogRecord::kStart, {u"09:05:04", u"Sunday, December 06, 2026"})
        .Record(LogRecord::kEnd, {u"09:05:05", u"Sunday, December 06, 2026"})
        .Record(LogRecord::kResultFinished, {}, 1)
        .Record(LogRecord::kExitCodesUnread, {WString(u"SuccessCodes=") + value, u"Office"})
        .Record(LogRecord::kExitCode, {u"1603", u"failure"});
    const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
    ASSERT_EQ(1u, report.runs.size()) << ToUtf8(value);
    ASSERT_EQ(1u, report.runs[0].applications.size()) << ToUtf8(value);
    EXPECT_EQ(2, SecondsBetween(report.runs[0].start, report.runs[0].end)) << ToUtf8(value);
    EXPECT_TRUE(FailedByExitCode(report.runs[0].applications[0])) << ToUtf8(value);
    EXPECT_EQ(0, report.unused_records.count) << ToUtf8(value);
    EXPECT_TRUE(report.unknown_lines.empty()) << ToUtf8(value);
  }
}

TEST(ReportTest, ARunCutShortAndLinesThatHoldNoRecord) {
  LogWriter log;
  log.Raw("left over from something else\r\n")
      .Banner(u"09:05:03").Language()
      .App(u"Reader", u"09:05:04", u"09:05:05");  // no result: the machine went down
  log.Banner(u"  ", u"").Language();              // a clock the conversion refused
  const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
  ASSERT_EQ(2u, report.runs.size());
  EXPECT_EQ(RunOutcome::kCutShort, report.runs[0].outcome);
  EXPECT_EQ(AppOutcome::kNoResult, report.runs[0].applications[0].outcome);
  EXPECT_FALSE(report.runs[1].start.seconds.has_value());
  EXPECT_EQ(std::vector<int64_t>{1}, report.unknown_lines);

  // A banner line opens its run whatever precedes it: its line of stars
  // missing, overwritten by NUL bytes, or glued to a line torn by a crash.
  const std::string stars(109, '*');
  for (const std::string& before :
       {std::string(), std::string(40, '\0'), stars.substr(0, 50) + std::string(59, '\0') + "\r\n",
        "LAUNCHED => \"C:\\Ne" + stars + "\r\n"}) {
    LogWriter two;
    two.Banner(u"09:05:03")
        .Language()
        .App(u"Reader", u"09:05:04", u"09:05:05")
        .Record(LogRecord::kResultFinished, {}, 1)
        .Record(LogRecord::kExitCode, {u"1603", u"failure"})
        .Raw(before)
        .Record(LogRecord::kBannerSecondLine, {u"10:00:00", u"Sunday, December 06, 2026"})
        .Record(LogRecord::kSystemIdentity, {u"0xCD34"})
        .Language()
        .App(u"Reader", u"10:00:01", u"10:00:02")
        .Record(LogRecord::kResultFinished, {}, 1)
        .Record(LogRecord::kExitCode, {u"0", u"success"});
    const RunReport runs = MakeRunReport(ReadLogRecords(two.bytes()));
    ASSERT_EQ(2u, runs.runs.size()) << before.size();
    EXPECT_EQ("0xAB12", runs.runs[0].system_id.bytes()) << before.size();
    EXPECT_TRUE(FailedByExitCode(runs.runs[0].applications[0])) << before.size();
    EXPECT_EQ("0xCD34", runs.runs[1].system_id.bytes()) << before.size();
    EXPECT_FALSE(FailedByExitCode(runs.runs[1].applications[0])) << before.size();
  }

  // Far past the line ends the reader finds at once, ended each way a line
  // may end: 30 blocks of 9 lines, then the torn line, then a banner.
  for (const std::string ending : {"\r\n", "\n", "\r"}) {
    LogWriter many;
    for (int block = 0; block < 30; ++block) many.Banner(u"09:05:03").Language();
    std::string bytes = many.Raw("torn\r\n").Banner(u"10:00:00").bytes();
    for (size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + ending.size())) {
      bytes.replace(at, 2, ending);
    }
    const ReadLog read = ReadLogRecords(bytes);
    EXPECT_EQ(std::vector<int64_t>{271}, read.unknown_lines) << ending.size();
    ASSERT_EQ(30u * 7 + 5, read.records.size()) << ending.size();
    EXPECT_EQ(277, read.records.back().line) << ending.size();
  }
}

// The record finder against a plain scanner that tries every opening,
// longest first, at the start of the line after its NUL bytes: records
// planted at every offset of lines among text that opens none or one.
TEST(ReportTest, TheFinderAgreesWithAPlainScanner) {
  std::vector<LogRecord> kinds;
  for (int k = 0; k <= static_cast<int>(kLastLogRecord); ++k)
    kinds.push_back(static_cast<LogRecord>(k));
  auto text_of = [](LogRecord kind, std::vector<WString> values, int32_t number) {
    std::string text = EncodeLogText(FormatLogRecord(kind, {std::move(values), number}));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
  };
  std::vector<std::pair<std::string, LogRecord>> openings;  // the text before the first value
  for (LogRecord kind : kinds) {
    const std::string text = text_of(kind, {u"\x01", u"\x01"}, 1234567);
    openings.emplace_back(text.substr(0, std::min(text.find('\x01'), text.find("1234567"))), kind);
  }
  std::stable_sort(openings.begin(), openings.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  // Where records start, and of what kind; true first when text opens no record.
  const std::string stars(109, '*');
  auto plain_scan = [&](const std::string& line, std::vector<std::pair<size_t, LogRecord>>* found) {
    const size_t at = std::min(line.size(), line.find_first_not_of('\0'));
    if (at == line.size()) return at != 0;
    const bool nuls = at != 0;
    const bool torn = line.size() - at > stars.size() &&
                      line.compare(line.size() - stars.size(), stars.size(), stars) == 0;
    const size_t stop = torn ? line.size() - stars.size() : line.size();
    const auto opening = std::find_if(openings.begin(), openings.end(), [&](const auto& o) {
      return stop - at >= o.first.size() && line.compare(at, o.first.size(), o.first) == 0;
    });
    if (opening != openings.end()) found->emplace_back(at, opening->second);
    if (torn) found->emplace_back(stop, LogRecord::kBannerFirstLine);
    return nuls || opening == openings.end();
  };
  // Text that opens no record: near misses of openings among plain bytes.
  const std::string fillers[] = {"x",
                                 "RESULT   => Command finisheD ",
                                 std::string(110, '*') + "x",
                                 "RESULT   => Failed to launch the command.xyz",
                                 "QUILLRUN starts at",
                                 "SYSTEMID      => ",
                                 std::string(3, '\0')};
  // Each with the values of its last record.
  const std::pair<std::string, std::vector<std::string>> planted[] = {
      {text_of(LogRecord::kLaunched, {u""}, 0), {""}},
      {text_of(LogRecord::kStart, {u"09:05:03", u""}, 0), {"09:05:03", ""}},
      {text_of(LogRecord::kResultFinished, {}, 42), {"42"}},
      {text_of(LogRecord::kBannerSecondLine, {u"09:05:03", u"Sunday, December 06, 2026"}, 0),
       {"09:05:03", "Sunday, December 06, 2026"}},
      {text_of(LogRecord::kProcessing, {u"0xFFFF", u"Office"}, 0), {"0xFFFF", "Office"}},
      {text_of(LogRecord::kLaunched, {u"C:\\Ne"}, 0).substr(0, 15) + stars, {}}};
  for (const std::string& filler : fillers) {
    for (size_t length : {0, 7, 8, 9, 15, 16, 17, 63, 64, 65, 127, 128, 129}) {
      std::string around;
      while (around.size() < length) around += filler;
      around.resize(length);
      for (const auto& [record, values] : planted) {
        for (size_t at = 0; at <= length; at += (length > 20 && at + 20 < length ? 3 : 1)) {
          const std::string line = around.substr(0, at) + record + around.substr(at);
          std::vector<std::pair<size_t, LogRecord>> expected;
          const bool unknown = plain_scan(line, &expected);
          std::vector<RecordSpan> spans;
          ASSERT_EQ(unknown, FindRecords(line, 1, &spans)) << line;
          ASSERT_EQ(expected.size(), spans.size()) << line;
          for (size_t i = 0; i < spans.size(); ++i) EXPECT_EQ(expected[i].second, spans[i].record) << line;
          if (at < length || expected.empty() || expected.back().first < at) continue;
          // A record that ends the line is whole, its values as written.
          EXPECT_FALSE(spans.back().cut_short) << line;
          ASSERT_EQ(values.size(), spans.back().value_count) << line;
          for (size_t v = 0; v < values.size(); ++v) EXPECT_EQ(values[v], spans.back().values[v]) << line;
        }
      }
    }
  }
}

TEST(ReportTest, StampsReadBackAsTheyWereWritten) {
  struct Case {
    const char16_t* time;
    const char16_t* date;
    bool reads;
  };
  const Case cases[] = {
      {u"09:05:03", u"Sunday, December 06, 2026", true},
      {u"23:59:59", u"Wednesday, February 29, 2040", true},
      {u"9:05:03", u"Sunday, December 06, 2026", false},
      {u"09:05:03", u"Sunday, Decembre 06, 2026", false},
      {u"", u"", false},
      {u"09:05:03", u"Sunday, December 06, 99999999999", false},  // past any int
      {u"09:05:03", u"Sunday, December 99999999999906, 2026", false},
      // No such moment: read as one, it would be a day later or a year 0.
      {u"09:05:03", u"Monday, February 29, 2100", false},
      {u"25:61:61", u"Monday, February 30, 2026", false},
      {u"24:00:00", u"Sunday, December 06, 2026", false},
      {u"09:05:03", u"Saturday, January 01, 0000", false},
      {u"00:00:00", u"Monday, January 01, 1601", true},
      {u"23:59:59", u"Friday, December 31, 9999", true},
      {u"23:59:59", u"Wednesday, December 31, 1969", true},
  };
  for (const Case& c : cases) {
    const std::optional<int64_t> read = ReadStamp(c.time, c.date);
    EXPECT_EQ(c.reads, read.has_value()) << ToUtf8(c.date);
    // Back to the words it was read from, its weekday too.
    if (read) {
      EXPECT_EQ(c.date, FormatTimeStamp(CivilFromSeconds(*read)).date) << ToUtf8(c.date);
    }
  }
  EXPECT_EQ(86400, *ReadStamp(u"00:00:00", u"Friday, March 01, 2024") -
                       *ReadStamp(u"00:00:00", u"Thursday, February 29, 2024"));
  EXPECT_EQ(86400, *ReadStamp(u"00:00:00", u"Monday, March 01, 2100") -
                       *ReadStamp(u"00:00:00", u"Sunday, February 28, 2100"));
}

TEST(ReportTest, NumbersPastTheirRangeAreUnreadableNotWrapped) {
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"4294967297", std::nullopt},
      {"2147483648", std::nullopt}, {"99999999999999999999999", std::nullopt}, {"12x", std::nullopt}};
  for (const auto& [number, read] : cases) {
    std::string result = EncodeLogText(FormatLogRecord(LogRecord::kResultTimedOut, {{}, 7654321}));
    result.replace(result.find("7654321"), 7, number);
    LogWriter log;
    log.Banner(u"09:05:03").App(u"Slow", u"09:05:04", u"09:05:05").Raw(result);
    const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
    ASSERT_EQ(1u, report.runs.size());
    EXPECT_EQ(read, report.runs[0].applications[0].counted_seconds) << number;
  }
}

TEST(ReportTest, ExitRecordsBelongToTheApplicationThatEndedJustBefore) {
  using Records = std::vector<std::pair<LogRecord, std::vector<WString>>>;
  const Records finished = {{LogRecord::kResultFinished, {}}};
  auto exit = [](const char16_t* code, const char16_t* verdict) {
    return std::make_pair(LogRecord::kExitCode, std::vector<WString>{code, verdict});
  };
  auto then = [](Records records, const Records& more) {
    records.insert(records.end(), more.begin(), more.end());
    return records;
  };
  const Records busy = then(finished, {exit(u"1618", u"busy, tried again")});
  const Records again =
      then(busy, {{LogRecord::kProcessing, {u"0xFFFF", u"Office"}},
                  {LogRecord::kStart, {u"09:06:05", u"Sunday, December 06, 2026"}},
                  {LogRecord::kResultFinished, {}}});
  struct Case {
    const char* name;
    Records after_app;  // the records after START and END
    std::optional<uint32_t> code;
    std::optional<ExitVerdict> verdict;
    int64_t unused;
    bool failed;  // by its exit code
    AppOutcome outcome = AppOutcome::kFinished;
  };
  const Case cases[] = {
      {"failure", then(finished, {exit(u"1603", u"failure")}), 1603, ExitVerdict::kFailure, 0,
       true},
      {"reboot", then(finished, {exit(u"3010", u"success, reboot required")}), 3010,
       ExitVerdict::kRebootRequired, 0, false},
      {"largest", then(finished, {exit(u"4294967295", u"failure")}), 0xFFFFFFFFu,
       ExitVerdict::kFailure, 0, true},
      // What the reader cannot use is named, and never taken for a success.
      {"past 32 bits", then(finished, {exit(u"4294967296", u"success")}), std::nullopt,
       std::nullopt, 1, true},
      {"twenty digits", then(finished, {exit(u"00000000000000000000", u"success")}), std::nullopt,
       std::nullopt, 1, true},
      {"below zero", then(finished, {exit(u"-1", u"success")}), std::nullopt, std::nullopt, 1,
       true},
      {"hex", then(finished, {exit(u"0x643", u"success")}), std::nullopt, std::nullopt, 1, true},
      {"empty", then(finished, {exit(u"", u"success")}), std::nullopt, std::nullopt, 1, true},
      {"unknown words", then(finished, {exit(u"0", u"fine")}), 0, std::nullopt, 1, true},
      {"failed.", then(finished, {exit(u"1603", u"failed")}), 1603, std::nullopt, 1, true},
      {"FAILURE.", then(finished, {exit(u"1603", u"FAILURE")}), 1603, std::nullopt, 1, true},
      {"repeated", then(finished, {exit(u"0", u"success"), exit(u"1603", u"failure")}), 0,
       ExitVerdict::kSuccess, 1, false},
      {"after a failed launch",
       {{LogRecord::kResultLaunchFailed, {}}, exit(u"0", u"success")},
       std::nullopt,
       std::nullopt,
       1,
       false,
       AppOutcome::kLaunchFailed},
      {"after a time-out",
       {{LogRecord::kResultTimedOut, {}}, exit(u"0", u"success")},
       std::nullopt,
       std::nullopt,
       1,
       false,
       AppOutcome::kTimedOut},
      // Ended at its limit: the exit record is the program's verdict, no failure.
      {"ended at the limit",
       {{LogRecord::kResultTimedOut, {}},
        {LogRecord::kEndedAtLimit, {u"2 processes of its tree"}},
        exit(u"1460", u"ended at its time limit")},
       1460,
       ExitVerdict::kEndedAtTimeLimit,
       0,
       false,
       AppOutcome::kTimedOut},
      {"not ended at the limit",
       {{LogRecord::kResultTimedOut, {}},
        {LogRecord::kNotEndedAtLimit, {}},
        exit(u"1460", u"ended at its time limit")},
       std::nullopt,
       std::nullopt,
       1,
       false,
       AppOutcome::kTimedOut},
      {"before its result", then({exit(u"0", u"success")}, finished), std::nullopt, std::nullopt, 1,
       false},
      // A busy try is neither finished nor failed; one that no try follows cuts its run short.
      {"busy, the end", busy, 1618, ExitVerdict::kBusyTriedAgain, 0, false, AppOutcome::kNoResult},
      {"busy, then tried", then(again, {exit(u"0", u"success")}), 0, ExitVerdict::kSuccess, 0,
       false},
      {"busy, then failed", then(again, {exit(u"1603", u"failure")}), 1603, ExitVerdict::kFailure,
       0, true},
  };
  for (const Case& c : cases) {
    LogWriter log;
    log.Banner(u"09:05:03").Language().App(u"Office", u"09:05:04", u"09:05:05");
    for (const auto& [record, values] : c.after_app) log.Record(record, values, 1);
    const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
    ASSERT_EQ(1u, report.runs.size()) << c.name;
    ASSERT_EQ(1u, report.runs[0].applications.size()) << c.name;
    const AppRow& app = report.runs[0].applications[0];
    EXPECT_EQ(c.code, app.exit_code) << c.name;
    EXPECT_EQ(c.verdict, app.verdict) << c.name;
    EXPECT_EQ(c.outcome, app.outcome) << c.name;
    EXPECT_EQ(c.failed, FailedByExitCode(app)) << c.name;
    EXPECT_EQ(c.unused, report.unused_records.count) << c.name;
    EXPECT_EQ(c.outcome == AppOutcome::kNoResult, report.runs[0].outcome == RunOutcome::kCutShort)
        << c.name;
    EXPECT_TRUE(report.unknown_lines.empty()) << c.name;
  }

  // A code told with the meaning that applies to what was launched.
  const struct {
    uint32_t code;
    const char* command_line;
    const char* told;
  } meanings[] = {
      {0x7FFFFFFF, "", "exit 2147483647"},
      {0x80000000, "", "exit 0x80000000"},
      {0x80070000, "", "exit 0x80070000"},  // an HRESULT that wraps no error
      {0x80070643, "", "exit 0x80070643: fatal error during installation"},
      {3010, "", "exit 3010: success, restart required"},
      {1641, "", "exit 1641: success, restart started"},
      {7, "C:\\Tools\\7za.exe x a.7z", "exit 7: if Inno Setup: cannot proceed with installation"},
      {2, "C:\\Apps\\msiexec-wrapper.exe /s",
       "exit 2: if NSIS: aborted by the installer script; "
       "if Inno Setup: cancelled before installing"},
      {2, "msiexec /i missing.msi /qn", "exit 2"},
      {2, "\"C:\\Windows\\System32\\MSIEXEC.EXE\" /i x.msi", "exit 2"},
      {1603, "C:\\Windows\\System32\\msiexec.exe /i x.msi",
       "exit 1603: fatal error during installation"},
  };
  for (const auto& m : meanings)
    EXPECT_EQ(m.told, ExitCodeTold(m.code, m.command_line)) << m.command_line;

  LogWriter log;
  log.Banner(u"09:05:03").Language().App(u"Office", u"09:05:04", u"09:05:05")
      .Record(LogRecord::kResultFinished, {}, 1)
      .Record(LogRecord::kExitCode, {u"1603", u"failure"});
  std::ostringstream text;
  WriteReportText(MakeRunReport(ReadLogRecords(log.bytes())), text);
  EXPECT_NE(std::string::npos, text.str().find("1  failed: exit 1603: fatal error during installation\n"))
      << text.str();
  EXPECT_NE(std::string::npos, text.str().find("0 finished, 0 failed to launch, 0 timed out, 0 without result, "
                                               "1 failed by exit code\n"));
  // One that does not read is told as such, and counted among the failures.
  LogWriter unread;
  unread.Banner(u"09:05:03")
      .Language()
      .App(u"Office", u"09:05:04", u"09:05:05")
      .Record(LogRecord::kResultFinished, {}, 1)
      .Record(LogRecord::kExitCode, {u"-1", u"success"});
  std::ostringstream told;
  WriteReportText(MakeRunReport(ReadLogRecords(unread.bytes())), told);
  EXPECT_NE(std::string::npos, told.str().find("1  failed: its exit record does not read\n"))
      << told.str();
  EXPECT_NE(std::string::npos,
            told.str().find("0 without result, 1 failed by exit code\nnot used: 1 records "
                            "the program never writes so (line 16: an exit code that does "
                            "not read)\n"))
      << told.str();
}

TEST(ReportTest, DetectionRecordsCountApartOrFailTheApplicationBefore) {
  struct Case {
    LogRecord result;
    LogRecord detection;
    Detection read;
    const char* told;  // in the application's row
  };
  const Case cases[] = {
      {LogRecord::kResultFinished, LogRecord::kInstalledNothing, Detection::kInstalledNothing,
       "1  failed: installed nothing (DetectFile=C:\\Q\\q.exe >= 2.1)\n"},
      {LogRecord::kResultFinished, LogRecord::kDetectAfterRestart, Detection::kWaitsForRestart,
       "1  detection waits for the restart (DetectFile=C:\\Q\\q.exe >= 2.1)\n"},
      {LogRecord::kResultLaunchFailed, LogRecord::kInstalledNothing, Detection::kNone,
       "failed to launch "},
  };
  for (const Case& c : cases) {
    LogWriter log;
    log.Banner(u"09:05:03")
        .Language()
        .Record(LogRecord::kInstalledAlready,
                {u"Office", u"DetectMsi={00000000-0000-0000-0000-0000000000AA}"})
        .Record(LogRecord::kDetectRuleUnread, {u"DetectKey=HKCU\\Q", u"Reader"})
        .App(u"Reader", u"09:05:04", u"09:05:05")
        .Record(c.result, {}, 1)
        .Record(c.detection, {u"DetectFile=C:\\Q\\q.exe >= 2.1"})
        .Record(LogRecord::kInstalledAlready, {u"Viewer", u"DetectKey=HKLM\\Q"});
    const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
    ASSERT_EQ(1u, report.runs.size());
    EXPECT_TRUE(report.unknown_lines.empty());
    EXPECT_EQ(2, report.runs[0].installed_already);
    ASSERT_EQ(1u, report.runs[0].applications.size()) << "installed already is no application run";
    const AppRow& app = report.runs[0].applications[0];
    EXPECT_EQ(c.read, app.detection);
    EXPECT_EQ(c.read == Detection::kInstalledNothing, InstalledNothing(app));
    std::ostringstream text;
    WriteReportText(report, text);
    EXPECT_NE(std::string::npos, text.str().find("1 applications, 2 installed already"))
        << text.str();
    EXPECT_NE(std::string::npos, text.str().find(c.told)) << text.str();
  }
}

// What the program never writes where it stands is named, never guessed at:
// through the whole-log reader and the stream alike, a torn last record too.
TEST(ReportTest, RecordsTheReaderCannotPlaceAreNamed) {
  using Records = std::vector<std::pair<LogRecord, std::vector<WString>>>;
  const std::vector<WString> rule = {u"DetectFile=C:\\Q\\q.exe"};
  const Records finished = {{LogRecord::kResultFinished, {}}};
  const Records nothing = {{LogRecord::kInstalledNothing, rule}};
  const Records already = {{LogRecord::kInstalledAlready, {u"Viewer", rule[0]}}};
  const Records resume = {{LogRecord::kResume, {u"1 of 2", u"APP1 of [0xFFFF]"}}};
  const Records after = {{LogRecord::kNothingAfterRestart, {u"Office", rule[0]}}};
  const Records unused_copy = {
      {LogRecord::kLogCopyUnused, {u"\\\\srv\\%SITE%.LOG", u"%SITE% is not set"}}};
  const auto then = [](Records records, const Records& more) {
    records.insert(records.end(), more.begin(), more.end());
    return records;
  };
  const Records another = {{LogRecord::kProcessing, {u"0xFFFF", u"Viewer"}},
                           {LogRecord::kLaunched, {u"C:\\v.exe"}},
                           {LogRecord::kResultFinished, {}}};
  struct Case {
    const char* name;
    bool app;          // the run's first application, up to its END record
    Records records;   // then these
    size_t tear;       // bytes torn off the log's end
    size_t apps;       // rows of the run
    int64_t unused;    // records named
    int32_t already;   // installed already
    bool nothing;      // its first row installed nothing
    const char* told;  // in the run's row
  };
  const Case cases[] = {
      {"after a failed launch", true, then({{LogRecord::kResultLaunchFailed, {}}}, nothing), 0, 1,
       1, 0, false, "1 applications"},
      {"twice", true, then(then(finished, nothing), nothing), 0, 1, 1, 0, true, ""},
      {"before the result", true, then(nothing, finished), 0, 1, 1, 0, false, ""},
      {"installed already inside one", true, then(already, finished), 0, 1, 1, 0, false, ""},
      {"not verified after the result", true,
       then(finished, {{LogRecord::kNotVerified, {u"C:\\x.exe", u"not in the list"}}}), 0, 1, 1, 0,
       false, ""},
      {"after a restart stop", true,
       then(then(finished, {{LogRecord::kRestartStop, {u"1 of 2", u"Office"}}}), another), 0, 1, 3,
       0, false, ""},
      {"torn installed nothing", true, then(finished, nothing), 12, 1, 0, 0, true, "cut short"},
      {"torn installed already", true, then(finished, already), 12, 1, 0, 1, false, "cut short  "},
      {"after the restart", false, then(resume, after), 0, 1, 0, 0, true, "1 applications"},
      {"after the restart, twice", false, then(then(resume, after), after), 0, 1, 1, 0, true, ""},
      {"after the restart, torn", false, then(resume, after), 12, 1, 0, 0, true, ""},
      {"after the restart, no resume", false, after, 0, 0, 1, 0, false, ""},
      {"a log copy not used", false, unused_copy, 0, 0, 0, 0, false,
       "  log copy: LogCopy=\\\\srv\\%SITE%.LOG is not used: %SITE% is not set\n"},
  };
  for (const Case& c : cases) {
    LogWriter log;
    log.Banner(u"09:05:03").Language();
    if (c.app) log.App(u"Office", u"09:05:04", u"09:05:05");
    for (const auto& [record, values] : c.records) log.Record(record, values, 1);
    const std::string bytes = log.bytes().substr(0, log.bytes().size() - c.tear);
    const RunReport whole = MakeRunReport(ReadLogRecords(bytes));
    TextSource source(bytes);
    RunStream stream(source);
    const RunRow* streamed = stream.Next();
    ASSERT_NE(nullptr, streamed) << c.name;
    for (const RunRow* run : {&whole.runs.at(0), streamed}) {
      SCOPED_TRACE(std::string(c.name) + (run == streamed ? ", streamed" : ""));
      ASSERT_EQ(c.apps, run->applications.size());
      EXPECT_EQ(c.already, run->installed_already);
      if (c.apps > 0) { EXPECT_EQ(c.nothing, InstalledNothing(run->applications[0])); }
    }
    RunReport read;
    read.runs.push_back(*streamed);
    EXPECT_EQ(nullptr, stream.Next()) << c.name;
    EXPECT_EQ(c.unused, whole.unused_records.count) << c.name;
    EXPECT_EQ(c.unused, stream.tally().unused_records.count) << c.name;
    std::ostringstream text;
    WriteReportText(read, text);
    EXPECT_NE(std::string::npos, text.str().find(c.told)) << c.name << "\n" << text.str();
  }
}

// A run past the applications held in memory reads back row for row, from
// its scratch file, or from memory where no scratch file can be made; the
// report's copies of it too.
TEST(ReportTest, ARunOfAnyLengthReadsBackRowForRow) {
  const char* const tmpdir = std::getenv("TMPDIR");
  const std::string kept = tmpdir != nullptr ? tmpdir : "";
  const auto stamp = [](size_t second) {
    char text[9];
    std::snprintf(text, sizeof text, "%02zu:%02zu:%02zu", second / 3600 % 24, second / 60 % 60,
                  second % 60);
    return FromUtf8(text);
  };
  // One row past what a chunk of the scratch file holds.
  const auto name_of = [](size_t i) {
    return "App" + std::to_string(i) + std::string(i == AppRows::kHeld + 1 ? 40000 : 0, 'x');
  };
  for (const char* scratch : {"", "/nonexistent/quillplan-test"}) {
    if (*scratch != '\0') setenv("TMPDIR", scratch, 1);
    for (const size_t count :
         {AppRows::kHeld, AppRows::kHeld + 1, AppRows::kHeld + 2, 3 * AppRows::kHeld}) {
      LogWriter log;
      log.Banner(u"00:00:00").Language();
      for (size_t i = 0; i < count; ++i) {
        const WString name = FromUtf8(name_of(i));
        if (i % 4 == 0) {  // a try that met a busy code, then one more
          log.App(name.c_str(), stamp(i).c_str(), stamp(i).c_str())
              .Record(LogRecord::kResultFinished, {}, 1)
              .Record(LogRecord::kExitCode, {u"1618", u"busy, tried again"});
        }
        log.App(name.c_str(), stamp(i).c_str(), stamp(i + i % 7).c_str());
        if (i % 4 == 1)
          log.Record(LogRecord::kNotVerified, {u"C:\\Apps\\x.exe", u"not in the list"});
        switch (i % 4) {
          case 0:
            log.Record(LogRecord::kResultFinished, {}, 1)
                .Record(LogRecord::kExitCode, {FromUtf8(std::to_string(i)), u"failure"});
            break;
          case 1: log.Record(LogRecord::kResultLaunchFailed); break;
          case 2: log.Record(LogRecord::kResultTimedOut, {}, static_cast<int32_t>(i)); break;
          default:
            log.Record(LogRecord::kResultFinished, {}, 4)
                .Record(LogRecord::kInstalledNothing, {name});
            break;
        }
      }
      // The run after the next fills the rows the long one made room for.
      log.Banner(u"00:59:00").Language().Banner(u"01:00:00").Language();
      for (size_t i = 0; i < AppRows::kHeld + 3; ++i) {
        const WString name = FromUtf8("Next" + std::to_string(i));
        log.App(name.c_str(), u"01:00:01", u"01:00:02").Record(LogRecord::kResultLaunchFailed);
      }
      const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
      ASSERT_EQ(3u, report.runs.size());
      const AppRows& next = report.runs[2].applications;
      ASSERT_EQ(AppRows::kHeld + 3, next.size()) << scratch;
      size_t n = 0;
      for (const AppRow& app : next) {
        EXPECT_EQ("Next" + std::to_string(n++), app.app_section.bytes()) << scratch;
        EXPECT_EQ(AppOutcome::kLaunchFailed, app.outcome);
        EXPECT_EQ(0, app.busy_tries);
      }
      const AppRows& apps = report.runs[0].applications;
      ASSERT_EQ(count, apps.size()) << scratch;
      size_t i = 0;
      for (const AppRow& app : apps) {
        SCOPED_TRACE(std::to_string(count) + " applications, the row of App" + std::to_string(i) +
                     scratch);
        ASSERT_EQ(name_of(i), app.app_section.bytes());
        EXPECT_EQ(i % 4 == 0 ? 1 : 0, app.busy_tries);
        EXPECT_EQ(static_cast<int64_t>(i % 7), SecondsBetween(app.start, app.end).value_or(-1));
        EXPECT_EQ(i % 4 == 0 ? std::optional<uint32_t>(static_cast<uint32_t>(i)) : std::nullopt,
                  app.exit_code);
        EXPECT_EQ(i % 4 == 1   ? AppOutcome::kLaunchFailed
                  : i % 4 == 2 ? AppOutcome::kTimedOut
                               : AppOutcome::kFinished,
                  app.outcome);
        EXPECT_EQ(i % 4 == 1 ? NotVerifiedReason("not in the list") : nullptr, app.not_verified);
        EXPECT_EQ(i % 4 == 3 ? Detection::kInstalledNothing : Detection::kNone, app.detection);
        EXPECT_EQ(i % 4 == 3 ? app.app_section.bytes() : "", app.detect_rule.bytes());
        ++i;
      }
      EXPECT_EQ(count, i);
      EXPECT_EQ(apps.back().app_section, apps[count - 1].app_section);
      EXPECT_EQ(name_of(count - 2), apps[count - 2].app_section.bytes());
      EXPECT_EQ(count, i);
    }
  }
  if (tmpdir != nullptr)
    setenv("TMPDIR", kept.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

}  // namespace
}  // namespace quill::plan
