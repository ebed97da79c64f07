#ifndef QUILL_PLAN_REPORT_FLEET_FILES_H_
#define QUILL_PLAN_REPORT_FLEET_FILES_H_

// The files a fleet report reads: the paths given, folders walked
// recursively. A folder's names are sorted so that two reports of one
// share agree row for row; only one folder's names are held at a time.
// A link named on the command line is followed; a link met inside a folder
// is not, and is named as skipped: a share's link can lead anywhere, to a
// loop or to the whole disk. Each file is visited once however many paths
// lead to it, and never one of `not_inputs` (the report's own output).
#include <functional>
#include <string>
#include <vector>

namespace quill::plan {

struct FoundFile {
  std::string path;          // UTF-8
  std::string problem;       // why it cannot be listed or read; empty when fine
  bool passed_over = false;  // a link, a pipe or a device in a folder: not read, by choice
};

void ForEachFile(const std::vector<std::string>& paths, const std::vector<std::string>& not_inputs,
                 const std::function<void(const FoundFile&)>& visit);

}  // namespace quill::plan

#endif  // QUILL_PLAN_REPORT_FLEET_FILES_H_
