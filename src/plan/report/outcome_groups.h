#ifndef QUILL_PLAN_REPORT_OUTCOME_GROUPS_H_
#define QUILL_PLAN_REPORT_OUTCOME_GROUPS_H_

// Runs and application runs by outcome in groups of runs: per Windows
// (OSType) and per language (the language code, with the LCID first seen
// with it), with the share of each outcome.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "plan/report/run_report.h"
#include "plan/report/totals_by_text.h"

namespace quill::plan {

// Indexed by AppOutcome: finished, failed to launch, timed out, without result.
using OutcomeCounts = std::array<int64_t, 4>;

struct GroupTotals {
  std::string name;  // "" for a run that names none
  std::string lcid;  // languages only
  int64_t runs = 0;
  int64_t failed_runs = 0;
  int64_t application_runs = 0;
  OutcomeCounts outcomes{};
  int64_t failed_by_exit_code = 0;  // ended, with a code that means failure
  int64_t not_finished() const { return application_runs - outcomes[0]; }
};

class OutcomeGroups {
 public:
  void TakeRun(const RunRow& run, bool failed);
  // Highest share of failed runs first.
  static std::vector<const GroupTotals*> WorstFirst(
      const std::map<std::string, GroupTotals>& groups);

  std::map<std::string, GroupTotals> by_os;
  std::map<std::string, GroupTotals> by_language;

 private:
  TotalsByText<GroupTotals> os_by_text_;
  TotalsByText<GroupTotals> language_by_text_;
  std::string language_;  // the key of a run's language, as the log has it
};

// part / whole, 0 when there is no whole.
double Share(int64_t part, int64_t whole);
// The same as "12.3%".
std::string PercentShown(int64_t part, int64_t whole);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_OUTCOME_GROUPS_H_
