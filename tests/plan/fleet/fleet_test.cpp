#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/utf.h"
#include "fleet/fleet_generator.h"
#include "log/log_record.h"
#include "plan/page/fleet_charts.h"
#include "plan/report/duration_counts.h"
#include "plan/report/fleet_csv.h"
#include "plan/report/log_records.h"
#include "plan/report/run_filter.h"
#include "plan/report/run_report.h"
#include "plan/text/civil_time.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/verbs.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

// What a report says, whatever its form: the totals and, per application,
// its runs and each outcome.
struct Counted {
  std::map<std::string, int64_t> totals;
  std::map<std::string, std::vector<int64_t>> apps;  // runs, then the four outcomes
};

Counted FromTruth(const FleetTruth& truth) {
  Counted counted;
  counted.totals = {{"application_runs", truth.application_runs},
                    {"finished", truth.outcomes[0]},
                    {"failed_to_launch", truth.outcomes[1]},
                    {"timed_out", truth.outcomes[2]},
                    {"without_result", truth.outcomes[3]}};
  for (const auto& [name, app] : truth.apps) {
    counted.apps[name] = {app.runs, app.outcomes[0], app.outcomes[1], app.outcomes[2], app.outcomes[3]};
  }
  return counted;
}

Counted FromJson(const std::string& text) {
  const nlohmann::json json = nlohmann::json::parse(text);
  Counted counted;
  for (const char* key : {"application_runs", "finished", "failed_to_launch", "timed_out", "without_result"}) {
    counted.totals[key] = json["totals"][key];
  }
  for (const auto& app : json["applications"]) {
    counted.apps[app["application"]] = {app["runs"], app["finished"], app["failed_to_launch"],
                                        app["timed_out"], app["without_result"]};
  }
  return counted;
}

Counted FromText(const std::string& text) {
  Counted counted;
  std::istringstream lines(text);
  std::string line;
  bool in_apps = false;
  while (std::getline(lines, line)) {
    long long runs = 0, o[4] = {};
    if (std::sscanf(line.c_str(), "application runs: %lld: %lld finished, %lld failed to launch, %lld timed out, %lld without result",
                    &runs, &o[0], &o[1], &o[2], &o[3]) == 5) {
      counted.totals = {{"application_runs", runs}, {"finished", o[0]}, {"failed_to_launch", o[1]},
                        {"timed_out", o[2]}, {"without_result", o[3]}};
    }
    if (line.rfind("application ", 0) == 0) {
      in_apps = true;
      continue;
    }
    if (line.empty()) in_apps = false;
    if (!in_apps) continue;
    std::istringstream cells(line);
    std::string name;
    std::vector<int64_t> numbers(5);
    cells >> name >> numbers[0] >> numbers[1] >> numbers[2] >> numbers[3] >> numbers[4];
    counted.apps[name] = numbers;
  }
  return counted;
}

// RFC 4180 read back: quoted fields with doubled quotes, CR LF between rows.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      rows.back().back() += c;
    }
  }
  if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
  return rows;
}

// Today's sixteen, then the exit code's three, the restart, detection's
// three and the log copy.
constexpr size_t kCsvFields = 24;

Counted FromCsv(const std::string& text) {
  const auto rows = ReadCsv(text);
  Counted counted;
  const std::map<std::string, int> outcome = {
      {"finished", 1}, {"failed-to-launch", 2}, {"timed-out", 3}, {"no-result", 4}};
  const std::vector<std::string> keys = {"application_runs", "finished", "failed_to_launch",
                                         "timed_out", "without_result"};
  for (const std::string& key : keys) counted.totals[key] = 0;
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(kCsvFields, rows[i].size()) << "row " << i;
    if (rows[i].size() != kCsvFields || rows[i][8].empty()) continue;  // a run that ended in an error
    auto& app = counted.apps[rows[i][8]];
    app.resize(5);
    const int column = outcome.at(rows[i][12]);
    ++app[0];
    ++app[column];
    ++counted.totals["application_runs"];
    ++counted.totals[keys[column]];
  }
  return counted;
}

class FleetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new TempTree;
    truth_ = new FleetTruth(WriteFleet(tree_->Path("share"), 2000, 7));
  }
  static void TearDownTestSuite() {
    delete truth_;
    delete tree_;
  }

  static int Report(ReportOptions options, std::string* out, std::string* err = nullptr) {
    std::ostringstream out_stream, err_stream;
    const int status = RunReportVerb(options, out_stream, err_stream);
    *out = out_stream.str();
    if (err) *err = err_stream.str();
    return status;
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static TempTree* tree_;
  static FleetTruth* truth_;
};

TempTree* FleetTest::tree_ = nullptr;
FleetTruth* FleetTest::truth_ = nullptr;

TEST_F(FleetTest, TwoThousandLogsCountedAsTheyWereWrittenInEveryForm) {
  ASSERT_EQ(2000, truth_->log_files);
  ReportOptions options;
  options.logs = {tree_->Path("share")};
  options.csv = tree_->Path("runs.csv");
  std::string text, err;
  EXPECT_EQ(1, Report(options, &text, &err)) << "files that are not logs lie in the share";
  options.json = true;
  options.csv.clear();
  std::string json;
  EXPECT_EQ(1, Report(options, &json));

  const Counted expected = FromTruth(*truth_);
  const std::pair<const char*, Counted> forms[] = {
      {"text", FromText(text)}, {"json", FromJson(json)}, {"csv", FromCsv(Slurp(tree_->Path("runs.csv")))}};
  for (const auto& [form, counted] : forms) {
    EXPECT_EQ(expected.totals, counted.totals) << form;
    EXPECT_EQ(expected.apps, counted.apps) << form;
  }

  const nlohmann::json report = nlohmann::json::parse(json);
  EXPECT_EQ(truth_->log_files, report["files"]["run_logs"]);
  EXPECT_EQ(truth_->other_files, report["files"]["skipped"]);
  EXPECT_EQ(truth_->runs, report["totals"]["runs"]);
  EXPECT_EQ(truth_->machines.size(), report["totals"]["machines"]);
  EXPECT_EQ(truth_->cut_short_runs, report["totals"]["cut_short_runs"]);
  EXPECT_EQ(truth_->error_runs, report["totals"]["error_runs"]);
  for (const auto& app : report["applications"]) {
    EXPECT_EQ(truth_->apps.at(app["application"]).max_seconds, app["max_seconds"]) << app["application"];
  }
  for (const auto& machine : report["machines"]) {
    const std::string key = machine["system_id"].get<std::string>() + " " + machine["os_type"].get<std::string>();
    EXPECT_EQ(truth_->runs_by_machine_os.at(key), machine["runs"]) << key;
    EXPECT_EQ(truth_->failed_by_machine_os.at(key), machine["failed_runs"]) << key;
  }
  EXPECT_EQ(truth_->other_files, static_cast<int64_t>(report["problems"].size()));
  for (const auto& problem : report["problems"]) {
    EXPECT_NE(std::string::npos, err.find(problem["file"].get<std::string>())) << "named on stderr";
  }
}

// The runs a filter lets pass, as the generator wrote them.
struct TruthFilter {
  const char* since;  // ISO dates, or nullptr
  const char* until;
  const char* app;
  const char* model;
  const char* os;  // "(none)" for none
};

int64_t Days(const char* iso) {
  int year = 0, month = 0, day = 0;
  std::sscanf(iso, "%d-%d-%d", &year, &month, &day);
  return DaysFromCivil(year, month, day);
}

std::string Shown(int64_t seconds, bool with_time) {
  const LocalTime t = CivilFromSeconds(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return with_time ? text : std::string(text, 10);
}

// What each new number of the report must be, from the truth: the PCs
// still failing most recent first, the fixed, the period, the trend and
// the groups (runs, failed runs, application runs, then the four outcomes).
struct Expected {
  std::vector<std::string> failing;
  int64_t fixed = 0, cut_short = 0, with_runs = 0, first = INT64_MAX, last = INT64_MIN;
  bool weekly = false;  // past 91 days
  std::map<std::string, std::array<int64_t, 3>> trend;  // from: runs, failed, PCs
  std::map<std::string, std::vector<int64_t>> os, language;
};

Expected Expect(const FleetTruth& truth, const TruthFilter& f) {
  Expected e;
  std::vector<std::pair<int64_t, std::string>> failing;
  std::map<int64_t, std::array<int64_t, 3>> days, weeks;
  std::set<std::pair<int64_t, std::string>> day_pcs, week_pcs;
  bool failed_before = false, latest_failed = false, latest_cut = false;
  int64_t latest_start = 0;
  std::string file;
  const auto end_log = [&] {
    if (file.empty()) return;
    ++e.with_runs;
    if (latest_failed) failing.emplace_back(latest_start, file);
    e.cut_short += latest_failed && latest_cut;
    e.fixed += !latest_failed && failed_before;
  };
  for (const RunTruth& run : truth.run_list) {
    if ((f.since && run.start < Days(f.since) * 86400) || (f.until && run.start >= (Days(f.until) + 1) * 86400) ||
        (f.model && run.system_id != f.model) ||
        (f.os && (run.os_type.empty() ? "(none)" : run.os_type) != f.os)) {
      continue;
    }
    std::vector<std::pair<std::string, int>> apps;
    for (const auto& app : run.apps) {
      if (!f.app || app.first == f.app) apps.push_back(app);
    }
    if (f.app && apps.empty()) continue;
    const bool cut = f.app ? apps.back().second == 3 : run.cut_short;
    bool failed = run.error;
    for (const auto& app : apps) failed = failed || app.second != 0;
    if (run.file != file) {
      end_log();
      file = run.file;
      failed_before = latest_failed = false;
    }
    failed_before = failed_before || latest_failed;
    latest_failed = failed;
    latest_cut = cut;
    latest_start = run.start;
    e.first = std::min(e.first, run.start);
    e.last = std::max(e.last, run.start);
    const int64_t day = run.start / 86400, week = day - (day + 3) % 7;
    for (auto [at, pcs, key] : {std::make_tuple(&days, &day_pcs, day), std::make_tuple(&weeks, &week_pcs, week)}) {
      ++(*at)[key][0];
      (*at)[key][1] += failed;
      (*at)[key][2] += pcs->insert({key, run.file}).second;
    }
    const std::string language = run.language_code.empty() ? "\t" + run.lcid : run.language_code;
    for (auto* group : {&e.os[run.os_type], &e.language[language]}) {
      group->resize(7);
      ++(*group)[0];
      (*group)[1] += failed;
      for (const auto& app : apps) {
        ++(*group)[2];
        ++(*group)[3 + app.second];
      }
    }
  }
  end_log();
  std::stable_sort(failing.begin(), failing.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& pc : failing) e.failing.push_back(pc.second);
  e.weekly = !days.empty() && days.rbegin()->first - days.begin()->first >= 91;
  for (const auto& [from, counts] : e.weekly ? weeks : days) e.trend[Shown(from * 86400, false)] = counts;
  return e;
}

TEST_F(FleetTest, LatestRunPerPCPeriodTrendAndRatesAsTheTruthWithEachFilter) {
  const TruthFilter filters[] = {
      {nullptr, nullptr, nullptr, nullptr, nullptr},
      {"2026-03-02", "2026-03-29", nullptr, nullptr, nullptr},  // four weeks: per day
      {nullptr, nullptr, "Office", nullptr, nullptr},
      {nullptr, nullptr, nullptr, "0x1010", nullptr},
      {nullptr, nullptr, nullptr, nullptr, "VISTA64"},
      {nullptr, nullptr, nullptr, nullptr, "(none)"},
      {"2026-06-01", nullptr, "Reader", nullptr, "WINXP"},
  };
  for (const TruthFilter& f : filters) {
    const Expected e = Expect(*truth_, f);
    const std::string name = std::string(f.since ? f.since : "") + "/" + (f.until ? f.until : "") + "/" +
                             (f.app ? f.app : "") + "/" + (f.model ? f.model : "") + "/" + (f.os ? f.os : "");
    ASSERT_GT(e.failing.size(), 3u) << name << ": a filter that leaves too little to tell";
    ReportOptions options;
    options.logs = {tree_->Path("share")};
    options.since = f.since ? f.since : "";
    options.until = f.until ? f.until : "";
    options.app = f.app ? f.app : "";
    options.model = f.model ? f.model : "";
    options.os = f.os ? f.os : "";
    options.top = 3;
    options.csv = tree_->Path("filtered.csv");
    std::string text, json_text;
    EXPECT_EQ(1, Report(options, &text)) << name;
    options.json = true;
    options.csv.clear();
    EXPECT_EQ(1, Report(options, &json_text)) << name;
    const nlohmann::json json = nlohmann::json::parse(json_text);

    std::vector<std::string> failing;
    for (const auto& pc : json["pcs"]["still_failing_list"]) failing.push_back(pc["file"]);
    EXPECT_EQ(e.failing, failing) << name;
    EXPECT_EQ(e.fixed, json["pcs"]["fixed"]) << name;
    EXPECT_EQ(e.cut_short, json["pcs"]["cut_short"]) << name;
    EXPECT_EQ(e.with_runs, json["pcs"]["with_runs"]) << name;
    EXPECT_EQ(Shown(e.first, true), json["period"]["first_run"]) << name;
    EXPECT_EQ(Shown(e.last, true), json["period"]["last_run"]) << name;
    EXPECT_EQ(e.weekly ? "week" : "day", json["trend"]["unit"]) << name;
    EXPECT_EQ(f.until != nullptr, !e.weekly) << name << ": each unit tried";
    std::map<std::string, std::array<int64_t, 3>> trend;
    for (const auto& point : json["trend"]["points"]) {
      if (point["runs"] != 0) trend[point["from"]] = {point["runs"], point["failed_runs"], point["pcs"]};
    }
    EXPECT_EQ(e.trend, trend) << name;
    for (const auto& [key, expected] : {std::make_pair("os_types", &e.os), std::make_pair("languages", &e.language)}) {
      std::map<std::string, std::vector<int64_t>> groups;
      for (const auto& g : json[key]) {
        const std::string code = g.contains("language_code") ? g["language_code"] : g["os_type"];
        const std::string group = g.contains("lcid") && code.empty() ? "\t" + g["lcid"].get<std::string>() : code;
        groups[group] = {g["runs"], g["failed_runs"], g["application_runs"], g["finished"],
                         g["failed_to_launch"], g["timed_out"], g["without_result"]};
      }
      EXPECT_EQ(*expected, groups) << name << " " << key;
    }

    // The text: the same numbers, the first three PCs and how many more.
    EXPECT_NE(std::string::npos, text.find("period: " + Shown(e.first, true) + " to " + Shown(e.last, true))) << name;
    EXPECT_NE(std::string::npos, text.find("latest run still failing on " + std::to_string(e.failing.size()) + " (" +
                                           std::to_string(e.cut_short) + " of them cut short), fixed on " +
                                           std::to_string(e.fixed)))
        << name;
    size_t at = 0;
    for (size_t i = 0; i < 3; ++i) {
      at = text.find(e.failing[i], at);
      EXPECT_NE(std::string::npos, at) << name << " PC " << i;
    }
    EXPECT_NE(std::string::npos, text.find("... " + std::to_string(e.failing.size() - 3) + " more")) << name;
    EXPECT_EQ(json["filters"].get<std::string>().empty(), text.find("filters: ") == std::string::npos) << name;

    // The CSV: the latest rows of the runs that did not finish are the PCs still failing.
    std::set<std::string> csv_failing, csv_pcs;
    for (const auto& row : ReadCsv(Slurp(tree_->Path("filtered.csv")))) {
      if (row.size() != kCsvFields || row[15] != "yes") continue;
      csv_pcs.insert(row[0]);
      if (row[14] != "finished") csv_failing.insert(row[0]);
    }
    EXPECT_EQ(std::set<std::string>(e.failing.begin(), e.failing.end()), csv_failing) << name;
    EXPECT_EQ(e.with_runs, static_cast<int64_t>(csv_pcs.size())) << name;
  }
  for (const char* bad : {"2026-02-30", "2026-3-1", "yesterday", "2026-03-01x"}) {
    ReportOptions options;
    options.logs = {tree_->Path("share")};
    options.until = bad;
    std::string out, err;
    EXPECT_EQ(kUsage, Report(options, &out, &err)) << bad;
    EXPECT_NE(std::string::npos, err.find("--until " + std::string(bad) + ": is no date")) << err;
  }
}

TEST_F(FleetTest, OneFileKeepsTheTableOfItsRunsUnlessTheFleetIsAskedFor) {
  const std::string log = tree_->Path("share/site-000/PC000000.LOG");
  struct Case {
    std::vector<std::string> logs;
    bool fleet;
    int status;
    const char* begins;
  } cases[] = {
      {{log}, false, 0, "run / application"},
      {{log}, true, 0, "files: 1 run logs read, 0 skipped"},
      {{log, log}, false, 0, "files: 1 run logs read, 0 skipped"},  // one file, read once
      {{tree_->Path("share/site-000")}, false, 1, "files: 500 run logs read, 2 skipped"},
  };
  for (const Case& c : cases) {
    ReportOptions options;
    options.logs = c.logs;
    options.fleet = c.fleet;
    std::string out;
    EXPECT_EQ(c.status, Report(options, &out));
    EXPECT_NE(std::string::npos, out.find(c.begins)) << out.substr(0, 200);
  }
}

TEST(FleetBadInputTest, EachBadFileNamedAndSkippedTheRestCounted) {
  TempTree tree;
  std::string good;
  for (LogRecord record : {LogRecord::kBannerFirstLine, LogRecord::kBannerSecondLine, LogRecord::kBannerThirdLine}) {
    good += EncodeLogText(FormatLogRecord(record, {{u"09:05:03", u"Sunday, December 06, 2026"}, 0}));
  }
  struct Case {
    const char* name;
    std::string bytes;  // nothing written when empty and the name says "gone"
    int line;
    const char* reason;
    bool skipped;
  } cases[] = {
      {"a/empty.log", "", 0, "the file is empty", true},
      {"a/notes.txt", "Ask Eva.\r\n", 0, "no banner", true},
      {"a/binary.zip", std::string("PK\x03\x04\0\0", 6) + std::string(5000, '\x7f') + good, 0, "no banner", true},
      {"b/quoted.log", "Notes: QUILLRUN starts at: 9\r\n", 0, "no run's banner", true},
      {"b/torn.log", good + "garbage in the middle\r\n" + good, 5, "a line that holds no record", false},
      {"c/gone.log", "", 0, "no such file", true},
  };
  ReportOptions options;
  for (const Case& c : cases) {
    if (std::string(c.name) != "c/gone.log") tree.File(c.name, c.bytes);
    if (c.name[0] != 'a') options.logs.push_back(tree.Path(c.name));
  }
  options.logs.insert(options.logs.begin(), tree.Path("a"));
  options.logs.push_back(tree.File("z/fine.log", good));
  options.json = true;
  std::ostringstream out, err;
  EXPECT_EQ(1, RunReportVerb(options, out, err));
  const nlohmann::json report = nlohmann::json::parse(out.str());
  EXPECT_EQ(2, report["files"]["run_logs"]) << "the torn log and the fine one";
  EXPECT_EQ(3, report["totals"]["runs"]);
  ASSERT_EQ(std::size(cases), report["problems"].size());
  for (const auto& problem : report["problems"]) {
    const std::string file = problem["file"];
    const Case* c = nullptr;
    for (const Case& each : cases) {
      if (file == tree.Path(each.name)) c = &each;
    }
    ASSERT_NE(nullptr, c) << file;
    EXPECT_EQ(c->line, problem["line"]) << file;
    EXPECT_NE(std::string::npos, problem["reason"].get<std::string>().find(c->reason)) << file;
    EXPECT_EQ(c->skipped, problem["skipped"]) << file;
    const std::string named = c->line > 0 ? file + ":" + std::to_string(c->line) + ": " : file + ": ";
    EXPECT_NE(std::string::npos, err.str().find(named)) << file;
  }

  options.logs = {tree.Path("c/gone.log"), tree.Path("a/notes.txt")};
  EXPECT_EQ(kTrouble, RunReportVerb(options, out, err)) << "no run log among them";
  options.logs = {tree.Path("z")};
  options.html = tree.Path("no/such/folder/page.html");
  EXPECT_EQ(kTrouble, RunReportVerb(options, out, err)) << "the page cannot be written";
}

TEST(FleetNumbersTest, PercentilesByNearestRank) {
  struct Case {
    std::vector<int64_t> seconds;
    int64_t median, p95, max;
  } cases[] = {
      {{}, 0, 0, 0},
      {{5}, 5, 5, 5},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 10, 19, 20},
      {{0, 0, 0, 300}, 0, 300, 300},
      {{7, 7, 1, 1, 1}, 1, 7, 7},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 6, 11, 11},  // rank 10.45, taken up
  };
  for (const Case& c : cases) {
    DurationCounts counts;
    for (int64_t s : c.seconds) counts.Add(s);
    EXPECT_EQ(c.median, counts.Percentile(50)) << c.seconds.size();
    EXPECT_EQ(c.p95, counts.Percentile(95)) << c.seconds.size();
    EXPECT_EQ(c.max, counts.Max()) << c.seconds.size();
  }
  const std::pair<const char*, const char*> fields[] = {
      {"plain", "plain"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\r\nlines", "\"two\r\nlines\""},
      {"lone\rCR", "\"lone\rCR\""}, {"lone\nLF", "\"lone\nLF\""}, {"=1+1", "'=1+1"},
      {"-x,y", "\"'-x,y\""}, {"a=b", "a=b"}, {"PC\xFF\xFE\x80.LOG", "PC\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.LOG"}};
  for (const auto& [field, quoted] : fields) EXPECT_EQ(quoted, CsvField(field));
  // The page's numbers and names: grouped by thousands, and 22 characters kept whole.
  const std::pair<int64_t, const char*> numbers[] = {{0, "0"}, {123, "123"}, {1234, "1,234"}, {123456, "123,456"}, {1234567, "1,234,567"}};
  for (const auto& [number, grouped] : numbers) EXPECT_EQ(grouped, Grouped(number));
  EXPECT_EQ(std::string(22, 'a'), Shortened(std::string(22, 'a'), 22));
  EXPECT_EQ(22u, Columns(Shortened(std::string(23, 'a'), 22)));
  // Every day from 1900 to 2200 as an option's date and back.
  for (int64_t day = DaysFromCivil(1900, 1, 1); day <= DaysFromCivil(2200, 12, 31); ++day) {
    ASSERT_EQ(day, IsoDateDays(IsoDate(day))) << IsoDate(day);
  }
}

TEST(FleetPageTest, NamesFromTheLogAreTextOnThePage) {
  TempTree tree;
  std::string log;
  const std::vector<std::pair<LogRecord, std::vector<WString>>> records = {
      {LogRecord::kBannerFirstLine, {}},
      {LogRecord::kBannerSecondLine, {u"09:05:03", u"Sunday, December 06, 2026"}},
      {LogRecord::kBannerThirdLine, {}},
      {LogRecord::kSystemIdentity, {u"0x<i>"}},
      {LogRecord::kOSTypeIdentity, {u"WINXP"}},
      {LogRecord::kProcessing, {u"0xFFFF", u"<script>alert(1)</script>&\"x\""}},
      {LogRecord::kLaunched, {u"C:\\a.exe"}},
      {LogRecord::kStart, {u"09:05:04", u"Sunday, December 06, 2026"}},
      {LogRecord::kEnd, {u"09:05:09", u"Sunday, December 06, 2026"}},
      {LogRecord::kResultLaunchFailed, {}},
  };
  for (const auto& [record, texts] : records) log += EncodeLogText(FormatLogRecord(record, {texts, 0}));
  // File names reach the page too: the PCs to visit, the slowest run, the files skipped.
  tree.File("share/PC<i>&\"q\".LOG", log);
  tree.File("share/<b>notes.txt", "Ask Eva.\r\n");
  ReportOptions options;
  options.logs = {tree.Path("share")};
  options.html = tree.Path("page.html");
  std::ostringstream out, err;
  ASSERT_EQ(1, RunReportVerb(options, out, err));
  std::ifstream in(options.html);
  const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(std::string::npos, page.find("<script")) << "no script, not even one from a log";
  EXPECT_EQ(std::string::npos, page.find("<i>"));
  EXPECT_EQ(std::string::npos, page.find("<b>"));
  EXPECT_EQ(std::string::npos, page.find("&\"q"));
  size_t escaped = 0;
  for (size_t at = page.find("PC&lt;i&gt;&amp;&quot;q&quot;.LOG"); at != std::string::npos;
       at = page.find("PC&lt;i&gt;&amp;&quot;q&quot;.LOG", at + 1)) {
    ++escaped;
  }
  EXPECT_EQ(3u, escaped) << "the PC's row and its data-file, the slowest run";
  EXPECT_NE(std::string::npos, page.find("&lt;b&gt;notes.txt"));
  EXPECT_NE(std::string::npos, page.find("&lt;script&gt;alert(1)&lt;/script&gt;&amp;&quot;x&quot;"));
  EXPECT_NE(std::string::npos, page.find("0x&lt;i&gt; WINXP"));
}

// Past its 200 longest, the slowest run's timeline draws those; a failed
// run names 20 applications and counts the rest; the CSV, past the bytes
// it holds in memory, keeps its rows in their order.
TEST(FleetPageTest, ManyApplicationsTheChartsDrawTheWorstTheTableHoldsAll) {
  for (const int apps : {25, static_cast<int>(kTimelineRows) + 5}) {
    TempTree tree;
    std::string log;
    const auto add = [&log](LogRecord record, std::vector<WString> texts) {
      log += EncodeLogText(FormatLogRecord(record, {std::move(texts), 0}));
    };
    add(LogRecord::kBannerFirstLine, {});
    add(LogRecord::kBannerSecondLine, {u"09:05:03", u"Sunday, December 06, 2026"});
    add(LogRecord::kBannerThirdLine, {});
    add(LogRecord::kSystemIdentity, {u"0x1234"});
    add(LogRecord::kOSTypeIdentity, {u"WINXP"});
    for (int i = 0; i < apps; ++i) {
      add(LogRecord::kProcessing,
          {u"0xFFFF", u"Application number " + FromUtf8(std::to_string(i)) + u" of the site"});
      add(LogRecord::kLaunched, {u"C:\\a.exe"});
      add(LogRecord::kStart, {u"09:05:04", u"Sunday, December 06, 2026"});
      add(LogRecord::kEnd, {i < 2 ? u"09:05:04" : u"09:05:05", u"Sunday, December 06, 2026"});
      add(i < 22 ? LogRecord::kResultLaunchFailed : LogRecord::kResultTimedOut, {});
    }
    ReportOptions options;
    options.logs = {tree.File("QUILLRUN.LOG", log)};
    options.html = tree.Path("page.html");
    std::ostringstream out, err;
    ASSERT_EQ(0, RunReportVerb(options, out, err)) << err.str();
    std::ifstream in(options.html);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto count = [&page](const std::string& what) {
      size_t n = 0;
      for (size_t at = page.find(what); at != std::string::npos; at = page.find(what, at + 1)) ++n;
      return n;
    };
    const size_t drawn = std::min<size_t>(apps, kTimelineRows);
    EXPECT_EQ(20u, count("<g class=\"app-bar\""));
    EXPECT_EQ(20u, count("<g class=\"durations\""));
    EXPECT_EQ(static_cast<size_t>(apps), count("<tr data-app="));
    EXPECT_EQ(40u + drawn,
              count("class=\"label\">Application\u2026f the site<title>Application number "))
        << "every label shortened in the middle, the whole its tooltip: 20 bars, 20 histograms, "
           "the slowest run's";
    // The two that took no time are the ones a long run leaves out.
    EXPECT_EQ(apps > static_cast<int>(drawn) ? 0u : 1u,
              count("<title>Application number 1 of the site: "));
    EXPECT_NE(std::string::npos, page.find(", and " + std::to_string(apps - 20) + " more"));

    std::ostringstream csv;
    FleetCsv rows(csv, 1024);
    const RunReport report = MakeRunReport(ReadLogRecords(log));
    rows.TakeRun("QUILLRUN.LOG", 1, report.runs.at(0));
    rows.EndLog("QUILLRUN.LOG", LogTally());
    std::istringstream lines(csv.str());
    std::string line;
    std::getline(lines, line);  // the header
    int read = 0;
    for (; std::getline(lines, line); ++read) {
      const std::string app = ",Application number " + std::to_string(read) + " of the site,";
      ASSERT_NE(std::string::npos, line.find(app)) << line;
      ASSERT_NE(std::string::npos, line.find(",failed,yes,")) << line;
    }
    EXPECT_EQ(apps, read);
  }
}

}  // namespace
}  // namespace quill::plan
