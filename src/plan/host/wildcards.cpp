#include "plan/host/wildcards.h"

#include <algorithm>

#include "base/utf.h"
#include "plan/text/case_fold.h"

namespace quill::plan {

namespace {

bool Separator(char c) { return c == '\\' || c == '/'; }
bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// Where the names below the root begin: after "C:", "C:\", "\", or the
// server and share of "\\server\share\"; a wildcard there is no pattern.
size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && Separator(path[0]) && Separator(path[1])) {
    size_t at = 2;
    for (int part = 0; part < 2 && at < path.size(); ++part) {
      while (at < path.size() && !Separator(path[at])) ++at;
      if (at < path.size()) ++at;
    }
    return at;
  }
  size_t at = path.size() >= 2 && path[1] == ':' ? 2 : 0;
  if (at < path.size() && Separator(path[at])) ++at;
  return at;
}

void Expand(const std::string& folder, const std::string& rest, const FindNames& find,
            std::vector<std::string>* paths) {
  size_t end = 0;
  while (end < rest.size() && !Separator(rest[end])) ++end;
  const std::string name = rest.substr(0, end);
  const bool last = end == rest.size();
  if (!HasWildcard(name)) {
    if (last) {
      paths->push_back(folder + name);
    } else {
      Expand(folder + rest.substr(0, end + 1), rest.substr(end + 1), find, paths);
    }
    return;
  }
  std::vector<FoundName> found = find(folder, name);
  // Sorted as Windows folds names, ties by their own text: the same order every time.
  std::sort(found.begin(), found.end(), [](const FoundName& a, const FoundName& b) {
    const WString x = LowerPathCase(FromUtf8(a.name));
    const WString y = LowerPathCase(FromUtf8(b.name));
    return x != y ? x < y : a.name < b.name;
  });
  for (const FoundName& entry : found) {
    if (last) {
      paths->push_back(folder + entry.name);
    } else if (entry.folder) {
      Expand(folder + entry.name + rest[end], rest.substr(end + 1), find, paths);
    }
  }
}

}  // namespace

std::vector<std::string> ExpandWildcards(const std::string& path, const FindNames& find) {
  const size_t root = RootLength(path);
  if (!HasWildcard(path.substr(root))) return {path};
  std::vector<std::string> paths;
  Expand(path.substr(0, root), path.substr(root), find, &paths);
  return paths;
}

}  // namespace quill::plan
