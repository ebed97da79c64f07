#include "runner/installer_pause.h"

namespace quill {

bool TurnsOnWaitForExit(const WString& value) { return value == u"1"; }

void TakePause(ProcessHandle process, uint32_t milliseconds, bool wait_for_exit,
               Processes& processes) {
  if (wait_for_exit && processes.WaitForEnd(process, milliseconds) != ProcessWait::kFailed) return;
  // A wait that failed ends no installer: the pause is slept out, and the
  // exit status asked as the polling asks it.
  processes.Pause(milliseconds);
}

}  // namespace quill
