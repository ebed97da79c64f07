#include "plan/report/fleet_text.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <string>
#include <vector>

#include "plan/report/report_text.h"
#include "plan/report/run_filter.h"
#include "plan/text/civil_time.h"
#include "plan/text/exit_meanings.h"
#include "plan/text/json_text.h"
#include "plan/text/shown_text.h"

namespace quill::plan {

namespace {

const char* const kOutcomeKeys[] = {"finished", "failed_to_launch", "timed_out", "without_result"};

// `text` and blanks to `width` characters: setw would count UTF-8 bytes.
std::string Padded(const std::string& text, size_t width) {
  const size_t characters = Columns(text);
  return characters >= width ? text + " " : text + std::string(width - characters, ' ');
}

// A share as JSON: a fraction with four decimals.
double Rate(int64_t part, int64_t whole) {
  return static_cast<double>(static_cast<int64_t>(Share(part, whole) * 10000 + 0.5)) / 10000;
}

std::string TimeShown(int64_t seconds) {
  StampRead stamp;
  stamp.seconds = seconds;
  return StampText(stamp);
}

void Heads(std::ostream& out, const char* first, int first_width,
           const std::vector<std::string>& heads) {
  out << std::left << std::setw(first_width) << first << std::right;
  for (const std::string& head : heads) out << std::setw(10) << head;
  out << "\n";
}

void GroupTable(const char* title, const std::map<std::string, GroupTotals>& groups, bool language,
                std::ostream& out) {
  out << "\n";
  Heads(out, title, 20,
        {"runs", "failed", "failed %", "app runs", "launch %", "timeout %", "no res %"});
  for (const GroupTotals* group : OutcomeGroups::WorstFirst(groups)) {
    out << Padded(Shown(language ? LanguageShown(*group) : OSTypeShown(group->name)), 20)
        << std::right << std::setw(10) << group->runs << std::setw(10) << group->failed_runs
        << std::setw(10) << PercentShown(group->failed_runs, group->runs) << std::setw(10)
        << group->application_runs;
    for (size_t i = 1; i < 4; ++i)
      out << std::setw(10) << PercentShown(group->outcomes[i], group->application_runs);
    out << "\n";
  }
}

void FailingPcs(const FleetTotals& totals, int top, std::ostream& out) {
  const auto failing = totals.pcs.MostRecentFirst();
  if (failing.empty()) return;
  const size_t shown = std::min(failing.size(), static_cast<size_t>(std::max(top, 0)));
  out << "\nPCs whose latest run still fails, most recent first";
  if (shown < failing.size()) out << " (" << shown << " of " << failing.size() << ")";
  out << ":\n  " << Padded("latest run", 20) << Padded("log file", 30) << Padded("SystemID", 10)
      << Padded("OSType", 9) << "what\n";
  for (size_t i = 0; i < shown; ++i) {
    const FailingPc& pc = *failing[i];
    out << "  " << Padded(Shown(pc.start_text), 20) << Padded(Shown(pc.file), 30)
        << Padded(Shown(pc.system_id), 10) << Padded(Shown(OSTypeShown(pc.os_type)), 9)
        << Shown(pc.what) << "\n";
  }
  if (shown < failing.size()) {
    out << "  ... " << failing.size() - shown
        << " more: --top N lists more, --json and --csv all\n";
  }
}

// The codes listed: the commonest, and the runs of the others together.
constexpr size_t kCodesListed = 20;
constexpr size_t kCodesOfAnApp = 5;
constexpr size_t kCodesInJson = 100;

// Only where the logs recorded exit codes: a report of other logs reads as before.
// A list of PCs, most recent first, the first `top` of them.
void PcList(const char* title, const std::vector<const FailingPc*>& pcs, int top,
            std::ostream& out) {
  if (pcs.empty()) return;
  const size_t shown = std::min(pcs.size(), static_cast<size_t>(std::max(top, 0)));
  out << "\n" << title << ", most recent first";
  if (shown < pcs.size()) out << " (" << shown << " of " << pcs.size() << ")";
  out << ":\n";
  for (size_t i = 0; i < shown; ++i) {
    const FailingPc& pc = *pcs[i];
    out << "  " << Padded(Shown(pc.start_text), 20) << Padded(Shown(pc.file), 30)
        << Padded(Shown(pc.system_id), 10) << Shown(pc.what) << "\n";
  }
}

void ExitCodes(const FleetTotals& totals, int top, std::ostream& out) {
  const ExitCounts& exits = totals.exits;
  if (exits.recorded == 0) return;
  out << "\nexit codes: " << exits.recorded << " recorded; " << exits.failed << " failures, "
      << exits.reboot_required << " reboots required, " << exits.reboot_started
      << " reboots started, " << exits.tried_again << " busy and tried again\n";
  out << "  " << Padded("code", 12) << Padded("runs", 8) << "meaning\n";
  for (const auto& [code, count] : exits.MostSeen(kCodesListed)) {
    out << "  " << Padded(ExitCodeShown(code), 12) << Padded(std::to_string(count), 8)
        << ExitMeaning(code) << "\n";
  }
  if (const int64_t others = exits.RunsBeyond(kCodesListed)) {
    out << "  " << Padded("others", 12) << Padded(std::to_string(others), 8) << "(--json lists "
        << kCodesInJson << ")\n";
  }
  out << "  by application:\n";
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    if (app->exits.recorded == 0) continue;
    std::string codes;
    for (const auto& [code, count] : app->exits.MostSeen(kCodesOfAnApp)) {
      codes += (codes.empty() ? "" : ", ") + ExitCodeShown(code) + " x" + std::to_string(count);
    }
    if (const int64_t others = app->exits.RunsBeyond(kCodesOfAnApp)) {
      codes += ", others x" + std::to_string(others);
    }
    out << "    " << Padded(Shown(app->name), 20) << codes << "\n";
  }
  PcList("PCs whose latest run left a reboot", totals.pcs.NeedingRebootFirst(), top, out);
}

// Only where a run restarted, or could not: without MaxRestarts the report
// stays as it was.
void Restarts(const FleetTotals& totals, int top, std::ostream& out) {
  if (!totals.restarts_seen()) return;
  out << "\nrestarts: " << totals.restart_stopped_runs
      << " runs stopped for a restart (counted neither failed nor cut short), "
      << totals.restart_bound_runs << " went on though Windows needs a restart\n";
  PcList("PCs whose latest run stopped for a restart and never resumed",
         totals.pcs.RestartPendingFirst(), top, out);
  PcList("PCs at the bound of their restarts: Windows needs a restart",
         totals.pcs.AtRestartBoundFirst(), top, out);
}

// Only where a log copy failed: without LogCopy the report stays as it was.
void LogCopies(const FleetTotals& totals, int top, std::ostream& out) {
  if (totals.log_copy_records == 0) return;
  out << "\nlog copies: " << totals.log_copy_records
      << " failed or not made; the next run copies the whole log again\n";
  PcList("PCs whose latest run's log copy failed: the fleet's copy is older than the run",
         totals.pcs.LogCopyFailedFirst(), top, out);
}

constexpr size_t kOutsideNamed = 10;

void Trend(const RunTrend& trend, std::ostream& out) {
  const auto points = trend.Points();
  if (points.empty()) return;
  out << "\n";
  Heads(out, trend.weekly() ? "week from" : "day", 12, {"runs", "failed", "PCs"});
  for (const TrendPoint& point : points) {
    out << std::left << std::setw(12) << IsoDate(point.first_day) << std::right << std::setw(10)
        << point.runs << std::setw(10) << point.failed_runs << std::setw(10) << point.pcs << "\n";
  }
  const RunTrend::Outside outside = trend.RunsOutside();
  if (outside.runs == 0) return;
  out << "outside the trend, by clocks far from the others': " << outside.runs << " runs\n";
  for (size_t i = 0; i < outside.days.size() && i < kOutsideNamed; ++i) {
    out << "  " << IsoDate(outside.days[i].first) << "  " << Shown(outside.days[i].second) << "\n";
  }
  if (outside.days.size() > kOutsideNamed) {
    out << "  ... " << outside.days.size() - kOutsideNamed << " more days: --json lists all\n";
  }
}

}  // namespace

std::string LanguageShown(const GroupTotals& language) {
  if (language.name.empty())
    return language.lcid.empty() ? "(none)" : "(none) (" + language.lcid + ")";
  return language.lcid.empty() ? language.name : language.name + " (" + language.lcid + ")";
}

std::string PeriodShown(const RunTrend& trend) {
  if (!trend.first()) return "no run with a readable time";
  return TimeShown(*trend.first()) + " to " + TimeShown(*trend.last());
}

std::string OSTypeShown(const std::string& os_type) { return os_type.empty() ? "(none)" : os_type; }

namespace {

// The period, the files, the PCs, the runs and their outcomes.
void Summary(const FleetTotals& totals, std::ostream& out) {
  const OutcomeCounts& o = totals.outcomes;
  const PcLatest& pcs = totals.pcs;
  out << "period: " << PeriodShown(totals.trend) << ", by the time in each run's banner";
  if (totals.trend.runs_without_time() > 0) {
    out << "; " << totals.trend.runs_without_time() << " runs without a readable time";
  }
  out << "\n";
  if (!totals.filters.empty()) out << "filters: " << Shown(totals.filters) << "\n";
  out << "files: " << totals.log_files << " run logs read, " << totals.skipped_files << " skipped\n"
      << "PCs (log files): " << pcs.reporting() << " with runs; latest run still failing on "
      << pcs.still_failing() << " (" << pcs.cut_short() << " of them cut short), fixed on "
      << pcs.fixed() << ", finished on " << pcs.finished() << "\n"
      << "runs: " << totals.runs << " on " << totals.machines.size() << " models (SystemIDs); "
      << totals.error_runs << " ended in an error, " << totals.cut_short_runs << " cut short\n"
      << "application runs: " << totals.application_runs << ": " << o[0] << " finished, " << o[1]
      << " failed to launch, " << o[2] << " timed out, " << o[3] << " without result";
  if (totals.exits.recorded > 0)
    out << ", " << totals.failed_by_exit_code << " failed by exit code";
  if (totals.installed_nothing > 0 || totals.installed_already > 0) {
    out << "; " << totals.installed_nothing << " installed nothing, " << totals.installed_already
        << " installed already and not started";
  }
  if (totals.ended_at_limit > 0)
    out << "; " << totals.ended_at_limit << " ended at their time limit";
  out << "\n";
  if (!totals.not_verified.empty()) out << totals.not_verified.Text() << "\n";
  if (totals.ends_before_starts > 0) {
    out << "durations unknown: " << totals.ends_before_starts
        << " with END before START (a clock set back)\n";
  }
}

void ApplicationTable(const FleetTotals& totals, std::ostream& out) {
  out << "\n";
  // A column for the failures by exit code where the logs recorded any:
  // the columns after "runs" add up to it.
  const bool coded = totals.failed_by_exit_code > 0;
  std::vector<std::string> heads = {"runs", "finished", "failed", "timed out", "no result"};
  if (coded) heads.push_back("by code");
  for (const char* head : {"failed %", "median s", "p95 s", "max s"}) heads.push_back(head);
  Heads(out, "application", 20, heads);
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    out << Padded(Shown(app->name), 20) << std::right;
    for (int64_t number :
         {app->runs, app->outcomes[0], app->outcomes[1], app->outcomes[2], app->outcomes[3]}) {
      out << std::setw(10) << number;
    }
    if (coded) out << std::setw(10) << app->failed_by_exit_code;
    out << std::setw(10) << PercentShown(app->not_finished(), app->runs);
    for (int64_t number :
         {app->durations.Percentile(50), app->durations.Percentile(95), app->durations.Max()}) {
      out << std::setw(10) << number;
    }
    out << "\n";
  }
}

void MachineTable(const FleetTotals& totals, std::ostream& out) {
  out << "\n"
      << std::left << std::setw(20) << "SystemID" << std::setw(10) << "OSType" << std::right
      << std::setw(10) << "runs" << std::setw(13) << "failed runs"
      << "\n";
  for (const auto& entry : totals.machine_os) {
    const MachineTotals& machine = entry.second;
    out << Padded(Shown(machine.system_id), 20) << Padded(Shown(OSTypeShown(machine.os_type)), 10)
        << std::right << std::setw(10) << machine.runs << std::setw(13) << machine.failed_runs
        << "\n";
  }
}

// The slowest run, and the files and lines that were not read.
void Ending(const FleetTotals& totals, std::ostream& out) {
  if (totals.slowest.seconds >= 0) {
    out << "\nslowest run: " << totals.slowest.seconds << " s, run " << totals.slowest.run_number
        << " of " << Shown(totals.slowest.file) << ", from " << StampText(totals.slowest.run.start)
        << "\n";
  }
  if (!totals.problems.empty()) {
    out << "\nfiles skipped, and lines not read:\n";
    for (const FileProblem& problem : totals.problems) {
      out << "  " << Shown(problem.file);
      if (problem.line > 0) out << ":" << problem.line;
      out << ": " << Shown(problem.reason) << "\n";
    }
  }
}

}  // namespace

void WriteFleetText(const FleetTotals& totals, int top, std::ostream& out) {
  Summary(totals, out);
  FailingPcs(totals, top, out);
  ExitCodes(totals, top, out);
  Restarts(totals, top, out);
  LogCopies(totals, top, out);
  ApplicationTable(totals, out);
  GroupTable("OSType", totals.groups.by_os, false, out);
  GroupTable("language", totals.groups.by_language, true, out);
  Trend(totals.trend, out);
  MachineTable(totals, out);
  Ending(totals, out);
}

namespace {

// The PCs still failing can be most of a fleet: they are written one at a
// time where this stands in the JSON, not held as a JSON tree.
const char kListComesHere[] = "\x01still failing PCs\x01";

nlohmann::ordered_json FailingPcJson(const FailingPc& pc) {
  return {{"file", pc.file},       {"system_id", pc.system_id},
          {"os_type", pc.os_type}, {"latest_run", pc.start_text},
          {"run", pc.run_number},  {"state", pc.cut_short ? "cut-short" : "failed"},
          {"what", pc.what}};
}

// The codes seen, the commonest first, each with its meaning.
nlohmann::ordered_json ExitCodesJson(const ExitCounts& exits) {
  nlohmann::ordered_json codes = nlohmann::ordered_json::array();
  for (const auto& [code, count] : exits.MostSeen(kCodesInJson)) {
    codes.push_back({{"code", code},
                     {"shown", ExitCodeShown(code)},
                     {"meaning", ExitMeaning(code)},
                     {"runs", count}});
  }
  return codes;
}

std::string Dumped(const nlohmann::ordered_json& json) { return JsonText(json, 2); }

}  // namespace

void WriteFleetJson(const FleetTotals& totals, std::ostream& out) {
  const std::string whole = Dumped(FleetJson(totals));
  const size_t at = whole.find(Dumped(kListComesHere));
  if (at == std::string::npos) {
    out << whole << "\n";
    return;
  }
  const size_t line_start = whole.rfind('\n', at) + 1;
  const std::string indent(whole.find_first_not_of(' ', line_start) - line_start + 2, ' ');
  out.write(whole.data(), static_cast<std::streamsize>(at));
  const auto failing = totals.pcs.MostRecentFirst();
  out << (failing.empty() ? "[]" : "[");
  for (size_t i = 0; i < failing.size(); ++i) {
    std::string entry = Dumped(FailingPcJson(*failing[i]));
    for (size_t nl = entry.find('\n'); nl != std::string::npos; nl = entry.find('\n', nl + 1)) {
      entry.insert(nl + 1, indent);
    }
    out << (i == 0 ? "\n" : ",\n") << indent << entry;
  }
  if (!failing.empty()) out << "\n" << indent.substr(2) << "]";
  out << whole.substr(at + Dumped(kListComesHere).size()) << "\n";
}

namespace {

using Json = nlohmann::ordered_json;

Json UnitsJson() {
  return {{"pcs", "log files: one log lives on one PC"},
          {"machines", "models: SystemIDs"},
          {"runs", "runs of QUILLRUN.EXE"},
          {"application_runs", "applications launched or tried in a run"}};
}

Json PeriodJson(const RunTrend& trend) {
  return {{"first_run", trend.first() ? Json(TimeShown(*trend.first())) : Json()},
          {"last_run", trend.last() ? Json(TimeShown(*trend.last())) : Json()},
          {"runs_without_time", trend.runs_without_time()}};
}

Json TotalsJson(const FleetTotals& totals) {
  Json counted = {{"runs", totals.runs},
                  {"machines", totals.machines.size()},
                  {"error_runs", totals.error_runs},
                  {"cut_short_runs", totals.cut_short_runs},
                  {"application_runs", totals.application_runs},
                  {"ends_before_starts", totals.ends_before_starts}};
  for (size_t i = 0; i < 4; ++i) counted[kOutcomeKeys[i]] = totals.outcomes[i];
  if (totals.exits.recorded > 0) counted["failed_by_exit_code"] = totals.failed_by_exit_code;
  if (totals.restarts_seen()) {
    counted["restart_stopped_runs"] = totals.restart_stopped_runs;
    counted["restart_bound_runs"] = totals.restart_bound_runs;
  }
  if (totals.installed_nothing > 0 || totals.installed_already > 0) {
    counted["installed_nothing"] = totals.installed_nothing;
    counted["installed_already"] = totals.installed_already;
  }
  if (!totals.not_verified.empty()) counted["not_verified"] = totals.not_verified.Json();
  if (totals.log_copy_records > 0) counted["log_copy_records"] = totals.log_copy_records;
  if (totals.ended_at_limit > 0) counted["ended_at_time_limit"] = totals.ended_at_limit;
  return counted;
}

Json PcsJson(const FleetTotals& totals) {
  Json pcs = {{"with_runs", totals.pcs.reporting()}, {"still_failing", totals.pcs.still_failing()},
              {"cut_short", totals.pcs.cut_short()}, {"fixed", totals.pcs.fixed()},
              {"finished", totals.pcs.finished()},   {"still_failing_list", kListComesHere}};
  if (totals.exits.recorded > 0) {
    pcs["needing_reboot"] = totals.pcs.needing_reboot();
    pcs["needing_reboot_list"] = Json::array();
    for (const RebootPc* pc : totals.pcs.NeedingRebootFirst()) {
      pcs["needing_reboot_list"].push_back(FailingPcJson(*pc));
      pcs["needing_reboot_list"].back()["state"] = "reboot";
    }
  }
  if (totals.log_copy_records > 0) {
    pcs["log_copy_failed"] = totals.pcs.log_copy_failed();
    Json& json = pcs["log_copy_failed_list"] = Json::array();
    for (const FailingPc* pc : totals.pcs.LogCopyFailedFirst()) {
      json.push_back(FailingPcJson(*pc));
      json.back()["state"] = "log_copy_failed";
    }
  }
  if (!totals.restarts_seen()) return pcs;
  const std::pair<const char*, std::vector<const FailingPc*>> lists[] = {
      {"restart_pending", totals.pcs.RestartPendingFirst()},
      {"at_restart_bound", totals.pcs.AtRestartBoundFirst()}};
  for (const auto& [name, list] : lists) {
    pcs[name] = list.size();
    Json& json = pcs[std::string(name) + "_list"] = Json::array();
    for (const FailingPc* pc : list) {
      json.push_back(FailingPcJson(*pc));
      json.back()["state"] = name;
    }
  }
  return pcs;
}

Json ApplicationsJson(const FleetTotals& totals) {
  Json applications = Json::array();
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    Json row = {{"application", app->name}, {"runs", app->runs}};
    for (size_t i = 0; i < 4; ++i) row[kOutcomeKeys[i]] = app->outcomes[i];
    row["failed_rate"] = Rate(app->not_finished(), app->runs);
    for (size_t i = 1; i < 4; ++i)
      row[std::string(kOutcomeKeys[i]) + "_rate"] = Rate(app->outcomes[i], app->runs);
    row["median_seconds"] = app->durations.Percentile(50);
    row["p95_seconds"] = app->durations.Percentile(95);
    row["max_seconds"] = app->durations.Max();
    if (totals.exits.recorded > 0) {
      row["failed_by_exit_code"] = app->failed_by_exit_code;
      row["exit_codes"] = ExitCodesJson(app->exits);
    }
    applications.push_back(row);
  }
  return applications;
}

Json MachinesJson(const FleetTotals& totals) {
  Json machines = Json::array();
  for (const auto& entry : totals.machine_os) {
    machines.push_back({{"system_id", entry.second.system_id},
                        {"os_type", entry.second.os_type},
                        {"runs", entry.second.runs},
                        {"failed_runs", entry.second.failed_runs}});
  }
  return machines;
}

// The OSTypes or the languages, the worst first.
Json GroupsJson(const std::map<std::string, GroupTotals>& groups, bool language) {
  Json rows = Json::array();
  for (const GroupTotals* group : OutcomeGroups::WorstFirst(groups)) {
    Json row = {{language ? "language_code" : "os_type", group->name}};
    if (language) row["lcid"] = group->lcid;
    row["runs"] = group->runs;
    row["failed_runs"] = group->failed_runs;
    row["failed_runs_rate"] = Rate(group->failed_runs, group->runs);
    row["application_runs"] = group->application_runs;
    for (size_t i = 0; i < 4; ++i) row[kOutcomeKeys[i]] = group->outcomes[i];
    for (size_t i = 1; i < 4; ++i) {
      row[std::string(kOutcomeKeys[i]) + "_rate"] =
          Rate(group->outcomes[i], group->application_runs);
    }
    rows.push_back(row);
  }
  return rows;
}

Json TrendJson(const RunTrend& trend) {
  Json json = {{"unit", trend.weekly() ? "week" : "day"}, {"points", Json::array()}};
  for (const TrendPoint& point : trend.Points()) {
    json["points"].push_back({{"from", IsoDate(point.first_day)},
                              {"runs", point.runs},
                              {"failed_runs", point.failed_runs},
                              {"pcs", point.pcs}});
  }
  const RunTrend::Outside outside = trend.RunsOutside();
  if (outside.runs > 0) {
    json["runs_outside"] = outside.runs;
    for (const auto& [day, file] : outside.days) {
      json["days_outside"].push_back({{"day", IsoDate(day)}, {"log", file}});
    }
  }
  return json;
}

Json FleetExitCodesJson(const ExitCounts& exits) {
  return {{"recorded", exits.recorded},
          {"failures", exits.failed},
          {"reboots_required", exits.reboot_required},
          {"reboots_started", exits.reboot_started},
          {"busy_tried_again", exits.tried_again},
          {"most_seen", ExitCodesJson(exits)},
          {"runs_of_other_codes", exits.RunsBeyond(kCodesInJson)}};
}

Json ProblemsJson(const std::vector<FileProblem>& problems) {
  Json rows = Json::array();
  for (const FileProblem& problem : problems) {
    rows.push_back({{"file", problem.file},
                    {"line", problem.line},
                    {"reason", problem.reason},
                    {"skipped", problem.skipped}});
  }
  return rows;
}

}  // namespace

nlohmann::ordered_json FleetJson(const FleetTotals& totals) {
  Json json;
  json["units"] = UnitsJson();
  json["period"] = PeriodJson(totals.trend);
  json["filters"] = totals.filters;
  json["files"] = {{"run_logs", totals.log_files}, {"skipped", totals.skipped_files}};
  json["totals"] = TotalsJson(totals);
  json["pcs"] = PcsJson(totals);
  json["applications"] = ApplicationsJson(totals);
  json["machines"] = MachinesJson(totals);
  json["os_types"] = GroupsJson(totals.groups.by_os, false);
  json["languages"] = GroupsJson(totals.groups.by_language, true);
  json["trend"] = TrendJson(totals.trend);
  if (totals.slowest.seconds >= 0) {
    json["slowest_run"] = {{"file", totals.slowest.file},
                           {"run", totals.slowest.run_number},
                           {"start", StampText(totals.slowest.run.start)},
                           {"seconds", totals.slowest.seconds}};
  }
  if (totals.exits.recorded > 0) json["exit_codes"] = FleetExitCodesJson(totals.exits);
  json["problems"] = ProblemsJson(totals.problems);
  return json;
}

}  // namespace quill::plan
