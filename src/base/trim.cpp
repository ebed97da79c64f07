#include "base/trim.h"

namespace quill {

bool IsWhiteSpace(char16_t c, SystemInfo& system) {
  if (c <= 0x00FF) return (c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x00A0;
  return system.IsSpace(c);
}

void Trim(WString& text, SystemInfo& system) {
  size_t end = text.size();
  while (end > 0 && IsWhiteSpace(text[end - 1], system)) --end;
  size_t begin = 0;
  while (begin < end && IsWhiteSpace(text[begin], system)) ++begin;
  text = text.substr(begin, end - begin);
}

}  // namespace quill
