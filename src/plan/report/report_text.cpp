#include "plan/report/report_text.h"

#include <cstdio>
#include <iomanip>
#include <string>

#include "base/utf.h"
#include "plan/windows/civil_time.h"

namespace quill::plan {

namespace {

struct Totals {
  int runs = 0;
  int applications = 0;
  int by_outcome[4] = {0, 0, 0, 0};
  int64_t run_seconds = 0;
  int64_t application_seconds = 0;
};

std::string Seconds(const std::optional<int64_t>& seconds) {
  return seconds ? std::to_string(*seconds) : "-";
}

std::string AppOutcomeText(const AppRow& app) {
  switch (app.outcome) {
    case AppOutcome::kFinished:
      return "finished in less than " + std::to_string(app.counted_seconds) + " s";
    case AppOutcome::kLaunchFailed: return "failed to launch";
    case AppOutcome::kTimedOut: return "did not finish in " + std::to_string(app.counted_seconds) + " s";
    case AppOutcome::kNoResult: return "no result in the log";
  }
  return "";
}

const char* RunOutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kApplicationsRun: return "ran";
    case RunOutcome::kMissingAppInstlPath: return "missing-appinstlpath";
    case RunOutcome::kMissingLanguageTable: return "missing-language-table";
    case RunOutcome::kCutShort: return "cut-short";
  }
  return "";
}

std::string RunOutcomeText(const RunRow& run) {
  switch (run.outcome) {
    case RunOutcome::kApplicationsRun:
      return std::to_string(run.applications.size()) + " applications";
    case RunOutcome::kMissingAppInstlPath: return "error: AppInstlPath not given";
    case RunOutcome::kMissingLanguageTable: return "error: cannot open " + ToUtf8(run.error);
    case RunOutcome::kCutShort: return "cut short during an application";
  }
  return "";
}

Totals Count(const RunReport& report) {
  Totals totals;
  for (const RunRow& run : report.runs) {
    ++totals.runs;
    totals.run_seconds += SecondsBetween(run.start, run.end).value_or(0);
    for (const AppRow& app : run.applications) {
      ++totals.applications;
      ++totals.by_outcome[static_cast<int>(app.outcome)];
      totals.application_seconds += SecondsBetween(app.start, app.end).value_or(0);
    }
  }
  return totals;
}

void Row(std::ostream& out, const std::string& what, const std::string& start,
         const std::string& end, const std::string& outcome, const std::string& seconds) {
  out << std::left << std::setw(34) << what << std::setw(21) << start << std::setw(21) << end
      << std::setw(36) << outcome << seconds << "\n";
}

}  // namespace

std::string StampText(const StampRead& stamp) {
  if (!stamp.seconds) return stamp.text.empty() ? "-" : ToUtf8(stamp.text);
  const LocalTime time = CivilFromSeconds(*stamp.seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  return text;
}

const char* AppOutcomeName(AppOutcome outcome) {
  switch (outcome) {
    case AppOutcome::kFinished: return "finished";
    case AppOutcome::kLaunchFailed: return "failed-to-launch";
    case AppOutcome::kTimedOut: return "timed-out";
    case AppOutcome::kNoResult: return "no-result";
  }
  return "";
}

void WriteReportText(const RunReport& report, std::ostream& out) {
  Row(out, "run / application", "start", "end", "outcome", "seconds");
  for (size_t i = 0; i < report.runs.size(); ++i) {
    const RunRow& run = report.runs[i];
    Row(out, "run " + std::to_string(i + 1) + " " + ToUtf8(run.system_id) + " " + ToUtf8(run.os_type),
        StampText(run.start), StampText(run.end), RunOutcomeText(run), Seconds(SecondsBetween(run.start, run.end)));
    for (const AppRow& app : run.applications) {
      Row(out, "  " + ToUtf8(app.app_section) + (app.cut_short ? " (record cut short)" : ""),
          StampText(app.start), StampText(app.end), AppOutcomeText(app), Seconds(SecondsBetween(app.start, app.end)));
    }
  }
  const Totals totals = Count(report);
  out << "totals: " << totals.runs << " runs in " << totals.run_seconds << " s; "
      << totals.applications << " applications in " << totals.application_seconds << " s: "
      << totals.by_outcome[0] << " finished, " << totals.by_outcome[1] << " failed to launch, "
      << totals.by_outcome[2] << " timed out, " << totals.by_outcome[3] << " without result\n";
  if (!report.unknown_lines.empty() || report.records_outside_runs > 0) {
    out << "not read: " << report.unknown_lines.size() << " lines that hold no record, "
        << report.records_outside_runs << " records before the first run\n";
  }
}

nlohmann::ordered_json ReportJson(const RunReport& report) {
  auto seconds = [](const std::optional<int64_t>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json();
  };
  nlohmann::ordered_json json;
  json["runs"] = nlohmann::ordered_json::array();
  for (const RunRow& run : report.runs) {
    nlohmann::ordered_json apps = nlohmann::ordered_json::array();
    for (const AppRow& app : run.applications) {
      apps.push_back({{"list_section", ToUtf8(app.list_section)},
                      {"application", ToUtf8(app.app_section)},
                      {"command_line", ToUtf8(app.command_line)},
                      {"start", StampText(app.start)},
                      {"end", StampText(app.end)},
                      {"outcome", AppOutcomeName(app.outcome)},
                      {"counted_seconds", app.counted_seconds},
                      {"seconds", seconds(SecondsBetween(app.start, app.end))},
                      {"cut_short", app.cut_short},
                      {"line", app.line}});
    }
    json["runs"].push_back({{"start", StampText(run.start)},
                            {"end", StampText(run.end)},
                            {"system_id", ToUtf8(run.system_id)},
                            {"os_type", ToUtf8(run.os_type)},
                            {"lcid", ToUtf8(run.lcid)},
                            {"language_code", ToUtf8(run.language_code)},
                            {"outcome", RunOutcomeName(run.outcome)},
                            {"error", ToUtf8(run.error)},
                            {"seconds", seconds(SecondsBetween(run.start, run.end))},
                            {"cut_short_records", run.cut_short_records},
                            {"line", run.line},
                            {"applications", apps}});
  }
  const Totals totals = Count(report);
  json["totals"] = {{"runs", totals.runs},
                    {"applications", totals.applications},
                    {"finished", totals.by_outcome[0]},
                    {"failed_to_launch", totals.by_outcome[1]},
                    {"timed_out", totals.by_outcome[2]},
                    {"without_result", totals.by_outcome[3]},
                    {"run_seconds", totals.run_seconds},
                    {"application_seconds", totals.application_seconds}};
  json["unknown_lines"] = report.unknown_lines;
  json["records_outside_runs"] = report.records_outside_runs;
  return json;
}

}  // namespace quill::plan
