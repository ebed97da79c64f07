#ifndef QUILL_PLAN_CHANGE_PLAN_DIFF_H_
#define QUILL_PLAN_CHANGE_PLAN_DIFF_H_

// Two matrices of the same cells compared plan by plan. A change is one
// launch or skip added, removed or changed; the same change in many cells
// is one group, with the cells it happens in.
#include <string>
#include <vector>

#include "plan/lint/finding.h"
#include "plan/matrix/matrix.h"

namespace quill::plan {

enum class ChangeKind { kAdded, kRemoved, kChanged };

const char* ChangeKindName(ChangeKind kind);

// A launch or skip as a change tells it: the machine's own list is
// "<machine>" (with the system word of pass 1), so that one edit shows as
// one change on every machine it reaches; "<code>" in a command line stands
// for the cell's language code, as in a matrix.
struct EntryChange {
  ChangeKind kind = ChangeKind::kChanged;
  int pass = 0;
  std::string list;
  std::string application;
  std::string before;  // "launch ...", "skipped, ..."; empty when added
  std::string after;   // empty when removed

  bool operator<(const EntryChange& other) const;
};

// A cell by its indices into MatrixDiff's machines, languages and systems.
struct DiffCell {
  int machine = 0;
  int language = 0;
  int system = 0;
};

struct ChangeGroup {
  EntryChange change;
  std::vector<DiffCell> cells;  // in the order of machines, languages, systems
};

// A setting of the run that changes for every cell.
struct SettingChange {
  std::string name;
  std::string before;
  std::string after;
};

struct MatrixDiff {
  std::vector<std::string> machines;   // SystemIDs, as NEW names them where it does
  std::vector<std::string> languages;  // "07 (0x407)", "(none)"
  std::vector<std::string> systems;    // "WINXP", ..., "other"
  size_t cells = 0;
  size_t changed_cells = 0;
  std::vector<SettingChange> settings;
  std::vector<ChangeGroup> groups;  // most cells first
  std::vector<Finding> new_findings;

  bool changes() const { return !settings.empty() || !groups.empty() || !new_findings.empty(); }
};

// Both matrices made over the same scope (MakeMatrix with the other's
// ScopeOf), each in its own order; cells are matched by SystemID and LCID.
MatrixDiff CompareMatrices(const Matrix& before, const Matrix& after);

// The findings of `after` that `before` does not have as often, by rule and
// message: lines move with any edit, so they do not count.
std::vector<Finding> NewFindings(const std::vector<Finding>& before,
                                 const std::vector<Finding>& after);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_PLAN_DIFF_H_
