#include "plan/report/fleet_totals.h"

#include <algorithm>

namespace quill::plan {

void FleetTotals::TakeRun(const std::string& file, int64_t number, const RunRow& run) {
  if (!runs_counted) return;
  ++runs;
  const bool failed = RunFailed(run);
  pcs.TakeRun(file, number, run);
  trend.TakeRun(file, run, failed);
  groups.TakeRun(run, failed);
  error_runs += run.outcome == RunOutcome::kMissingAppInstlPath ||
                run.outcome == RunOutcome::kMissingLanguageTable;
  cut_short_runs += run.outcome == RunOutcome::kCutShort;
  restart_stopped_runs += run.stopped_for_restart;
  restart_bound_runs += run.needs_restart;
  log_copy_records += run.log_copy_records;
  installed_already += run.installed_already;
  for (const AppRow& app : run.applications) installed_nothing += InstalledNothing(app);
  MachineTotals& machine = MachineOf(run);
  ++machine.runs;
  machine.failed_runs += failed;
  for (const AppRow& row : run.applications) {
    AppTotals& app = apps_by_section_.Of(row.app_section.bytes(), [this, &row]() -> AppTotals& {
      const std::string name = row.app_section.Utf8();
      AppTotals& found = apps[name];
      found.name = name;
      return found;
    });
    ++app.runs;
    ++application_runs;
    if (FailedByExitCode(row)) {
      ++app.failed_by_exit_code;
      ++failed_by_exit_code;
    } else if (row.ended_at_limit) {
      ++ended_at_limit;
    } else {
      ++app.outcomes[static_cast<size_t>(row.outcome)];
      ++outcomes[static_cast<size_t>(row.outcome)];
    }
    app.exits.Take(row);
    exits.Take(row);
    not_verified.Take(row);
    if (const auto seconds = SecondsBetween(row.start, row.end)) {
      app.durations.Add(*seconds);
      const size_t bar = FailedByExitCode(row) ? 4 : static_cast<size_t>(row.outcome);
      ++app.buckets_by_outcome[bar][DurationBucket(*seconds)];
    }
    ends_before_starts += EndsBeforeStart(row.start, row.end);
  }
  ends_before_starts += EndsBeforeStart(run.start, run.end);
  const int64_t seconds = SecondsBetween(run.start, run.end).value_or(-1);
  if (seconds > slowest.seconds) slowest = {file, number, seconds, run};
}

// The key holds the SystemID's length, so no two pairs share it.
MachineTotals& FleetTotals::MachineOf(const RunRow& run) {
  const size_t length = run.system_id.size();
  ids_.assign(reinterpret_cast<const char*>(&length), sizeof length);
  ids_.append(run.system_id.bytes()).append(run.os_type.bytes());
  return machines_by_ids_.Of(ids_, [this, &run]() -> MachineTotals& {
    const std::string system_id = run.system_id.Utf8();
    machines.insert(system_id);
    const std::string os_type = run.os_type.Utf8();
    MachineTotals& found = machine_os[{system_id, os_type}];
    found.system_id = system_id;
    found.os_type = os_type;
    return found;
  });
}

void FleetTotals::EndLog(const std::string&, const LogTally&) {
  ++log_files;
  pcs.EndLog();
  trend.EndLog();
}

void FleetTotals::TakeProblem(const FileProblem& problem) {
  skipped_files += problem.skipped;
  problems.push_back(problem);
}

std::vector<const AppTotals*> FleetTotals::AppsWorstFirst() const {
  std::vector<const AppTotals*> sorted;
  for (const auto& entry : apps) sorted.push_back(&entry.second);
  std::stable_sort(sorted.begin(), sorted.end(), [](const AppTotals* a, const AppTotals* b) {
    const double a_rate = Share(a->not_finished(), a->runs);
    const double b_rate = Share(b->not_finished(), b->runs);
    if (a_rate != b_rate) return a_rate > b_rate;
    if (a->not_finished() != b->not_finished()) return a->not_finished() > b->not_finished();
    return a->durations.Percentile(95) > b->durations.Percentile(95);
  });
  return sorted;
}

std::vector<const MachineTotals*> FleetTotals::MachinesWithFailures() const {
  std::vector<const MachineTotals*> sorted;
  for (const auto& entry : machine_os) {
    if (entry.second.failed_runs > 0) sorted.push_back(&entry.second);
  }
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const MachineTotals* a, const MachineTotals* b) {
                     return a->failed_runs > b->failed_runs;
                   });
  return sorted;
}

}  // namespace quill::plan
