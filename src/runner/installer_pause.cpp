#include "runner/installer_pause.h"

namespace quill {

bool TurnsOnWaitForExit(const WString& value) { return value == u"1"; }

bool TakePause(ProcessHandle process, uint32_t milliseconds, bool wait_for_exit,
               Processes& processes) {
  if (!wait_for_exit) {
    processes.Pause(milliseconds);
    return true;
  }
  return processes.WaitForEnd(process, milliseconds) != ProcessWait::kFailed;
}

}  // namespace quill
