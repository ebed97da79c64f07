#ifndef QUILL_PLATFORM_WIN32_WIN32_VERSION_RESOURCE_H_
#define QUILL_PLATFORM_WIN32_WIN32_VERSION_RESOURCE_H_

// A file's fixed version through version.dll's three functions, found by
// a caller that loaded the library by full path from the system folder:
// the program's DetectFile check and quillplan.exe's read it alike.
#include <vector>

#include "platform/installed_state.h"
#include "platform/win32/win32_api.h"
// after windows.h, which it needs
#include <winver.h>

namespace quill {

using VersionInfoSizeFunction = DWORD(WINAPI*)(const wchar_t* file, DWORD* handle);
using VersionInfoFunction = BOOL(WINAPI*)(const wchar_t* file, DWORD handle, DWORD size,
                                          void* data);
using VersionQueryFunction = BOOL(WINAPI*)(const void* block, const wchar_t* sub, void** buffer,
                                           UINT* length);

inline bool ReadFixedFileVersion(const wchar_t* path, VersionInfoSizeFunction size_of,
                                 VersionInfoFunction info, VersionQueryFunction query,
                                 FileVersion* version) {
  if (size_of == nullptr || info == nullptr || query == nullptr) return false;
  DWORD ignored = 0;
  const DWORD size = size_of(path, &ignored);
  if (size == 0) return false;
  std::vector<unsigned char> block(size, 0);
  void* fixed = nullptr;
  UINT length = 0;
  if (!info(path, 0, size, block.data()) || !query(block.data(), L"\\", &fixed, &length) ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* file_info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  version->parts[0] = HIWORD(file_info->dwFileVersionMS);
  version->parts[1] = LOWORD(file_info->dwFileVersionMS);
  version->parts[2] = HIWORD(file_info->dwFileVersionLS);
  version->parts[3] = LOWORD(file_info->dwFileVersionLS);
  return true;
}

}  // namespace quill

#endif  // QUILL_PLATFORM_WIN32_WIN32_VERSION_RESOURCE_H_
