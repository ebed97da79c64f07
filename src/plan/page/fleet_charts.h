#ifndef QUILL_PLAN_PAGE_FLEET_CHARTS_H_
#define QUILL_PLAN_PAGE_FLEET_CHARTS_H_

// The page's charts as inline SVG. Each mark carries its numbers in data-
// attributes and a <title> (the tooltip), so a browser test and a person
// read the same values.
#include <string>

#include "plan/fleet/fleet_totals.h"

namespace quill::plan {

// Text made safe for HTML and SVG, inside elements and attribute values.
std::string Escaped(const std::string& text);

// 12345 -> "12,345".
std::string Grouped(int64_t number);

// The colour of each outcome, and its name on the page.
const char* OutcomeColour(size_t outcome);
const char* OutcomeLabel(size_t outcome);

std::string OutcomeBarsSvg(const FleetTotals& totals);
std::string DurationsSvg(const FleetTotals& totals);
std::string SlowestRunSvg(const SlowestRun& slowest);
std::string FailingMachinesSvg(const FleetTotals& totals, size_t most);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PAGE_FLEET_CHARTS_H_
