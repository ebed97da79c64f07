#include "plan/fleet/fleet_text.h"

#include <iomanip>
#include <string>

#include "plan/report/report_text.h"
#include "plan/windows/shown_text.h"

namespace quill::plan {

namespace {

const char* const kOutcomeKeys[] = {"finished", "failed_to_launch", "timed_out", "without_result"};

// `text` and blanks to `width` characters: setw would count UTF-8 bytes.
std::string Padded(const std::string& text, size_t width) {
  size_t characters = 0;
  for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return characters >= width ? text + " " : text + std::string(width - characters, ' ');
}

void Cells(std::ostream& out, const std::string& first, int first_width,
           std::initializer_list<int64_t> numbers) {
  out << Padded(first, first_width);
  for (int64_t number : numbers) out << std::setw(10) << number;
  out << "\n";
}

}  // namespace

std::string OSTypeShown(const std::string& os_type) { return os_type.empty() ? "(none)" : os_type; }

void WriteFleetText(const FleetTotals& totals, std::ostream& out) {
  const OutcomeCounts& o = totals.outcomes;
  out << "files: " << totals.log_files << " run logs read, " << totals.skipped_files
      << " skipped\n"
      << "runs: " << totals.runs << " on " << totals.machines.size() << " machines; "
      << totals.error_runs << " ended in an error, " << totals.cut_short_runs << " cut short\n"
      << "application runs: " << totals.application_runs << ": " << o[0] << " finished, " << o[1]
      << " failed to launch, " << o[2] << " timed out, " << o[3] << " without result\n";
  if (totals.ends_before_starts > 0) {
    out << "durations unknown: " << totals.ends_before_starts
        << " with END before START (a clock set back)\n";
  }

  out << "\n" << std::left << std::setw(20) << "application" << std::right;
  for (const char* head : {"runs", "finished", "failed", "timed out", "no result", "median s",
                           "p95 s", "max s"}) {
    out << std::setw(10) << head;
  }
  out << "\n";
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    Cells(out, Shown(app->name), 20,
          {app->runs, app->outcomes[0], app->outcomes[1], app->outcomes[2], app->outcomes[3],
           app->durations.Percentile(50), app->durations.Percentile(95), app->durations.Max()});
  }

  out << "\n" << std::left << std::setw(20) << "SystemID" << std::setw(10) << "OSType"
      << std::right << std::setw(10) << "runs" << std::setw(13) << "failed runs" << "\n";
  for (const auto& entry : totals.machine_os) {
    const MachineTotals& machine = entry.second;
    out << Padded(Shown(machine.system_id), 20) << Padded(Shown(OSTypeShown(machine.os_type)), 10) << std::right
        << std::setw(10) << machine.runs << std::setw(13) << machine.failed_runs << "\n";
  }

  if (totals.slowest.seconds >= 0) {
    out << "\nslowest run: " << totals.slowest.seconds << " s, run " << totals.slowest.run_number
        << " of " << Shown(totals.slowest.file) << ", from " << StampText(totals.slowest.run.start) << "\n";
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

nlohmann::ordered_json FleetJson(const FleetTotals& totals) {
  using Json = nlohmann::ordered_json;
  Json json;
  json["files"] = {{"run_logs", totals.log_files}, {"skipped", totals.skipped_files}};
  Json counted = {{"runs", totals.runs},
                  {"machines", totals.machines.size()},
                  {"error_runs", totals.error_runs},
                  {"cut_short_runs", totals.cut_short_runs},
                  {"application_runs", totals.application_runs},
                  {"ends_before_starts", totals.ends_before_starts}};
  for (size_t i = 0; i < 4; ++i) counted[kOutcomeKeys[i]] = totals.outcomes[i];
  json["totals"] = counted;
  json["applications"] = Json::array();
  for (const AppTotals* app : totals.AppsWorstFirst()) {
    Json row = {{"application", app->name}, {"runs", app->runs}};
    for (size_t i = 0; i < 4; ++i) row[kOutcomeKeys[i]] = app->outcomes[i];
    row["median_seconds"] = app->durations.Percentile(50);
    row["p95_seconds"] = app->durations.Percentile(95);
    row["max_seconds"] = app->durations.Max();
    json["applications"].push_back(row);
  }
  json["machines"] = Json::array();
  for (const auto& entry : totals.machine_os) {
    json["machines"].push_back({{"system_id", entry.second.system_id},
                                {"os_type", entry.second.os_type},
                                {"runs", entry.second.runs},
                                {"failed_runs", entry.second.failed_runs}});
  }
  if (totals.slowest.seconds >= 0) {
    json["slowest_run"] = {{"file", totals.slowest.file},
                           {"run", totals.slowest.run_number},
                           {"start", StampText(totals.slowest.run.start)},
                           {"seconds", totals.slowest.seconds}};
  }
  json["problems"] = Json::array();
  for (const FileProblem& problem : totals.problems) {
    json["problems"].push_back({{"file", problem.file},
                                {"line", problem.line},
                                {"reason", problem.reason},
                                {"skipped", problem.skipped}});
  }
  return json;
}

}  // namespace quill::plan
