#include <windows.h>

#include "base/utf.h"
#include "plan/host/host_path.h"

namespace quill::plan {

namespace {

// A folder's path must leave room for an 8.3 name below it (CreateDirectoryW).
constexpr size_t kLongestPlainPath = MAX_PATH - 12;

std::wstring Wide(const WString& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

std::filesystem::path HostPath(const std::string& utf8) {
  const std::wstring given = Wide(FromUtf8(utf8));
  const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (size <= kLongestPlainPath) return given;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(given.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return given;
  full.resize(length);
  return Wide(ExtendedLengthPath(WString(full.begin(), full.end())));
}

}  // namespace quill::plan
