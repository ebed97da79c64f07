#include "plan/change/fleet_touch.h"

#include <algorithm>
#include <unordered_map>

#include "base/utf.h"
#include "facts/language_code.h"
#include "plan/change/fleet_cells.h"

namespace quill::plan {

namespace {

int64_t PcsOf(const std::vector<bool>& touched, const FleetFacts& fleet) {
  int64_t pcs = 0;
  for (size_t f = 0; f < touched.size(); ++f) pcs += touched[f] ? fleet.pcs_of_fact()[f] : 0;
  return pcs;
}

}  // namespace

void TouchFleet(const Matrix& before, const Matrix& after, const FleetFacts& fleet,
                FleetTouch* touch) {
  touch->diff = CompareMatrices(before, after);
  const MatrixDiff& diff = touch->diff;
  const std::vector<DiffCell> cells = FactCells(fleet, after);
  const size_t facts = cells.size();
  // A cell's facts: a SystemID told in two cases is one machine.
  const size_t languages = diff.languages.size();
  const size_t systems = diff.systems.size();
  auto key = [&](const DiffCell& cell) {
    return (static_cast<size_t>(cell.machine) * languages + cell.language) * systems + cell.system;
  };
  std::unordered_map<size_t, std::vector<int>> facts_in;
  for (size_t f = 0; f < facts; ++f) {
    const DiffCell& cell = cells[f];
    touch->languages.push_back(cell.language >= 0
                                   ? diff.languages[cell.language]
                                   : "(none) (" + ToUtf8(FormatLcid(fleet.facts()[f].lcid)) + ")");
    if (cell.machine >= 0 && cell.language >= 0) facts_in[key(cell)].push_back(static_cast<int>(f));
  }
  std::vector<bool> any(facts, false);
  // A setting changes every run.
  for (const SettingChange& setting : diff.settings) {
    TouchingChange change;
    change.setting = &setting;
    change.touched.assign(facts, true);
    change.pcs = PcsOf(change.touched, fleet);
    any.assign(facts, true);
    if (change.pcs > 0) touch->changes.push_back(std::move(change));
  }
  const size_t settings = touch->changes.size();
  for (const ChangeGroup& group : diff.groups) {
    TouchingChange change;
    change.group = &group;
    change.touched.assign(facts, false);
    for (const DiffCell& cell : group.cells) {
      const auto found = facts_in.find(key(cell));
      if (found == facts_in.end()) continue;
      for (int f : found->second) change.touched[f] = any[f] = true;
    }
    change.pcs = PcsOf(change.touched, fleet);
    if (change.pcs > 0) touch->changes.push_back(std::move(change));
  }
  std::stable_sort(touch->changes.begin() + static_cast<std::ptrdiff_t>(settings),
                   touch->changes.end(),
                   [](const TouchingChange& a, const TouchingChange& b) { return a.pcs > b.pcs; });
  touch->touched_pcs = PcsOf(any, fleet);
}

}  // namespace quill::plan
