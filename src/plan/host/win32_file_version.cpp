#include <string>

#include "base/utf.h"
#include "plan/host/file_version.h"
#include "platform/win32/win32_version_resource.h"

namespace quill::plan {

namespace {

// version.dll by full path from the system folder, its own dependencies
// searched from there: never one planted beside quillplan.exe.
HMODULE VersionLibrary() {
  static HMODULE library = [] {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HMODULE(nullptr);
    std::wstring path(folder, length);
    path += L"\\version.dll";
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }();
  return library;
}

template <typename Function>
Function Export(const char* name) {
  HMODULE library = VersionLibrary();
  return library == nullptr
             ? nullptr
             : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

bool ReadFileVersion(const std::string& local_path, FileVersion* version, std::string* why) {
  if (VersionLibrary() == nullptr) {
    *why = "version.dll cannot be loaded";
    return false;
  }
  const WString path = FromUtf8(local_path);
  if (!ReadFixedFileVersion(reinterpret_cast<const wchar_t*>(path.c_str()),
                            Export<VersionInfoSizeFunction>("GetFileVersionInfoSizeW"),
                            Export<VersionInfoFunction>("GetFileVersionInfoW"),
                            Export<VersionQueryFunction>("VerQueryValueW"), version)) {
    *why = "it has no version resource";
    return false;
  }
  return true;
}

}  // namespace quill::plan
