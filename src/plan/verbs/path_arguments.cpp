#include "plan/verbs/path_arguments.h"

#include "plan/verbs/error_form.h"
#include "plan/verbs/verbs.h"

namespace quill::plan {

int ExpandInputPaths(Wildcards& wildcards, const char* verb, const std::vector<std::string*>& single,
                     const std::vector<std::vector<std::string>*>& lists, std::ostream& err) {
  for (std::string* path : single) {
    if (path->empty()) continue;
    const std::vector<std::string> found = wildcards.Expand(*path);
    if (found.size() > 1) {
      TellError(err, verb, *path,
                "names " + std::to_string(found.size()) + " files where one is read");
      return kUsage;
    }
    if (found.size() == 1) *path = found[0];
  }
  for (std::vector<std::string>* paths : lists) {
    std::vector<std::string> expanded;
    for (const std::string& path : *paths) {
      std::vector<std::string> found = wildcards.Expand(path);
      if (found.empty()) found.push_back(path);
      expanded.insert(expanded.end(), found.begin(), found.end());
    }
    *paths = std::move(expanded);
  }
  return kAllGood;
}

}  // namespace quill::plan
