#ifndef QUILL_PLAN_HOST_WILDCARDS_H_
#define QUILL_PLAN_HOST_WILDCARDS_H_

// Wildcards in a path argument. A POSIX shell expands "logs/*.LOG" before
// the tool starts; cmd.exe and PowerShell hand it over as typed, and every
// Windows tool (dir, copy, findstr) expands it itself. So the build chooses:
// on Windows quillplan matches names as the host does (FindFirstFileW), and
// elsewhere it takes its arguments as the shell left them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quill::plan {

class Wildcards {
 public:
  virtual ~Wildcards() = default;
  // The paths `path` (UTF-8) names, sorted without regard to case; `path`
  // itself when it holds no wildcard; none when nothing matches.
  virtual std::vector<std::string> Expand(const std::string& path) = 0;
};

// The build's: the host's matching on Windows, the arguments as given elsewhere.
std::unique_ptr<Wildcards> MakeWildcards();

struct FoundName {
  std::string name;  // UTF-8
  bool folder = false;
};

// The entries of `folder` (as typed with its separator, "" for the current
// one) whose names match `pattern`, as the host matches them, "." and ".."
// left out; none when nothing matches or the folder cannot be listed.
using FindNames =
    std::function<std::vector<FoundName>(const std::string& folder, const std::string& pattern)>;

// `*` and `?` in any name of the path below its root ("C:\", "\\server\share\"),
// each name that holds one matched by `find`, the names before a later one
// folders only.
std::vector<std::string> ExpandWildcards(const std::string& path, const FindNames& find);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_WILDCARDS_H_
