#include <windows.h>

#include "base/utf.h"
#include "plan/host/host_path.h"
#include "plan/host/wildcards.h"

namespace quill::plan {

namespace {

std::vector<FoundName> FindFirstFileNames(const std::string& folder, const std::string& pattern) {
  std::vector<FoundName> names;
  const std::wstring query = HostPath(folder + pattern).wstring();
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(query.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    names.push_back({ToUtf8(WString(name.begin(), name.end())),
                     (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

class FindFirstFileWildcards : public Wildcards {
 public:
  std::vector<std::string> Expand(const std::string& path) override {
    return ExpandWildcards(path, FindFirstFileNames);
  }
};

}  // namespace

std::unique_ptr<Wildcards> MakeWildcards() { return std::make_unique<FindFirstFileWildcards>(); }

}  // namespace quill::plan
