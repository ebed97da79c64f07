#include "plan/text/case_fold.h"

#include <algorithm>

namespace quill::plan {

namespace {

// Latin Extended-A pairs an upper-case letter with the code after it; the
// parity of the upper one flips at U+0139 and again at U+014A.
char16_t LowerLatinExtendedA(char16_t c) {
  if (c == 0x0130) return u'i';
  if (c == 0x0178) return 0x00FF;
  const bool even_is_upper = (c < 0x0139) || (c >= 0x014A && c < 0x0179);
  if (c == 0x0138 || c == 0x0149 || c == 0x017F) return c;  // no upper-case pair
  const bool is_upper = ((c % 2) == 0) == even_is_upper;
  return is_upper ? static_cast<char16_t>(c + 1) : c;
}

char16_t LowerGreek(char16_t c) {
  if (c == 0x0386) return 0x03AC;
  if (c >= 0x0388 && c <= 0x038A) return static_cast<char16_t>(c + 0x25);
  if (c == 0x038C) return 0x03CC;
  if (c == 0x038E || c == 0x038F) return static_cast<char16_t>(c + 0x3F);
  if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) return static_cast<char16_t>(c + 0x20);
  return c;
}

char16_t LowerPathChar(char16_t c) {
  if (c < 0x80) return LowerCase(c);
  if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x0100 && c <= 0x017F) return LowerLatinExtendedA(c);
  if (c >= 0x0386 && c <= 0x03AB) return LowerGreek(c);
  if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);
  if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);
  return c;
}

}  // namespace

char16_t LowerCase(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
}

WString LowerCase(const WString& text) {
  WString lowered = text;
  for (char16_t& c : lowered) c = LowerCase(c);
  return lowered;
}

bool LessIgnoringCase(const WString& a, const WString& b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char16_t x, char16_t y) { return LowerCase(x) < LowerCase(y); });
}

bool EqualIgnoringCase(const WString& a, const WString& b) { return EqualFoldingAToZ(a, b); }

WString LowerPathCase(const WString& name) {
  WString lowered = name;
  for (char16_t& c : lowered) c = LowerPathChar(c);
  return lowered;
}

bool EqualPathNames(const WString& a, const WString& b) { return LowerPathCase(a) == LowerPathCase(b); }

}  // namespace quill::plan
