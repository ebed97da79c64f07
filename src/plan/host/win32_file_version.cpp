#include <string>

#include "base/utf.h"
#include "plan/host/file_version.h"
#include "platform/win32/win32_system_library.h"
#include "platform/win32/win32_version_resource.h"

namespace quill::plan {

namespace {

// Never a version.dll planted beside quillplan.exe.
SystemLibrary& VersionLibrary() {
  static SystemLibrary library(L"version.dll");
  return library;
}

}  // namespace

bool ReadFileVersion(const std::string& local_path, FileVersion* version, std::string* why) {
  if (!VersionLibrary().Loaded()) {
    *why = "version.dll cannot be loaded";
    return false;
  }
  const WString path = FromUtf8(local_path);
  if (!ReadFixedFileVersion(
          reinterpret_cast<const wchar_t*>(path.c_str()),
          VersionLibrary().Find<VersionInfoSizeFunction>("GetFileVersionInfoSizeW"),
          VersionLibrary().Find<VersionInfoFunction>("GetFileVersionInfoW"),
          VersionLibrary().Find<VersionQueryFunction>("VerQueryValueW"), version)) {
    *why = "it has no version resource";
    return false;
  }
  return true;
}

}  // namespace quill::plan
