#include "platform/win32/win32_api.h"

#include <winver.h>

#include <string>
#include <vector>

#include "platform/win32/win32_export.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

namespace {

constexpr int kInstallStateDefault = 5;  // INSTALLSTATE_DEFAULT: installed

using QueryProductStateFunction = int(WINAPI*)(const wchar_t* product);
using VersionInfoSizeFunction = DWORD(WINAPI*)(const wchar_t* file, DWORD* handle);
using VersionInfoFunction = BOOL(WINAPI*)(const wchar_t* file, DWORD handle, DWORD size,
                                          void* data);
using VersionQueryFunction = BOOL(WINAPI*)(const void* block, const wchar_t* sub, void** buffer,
                                           UINT* length);
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

Win32Platform::SystemLibrary::~SystemLibrary() {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

// By full path from the system folder: a bare name would search the
// current directory and PATH, where anyone may plant a library. The
// libraries it needs in turn are searched from that folder too, not from
// the program's.
void* Win32Platform::SystemLibrary::Find(const char* function) {
  if (!tried) {
    tried = true;
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      std::wstring path(folder, length);
      path += L"\\";
      path += name;
      module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
  }
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), function));
}

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
  const auto query = FunctionAt<QueryProductStateFunction>(
      reinterpret_cast<uintptr_t>(msi_.Find("MsiQueryProductStateW")));
  return query != nullptr && query(WideText(product_code)) == kInstallStateDefault;
}

bool Win32Platform::NativeFileExists(const WString& path) {
  NativeFileView view;
  return GetFileAttributesW(WideText(path)) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Platform::NativeFileVersion(const WString& path, FileVersion* version) {
  const auto size_of = FunctionAt<VersionInfoSizeFunction>(
      reinterpret_cast<uintptr_t>(version_.Find("GetFileVersionInfoSizeW")));
  const auto info = FunctionAt<VersionInfoFunction>(
      reinterpret_cast<uintptr_t>(version_.Find("GetFileVersionInfoW")));
  const auto query = FunctionAt<VersionQueryFunction>(
      reinterpret_cast<uintptr_t>(version_.Find("VerQueryValueW")));
  if (size_of == nullptr || info == nullptr || query == nullptr) return false;
  std::vector<unsigned char> block;
  {
    NativeFileView view;
    DWORD ignored = 0;
    const DWORD size = size_of(WideText(path), &ignored);
    if (size == 0) return false;
    block.assign(size, 0);
    if (!info(WideText(path), 0, size, block.data())) return false;
  }
  void* fixed = nullptr;
  UINT length = 0;
  if (!query(block.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* file_info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  version->parts[0] = HIWORD(file_info->dwFileVersionMS);
  version->parts[1] = LOWORD(file_info->dwFileVersionMS);
  version->parts[2] = HIWORD(file_info->dwFileVersionLS);
  version->parts[3] = LOWORD(file_info->dwFileVersionLS);
  return true;
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
