#ifndef QUILL_PLAN_LINT_TABLE_LINT_H_
#define QUILL_PLAN_LINT_TABLE_LINT_H_

// Findings in a language table: what makes the lookup miss a language
// without a word.
#include <string>
#include <vector>

#include "plan/lint/finding.h"
#include "platform/system_info.h"

namespace quill::plan {

std::vector<Finding> LintLanguageTable(const std::string& bytes, const std::string& file,
                                       SystemInfo& system);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_TABLE_LINT_H_
