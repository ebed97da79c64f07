#ifndef QUILL_PLAN_LINT_LOG_COPY_LINT_H_
#define QUILL_PLAN_LINT_LOG_COPY_LINT_H_

// Findings on LogCopy: a value that sends every PC to one file, a copy
// into the deployment's own folder, a path that is not full, and a variable
// Windows does not set.
#include "plan/lint/exit_code_lint.h"
#include "plan/planning/plan_platform.h"

namespace quill::plan {

void LintLogCopy(PlanPlatform& platform, const KeyFinding& add);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_LOG_COPY_LINT_H_
