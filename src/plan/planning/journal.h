#ifndef QUILL_PLAN_PLANNING_JOURNAL_H_
#define QUILL_PLAN_PLANNING_JOURNAL_H_

// What the core asked of the planned machine, in order: the plan is read
// from this, so it shows what the core decided and nothing decided again.
#include <string>
#include <vector>

#include "plan/windows/ini_file.h"
#include "plan/windows/machine_files.h"
#include "platform/wide_string.h"

namespace quill::plan {

enum class EventKind {
  kProfileRead,   // the key the reader found, if any
  kFileQuestion,  // path and the answer
  kFileRead,      // path; whether its bytes were there
  kCopy,          // from, to; a plan copies nothing
  kLaunch,        // the command line handed to the platform
};

struct Event {
  explicit Event(EventKind event_kind) : kind(event_kind) {}

  EventKind kind;
  // A profile read: the section and key the reader found (null when none),
  // which the INI file keeps; the value is told only when no key gave it.
  const IniSection* section = nullptr;
  const IniKey* key = nullptr;
  size_t buffer_chars = 0;
  WString first;   // path, source, command line; a read's value from its default
  WString second;  // copy target
  bool read = false;  // the file's bytes were there
  FileAnswer answer;
};

using Journal = std::vector<Event>;

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_JOURNAL_H_
