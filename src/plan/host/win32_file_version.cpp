#include <windows.h>

#include <vector>

#include "base/utf.h"
#include "plan/host/file_version.h"

namespace quill::plan {

namespace {

using SizeFunction = DWORD(WINAPI*)(const wchar_t* file, DWORD* handle);
using InfoFunction = BOOL(WINAPI*)(const wchar_t* file, DWORD handle, DWORD size, void* data);
using QueryFunction = BOOL(WINAPI*)(const void* block, const wchar_t* sub, void** buffer,
                                    UINT* length);

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
  const auto size_of = Export<SizeFunction>("GetFileVersionInfoSizeW");
  const auto info = Export<InfoFunction>("GetFileVersionInfoW");
  const auto query = Export<QueryFunction>("VerQueryValueW");
  if (size_of == nullptr || info == nullptr || query == nullptr) {
    *why = "version.dll cannot be loaded";
    return false;
  }
  const WString wide = FromUtf8(local_path);
  const wchar_t* path = reinterpret_cast<const wchar_t*>(wide.c_str());
  DWORD ignored = 0;
  const DWORD size = size_of(path, &ignored);
  std::vector<unsigned char> block(size);
  void* fixed = nullptr;
  UINT length = 0;
  if (size == 0 || !info(path, 0, size, block.data()) ||
      !query(block.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    *why = "it has no version resource";
    return false;
  }
  const auto* file_info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  version->parts[0] = HIWORD(file_info->dwFileVersionMS);
  version->parts[1] = LOWORD(file_info->dwFileVersionMS);
  version->parts[2] = HIWORD(file_info->dwFileVersionLS);
  version->parts[3] = LOWORD(file_info->dwFileVersionLS);
  return true;
}

}  // namespace quill::plan
