#ifndef QUILL_PLAN_FLEET_FLEET_LOG_H_
#define QUILL_PLAN_FLEET_FLEET_LOG_H_

// One file of a fleet read as a run log, or the reason it is none. A file
// that holds no banner in its first kilobytes is passed over unread, so a
// share's installers and archives cost almost nothing.
#include <string>
#include <vector>

#include "plan/report/run_report.h"

namespace quill::plan {

// A file skipped, or a log read with lines it could not place.
struct FileProblem {
  std::string file;
  int line = 0;  // 0 when no line tells more
  std::string reason;
  bool skipped = true;  // false: the file was read and counted all the same
};

// Larger than any machine's log (a run adds a few kilobytes): read whole,
// it would hold the memory a report promises to keep small.
constexpr size_t kLargestLog = 16u << 20;

// The runs of `path`, or a problem; `buffer` is reused from file to file.
// Problems of a log that was read are added to `notes`.
bool ReadFleetLog(const std::string& path, std::string* buffer, RunReport* report,
                  std::vector<FileProblem>* notes);

}  // namespace quill::plan

#endif  // QUILL_PLAN_FLEET_FLEET_LOG_H_
