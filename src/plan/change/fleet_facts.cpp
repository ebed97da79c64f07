#include "plan/change/fleet_facts.h"

#include <algorithm>

#include "base/utf.h"
#include "plan/planning/planner.h"
#include "plan/planning/table_scan.h"
#include "plan/report/pc_latest.h"
#include "plan/text/case_fold.h"

namespace quill::plan {

void FleetFacts::TakeRun(const std::string&, int64_t, const RunRow& run) {
  latest_.system_id = run.system_id;
  latest_.os_type = run.os_type;
  latest_.lcid = run.lcid;
  latest_.ended.clear();
  if (run.lcid.empty()) {
    // The locale's record comes after the settings are read: a run that
    // ended in an error or was cut off before it never names one.
    latest_.ended = run.outcome == RunOutcome::kMissingAppInstlPath ||
                            run.outcome == RunOutcome::kMissingLanguageTable
                        ? WhatFailed(run)
                        : "cut short";
  }
}

void FleetFacts::EndLog(const std::string& file, const LogTally&) {
  ++log_files_;
  const Latest latest = std::move(latest_);
  latest_ = Latest();
  std::string reason;
  PcFact fact;
  fact.system_id = latest.system_id.Wide();
  fact.system = WindowsKindFor(latest.os_type.Wide());
  if (latest.system_id.empty()) {
    reason = "its latest run names no SystemID";
  } else if (!latest.ended.empty()) {
    reason = "its latest run ended before its LCID (" + latest.ended + ")";
  } else if (!ParseLcidValue(latest.lcid.Wide(), &fact.lcid)) {
    reason = "its latest run's LCID \"" + latest.lcid.Utf8() + "\" is no locale";
  } else if (fact.system == WindowsKind::kOther && !latest.os_type.empty()) {
    reason = "its latest run's OSType \"" + latest.os_type.Utf8() + "\" is none the program writes";
  }
  if (!reason.empty()) {
    apart_.push_back({file, reason});
    return;
  }
  // SystemIDs name sections, which are found without regard to case.
  const WString key = LowerCase(fact.system_id) + u'\n' + WindowsWord(fact.system) + u'\n' +
                      FromUtf8(std::to_string(fact.lcid));
  const auto found = fact_of_key_.emplace(key, static_cast<int>(facts_.size()));
  if (found.second) {
    facts_.push_back(std::move(fact));
    pcs_of_fact_.push_back(0);
  }
  ++pcs_of_fact_[found.first->second];
  pcs_.push_back({file, found.first->second});
}

void FleetFacts::TakeProblem(const FileProblem& problem) { problems_.push_back(problem); }

bool FleetFacts::any_skipped() const {
  return std::any_of(problems_.begin(), problems_.end(),
                     [](const FileProblem& problem) { return problem.skipped && !problem.no_log; });
}

int64_t FleetFacts::skipped_files() const {
  return std::count_if(problems_.begin(), problems_.end(),
                       [](const FileProblem& problem) { return problem.skipped; });
}

}  // namespace quill::plan
