#ifndef QUILL_PLATFORM_WIN32_WIN32_TEXT_H_
#define QUILL_PLATFORM_WIN32_WIN32_TEXT_H_

// WString keeps UTF-16 in char16_t; Windows keeps the same units in its
// 16-bit wchar_t, so the two are handed across without conversion.
#include <cstddef>

#include "platform/wide_string.h"

namespace quill {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is a UTF-16 unit");

inline const wchar_t* WideText(const WString& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline WString FromWide(const wchar_t* text, size_t length) {
  return WString(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace quill

#endif  // QUILL_PLATFORM_WIN32_WIN32_TEXT_H_
