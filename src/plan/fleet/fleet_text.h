#ifndef QUILL_PLAN_FLEET_FLEET_TEXT_H_
#define QUILL_PLAN_FLEET_FLEET_TEXT_H_

// A fleet's totals for people, and for scripts as JSON.
#include <ostream>

#include <nlohmann/json.hpp>

#include "plan/fleet/fleet_totals.h"

namespace quill::plan {

void WriteFleetText(const FleetTotals& totals, std::ostream& out);
nlohmann::ordered_json FleetJson(const FleetTotals& totals);

// "(none)" for the empty OSType of a Windows the program does not name.
std::string OSTypeShown(const std::string& os_type);

}  // namespace quill::plan

#endif  // QUILL_PLAN_FLEET_FLEET_TEXT_H_
