#include "plan/diff/diff_text.h"
#include "plan/diff/plan_diff.h"
#include "plan/lint/deployment_lint.h"
#include "plan/matrix/matrix.h"
#include "plan/verbs/verb_inputs.h"
#include "plan/verbs/verbs.h"

namespace quill::plan {

namespace {

constexpr int kDiffTrouble = 2;

}  // namespace

int RunDiffVerb(const DiffOptions& options, std::ostream& out, std::ostream& err) {
  VerbMachine before;
  VerbMachine after;
  if (!before.Load(options.old_ini, options.old_files, err) ||
      !after.Load(options.new_ini, options.new_files, err)) {
    return kDiffTrouble;
  }
  // Each side over both sides' machines and locales: the same cells.
  const MatrixScope old_scope = ScopeOf(options.old_files.language_table, before.platform());
  const MatrixScope new_scope = ScopeOf(options.new_files.language_table, after.platform());
  const Matrix old_matrix =
      MakeMatrix(options.old_files.language_table, before.platform(), new_scope, nullptr);
  const Matrix new_matrix =
      MakeMatrix(options.new_files.language_table, after.platform(), old_scope, nullptr);
  for (const auto& [matrix, ini] : {std::pair(&old_matrix, &options.old_ini),
                                    std::pair(&new_matrix, &options.new_ini)}) {
    if (!matrix->problem.empty()) {
      err << "quillplan diff: " << *ini << ": " << matrix->problem << "\n";
      return kDiffTrouble;
    }
  }
  MatrixDiff diff = CompareMatrices(old_matrix, new_matrix);
  diff.new_findings = NewFindings(
      LintDeployment(options.old_ini, options.old_files.language_table, before.platform()),
      LintDeployment(options.new_ini, options.new_files.language_table, after.platform()));
  if (options.json) {
    nlohmann::ordered_json json = DiffJson(diff, options.old_ini, options.new_ini);
    json["exit_status"] = diff.changes() ? 1 : 0;
    out << json.dump(2) << "\n";
  } else {
    WriteDiffText(diff, options.old_ini, options.new_ini, out);
  }
  return diff.changes() ? 1 : 0;
}

}  // namespace quill::plan
