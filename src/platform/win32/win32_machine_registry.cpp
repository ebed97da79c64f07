#include "platform/win32/win32_api.h"

#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

namespace {

// The 64-bit view from a 32-bit program too; 32-bit Windows ignores the flag.
constexpr REGSAM kView = KEY_WOW64_64KEY;

}  // namespace

bool Win32Platform::ReadMachineValue(const WString& key, const WString& name, WString* data) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideText(key), 0, KEY_QUERY_VALUE | kView, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD bytes = 0;
  LONG status = RegQueryValueExW(opened, WideText(name), nullptr, &type, nullptr, &bytes);
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (status == ERROR_SUCCESS && type == REG_SZ) {
    status = RegQueryValueExW(opened, WideText(name), nullptr, &type,
                              reinterpret_cast<BYTE*>(text.data()), &bytes);
  }
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) return false;
  if (type != REG_SZ) {
    data->clear();  // there, but no text: the caller tells it as unread
    return true;
  }
  size_t length = bytes / sizeof(wchar_t);
  while (length > 0 && text[length - 1] == L'\0') --length;  // stored with or without its NUL
  *data = FromWide(text.data(), length);
  return true;
}

bool Win32Platform::WriteMachineValue(const WString& key, const WString& name,
                                      const WString& data) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, WideText(key), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | kView, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  bool written =
      RegSetValueExW(opened, WideText(name), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(WideText(data)), bytes) == ERROR_SUCCESS;
  // On the disk before the machine goes down, not when Windows gets to it.
  written = written && RegFlushKey(opened) == ERROR_SUCCESS;
  RegCloseKey(opened);
  return written;
}

bool Win32Platform::DeleteMachineValue(const WString& key, const WString& name) {
  HKEY opened = nullptr;
  const LONG open =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideText(key), 0, KEY_SET_VALUE | kView, &opened);
  if (open == ERROR_FILE_NOT_FOUND) return true;
  if (open != ERROR_SUCCESS) return false;
  const LONG status = RegDeleteValueW(opened, WideText(name));
  if (status == ERROR_SUCCESS) RegFlushKey(opened);
  RegCloseKey(opened);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace quill
