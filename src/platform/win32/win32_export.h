#ifndef QUILL_PLATFORM_WIN32_WIN32_EXPORT_H_
#define QUILL_PLATFORM_WIN32_WIN32_EXPORT_H_

// An export found at run time comes as a bare address; going through an
// integer gives it its real type without a cast between unrelated function
// types, which the compiler warns about.
#include <cstdint>

namespace quill {

template <typename Function>
Function FunctionAt(uintptr_t address) {
  return reinterpret_cast<Function>(address);
}

}  // namespace quill

#endif  // QUILL_PLATFORM_WIN32_WIN32_EXPORT_H_
