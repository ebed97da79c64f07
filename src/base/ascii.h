#ifndef QUILL_BASE_ASCII_H_
#define QUILL_BASE_ASCII_H_

// The ASCII letters and digits of names and numbers that Windows reads
// without the locale: hexadecimal codes and locales, paths and section
// names compared with A to Z folded. Letters beyond ASCII stay as they are.
#include "platform/wide_string.h"

namespace quill {

// 0 to 15 for a hexadecimal digit of either case, -1 for anything else.
inline int HexDigit(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
  return -1;
}

inline char16_t UpperAtoZ(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

inline WString UpperCaseAtoZ(WString text) {
  for (char16_t& c : text) c = UpperAtoZ(c);
  return text;
}

}  // namespace quill

#endif  // QUILL_BASE_ASCII_H_
