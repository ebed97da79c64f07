#ifndef QUILL_PLAN_REPORT_REPORT_TEXT_H_
#define QUILL_PLAN_REPORT_REPORT_TEXT_H_

// A run report as a table for people, with totals, and as JSON.
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "plan/report/run_report.h"

namespace quill::plan {

// "2026-12-06 09:05:03", or the stamp as written when it does not read.
std::string StampText(const StampRead& stamp);
// "finished", "failed-to-launch", "timed-out", "no-result".
const char* AppOutcomeName(AppOutcome outcome);

void WriteReportText(const RunReport& report, std::ostream& out);
nlohmann::ordered_json ReportJson(const RunReport& report);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_REPORT_TEXT_H_
