#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>

#include "base/utf.h"
#include "log/log_record.h"
#include "plan/report/log_records.h"
#include "plan/report/report_text.h"
#include "plan/report/run_report.h"

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

TEST(ReportTest, RecordsCutShortByANameTheLogCouldNotHold) {
  // An older program stopped a record at a character above U+00FF, without
  // its line end; the next record went on in the same line.
  LogWriter log;
  log.Banner(u"09:05:03").Language()
      .Raw("Processing: SysID => \"0xFFFF\", Application => \"Caf")
      .Record(LogRecord::kLaunched, {u"C:\\Apps\\Caf\\setup.exe"})
      .Record(LogRecord::kStart, {u"09:05:04", u"Sunday, December 06, 2026"})
      .Record(LogRecord::kEnd, {u"09:05:05", u"Sunday, December 06, 2026"})
      .Record(LogRecord::kResultFinished, {}, 1)
      .Record(LogRecord::kProcessing, {u"0xFFFF", u"Next"})
      .Raw("LAUNCHED => \"C:\\Apps\\")
      .Record(LogRecord::kStart, {u"09:05:06", u"Sunday, December 06, 2026"})
      .Record(LogRecord::kEnd, {u"09:05:07", u"Sunday, December 06, 2026"})
      .Record(LogRecord::kResultLaunchFailed);
  const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
  ASSERT_EQ(1u, report.runs.size());
  const auto& apps = report.runs[0].applications;
  ASSERT_EQ(2u, apps.size());
  EXPECT_EQ("Caf", apps[0].app_section.bytes());
  EXPECT_TRUE(apps[0].cut_short);
  EXPECT_EQ("C:\\Apps\\Caf\\setup.exe", apps[0].command_line.bytes());
  EXPECT_EQ(AppOutcome::kFinished, apps[0].outcome);
  EXPECT_EQ("C:\\Apps\\", apps[1].command_line.bytes());
  EXPECT_TRUE(apps[1].cut_short);
  EXPECT_EQ(AppOutcome::kLaunchFailed, apps[1].outcome);
  EXPECT_EQ(2, report.runs[0].cut_short_records);
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

// The record finder against a plain scanner that tries every opening at
// every byte, longest first: records planted at every offset of lines of
// lengths around the finder's steps, among text that holds none.
TEST(ReportTest, TheFinderAgreesWithAPlainScanner) {
  const LogRecord kinds[] = {
      LogRecord::kBannerFirstLine, LogRecord::kBannerSecondLine, LogRecord::kSystemIdentity,
      LogRecord::kOSTypeIdentity,  LogRecord::kMissingKeyError,  LogRecord::kFileOpenError,
      LogRecord::kLocaleLanguage,  LogRecord::kCodeLanguage,     LogRecord::kProcessing,
      LogRecord::kLaunched,        LogRecord::kStart,            LogRecord::kEnd,
      LogRecord::kResultFinished,  LogRecord::kResultLaunchFailed, LogRecord::kResultTimedOut};
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
  auto plain_scan = [&openings](const std::string& line, std::vector<std::pair<size_t, LogRecord>>* found) {
    bool unknown = false;
    for (size_t at = 0; at < line.size();) {
      const auto opening = std::find_if(openings.begin(), openings.end(), [&](const auto& o) {
        return line.compare(at, o.first.size(), o.first) == 0;
      });
      if (opening == openings.end()) {
        unknown = unknown || found->empty();
        ++at;
        continue;
      }
      found->emplace_back(at, opening->second);
      at += opening->first.size();
    }
    return unknown || found->empty();
  };
  // Text that opens no record: near misses of openings among plain bytes.
  const std::string fillers[] = {"x", "RESULT   => Command finisheD ", std::string(110, '*') + "x",
                                 "RESULT   => Failed to launch the command.xyz", "QUILLRUN starts at",
                                 "SYSTEMID      => "};
  // Each with the values of its last record.
  const std::pair<std::string, std::vector<std::string>> planted[] = {
      {text_of(LogRecord::kLaunched, {u""}, 0), {""}},
      {text_of(LogRecord::kStart, {u"09:05:03", u""}, 0), {"09:05:03", ""}},
      {text_of(LogRecord::kResultFinished, {}, 42), {"42"}},
      {text_of(LogRecord::kBannerSecondLine, {u"09:05:03", u"Sunday, December 06, 2026"}, 0),
       {"09:05:03", "Sunday, December 06, 2026"}},
      {text_of(LogRecord::kProcessing, {u"0xFFFF", u"Office"}, 0) +
           text_of(LogRecord::kEnd, {u"09:05:04", u"Sunday"}, 0),
       {"09:05:04", "Sunday"}}};
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
          if (at < length) continue;
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
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.reads, ReadStamp(c.time, c.date).has_value()) << ToUtf8(c.date);
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
  struct Case {
    const char* name;
    std::vector<WString> exit_values;
    bool after_a_finished_result;
    std::optional<uint32_t> code;
    std::optional<ExitVerdict> verdict;
  };
  const Case cases[] = {
      {"failure", {u"1603", u"failure"}, true, 1603, ExitVerdict::kFailure},
      {"reboot", {u"3010", u"success, reboot required"}, true, 3010, ExitVerdict::kRebootRequired},
      {"largest", {u"4294967295", u"failure"}, true, 0xFFFFFFFFu, ExitVerdict::kFailure},
      {"past 32 bits", {u"4294967296", u"failure"}, true, std::nullopt, std::nullopt},
      {"unknown words", {u"0", u"fine"}, true, 0, std::nullopt},
      {"after a failed launch", {u"0", u"success"}, false, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    LogWriter log;
    log.Banner(u"09:05:03").Language().App(u"Office", u"09:05:04", u"09:05:05");
    if (c.after_a_finished_result) {
      log.Record(LogRecord::kResultFinished, {}, 1);
    } else {
      log.Record(LogRecord::kResultLaunchFailed);
    }
    log.Record(LogRecord::kExitCodesUnread, {u"SuccessCodes=x", u"Office"})
        .Record(LogRecord::kExitCode, c.exit_values)
        .Record(LogRecord::kExitCode, {u"1", u"failure"});  // a second one is not this application's
    const RunReport report = MakeRunReport(ReadLogRecords(log.bytes()));
    ASSERT_EQ(1u, report.runs.size()) << c.name;
    ASSERT_EQ(1u, report.runs[0].applications.size()) << c.name;
    const AppRow& app = report.runs[0].applications[0];
    EXPECT_EQ(c.code, app.exit_code) << c.name;
    EXPECT_EQ(c.verdict, app.verdict) << c.name;
    EXPECT_TRUE(report.unknown_lines.empty()) << c.name;
  }

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

}  // namespace
}  // namespace quill::plan
