#ifndef QUILL_PLATFORM_RESTART_REQUEST_H_
#define QUILL_PLATFORM_RESTART_REQUEST_H_

// Why: an installer that needs a restart leaves the asking to its caller.
// Asking Windows takes the shutdown privilege and a call that may return
// before the machine goes down (under Wine it returns at once, after the
// RunOnce commands have run), so the program must be done with its files
// first. A command that runs once at the next start may also run before
// it (by hand, or under Wine at once), so the run that resumes asks when
// Windows last started. The tests only record the request, and keep the
// start time as a number a test moves on.
#include <cstdint>

namespace quill {

// ExitWindowsEx restarts from a user's session; from one where no user is
// logged on (a startup script as SYSTEM) it may return success and do
// nothing, and the system's shutdown call is the one that restarts there.
enum class RestartCall { kExitWindows, kSystemShutdown };

class RestartRequest {
 public:
  virtual ~RestartRequest() = default;

  // Whether the program runs in an interactive user's session; false when
  // that cannot be told.
  virtual bool InInteractiveSession() = 0;
  // Enables the shutdown privilege and asks Windows to restart through
  // `call`, planned, for an installation; false when Windows refuses.
  virtual bool RequestRestart(RestartCall call) = 0;
  // When Windows last started, in seconds since 1970 (UTC) as the clock
  // counts them: the same for every process of one start. False when it
  // cannot be read.
  virtual bool ReadBootTime(int64_t* boot_time) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_RESTART_REQUEST_H_
