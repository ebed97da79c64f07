#include "plan/verbs/verbs.h"

#include <memory>

#include "base/utf.h"
#include "plan/matrix/matrix.h"
#include "plan/matrix/matrix_text.h"
#include "plan/verbs/verb_inputs.h"
#include "plan/windows/shown_text.h"

namespace quill::plan {

int RunMatrixVerb(const MatrixOptions& options, std::ostream& raw_out, std::ostream& err) {
  // Names and values from the INI file reach the terminal escaped.
  ShownOutput shown(raw_out);
  std::ostream out(&shown);
  VerbMachine machine;
  if (const int status = machine.Load(options.ini, options.files, err)) return status;
  PlanPlatform& platform = machine.platform();
  const Matrix matrix =
      WriteMatrixAsMade(options.files.language_table, platform, options.json, out);
  if (!matrix.problem.empty()) err << "quillplan matrix: " << matrix.problem << "\n";
  return matrix.problem.empty() ? kAllGood : kTrouble;
}

}  // namespace quill::plan
