#ifndef QUILL_PLAN_LINT_HASH_LINT_H_
#define QUILL_PLAN_LINT_HASH_LINT_H_

// The HashList's findings, found before a change ships rather than on the
// fleet's PCs: a list that cannot be read or has lines that do not, each
// installer a run of the matrix would refuse because the list lacks it,
// and each listed hash that a file --map answers no longer has. Nothing
// without the key.
#include <string>
#include <vector>

#include "plan/lint/finding.h"
#include "plan/planning/plan_platform.h"

namespace quill::plan {

std::vector<Finding> LintHashList(const std::string& ini_file, const std::string& language_table,
                                  PlanPlatform& platform);

// Those findings added to a deployment's, in file and line order.
void AddHashListFindings(const std::string& ini_file, const std::string& language_table,
                         PlanPlatform& platform, std::vector<Finding>* findings);

}  // namespace quill::plan

#endif  // QUILL_PLAN_LINT_HASH_LINT_H_
