#ifndef QUILL_RUNNER_PROCESS_COMMAND_LINE_H_
#define QUILL_RUNNER_PROCESS_COMMAND_LINE_H_

// What the platform is handed to start an application. An unquoted command
// line whose AppPath holds a blank lets the platform's search stop inside it,
// so a planted C:\Program.exe would run instead of C:\Program Files\...\x.exe;
// the program part is put in quotation marks to prevent that.
#include "platform/file_system.h"
#include "platform/wide_string.h"
#include "runner/application_command.h"

namespace quill {

// The program is AppPath, the backslash and the switches up to the first
// blank at which that text names an existing file (".exe" added when it has no
// extension), or, when none does, up to the first blank of the switches.
WString ProcessCommandLine(const ApplicationCommand& command, FileSystem& files);

}  // namespace quill

#endif  // QUILL_RUNNER_PROCESS_COMMAND_LINE_H_
