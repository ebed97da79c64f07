#ifndef QUILL_PLAN_REPORT_REPORT_TEXT_H_
#define QUILL_PLAN_REPORT_REPORT_TEXT_H_

// A run report as a table for people, with totals, and as JSON.
#include <ostream>

#include <nlohmann/json.hpp>

#include "plan/report/run_report.h"

namespace quill::plan {

void WriteReportText(const RunReport& report, std::ostream& out);
nlohmann::ordered_json ReportJson(const RunReport& report);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_REPORT_TEXT_H_
