#ifndef QUILL_PLAN_MATRIX_KEPT_PLANS_H_
#define QUILL_PLAN_MATRIX_KEPT_PLANS_H_

// A machine's different passes, each kept once: a pass that differs from a
// kept one only in the language code put in place of "%LANG%" is the same
// pass, shown with "<code>" where the code went.
#include <vector>

#include "plan/planning/plan_model.h"
#include "platform/wide_string.h"

namespace quill::plan {

// Whether the entry's command line only puts `code` in place of "%LANG%",
// so that the entry reads the same in every language that does.
bool IsLanguageTemplate(const PlanEntry& entry, const WString& code);

// Whether two passes launch and skip alike; template entries compare as
// templates.
bool SameEntries(const PassPlan& a, const PassPlan& b);

// The index of a kept pass equal to this one (made in the language of
// `code`), or of this one, kept as new.
int Remember(PassPlan pass, const WString& code, std::vector<PassPlan>& plans);

}  // namespace quill::plan

#endif  // QUILL_PLAN_MATRIX_KEPT_PLANS_H_
