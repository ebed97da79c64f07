#ifndef QUILL_PLAN_FLEET_FLEET_FILES_H_
#define QUILL_PLAN_FLEET_FLEET_FILES_H_

// The files a fleet report reads: the paths given, folders walked
// recursively. A folder's names are sorted so that two reports of one
// share agree row for row; only one folder's names are held at a time.
// Links to folders are not followed, so a loop on a share cannot trap it.
#include <functional>
#include <string>
#include <vector>

namespace quill::plan {

struct FoundFile {
  std::string path;     // UTF-8
  std::string problem;  // why it cannot be listed or read; empty when fine
};

void ForEachFile(const std::vector<std::string>& paths,
                 const std::function<void(const FoundFile&)>& visit);

}  // namespace quill::plan

#endif  // QUILL_PLAN_FLEET_FLEET_FILES_H_
