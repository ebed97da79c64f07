#ifndef QUILL_RUN_INSTALL_TIME_H_
#define QUILL_RUN_INSTALL_TIME_H_

// MaxInstallTime as the runtime's integer reading gives it: "60s" is 60,
// "0x3C" is 0, "abc" is 0; the decimal digits of other scripts count.
#include <cstdint>

#include "platform/system_info.h"
#include "platform/wide_string.h"

namespace quill {

// The digit's value, or -1 when the runtime does not read it as a digit.
int DecimalDigitValue(char16_t c);

// A value beyond the 32-bit range is clamped to it instead of wrapping.
int32_t ParseInstallTime(const WString& text, SystemInfo& system);

}  // namespace quill

#endif  // QUILL_RUN_INSTALL_TIME_H_
