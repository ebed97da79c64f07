#ifndef QUILL_BASE_UTF_H_
#define QUILL_BASE_UTF_H_

// UTF-8 for what a user reads and writes, UTF-16 for the core: quillplan
// speaks both, and so do the tests that hand the core text.
#include <string>

#include "platform/wide_string.h"

namespace quill {

// Invalid sequences become U+FFFD, one for each byte that starts no sequence.
WString FromUtf8(const std::string& text);
// A lone surrogate becomes U+FFFD.
std::string ToUtf8(const WString& text);

}  // namespace quill

#endif  // QUILL_BASE_UTF_H_
