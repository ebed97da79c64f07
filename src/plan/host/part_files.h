#ifndef QUILL_PLAN_HOST_PART_FILES_H_
#define QUILL_PLAN_HOST_PART_FILES_H_

// Outputs being written lie beside their old files as NAME.quillplan-PID-N.part
// until whole. A run ended by Ctrl-C, SIGTERM or SIGHUP (a closed terminal)
// removes them on its way out, so they neither pile up nor are taken for
// inputs by the next report of that folder.
#include <string>

namespace quill::plan {

// `path` is removed if a signal ends the process before Forget(path).
void RemoveOnSignal(const std::string& path);
void Forget(const std::string& path);

}  // namespace quill::plan

#endif  // QUILL_PLAN_HOST_PART_FILES_H_
