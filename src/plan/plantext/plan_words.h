#ifndef QUILL_PLAN_PLANTEXT_PLAN_WORDS_H_
#define QUILL_PLAN_PLANTEXT_PLAN_WORDS_H_

// The words a plan is told in, shared by its text and JSON forms.
#include <string>

#include "plan/planning/plan_model.h"

namespace quill::plan {

// A stable name ("both-passes", "no-section", ...) for JSON and for tests.
const char* EndingName(PlanEnding ending);
const char* SkipName(SkipReason skip);

// One line for people.
std::string EndingText(const Plan& plan);
std::string SkipText(const PlanEntry& entry);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANTEXT_PLAN_WORDS_H_
