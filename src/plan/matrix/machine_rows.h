#ifndef QUILL_PLAN_MATRIX_MACHINE_ROWS_H_
#define QUILL_PLAN_MATRIX_MACHINE_ROWS_H_

// One machine's rows of a matrix: its passes in every language on every
// system, each made by the core. Languages that a run cannot tell apart
// share one run (plan/planning/language_class.h); each cell's pass is then
// that run with the cell's code put in, kept as the cell's own run would be.
#include <vector>

#include "plan/matrix/matrix.h"
#include "plan/planning/language_class.h"

namespace quill::plan {

// The matrix's languages, by index: classes of codes of one length that
// may share runs, and those planned alone.
struct LanguageSharing {
  std::vector<std::vector<int>> classes;
  std::vector<int> alone;
};
LanguageSharing ShareLanguages(const std::vector<Prelude>& preludes, const IniFile& ini);

MachineMatrix MachineRows(const WString& system_id, const std::vector<Prelude>& preludes,
                          const std::vector<WindowsKind>& systems,
                          const LanguageSharing& sharing, LanguageAnswers& answers,
                          PlanPlatform& platform, Assumptions* assumptions);

}  // namespace quill::plan

#endif  // QUILL_PLAN_MATRIX_MACHINE_ROWS_H_
