#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "log/log_record.h"
#include "plan/verbs/verbs.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

// One run of a PC whose applications ended with these codes, written as the
// program writes it with LogExitCodes=1; a code with its verdict.
struct Ended {
  const char16_t* app;
  const char16_t* code;
  const char16_t* verdict;
};

// `after`: records written after the last application's, as a restart writes them.
std::string PcRun(const char16_t* system_id, const char16_t* time, const std::vector<Ended>& apps,
                  const std::vector<std::pair<LogRecord, std::vector<WString>>>& after = {}) {
  std::string log;
  auto add = [&log](LogRecord record, std::vector<WString> texts, int32_t number = 0) {
    log += EncodeLogText(FormatLogRecord(record, {std::move(texts), number}));
  };
  const WString date = u"Sunday, December 06, 2026";
  add(LogRecord::kBannerFirstLine, {});
  add(LogRecord::kBannerSecondLine, {time, date});
  add(LogRecord::kBannerThirdLine, {});
  add(LogRecord::kSystemIdentity, {system_id});
  add(LogRecord::kOSTypeIdentity, {u"VISTA64"});
  add(LogRecord::kLocaleLanguage, {u"0x409"});
  add(LogRecord::kCodeLanguage, {u"02"});
  for (const Ended& app : apps) {
    add(LogRecord::kProcessing, {u"0xFFFF", app.app});
    add(LogRecord::kLaunched, {WString(u"C:\\Apps\\") + app.app + u".exe"});
    add(LogRecord::kStart, {time, date});
    add(LogRecord::kEnd, {time, date});
    add(LogRecord::kResultFinished, {}, 4);
    add(LogRecord::kExitCode, {app.code, app.verdict});
  }
  for (const auto& [record, texts] : after) add(record, texts);
  return log;
}

class ExitCodeReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.File("share/PC-OK.LOG", PcRun(u"0xA1", u"09:00:00", {{u"Office", u"0", u"success"}}));
    tree_.File("share/PC-REBOOT.LOG", PcRun(u"0xA1", u"09:01:00", {{u"Office", u"3010", u"success, reboot required"}}));
    tree_.File("share/PC-FATAL.LOG", PcRun(u"0xA1", u"09:02:00", {{u"Office", u"1603", u"failure"}}));
    tree_.File("share/PC-BUSY.LOG", PcRun(u"0xB2", u"09:03:00", {{u"VPN", u"1618", u"busy, tried again"},
                                                                {u"VPN", u"0", u"success"}}));
    // Killed in the pause before the next try: cut short, and still failing.
    tree_.File("share/PC-KILLED.LOG",
               PcRun(u"0xC3", u"08:00:00", {{u"Office", u"1603", u"failure"}}) +
                   PcRun(u"0xC3", u"09:05:00", {{u"Office", u"1618", u"busy, tried again"}}));
    // A PC whose clock gave no readable time, cut short: last in the list.
    tree_.File("share/PC-NOTIME.LOG", PcRun(u"0xE5", u"99:99:99", {}) +
                                          EncodeLogText(FormatLogRecord(
                                              LogRecord::kProcessing, {{u"0xFFFF", u"Other"}, 0})));
    tree_.File("share/PC-FIXED.LOG", PcRun(u"0xB2", u"08:00:00", {{u"VPN", u"3221225477", u"failure"}}) +
                                         PcRun(u"0xB2", u"09:04:00", {{u"VPN", u"0", u"success"}}));
  }
  std::string Report(ReportOptions options) {
    options.logs = {tree_.Path("share")};
    options.fleet = true;
    std::ostringstream out, err;
    RunReportVerb(options, out, err);
    return out.str();
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  TempTree tree_;
};

TEST_F(ExitCodeReportTest, FailuresByCodeAndRebootsInEveryForm) {
  ReportOptions as_json;
  as_json.json = true;
  const nlohmann::json json = nlohmann::json::parse(Report(as_json));
  ASSERT_EQ(3u, json["pcs"]["still_failing_list"].size()) << json["pcs"].dump();
  EXPECT_NE(std::string::npos,
            json["pcs"]["still_failing_list"][2]["file"].get<std::string>().find("PC-NOTIME"));
  EXPECT_NE(std::string::npos,
            json["pcs"]["still_failing_list"][1]["file"].get<std::string>().find("PC-FATAL"));
  EXPECT_EQ("Office exit 1603: fatal error during installation",
            json["pcs"]["still_failing_list"][1]["what"]);
  EXPECT_EQ("cut short while Office ran", json["pcs"]["still_failing_list"][0]["what"]);
  EXPECT_EQ(1, json["pcs"]["fixed"]);
  ASSERT_EQ(1u, json["pcs"]["needing_reboot_list"].size());
  EXPECT_NE(std::string::npos, json["pcs"]["needing_reboot_list"][0]["file"].get<std::string>().find("PC-REBOOT"));
  EXPECT_EQ("Office 3010, reboot required", json["pcs"]["needing_reboot_list"][0]["what"]);
  // The 1603s and the crash count as failed, not finished; a busy try as neither.
  EXPECT_EQ(3, json["totals"]["failed_by_exit_code"]);
  EXPECT_EQ(4, json["totals"]["finished"]);
  EXPECT_EQ(8, json["exit_codes"]["recorded"]);
  EXPECT_EQ(2, json["exit_codes"]["busy_tried_again"]);
  EXPECT_EQ(1, json["exit_codes"]["reboots_required"]);
  const auto& commonest = json["exit_codes"]["most_seen"][0];
  EXPECT_EQ(0, commonest["code"]);
  EXPECT_EQ(3, commonest["runs"]);
  bool crash_in_hex = false;
  for (const auto& seen : json["exit_codes"]["most_seen"]) {
    crash_in_hex = crash_in_hex || (seen["shown"] == "0xC0000005" && seen["code"] == 3221225477u);
  }
  EXPECT_TRUE(crash_in_hex);

  const std::string text = Report(ReportOptions());
  EXPECT_NE(std::string::npos, text.find(", 3 failed by exit code\n"));
  EXPECT_NE(std::string::npos, text.find("Office exit 1603: fatal error during installation"));
  EXPECT_NE(std::string::npos, text.find("PCs whose latest run left a reboot"));
  EXPECT_NE(std::string::npos, text.find("0xC0000005  1       access violation (crashed)"));
  // The columns add up to the runs; the page's durations agree with its outcomes.
  EXPECT_NE(std::string::npos, text.find("no result   by code  failed %")) << text;
  EXPECT_NE(std::string::npos, text.find("\nOffice                       5         2         0     "
                                         "    0         1         2     60.0%"))
      << text;
  // A new code in every run: the commonest listed, the others counted together.
  std::vector<Ended> many;
  std::vector<WString> codes;
  for (int code = 1000; code < 1130; ++code) {
    const std::string digits = std::to_string(code);
    codes.emplace_back(digits.begin(), digits.end());
  }
  for (const auto& code : codes) many.push_back({u"Setup", code.c_str(), u"failure"});
  ReportOptions wide;
  wide.logs = {tree_.File("many/PC.LOG", PcRun(u"0xD4", u"09:00:00", many))};
  wide.fleet = true;
  std::ostringstream wide_text, wide_err;
  RunReportVerb(wide, wide_text, wide_err);
  EXPECT_NE(
      std::string::npos,
      wide_text.str().find("  1019        1       \n  others      110     (--json lists 100)\n"))
      << wide_text.str();
  EXPECT_NE(std::string::npos,
            wide_text.str().find(
                "Setup               1000 x1, 1001 x1, 1002 x1, 1003 x1, 1004 x1, others x125\n"));
  wide.json = true;
  std::ostringstream wide_json;
  RunReportVerb(wide, wide_json, wide_err);
  const nlohmann::json capped = nlohmann::json::parse(wide_json.str());
  EXPECT_EQ(100u, capped["exit_codes"]["most_seen"].size());
  EXPECT_EQ(30, capped["exit_codes"]["runs_of_other_codes"]);

  ReportOptions as_page;
  as_page.html = tree_.Path("page.html");
  Report(as_page);
  EXPECT_NE(std::string::npos, Slurp(as_page.html)
                                   .find("class=\"bucket\" data-bucket=\"0\" data-outcome=\"failed "
                                         "by exit code\" data-count=\"2\""));

  ReportOptions as_csv;
  as_csv.csv = tree_.Path("runs.csv");
  Report(as_csv);
  const std::string csv = Slurp(as_csv.csv);
  EXPECT_EQ(0u, csv.find("log file,")) << csv.substr(0, 300);
  EXPECT_NE(std::string::npos,
            csv.find(",latest run of its log,exit code,exit verdict,exit meaning,run restart,"
                     "detection,detect rule,installed already in the run,log copy\r\n"));
  EXPECT_NE(std::string::npos,
            csv.find(",failed,yes,1603,failure,fatal error during installation,,,,0,\r\n"));
  EXPECT_NE(std::string::npos,
            csv.find(",failed,no,0xC0000005,failure,access violation (crashed),,,,0,\r\n"));
  EXPECT_NE(std::string::npos, csv.find(",cut-short,yes,1618,\"busy, tried again\",another "
                                        "installation is already in progress,,,,0,\r\n"));
  // Without a restart record the report says nothing of restarts.
  EXPECT_EQ(std::string::npos, text.find("restarts:"));
  EXPECT_FALSE(json["pcs"].contains("restart_pending"));
}

// A run stopped for a restart is neither failed nor cut short; the PC is
// named until a later run resumes it. One at its bound needs a restart.
TEST_F(ExitCodeReportTest, RestartsStoppedResumedAndAtTheBound) {
  ReportOptions as_json;
  as_json.json = true;
  const nlohmann::json before = nlohmann::json::parse(Report(as_json));
  const Ended reboot = {u"Driver", u"3010", u"success, reboot required"};
  const std::pair<LogRecord, std::vector<WString>> stop = {LogRecord::kRestartStop,
                                                           {u"1 of 1", u"Driver"}};
  // With LogCopy: the copy after the stop failed; a resumed run copied again.
  const std::pair<LogRecord, std::vector<WString>> not_copied = {
      LogRecord::kLogCopyFailed, {u"\\\\srv\\logs\\PC.LOG", u"access is denied"}};
  tree_.File("share/PC-STOPPED.LOG", PcRun(u"0xC3", u"10:00:00", {reboot}, {stop, not_copied}));
  // Its resumption ran before the restart, and waits for it still.
  tree_.File("share/PC-WAITING.LOG",
             PcRun(u"0xC3", u"10:00:00", {reboot}, {stop}) +
                 PcRun(u"0xC3", u"10:00:01", {}, {{LogRecord::kResumeBeforeRestart, {u"1 of 1"}}}));
  // A cut copy's temporary is never read as a log.
  tree_.File("share/PC-CUT.LOG.quillrun-copy", PcRun(u"0xC3", u"10:00:00", {reboot}, {stop}));
  tree_.File("share/PC-RESUMED.LOG",
             PcRun(u"0xC3", u"10:01:00", {reboot}, {stop, not_copied}) +
                 PcRun(u"0xC3", u"10:02:00", {reboot},
                       {{LogRecord::kResume, {u"1 of 1", u"APP1 of [0xFFFF]"}},
                        {LogRecord::kRestartBound, {u"1"}}}));
  const nlohmann::json json = nlohmann::json::parse(Report(as_json));
  EXPECT_EQ(4, json["totals"]["restart_stopped_runs"]);
  EXPECT_EQ(1, json["totals"]["restart_bound_runs"]);
  EXPECT_EQ(before["totals"]["cut_short_runs"], json["totals"]["cut_short_runs"]);
  ASSERT_EQ(2u, json["pcs"]["restart_pending_list"].size()) << json["pcs"].dump();
  EXPECT_EQ("stopped for restart 1 of 1", json["pcs"]["restart_pending_list"][0]["what"]);
  EXPECT_NE(std::string::npos,
            json["pcs"]["restart_pending_list"][1]["file"].get<std::string>().find("PC-STOPPED"));
  EXPECT_EQ("stopped for restart 1 of 1 after Driver",
            json["pcs"]["restart_pending_list"][1]["what"]);
  ASSERT_EQ(1u, json["pcs"]["at_restart_bound_list"].size());
  EXPECT_NE(std::string::npos,
            json["pcs"]["at_restart_bound_list"][0]["file"].get<std::string>().find("PC-RESUMED"));
  EXPECT_EQ(2, json["totals"]["log_copy_records"]);
  ASSERT_EQ(1u, json["pcs"]["log_copy_failed_list"].size());
  EXPECT_EQ("\\\\srv\\logs\\PC.LOG was not written: access is denied",
            json["pcs"]["log_copy_failed_list"][0]["what"]);
  EXPECT_FALSE(before["pcs"].contains("log_copy_failed_list"));
  // Neither of them fails: the PCs still failing are those of before.
  EXPECT_EQ(before["pcs"]["still_failing_list"], json["pcs"]["still_failing_list"]);

  const std::string text = Report(ReportOptions());
  EXPECT_NE(std::string::npos,
            text.find("restarts: 4 runs stopped for a restart (counted neither failed "
                      "nor cut short), 1 went on though Windows needs a restart\n"));
  EXPECT_NE(std::string::npos, text.find("log copies: 2 failed or not made"));
  ReportOptions as_csv;
  as_csv.csv = tree_.Path("runs.csv");
  Report(as_csv);
  const std::string csv = Slurp(as_csv.csv);
  EXPECT_NE(std::string::npos,
            csv.find(",finished,yes,3010,\"success, reboot required\",\"success, "
                     "restart required\",stopped for a restart,,,0,\\\\srv\\logs\\PC.LOG was not "
                     "written: access is denied\r\n"));
  // One log's table and JSON tell the copy on its run's row and in the totals.
  ReportOptions one_log;
  one_log.logs = {tree_.Path("share/PC-STOPPED.LOG")};
  std::ostringstream table, err;
  RunReportVerb(one_log, table, err);
  EXPECT_NE(std::string::npos,
            table.str().find("  log copy: \\\\srv\\logs\\PC.LOG was not written: access is "
                             "denied\n  Driver"))
      << table.str();
  EXPECT_NE(std::string::npos, table.str().find("\nlog copies: 1 failed or not made;"));
  one_log.json = true;
  std::ostringstream one_json;
  RunReportVerb(one_log, one_json, err);
  const nlohmann::json copied = nlohmann::json::parse(one_json.str());
  EXPECT_EQ(json["pcs"]["log_copy_failed_list"][0]["what"], copied["runs"][0]["log_copy"]);
  EXPECT_EQ(1, copied["totals"]["log_copy_records"]);
}

}  // namespace
}  // namespace quill::plan
