#ifndef QUILL_PLAN_WINDOWS_UTF_H_
#define QUILL_PLAN_WINDOWS_UTF_H_

// quillplan speaks UTF-8 to its user and UTF-16 to the core.
#include <string>

#include "platform/wide_string.h"

namespace quill::plan {

// Invalid sequences become U+FFFD, one for each byte that starts no sequence.
WString FromUtf8(const std::string& text);
// A lone surrogate becomes U+FFFD.
std::string ToUtf8(const WString& text);

}  // namespace quill::plan

#endif  // QUILL_PLAN_WINDOWS_UTF_H_
