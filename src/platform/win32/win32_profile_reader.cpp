#include "platform/win32/win32_api.h"

#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

WString Win32Platform::ReadPrivateProfileString(const WString& section, const WString& key,
                                                const WString& default_value,
                                                size_t buffer_chars, const WString& path) {
  if (buffer_chars == 0) return WString();
  std::vector<wchar_t> buffer(buffer_chars, L'\0');
  const DWORD length =
      GetPrivateProfileStringW(WideText(section), WideText(key), WideText(default_value),
                               buffer.data(), static_cast<DWORD>(buffer_chars), WideText(path));
  return FromWide(buffer.data(), length < buffer_chars ? length : buffer_chars - 1);
}

}  // namespace quill
