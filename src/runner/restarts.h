#ifndef QUILL_RUNNER_RESTARTS_H_
#define QUILL_RUNNER_RESTARTS_H_

// A deployment carried across restarts ([Settings] MaxRestarts=N, decided by
// the verdicts of LogExitCodes=1): an installer that needs a restart stops
// the run, which registers its resumption and restarts Windows, at most N
// times; the resumed run goes on after that installer. Without the key
// nothing here reads or writes anything outside the input INI file.
#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"
#include "runner/exit_codes.h"

namespace quill {

// Reads MaxRestarts and, when it is on, what the machine remembers of this
// deployment; tells in the log where the run resumes.
void PrepareRestarts(RunContext& context, Platform& platform);

// True for an installer that the run before the restart has started.
bool RanBeforeRestart(const WalkPosition& position, const RunContext& context);

// After an installer's verdict. False when the run ends here: its log is
// closed, and for "reboot required" Windows has been asked to restart.
bool GoesOnAfter(ExitVerdict verdict, const WalkPosition& position, const WString& app_section,
                 RunContext& context, Platform& platform);

// A run that ended normally leaves neither memory nor resumption behind.
void ForgetDeployment(const RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_RESTARTS_H_
