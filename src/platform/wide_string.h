#ifndef QUILL_PLATFORM_WIDE_STRING_H_
#define QUILL_PLATFORM_WIDE_STRING_H_

// The program's text is counted UTF-16, as Windows keeps it, on every host:
// std::wstring would be 32-bit on Linux and change what the native tests see.
#include <string>

namespace quill {

using WString = std::u16string;

}  // namespace quill

#endif  // QUILL_PLATFORM_WIDE_STRING_H_
