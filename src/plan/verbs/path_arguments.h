#ifndef QUILL_PLAN_VERBS_PATH_ARGUMENTS_H_
#define QUILL_PLAN_VERBS_PATH_ARGUMENTS_H_

// Wildcards in the input paths of the command line, expanded where the
// host leaves that to the tool (plan/host/wildcards.h). A pattern that
// matches nothing stays as typed, so that reading it names it as a file
// that cannot be read. Files to write (--csv, --html) are names to make,
// taken as given.
#include <ostream>
#include <string>
#include <vector>

#include "plan/host/wildcards.h"

namespace quill::plan {

// `single` paths name one file each, `lists` any number. kAllGood, or
// kUsage told on `err` when a single path matches more than one file.
int ExpandInputPaths(Wildcards& wildcards, const char* verb, const std::vector<std::string*>& single,
                     const std::vector<std::vector<std::string>*>& lists, std::ostream& err);

}  // namespace quill::plan

#endif  // QUILL_PLAN_VERBS_PATH_ARGUMENTS_H_
