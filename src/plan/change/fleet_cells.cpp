#include "plan/change/fleet_cells.h"

#include <algorithm>
#include <unordered_map>

#include "plan/text/case_fold.h"

namespace quill::plan {

MatrixScope FleetScope(const FleetFacts& fleet) {
  MatrixScope scope;
  scope.only = true;
  for (const PcFact& fact : fleet.facts()) {
    scope.machines.push_back(fact.system_id);
    scope.lcids.push_back(fact.lcid);
    // A newer system is a column only where a PC runs it.
    const bool newer = fact.system != WindowsKind::kOther && fact.system != WindowsKind::kWinXp &&
                       fact.system != WindowsKind::kVista32 && fact.system != WindowsKind::kVista64;
    if (newer &&
        std::find(scope.systems.begin(), scope.systems.end(), fact.system) == scope.systems.end()) {
      scope.systems.push_back(fact.system);
    }
  }
  KeepFirstOfEach(&scope.machines);
  // In an order of their own, not the order the logs were read in.
  std::sort(scope.machines.begin(), scope.machines.end(), LessIgnoringCase);
  std::sort(scope.lcids.begin(), scope.lcids.end());
  scope.lcids.erase(std::unique(scope.lcids.begin(), scope.lcids.end()), scope.lcids.end());
  return scope;
}

std::vector<DiffCell> FactCells(const FleetFacts& fleet, const Matrix& matrix) {
  std::unordered_map<WString, int> machine_of;
  for (const MachineMatrix& machine : matrix.machines) {
    machine_of.emplace(LowerCase(machine.system_id), static_cast<int>(machine.index));
  }
  std::unordered_map<uint32_t, int> language_of;
  for (size_t l = 0; l < matrix.languages.size(); ++l) {
    if (matrix.languages[l].choice.by_lcid) {
      language_of.emplace(matrix.languages[l].choice.lcid, static_cast<int>(l));
    }
  }
  std::vector<DiffCell> cells;
  cells.reserve(fleet.facts().size());
  for (const PcFact& fact : fleet.facts()) {
    const auto system = std::find(matrix.systems.begin(), matrix.systems.end(), fact.system);
    const auto machine = machine_of.find(LowerCase(fact.system_id));
    const auto language = language_of.find(fact.lcid);
    cells.push_back({machine == machine_of.end() ? -1 : machine->second,
                     language == language_of.end() ? -1 : language->second,
                     static_cast<int>(system - matrix.systems.begin())});
  }
  return cells;
}

}  // namespace quill::plan
