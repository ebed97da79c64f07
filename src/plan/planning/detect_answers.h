#ifndef QUILL_PLAN_PLANNING_DETECT_ANSWERS_H_
#define QUILL_PLAN_PLANNING_DETECT_ANSWERS_H_

// What an application's detection rules rest on that the planned machine's
// files do not settle: a product or a key (no plan asks Windows), a variable
// the plan does not know, a file no mapping answers, a version that cannot
// be read, and the folders a variable is taken to name. Each is told as an
// assumption under the launch it decides.
#include <string>
#include <vector>

#include "plan/planning/plan_platform.h"
#include "platform/wide_string.h"

namespace quill::plan {

std::vector<std::string> DetectAssumptions(const std::vector<WString>& detect_rules,
                                           PlanPlatform& platform);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_DETECT_ANSWERS_H_
