#ifndef QUILL_RUNNER_INSTALLER_FILES_H_
#define QUILL_RUNNER_INSTALLER_FILES_H_

// The files a command line installs from, as the platform will open them:
// what the HashList must vouch for before the command is started.
#include <vector>

#include "platform/wide_string.h"

namespace quill {

// `handed` is the command line as the platform is handed it. The program is
// its first token (quoted, or up to the first blank), ".exe" added when it
// has no extension. Where that is msiexec.exe of `system_folder` (or of its
// SysWOW64 or Sysnative sibling), which differs with every Windows, the
// files are instead the packages, patches and transforms it is told to
// install: /i, /package, /p, /update, PATCH= and TRANSFORMS= ("@" and "|"
// dropped, ":" ones lie inside the package). Other arguments are outputs
// or data and are left alone. A package's relative path is taken from
// `current_folder`, as msiexec takes it. A path that cannot be told full
// comes back as written: a program not named by a full path (Windows would
// search for it), "D:x", a share named "..".
std::vector<WString> InstallerFiles(const WString& handed, const WString& current_folder,
                                    const WString& system_folder);

// The words of a command line: split at blanks outside quotation marks,
// the marks dropped.
std::vector<WString> CommandWords(const WString& text);

}  // namespace quill

#endif  // QUILL_RUNNER_INSTALLER_FILES_H_
