#ifndef QUILL_PLATFORM_USER_INTERFACE_H_
#define QUILL_PLATFORM_USER_INTERFACE_H_

// Why: the usage box is the one thing the program ever shows a person.
#include <cstdint>

#include "platform/wide_string.h"

namespace quill {

constexpr uint32_t kMbOk = 0x0;

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A box without owner window; returns when the user has answered it.
  virtual int ShowMessageBox(const WString& text, const WString& caption, uint32_t style) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_USER_INTERFACE_H_
