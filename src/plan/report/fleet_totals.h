#ifndef QUILL_PLAN_REPORT_FLEET_TOTALS_H_
#define QUILL_PLAN_REPORT_FLEET_TOTALS_H_

// What a fleet report counts as the logs stream past: it grows with the
// applications and machines seen, never with the files or runs.
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "plan/report/duration_counts.h"
#include "plan/report/exit_counts.h"
#include "plan/report/fleet_stream.h"
#include "plan/report/not_verified_counts.h"
#include "plan/report/outcome_groups.h"
#include "plan/report/pc_latest.h"
#include "plan/report/run_report.h"
#include "plan/report/run_trend.h"
#include "plan/report/totals_by_text.h"

namespace quill::plan {

struct AppTotals {
  std::string name;  // UTF-8
  int64_t runs = 0;
  OutcomeCounts outcomes{};
  int64_t failed_by_exit_code = 0;  // ended, with a code that means failure
  ExitCounts exits;
  DurationCounts durations;  // END minus START, where both read
  // The histogram, coloured by outcome: AppOutcome's four, then failed by exit code.
  std::array<BucketCounts, 5> buckets_by_outcome{};
  int64_t not_finished() const { return runs - outcomes[0]; }
};

struct MachineTotals {
  std::string system_id;
  std::string os_type;
  int64_t runs = 0;
  int64_t failed_runs = 0;  // an error record, or an application that did not finish
};

struct SlowestRun {
  std::string file;
  int64_t run_number = 0;  // in its file, from 1
  int64_t seconds = -1;
  RunRow run;
};

struct FleetTotals : FleetSink {
  int64_t log_files = 0;
  int64_t skipped_files = 0;
  int64_t runs = 0;
  int64_t error_runs = 0;
  int64_t cut_short_runs = 0;
  // With MaxRestarts: runs that stopped for a restart (neither failed nor
  // cut short) and runs that went on though Windows needs a restart.
  int64_t restart_stopped_runs = 0;
  int64_t restart_bound_runs = 0;
  bool restarts_seen() const { return restart_stopped_runs + restart_bound_runs > 0; }
  // With LogCopy: the records of copies that failed or were not made.
  int64_t log_copy_records = 0;
  int64_t application_runs = 0;
  // END before START (a clock set back, a change of daylight-saving time):
  // the duration is unknown, not below zero, and counted here instead.
  int64_t ends_before_starts = 0;
  OutcomeCounts outcomes{};
  int64_t failed_by_exit_code = 0;
  int64_t installed_nothing = 0;  // ended well, and the rules did not hold: failed
  int64_t installed_already = 0;  // not started: no application run
  int64_t ended_at_limit = 0;     // timed out and ended: not among the outcomes
  ExitCounts exits;  // empty unless the logs recorded exit codes
  NotVerifiedCounts not_verified;  // empty unless a HashList kept some from starting
  std::set<std::string> machines;
  std::map<std::string, AppTotals> apps;
  std::map<std::pair<std::string, std::string>, MachineTotals> machine_os;
  SlowestRun slowest;
  std::vector<FileProblem> problems;
  PcLatest pcs;
  RunTrend trend;
  OutcomeGroups groups;
  std::string filters;  // the filters the runs passed, as told
  // False: only the files and their problems are counted, as one log's
  // table needs, and its runs cost nothing here.
  bool runs_counted = true;

  void TakeRun(const std::string& file, int64_t number, const RunRow& run) override;
  void EndLog(const std::string&, const LogTally&) override;
  void TakeProblem(const FileProblem& problem) override;

  // The highest share of runs that did not finish first, then the most
  // such runs, then the longest 95th percentile.
  std::vector<const AppTotals*> AppsWorstFirst() const;
  // Most failed runs first; those without failures left out.
  std::vector<const MachineTotals*> MachinesWithFailures() const;

 private:
  MachineTotals& MachineOf(const RunRow& run);
  TotalsByText<AppTotals> apps_by_section_;
  TotalsByText<MachineTotals> machines_by_ids_;  // by SystemID and OSType
  std::string ids_;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_FLEET_TOTALS_H_
