#ifndef QUILL_RUN_USAGE_H_
#define QUILL_RUN_USAGE_H_

#include "platform/user_interface.h"
#include "platform/wide_string.h"

namespace quill {

extern const char16_t kUsageCaption[];

WString UsageText();

// Shows the usage box and returns once the user has pressed OK.
void ShowUsage(UserInterface& ui);

}  // namespace quill

#endif  // QUILL_RUN_USAGE_H_
