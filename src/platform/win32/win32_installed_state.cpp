#include "platform/win32/win32_api.h"

#include <string>
#include <vector>

#include "platform/win32/win32_export.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_version_resource.h"

namespace quill {

namespace {

constexpr int kInstallStateDefault = 5;  // INSTALLSTATE_DEFAULT: installed

using QueryProductStateFunction = int(WINAPI*)(const wchar_t* product);
using RedirectionOffFunction = BOOL(WINAPI*)(void** old_value);
using RedirectionBackFunction = BOOL(WINAPI*)(void* old_value);

FARPROC KernelExport(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  return kernel != nullptr ? GetProcAddress(kernel, name) : nullptr;
}

// The 32-bit program on 64-bit Windows would see SysWOW64 where the rule
// names System32: redirection is off for the file check only, and never
// while a library loads. XP's 32-bit KERNEL32 has no such export; there is
// nothing to turn off there.
class NativeFileView {
 public:
  NativeFileView() {
    const auto off = FunctionAt<RedirectionOffFunction>(
        reinterpret_cast<uintptr_t>(KernelExport("Wow64DisableWow64FsRedirection")));
    off_ = off != nullptr && off(&old_value_);
  }
  ~NativeFileView() {
    if (!off_) return;
    const auto back = FunctionAt<RedirectionBackFunction>(
        reinterpret_cast<uintptr_t>(KernelExport("Wow64RevertWow64FsRedirection")));
    if (back != nullptr) back(old_value_);
  }
  NativeFileView(const NativeFileView&) = delete;
  NativeFileView& operator=(const NativeFileView&) = delete;

 private:
  void* old_value_ = nullptr;
  bool off_ = false;
};

}  // namespace

WString Win32Platform::ExpandEnvironment(const WString& text) {
  const DWORD needed = ExpandEnvironmentStringsW(WideText(text), nullptr, 0);
  if (needed == 0) return text;
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  const DWORD length =
      ExpandEnvironmentStringsW(WideText(text), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length > buffer.size()) return text;
  return FromWide(buffer.data(), length - 1);
}

bool Win32Platform::IsProductInstalled(const WString& product_code) {
  const auto query = msi_.Find<QueryProductStateFunction>("MsiQueryProductStateW");
  return query != nullptr && query(WideText(product_code)) == kInstallStateDefault;
}

bool Win32Platform::NativeFileExists(const WString& path) {
  NativeFileView view;
  return GetFileAttributesW(WideText(path)) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Platform::NativeFileVersion(const WString& path, FileVersion* version) {
  const auto size_of = version_.Find<VersionInfoSizeFunction>("GetFileVersionInfoSizeW");
  const auto info = version_.Find<VersionInfoFunction>("GetFileVersionInfoW");
  const auto query = version_.Find<VersionQueryFunction>("VerQueryValueW");
  NativeFileView view;
  return ReadFixedFileVersion(WideText(path), size_of, info, query, version);
}

bool Win32Platform::LocalMachineKeyExists(const WString& subkey, RegistryView view) {
  const REGSAM flag = view == RegistryView::k64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideText(subkey), 0, KEY_READ | flag, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

}  // namespace quill
