#ifndef QUILL_PLAN_LINT_DETECT_LINT_H_
#define QUILL_PLAN_LINT_DETECT_LINT_H_

// Findings on the detection rules: a value that does not read (the run
// leaves it out), and a DetectMsi that the package its application
// installs does not match (the rule could never hold, so every run would
// call a good install a failure). The package is read where a mapping
// reaches it.
#include <set>

#include "plan/lint/exit_code_lint.h"
#include "plan/planning/plan_platform.h"
#include "platform/wide_string.h"

namespace quill::plan {

// `applications_read`: the application sections the lists reach, lower case.
void LintDetectRules(PlanPlatform& platform, const std::set<WString>& applications_read,
                     const KeyFinding& add);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_DETECT_LINT_H_
