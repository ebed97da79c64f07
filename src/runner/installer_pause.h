#ifndef QUILL_RUNNER_INSTALLER_PAUSE_H_
#define QUILL_RUNNER_INSTALLER_PAUSE_H_

// One pause of the wait for an installer. As the program has always done,
// it sleeps through the pause; with WaitForExit=1 in [Settings] it waits on
// the installer's process instead, so the pause ends when the installer does.
// The wait counts every pause whole either way, so the log reads the same.
#include <cstdint>

#include "platform/processes.h"
#include "platform/wide_string.h"

namespace quill {

constexpr char16_t kWaitForExitKey[] = u"WaitForExit";

// The trimmed value that turns the wait for exit on: "1" and nothing else.
bool TurnsOnWaitForExit(const WString& value);

// A wait on the process that fails is a pause slept out.
void TakePause(ProcessHandle process, uint32_t milliseconds, bool wait_for_exit,
               Processes& processes);

}  // namespace quill

#endif  // QUILL_RUNNER_INSTALLER_PAUSE_H_
