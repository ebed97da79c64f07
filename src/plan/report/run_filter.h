#ifndef QUILL_PLAN_REPORT_RUN_FILTER_H_
#define QUILL_PLAN_REPORT_RUN_FILTER_H_

// Which runs a fleet report counts: a period by the time in each run's
// banner, one application, one model, one Windows. Filters combine; a run
// whose banner time does not read is left out of any period.
#include <cstdint>
#include <optional>
#include <string>

#include "plan/report/run_report.h"

namespace quill::plan {

struct RunFilter {
  std::optional<int64_t> since;  // seconds of 00:00:00 on the first day
  std::optional<int64_t> until;  // seconds of 00:00:00 on the day after the last
  std::string app;               // an application section, any case
  std::string model;             // a SystemID, any case
  std::string os;                // an OSType, any case; "(none)" for none

  bool any() const { return since || until || !app.empty() || !model.empty() || !os.empty(); }
  // The run as counted: `run` itself, or with an application named, a copy
  // in `narrowed` that holds only that application's rows; nullptr when
  // the run is not counted.
  const RunRow* Pass(const RunRow& run, RunRow* narrowed) const;
  // "since 2026-03-01, application Office"; empty without filters.
  std::string Described() const;
};

// "2026-03-01" as days since 1970-01-01; nothing when it is no such date.
std::optional<int64_t> IsoDateDays(const std::string& text);
// Days since 1970-01-01 as "2026-03-01".
std::string IsoDate(int64_t days);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_RUN_FILTER_H_
