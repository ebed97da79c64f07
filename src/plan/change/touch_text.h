#ifndef QUILL_PLAN_CHANGE_TOUCH_TEXT_H_
#define QUILL_PLAN_CHANGE_TOUCH_TEXT_H_

// The PCs an edit touches, told per change: in text the number and the
// first few, in JSON and CSV every one, by log, SystemID, OSType and
// language; the PCs that could not be planned with their reasons.
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "plan/change/fleet_facts.h"
#include "plan/change/fleet_touch.h"

namespace quill::plan {

// The first few of a list in text; the rest counted.
constexpr size_t kPcsShown = 5;

void WriteTouchText(const FleetTouch& touch, const FleetFacts& fleet, const std::string& before,
                    const std::string& after, std::ostream& out);
// Written a PC at a time, each on a line of its own: a fleet's lists are
// never held as one JSON tree. `exit_status` is its last member.
void WriteTouchJson(const FleetTouch& touch, const FleetFacts& fleet, const std::string& before,
                    const std::string& after, int exit_status, std::ostream& out);
// One row per change and PC it touches, and one per PC apart.
void WriteTouchCsv(const FleetTouch& touch, const FleetFacts& fleet, std::ostream& out);

// "fleet: 120 PCs from 120 logs, 118 planned as 40 facts, 2 apart".
std::string FleetLine(const FleetFacts& fleet);
// The PCs apart, the first few with their reasons.
void WriteApartText(const FleetFacts& fleet, std::ostream& out);
// The PCs apart as the member "apart" of an object at the top level.
void WriteApartJson(const FleetFacts& fleet, std::ostream& out);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_TOUCH_TEXT_H_
