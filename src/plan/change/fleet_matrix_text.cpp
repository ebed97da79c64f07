#include "plan/change/fleet_matrix_text.h"

#include <iomanip>
#include <map>
#include <utility>
#include <vector>

#include "base/utf.h"
#include "plan/change/fleet_cells.h"
#include "plan/change/touch_text.h"
#include "plan/matrix/machine_json.h"
#include "plan/matrix/matrix_text.h"
#include "plan/planning/plan_words.h"
#include "plan/text/json_text.h"

namespace quill::plan {

namespace {

// A machine's occupied cells, by language and system, to their PCs.
using Occupied = std::map<std::pair<int, int>, int64_t>;

// The matrix plans every machine of its scope: a machine's index is its row.
std::map<int, Occupied> OccupiedCells(const Matrix& matrix, const FleetFacts& fleet) {
  const std::vector<DiffCell> cells = FactCells(fleet, matrix);
  std::map<int, Occupied> occupied;
  for (size_t f = 0; f < cells.size(); ++f) {
    if (cells[f].machine < 0 || cells[f].language < 0) continue;
    occupied[cells[f].machine][{cells[f].language, cells[f].system}] += fleet.pcs_of_fact()[f];
  }
  return occupied;
}

int64_t PcsIn(const Occupied& cells) {
  int64_t pcs = 0;
  for (const auto& cell : cells) pcs += cell.second;
  return pcs;
}

// The variants of the occupied cells in the order they first occur, and
// each one's place in that order: they are named A, B, ... afresh.
struct ShownVariants {
  std::vector<int> variants;
  std::map<int, int> place;
  std::string Name(const MachineMatrix& machine, std::pair<int, int> cell) const {
    return VariantName(place.at(machine.cells[cell.first][cell.second]));
  }
};

ShownVariants VariantsIn(const MachineMatrix& machine, const Occupied& cells) {
  ShownVariants shown;
  for (const auto& cell : cells) {
    const int variant = machine.cells[cell.first.first][cell.first.second];
    if (shown.place.emplace(variant, static_cast<int>(shown.variants.size())).second) {
      shown.variants.push_back(variant);
    }
  }
  return shown;
}

std::string Ended(const Matrix& matrix) {
  Plan ended;
  ended.ending = matrix.prelude.ending;
  ended.error_record = matrix.prelude.error_record;
  return EndingText(ended);
}

}  // namespace

void WriteFleetMatrixText(const Matrix& matrix, const FleetFacts& fleet, std::ostream& out) {
  out << FleetLine(fleet) << "\n";
  if (matrix.prelude.ending != PlanEnding::kBothPasses) {
    out << "every PC: " << Ended(matrix) << "; exit code 0\n";
  } else {
    const std::map<int, Occupied> occupied = OccupiedCells(matrix, fleet);
    size_t cells = 0;
    for (const auto& machine : occupied) cells += machine.second.size();
    out << "(in a command line, <code> stands for the cell's language code)\n";
    out << cells << " cells occupied, of " << occupied.size() << " machines\n";
    for (const auto& [m, cells_of] : occupied) {
      const MachineMatrix& machine = matrix.machines[m];
      const ShownVariants shown = VariantsIn(machine, cells_of);
      const size_t plans = shown.variants.size();
      out << "machine " << ToUtf8(machine.system_id) << ": " << PcsIn(cells_of) << " PCs in "
          << cells_of.size() << (cells_of.size() == 1 ? " cell, " : " cells, ") << plans
          << (plans == 1 ? " plan" : " different plans") << "\n";
      size_t width = 8;
      int system_width = 9;  // a newer system's name is wider
      for (const auto& cell : cells_of) {
        width = std::max(width, LanguageLabel(matrix.languages[cell.first.first]).size());
        const int label = static_cast<int>(SystemLabel(matrix.systems[cell.first.second]).size());
        system_width = std::max(system_width, label + 1);
      }
      out << "  " << std::left << std::setw(system_width) << "system"
          << std::setw(static_cast<int>(width) + 2) << "language" << std::setw(6) << "plan"
          << "PCs\n";
      for (const auto& [cell, pcs] : cells_of) {
        out << "  " << std::setw(system_width) << SystemLabel(matrix.systems[cell.second])
            << std::setw(static_cast<int>(width) + 2) << LanguageLabel(matrix.languages[cell.first])
            << std::setw(6) << shown.Name(machine, cell) << pcs << "\n";
      }
      WriteVariantsText(machine, shown.variants, out);
    }
  }
  WriteApartText(fleet, out);
}

void WriteFleetMatrixJson(const Matrix& matrix, const FleetFacts& fleet, std::ostream& out) {
  nlohmann::ordered_json json;
  json["pcs"] = fleet.pcs().size() + fleet.apart().size();
  json["planned_pcs"] = fleet.pcs().size();
  json["skipped_files"] = fleet.skipped_files();
  json["facts"] = fleet.facts().size();
  json["ending"] = EndingName(matrix.prelude.ending);
  json["machines"] = nlohmann::ordered_json::array();
  for (const auto& [m, cells_of] : OccupiedCells(matrix, fleet)) {
    const MachineMatrix& machine = matrix.machines[m];
    const ShownVariants shown = VariantsIn(machine, cells_of);
    nlohmann::ordered_json cells = nlohmann::ordered_json::array();
    for (const auto& [cell, pcs] : cells_of) {
      cells.push_back({{"system", SystemLabel(matrix.systems[cell.second])},
                       {"language", ToUtf8(matrix.languages[cell.first].label)},
                       {"lcid", ToUtf8(matrix.languages[cell.first].lcid_text)},
                       {"variant", shown.Name(machine, cell)},
                       {"pcs", pcs}});
    }
    const nlohmann::ordered_json every = MachineJson(machine)["variants"];
    nlohmann::ordered_json variants = nlohmann::ordered_json::array();
    for (size_t i = 0; i < shown.variants.size(); ++i) {
      variants.push_back(every[shown.variants[i]]);
      variants.back()["variant"] = VariantName(static_cast<int>(i));
    }
    json["machines"].push_back({{"system_id", ToUtf8(machine.system_id)},
                                {"pcs", PcsIn(cells_of)},
                                {"cells", cells},
                                {"variants", variants}});
  }
  std::string text = JsonText(json, 2);
  text.erase(text.size() - 2);  // "\n}": the PCs apart follow, one a line
  out << text << ",\n";
  WriteApartJson(fleet, out);
  out << "\n}\n";
}

}  // namespace quill::plan
