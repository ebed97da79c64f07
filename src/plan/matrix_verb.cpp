#include <memory>

#include "plan/matrix.h"
#include "plan/matrix_text.h"
#include "plan/utf.h"
#include "plan/verb_inputs.h"
#include "plan/verbs.h"

namespace quill::plan {

int RunMatrixVerb(const MatrixOptions& options, std::ostream& out, std::ostream& err) {
  IniFile ini;
  std::unique_ptr<MachineFiles> files;
  if (!LoadIni(options.ini, &ini, err) || !MakeMachineFiles(options.files, &files, err)) {
    return kCannotRun;
  }
  PlanPlatform platform(ini, FromUtf8(options.ini), *files);
  const Matrix matrix = MakeMatrix(options.files.language_table, platform);
  if (options.json) {
    out << MatrixJson(matrix).dump(2) << "\n";
  } else {
    WriteMatrixText(matrix, out);
  }
  if (!matrix.problem.empty()) err << "quillplan matrix: " << matrix.problem << "\n";
  return matrix.problem.empty() ? 0 : kCannotRun;
}

}  // namespace quill::plan
