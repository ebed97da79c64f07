#ifndef QUILL_PLAN_TEXT_CASE_FOLD_H_
#define QUILL_PLAN_TEXT_CASE_FOLD_H_

// Two ways of comparing without regard to case. The profile reader, like
// every comparison of the program, folds only the letters A to Z. Windows
// file names fold more: Latin-1, Latin Extended-A, basic Greek and
// Cyrillic and full-width Latin are covered here; other letters compare
// exactly.
#include <cstddef>

#include "platform/wide_string.h"

namespace quill::plan {

char16_t LowerCase(char16_t c);  // A to Z only
WString LowerCase(const WString& text);
bool EqualIgnoringCase(const WString& a, const WString& b);
// An order in which names equal but for case are neighbours.
bool LessIgnoringCase(const WString& a, const WString& b);
// The same for any two texts of UTF-16 units.
template <typename A, typename B>
bool EqualFoldingAToZ(const A& a, const B& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerCase(a[i]) != LowerCase(b[i])) return false;
  }
  return true;
}

WString LowerPathCase(const WString& name);
bool EqualPathNames(const WString& a, const WString& b);

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_CASE_FOLD_H_
