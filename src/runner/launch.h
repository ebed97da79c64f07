#ifndef QUILL_RUNNER_LAUNCH_H_
#define QUILL_RUNNER_LAUNCH_H_

// Starts one installer and waits for it by polling, up to MaxInstallTime.
// The started process is never terminated.
#include <cstdint>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

constexpr uint32_t kFirstPauseMs = 1000;
constexpr uint32_t kPollPauseMs = 3000;
// The platform's longest command line, its terminating NUL included.
constexpr size_t kMaxCommandLineChars = 32767;

enum class LaunchOutcome { Finished = 0, LaunchFailed = 1, TimedOut = 2 };

struct LaunchResult {
  LaunchOutcome outcome = LaunchOutcome::LaunchFailed;
  int32_t elapsed_seconds = 0;  // counts pauses: 1, 4, 7, ...
  uint32_t exit_code = 0;       // what the process ended with, when Finished
};

// `process_command_line` is what the platform is handed (see
// ProcessCommandLine); one that does not fit the platform fails to launch.
// With `wait_for_exit` each pause ends early when the process ends (see
// TakePause); the outcome and the count are those of the polling.
LaunchResult LaunchAndWait(const WString& process_command_line, int32_t max_install_time,
                           Processes& processes, bool wait_for_exit = false);

// The end record and the result record for the outcome.
void WriteLaunchResult(RunContext& context, const LaunchResult& result, Clock& clock);

}  // namespace quill

#endif  // QUILL_RUNNER_LAUNCH_H_
