#ifndef QUILL_PLAN_CASE_FOLD_H_
#define QUILL_PLAN_CASE_FOLD_H_

// How the platform's profile reader compares section and key names: each
// character lowered as the platform lowers it. Covered: Latin (ASCII,
// Latin-1, Latin Extended-A), basic Greek and Cyrillic, full-width Latin;
// letters of other scripts compare exactly.
#include "platform/wide_string.h"

namespace quill::plan {

char16_t LowerCase(char16_t c);
WString LowerCase(const WString& text);
bool EqualIgnoringCase(const WString& a, const WString& b);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CASE_FOLD_H_
