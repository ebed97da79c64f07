#include "plan/verbs/verbs.h"

#include <memory>

#include <nlohmann/json.hpp>

#include "base/utf.h"
#include "plan/lint/deployment_lint.h"
#include "plan/lint/hash_lint.h"
#include "plan/planning/plan_platform.h"
#include "plan/text/json_text.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/verb_inputs.h"

namespace quill::plan {

int RunLintVerb(const LintOptions& options, std::ostream& raw_out, std::ostream& err) {
  // Names and values from the INI file reach the terminal escaped.
  ShownOutput shown(raw_out);
  std::ostream out(&shown);
  VerbMachine machine;
  if (const int status = machine.Load("lint", options.ini, options.files, err)) return status;
  PlanPlatform& platform = machine.platform();
  std::vector<Finding> findings =
      LintDeployment(options.ini, options.files.language_table, platform);
  AddHashListFindings(options.ini, options.files.language_table, platform, &findings);

  int errors = 0;
  int warnings = 0;
  for (const Finding& finding : findings) {
    errors += finding.severity == Severity::kError;
    warnings += finding.severity == Severity::kWarning;
  }
  const int status = LintExitStatus(findings);
  if (options.json) {
    nlohmann::ordered_json json;
    json["findings"] = nlohmann::ordered_json::array();
    for (const Finding& finding : findings) {
      json["findings"].push_back(FindingJson(finding));
    }
    json["errors"] = errors;
    json["warnings"] = warnings;
    json["exit_status"] = status;
    out << JsonText(json, 2) << "\n";
    return status;
  }
  for (const Finding& finding : findings) {
    out << FindingLine(finding) << "\n";
  }
  out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
      << (warnings == 1 ? " warning" : " warnings") << "\n";
  return status;
}

}  // namespace quill::plan
