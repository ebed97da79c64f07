#include "platform/win32/win32_api.h"

#include <objbase.h>

#include <vector>

#include "platform/win32/win32_export.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

namespace {

// The identity library's entry point: C calling convention, one buffer.
using MachineIdEntry = void(__cdecl*)(char* buffer);

HMODULE ModuleOf(LibraryHandle library) {
  return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(library));
}

}  // namespace

WString Win32Platform::ModuleFileName(size_t first_buffer_chars) {
  // A path that fills the buffer may have been cut (XP then leaves it without
  // a NUL), so the buffer doubles until the path fits, up to the longest path
  // Windows has.
  constexpr size_t kLongestPath = 32767;
  for (size_t size = first_buffer_chars > 0 ? first_buffer_chars : 1;; size *= 2) {
    std::vector<wchar_t> buffer(size, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(size));
    if (length == 0) return WString();
    if (length < size) return FromWide(buffer.data(), length);
    if (size > kLongestPath) return WString();
  }
}

WString Win32Platform::RunningProgramPath() { return ModuleFileName(MAX_PATH); }

void Win32Platform::InitializeCom() { CoInitialize(nullptr); }

void Win32Platform::UninitializeCom() { CoUninitialize(); }

LibraryHandle Win32Platform::LoadModule(const WString& path) {
  return reinterpret_cast<uintptr_t>(LoadLibraryW(WideText(path)));
}

ExportAddress Win32Platform::FindExport(LibraryHandle library, const std::string& name) {
  if (library == 0) return 0;
  return reinterpret_cast<uintptr_t>(GetProcAddress(ModuleOf(library), name.c_str()));
}

void Win32Platform::CallMachineIdEntry(ExportAddress entry, char* buffer) {
  if (entry == 0 || buffer == nullptr) return;
  FunctionAt<MachineIdEntry>(static_cast<uintptr_t>(entry))(buffer);
}

void Win32Platform::ReleaseModule(LibraryHandle library) {
  if (library != 0) FreeLibrary(ModuleOf(library));
}

}  // namespace quill
