#include <windows.h>

#include <cstring>
#include <mutex>

#include "plan/host/host_path.h"
#include "plan/host/part_files.h"

namespace quill::plan {

namespace {

constexpr size_t kMostParts = 4;
constexpr size_t kLongestPath = 32768;
wchar_t parts[kMostParts][kLongestPath];
volatile LONG in_use[kMostParts];

// Ctrl-C, Ctrl-Break, a closed console: the handler runs on its own thread.
BOOL WINAPI RemoveParts(DWORD) {
  for (size_t i = 0; i < kMostParts; ++i) {
    if (in_use[i]) DeleteFileW(parts[i]);
  }
  return FALSE;  // and the process ends as it would have
}

}  // namespace

void RemoveOnSignal(const std::string& path) {
  const std::wstring wide = HostPath(path).wstring();
  if (wide.size() >= kLongestPath) return;
  static std::once_flag installed;
  std::call_once(installed, [] { SetConsoleCtrlHandler(RemoveParts, TRUE); });
  for (size_t i = 0; i < kMostParts; ++i) {
    if (in_use[i]) continue;
    std::memcpy(parts[i], wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    in_use[i] = 1;
    return;
  }
}

void Forget(const std::string& path) {
  const std::wstring wide = HostPath(path).wstring();
  for (size_t i = 0; i < kMostParts; ++i) {
    if (in_use[i] && wide == parts[i]) in_use[i] = 0;
  }
}

}  // namespace quill::plan
