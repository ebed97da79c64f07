// MaxInstallTime read as a number. The input is UTF-16 little-endian text;
// the value is held against a reading that compares digit strings and so
// cannot overflow.
#include <cstdint>
#include <limits>
#include <string>

#include "base/trim.h"
#include "fake_platform.h"
#include "fuzz_support.h"
#include "runner/launch_limits.h"

using quill::fuzz::Check;

namespace {

int32_t ByDigitStrings(const quill::WString& text, quill::SystemInfo& system) {
  size_t at = 0;
  while (at < text.size() && quill::IsWhiteSpace(text[at], system)) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
  std::string digits;
  for (; at < text.size() && quill::DecimalDigitValue(text[at]) >= 0; ++at) {
    if (!digits.empty() || quill::DecimalDigitValue(text[at]) != 0) {
      digits += static_cast<char>('0' + quill::DecimalDigitValue(text[at]));
    }
  }
  const std::string limit = negative ? "2147483648" : "2147483647";
  if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit)) {
    return negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  }
  const int64_t value = digits.empty() ? 0 : std::stoll(digits);
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  quill::FakePlatform system;
  const quill::WString text =
      quill::fuzz::Utf16(std::string(reinterpret_cast<const char*>(bytes), size));
  for (char16_t c : text) {
    const int digit = quill::DecimalDigitValue(c);
    Check(digit >= -1 && digit <= 9, "a digit is 0 to 9");
    if (c < 0x80) Check(digit == (c >= u'0' && c <= u'9' ? c - u'0' : -1), "ASCII digits only");
  }
  const int32_t value = quill::ParseInstallTime(text, system);
  Check(value == ByDigitStrings(text, system), "the value of the leading number, clamped");
  Check(quill::ParseInstallTime(text + u"s9", system) == value,
        "what follows the number is ignored");
  Check(quill::ParseInstallTime(u" \t" + text, system) == value, "leading blanks are skipped");
  return 0;
}
