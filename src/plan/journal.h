#ifndef QUILL_PLAN_JOURNAL_H_
#define QUILL_PLAN_JOURNAL_H_

// What the core asked of the planned machine, in order: the plan is read
// from this, so it shows what the core decided and nothing decided again.
#include <string>
#include <vector>

#include "plan/machine_files.h"
#include "platform/wide_string.h"

namespace quill::plan {

enum class EventKind {
  kProfileRead,   // section, key and the value the reader gave
  kFileQuestion,  // path and the answer
  kFileRead,      // path; whether its bytes were there
  kCopy,          // from, to; a plan copies nothing
  kLaunch,        // the command line handed to the platform
};

struct Event {
  EventKind kind;
  WString first;   // section, path, source, command line
  WString second;  // key, copy target
  WString value;   // value read
  FileAnswer answer;
};

using Journal = std::vector<Event>;

}  // namespace quill::plan

#endif  // QUILL_PLAN_JOURNAL_H_
