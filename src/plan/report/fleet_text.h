#ifndef QUILL_PLAN_REPORT_FLEET_TEXT_H_
#define QUILL_PLAN_REPORT_FLEET_TEXT_H_

// A fleet's totals for people, and for scripts as JSON.
#include <ostream>

#include <nlohmann/json.hpp>

#include "plan/report/fleet_totals.h"

namespace quill::plan {

// `top`: how many of the PCs still failing are listed.
void WriteFleetText(const FleetTotals& totals, int top, std::ostream& out);
// The JSON written, with every PC still failing (FleetJson leaves them out).
void WriteFleetJson(const FleetTotals& totals, std::ostream& out);
nlohmann::ordered_json FleetJson(const FleetTotals& totals);

// "(none)" for the empty OSType of a Windows the program does not name.
std::string OSTypeShown(const std::string& os_type);
// "07 (0x407)", "(none)" for a run that names no language.
std::string LanguageShown(const GroupTotals& language);
// "2026-03-01 09:05:03 to 2026-03-31 17:00:12", or "no run with a readable time".
std::string PeriodShown(const RunTrend& trend);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_FLEET_TEXT_H_
