#ifndef QUILL_PLAN_CHANGE_DIFF_TEXT_H_
#define QUILL_PLAN_CHANGE_DIFF_TEXT_H_

// A diff for people, each change with its cells told compactly (runs of
// machines and languages, the systems they share), and as JSON for scripts.
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "plan/change/plan_diff.h"

namespace quill::plan {

// The cells of a change as rows of machines that share one pattern, each
// pattern as systems that share the same languages.
struct CellsWhere {
  std::vector<int> machines;
  std::vector<std::pair<std::vector<int>, std::vector<int>>> systems_languages;
};
std::vector<CellsWhere> WhereCells(const MatrixDiff& diff, const std::vector<DiffCell>& cells);

// "0x1000..0x1003, 0x1010": runs of neighbours as first..last.
std::string Runs(const std::vector<int>& indices, const std::vector<std::string>& names);

// A change as the text and the JSON of a diff tell it, without its cells.
void WriteChangeText(const EntryChange& change, std::ostream& out);
nlohmann::ordered_json ChangeJson(const EntryChange& change);

void WriteDiffText(const MatrixDiff& diff, const std::string& before, const std::string& after,
                   std::ostream& out);
nlohmann::ordered_json DiffJson(const MatrixDiff& diff, const std::string& before,
                                const std::string& after);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_DIFF_TEXT_H_
