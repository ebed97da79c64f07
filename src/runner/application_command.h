#ifndef QUILL_RUNNER_APPLICATION_COMMAND_H_
#define QUILL_RUNNER_APPLICATION_COMMAND_H_

// The command line of one application section: AppPath, a backslash, and the
// switches, with "%LANG%" put in place from the language folders.
#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

extern const char16_t kLanguagePlaceholder[];

struct ApplicationCommand {
  WString app_path;
  WString switches;      // the part after AppPath and the backslash
  WString command_line;  // empty: the application is skipped
};

ApplicationCommand BuildApplicationCommand(const WString& app_section,
                                           const RunContext& context, Platform& platform);

// Puts the language code, or its "US"/"SP" fallback, in place of every
// "%LANG%" in `switches` when a folder of that name exists under
// `command_so_far` (AppPath and the backslash); a code that leaves its
// folder has none. 1 when replaced; on 0 the switches are unchanged.
int SubstituteLanguage(WString& switches, const WString& command_so_far,
                       const RunContext& context, FileSystem& files);

// Whether `name`, put under a folder, would name something other than one
// entry of it: it holds a separator, a colon or a character no file name
// holds, it is dots (and blanks) only, or it names a device (CON, NUL,
// COM1, LPT1.txt). An empty name stays in the folder.
bool LeavesItsFolder(const WString& name);

// Every occurrence, left to right, without scanning the inserted text again.
void ReplaceAll(WString& text, const WString& from, const WString& to);

}  // namespace quill

#endif  // QUILL_RUNNER_APPLICATION_COMMAND_H_
