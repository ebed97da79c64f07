#ifndef QUILL_PLATFORM_WIN32_WIN32_SYSTEM_LIBRARY_H_
#define QUILL_PLATFORM_WIN32_WIN32_SYSTEM_LIBRARY_H_

// A library of the system folder, loaded at its first use and kept, for
// the program and quillplan.exe alike. By full path: a bare name would
// search the program's folder, the current directory and PATH, where anyone
// may plant a library; the libraries it needs in turn are searched from the
// system folder too (LOAD_WITH_ALTERED_SEARCH_PATH).
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/win32_export.h"

namespace quill {

class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* file) : name_(file) {}
  ~SystemLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  bool Loaded() { return Module() != nullptr; }

  // The export of that name, of its real type; null when the library or
  // the export is not there.
  template <typename Function>
  Function Find(const char* function) {
    HMODULE module = Module();
    if (module == nullptr) return nullptr;
    return FunctionAt<Function>(reinterpret_cast<uintptr_t>(GetProcAddress(module, function)));
  }

 private:
  HMODULE Module() {
    if (tried_) return module_;
    tried_ = true;
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L"\\";
    path += name_;
    module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module_;
  }

  const wchar_t* name_;
  HMODULE module_ = nullptr;
  bool tried_ = false;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_WIN32_WIN32_SYSTEM_LIBRARY_H_
