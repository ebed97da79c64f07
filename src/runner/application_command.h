#ifndef QUILL_RUNNER_APPLICATION_COMMAND_H_
#define QUILL_RUNNER_APPLICATION_COMMAND_H_

// An application's command line, as the log shows it and as the platform is
// handed it, and the Windows paths it names.

#include <vector>

#include "base/run_context.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

// Paths as Windows resolves and compares them, for matching the files a
// command line names with the lines of a hash list: one spelling of a file
// must not pass where another is refused.
// `path` made full against `folder` (itself full): "C:\x", "C:/x" and
// "\\server\share\x" stand as they are, "\x" takes the folder's drive,
// anything else goes under the folder. Either separator; "." and ".."
// steps and doubled separators are resolved as Windows resolves them, never
// above the drive or the share; the result uses "\". Empty where Windows
// would take it otherwise than can be told here: "D:x" relative to drive
// D's own current folder, a share named "." or "..".
WString FullWindowsPath(const WString& path, const WString& folder);

// A drive and a separator, or a share: a path no search can take elsewhere.
bool IsFullWindowsPath(const WString& path);

// Full and as FullWindowsPath gives it: the file Windows opens by it is
// the one it names.
bool IsResolvedFullPath(const WString& path);

// The key two spellings of one path share: full, and A to Z folded.
WString PathKey(const WString& full_path);

// The folder part of a full path, without the last separator.
WString ParentFolder(const WString& full_path);

// The command line of one application section: AppPath, a backslash, and the
// switches, with "%LANG%" put in place from the language folders.
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

// What the platform is handed to start an application. An unquoted command
// line whose AppPath holds a blank lets the platform's search stop inside it,
// so a planted C:\Program.exe would run instead of C:\Program Files\...\x.exe;
// the program part is put in quotation marks to prevent that.
// The program is AppPath, the backslash and the switches up to the first
// blank at which that text names an existing file (".exe" added when it has no
// extension), or, when none does, up to the first blank of the switches.
WString ProcessCommandLine(const ApplicationCommand& command, FileSystem& files);

// The %NAME% variables of a value, in order, each once, without the signs.
std::vector<WString> NamedVariables(const WString& value);

}  // namespace quill

#endif  // QUILL_RUNNER_APPLICATION_COMMAND_H_
