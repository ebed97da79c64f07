#include "plan/verbs/verbs.h"

#include "plan/diff/diff_text.h"
#include "plan/diff/plan_diff.h"
#include "plan/diff/same_reads.h"
#include "plan/lint/deployment_lint.h"
#include "plan/matrix/matrix.h"
#include "plan/verbs/verb_inputs.h"
#include "plan/windows/shown_text.h"

namespace quill::plan {

namespace {

// Both sides' files answer alike only when they are given alike.
bool SameFiles(const MachineFileOptions& a, const MachineFileOptions& b) {
  return a.maps == b.maps && a.language_table == b.language_table &&
         a.assume_missing == b.assume_missing;
}

}  // namespace

int RunDiffVerb(const DiffOptions& options, std::ostream& raw_out, std::ostream& err) {
  // Names and values from the INI file reach the terminal escaped.
  ShownOutput shown(raw_out);
  std::ostream out(&shown);
  VerbMachine before;
  VerbMachine after;
  if (const int status = before.Load(options.old_ini, options.old_files, err)) return status;
  if (const int status = after.Load(options.new_ini, options.new_files, err)) return status;
  // Each side over both sides' machines and locales: the same cells.
  MatrixScope old_scope = ScopeOf(options.old_files.language_table, before.platform());
  MatrixScope new_scope = ScopeOf(options.new_files.language_table, after.platform());
  if (!options.every_machine && SameFiles(options.old_files, options.new_files)) {
    std::vector<WString> machines = old_scope.machines;
    machines.insert(machines.end(), new_scope.machines.begin(), new_scope.machines.end());
    old_scope.left_out = new_scope.left_out =
        MachinesReadingTheSame(before.platform().ini(), after.platform().ini(), machines);
  }
  const Matrix old_matrix =
      MakeMatrix(options.old_files.language_table, before.platform(), new_scope, nullptr);
  const Matrix new_matrix =
      MakeMatrix(options.new_files.language_table, after.platform(), old_scope, nullptr);
  for (const auto& [matrix, ini] : {std::pair(&old_matrix, &options.old_ini),
                                    std::pair(&new_matrix, &options.new_ini)}) {
    if (!matrix->problem.empty()) {
      err << "quillplan diff: " << Shown(*ini) << ": " << matrix->problem << "\n";
      return kTrouble;
    }
  }
  MatrixDiff diff = CompareMatrices(old_matrix, new_matrix);
  diff.new_findings = NewFindings(
      LintDeployment(options.old_ini, options.old_files.language_table, before.platform()),
      LintDeployment(options.new_ini, options.new_files.language_table, after.platform()));
  if (options.json) {
    nlohmann::ordered_json json = DiffJson(diff, options.old_ini, options.new_ini);
    json["exit_status"] = diff.changes() ? kFound : kAllGood;
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    WriteDiffText(diff, options.old_ini, options.new_ini, out);
  }
  return diff.changes() ? kFound : kAllGood;
}

}  // namespace quill::plan
