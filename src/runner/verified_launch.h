#ifndef QUILL_RUNNER_VERIFIED_LAUNCH_H_
#define QUILL_RUNNER_VERIFIED_LAUNCH_H_

// With [Settings] HashList=, an installer is started only when every file
// its command line installs from is in the list and matches it. Each file
// is opened denying writes before it is hashed and held so until the wait
// for the installer is over: msiexec reads its package only after it has
// started, so a release at the start would leave that gap open.
#include <cstdint>
#include <vector>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"
#include "runner/launch.h"

namespace quill {

// One file a command line installs from, as checked: the list's line it
// matched, or why it may not be started.
struct FileCheck {
  WString file;
  int32_t line = 0;
  WString why;  // empty: listed, matching, and held
};

// The files of `handed` checked in order, up to the first that fails; each
// that matches is left held in `held`.
std::vector<FileCheck> CheckInstallerFiles(const WString& handed, const RunContext& context,
                                           Platform& platform, std::vector<HeldFile>* held);

// Without a HashList, LaunchAndWait as it is. With one, a VERIFIED record
// for each file that matches, or one NOT VERIFIED record for the first that
// does not, and then a failed launch without a start.
LaunchResult LaunchVerified(const WString& handed, RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_VERIFIED_LAUNCH_H_
