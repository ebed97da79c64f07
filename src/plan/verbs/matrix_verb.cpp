#include <memory>

#include "plan/matrix/matrix.h"
#include "plan/matrix/matrix_text.h"
#include "plan/verbs/verb_inputs.h"
#include "plan/verbs/verbs.h"
#include "plan/windows/utf.h"

namespace quill::plan {

int RunMatrixVerb(const MatrixOptions& options, std::ostream& out, std::ostream& err) {
  VerbMachine machine;
  if (!machine.Load(options.ini, options.files, err)) return kCannotRun;
  PlanPlatform& platform = machine.platform();
  const std::unique_ptr<Workers> workers = MakeWorkers();
  const Matrix matrix =
      WriteMatrixAsMade(options.files.language_table, platform, options.json, out, workers.get());
  if (!matrix.problem.empty()) err << "quillplan matrix: " << matrix.problem << "\n";
  return matrix.problem.empty() ? 0 : kCannotRun;
}

}  // namespace quill::plan
