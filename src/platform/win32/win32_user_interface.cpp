#include "platform/win32/win32_api.h"

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

int Win32Platform::ShowMessageBox(const WString& text, const WString& caption, uint32_t style) {
  return MessageBoxW(nullptr, WideText(text), WideText(caption), style);
}

}  // namespace quill
