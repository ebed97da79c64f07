#ifndef QUILL_PLAN_PAGE_FLEET_CHARTS_H_
#define QUILL_PLAN_PAGE_FLEET_CHARTS_H_

// The page's charts as inline SVG. Each mark carries its numbers in data-
// attributes and a <title> (the tooltip), so a browser test and a person
// read the same values.
#include <string>

#include "plan/report/fleet_totals.h"

namespace quill::plan {

// Text made safe for HTML and SVG, inside elements and attribute values.
std::string Escaped(const std::string& text);

// 12345 -> "12,345".
std::string Grouped(int64_t number);

// The colour of each outcome, and its name on the page.
const char* OutcomeColour(size_t outcome);
const char* OutcomeLabel(size_t outcome);

// "Antivirus-Eng…ition-2026": at most `most` characters, the middle left out.
std::string Shortened(const std::string& name, size_t most);

// The charts of applications draw the `most_drawn` worst; the tables hold all.
std::string OutcomeBarsSvg(const FleetTotals& totals, size_t most_drawn);
std::string DurationsSvg(const FleetTotals& totals, size_t most_drawn);
std::string TrendSvg(const RunTrend& trend);
// A run of more applications draws its kTimelineRows longest, in their order.
constexpr size_t kTimelineRows = 200;
std::string SlowestRunSvg(const SlowestRun& slowest);
std::string FailingMachinesSvg(const FleetTotals& totals, size_t most);
// The exit codes seen most, each coloured as the defaults judge it.
std::string ExitCodesSvg(const ExitCounts& exits, size_t most);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PAGE_FLEET_CHARTS_H_
