#include "run/install_time.h"

#include <cstdint>
#include <limits>

#include "base/trim.h"

namespace quill {

int DecimalDigitValue(char16_t c) {
  // The zero of each script whose digits the runtime reads as numbers.
  static const char16_t kZeros[] = {0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66,
                                    0x0AE6, 0x0B66, 0x0C66, 0x0CE6, 0x0D66, 0x0E50,
                                    0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};
  for (char16_t zero : kZeros) {
    if (c >= zero && c <= zero + 9) return c - zero;
  }
  return -1;
}

int32_t ParseInstallTime(const WString& text, SystemInfo& system) {
  size_t at = 0;
  while (at < text.size() && IsWhiteSpace(text[at], system)) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';

  const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
  int64_t value = 0;
  for (; at < text.size() && DecimalDigitValue(text[at]) >= 0; ++at) {
    value = value * 10 + DecimalDigitValue(text[at]);
    if (value > limit) value = limit;  // saturate: later digits cannot bring it back
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace quill
