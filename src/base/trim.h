#ifndef QUILL_BASE_TRIM_H_
#define QUILL_BASE_TRIM_H_

// The one trimming rule for every string that comes from outside.
#include "platform/system_info.h"
#include "platform/wide_string.h"

namespace quill {

// Tab to carriage return, space and no-break space; above U+00FF the
// platform's classification decides. U+0085 is not white space.
bool IsWhiteSpace(char16_t c, SystemInfo& system);

// Removes leading and trailing white space; inner white space stays.
void Trim(WString& text, SystemInfo& system);

// What separates the words of a command line or of a list of exit codes:
// the space and the tab, nothing else.
inline bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace quill

#endif  // QUILL_BASE_TRIM_H_
