#ifndef QUILL_PLAN_LINT_DEPLOYMENT_LINT_H_
#define QUILL_PLAN_LINT_DEPLOYMENT_LINT_H_

// The findings of a whole deployment: its language table, where the run's
// table path can be read here, and its INI file, in file and line order.
#include <string>
#include <vector>

#include "plan/lint/finding.h"
#include "plan/planning/plan_platform.h"

namespace quill::plan {

// `ini_file` names the INI file in findings; `language_table` is a local
// file that answers for the table, as --lang-table gives it, or empty.
std::vector<Finding> LintDeployment(const std::string& ini_file, const std::string& language_table,
                                    PlanPlatform& platform);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_DEPLOYMENT_LINT_H_
