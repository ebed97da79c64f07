#ifndef QUILL_RUNNER_INSTALL_PASS_H_
#define QUILL_RUNNER_INSTALL_PASS_H_

// The pass over the application lists that apply to this machine and the
// launch of each installer: started, waited for by polling up to
// MaxInstallTime, pause by pause.
#include <cstdint>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "platform/wide_string.h"

namespace quill {

// One pause of the wait for an installer. As the program has always done,
// it sleeps through the pause; with WaitForExit=1 in [Settings] it waits on
// the installer's process instead, so the pause ends when the installer does.
// The wait counts every pause whole either way, so the log reads the same.

// The trimmed value that turns the wait for exit on: "1" and nothing else.
bool TurnsOnWaitForExit(const WString& value);

// A wait on the process that fails is a pause slept out.
void TakePause(ProcessHandle process, uint32_t milliseconds, bool wait_for_exit,
               Processes& processes);

// Starts one installer and waits for it by polling, up to MaxInstallTime.
// The started process is never terminated.
constexpr uint32_t kFirstPauseMs = 1000;
constexpr uint32_t kPollPauseMs = 3000;
// The platform's longest command line, its terminating NUL included.
constexpr size_t kMaxCommandLineChars = 32767;

enum class LaunchOutcome { Finished = 0, LaunchFailed = 1, TimedOut = 2 };

// What one installer is waited for, and how long (read in launch_limits.h).
struct LaunchLimits {
  int32_t max_install_time = kDefaultMaxInstallTime;
  bool wait_for_exit = false;
  bool wait_for_children = false;
  bool stop_at_time_limit = false;
};

// Where the installer's tree was held: not asked for, in its job, or in
// none because no job could be made or the process could not join it.
enum class JobState { kNotAsked, kInJob, kNoJob, kNotAssigned };

// What was ended at the limit; `processes` is 0 when the job could not
// count them.
struct StopResult {
  bool tried = false;
  bool ended = false;
  bool in_job = false;
  uint32_t processes = 0;
};

struct LaunchResult {
  LaunchOutcome outcome = LaunchOutcome::LaunchFailed;
  int32_t elapsed_seconds = 0;  // counts pauses: 1, 4, 7, ...
  uint32_t exit_code = 0;       // what the process ended with, when Finished
  JobState job = JobState::kNotAsked;
  StopResult stop = StopResult();
  bool not_held_file = false;  // the process ran from another file: ended
};

// The installer's program as the hash list checked it: started by that
// path, and, where it is held, let run only from that very file.
struct CheckedProgram {
  WString path;
  bool held = false;
  HeldFile file = 0;
};

// `process_command_line` is what the platform is handed (see
// ProcessCommandLine); one that does not fit the platform fails to launch.
// With `wait_for_exit` each pause ends early when the process ends (see
// TakePause); the outcome and the count are those of the polling.
LaunchResult LaunchAndWait(const WString& process_command_line, int32_t max_install_time,
                           Platform& platform, bool wait_for_exit = false);
// With WaitForChildren the process starts suspended, joins a job of its own
// and is then let run, and the wait is for the whole job; with
// StopAtTimeLimit (and a limit above 0, which waits) what runs at the limit
// is ended.
LaunchResult LaunchAndWait(const WString& process_command_line, const LaunchLimits& limits,
                           Platform& platform, const CheckedProgram* checked = nullptr);

// The end record and the result record for the outcome; a time-out names
// `time_limit`, the run's MaxInstallTime unless given.
void WriteLaunchResult(RunContext& context, const LaunchResult& result, Clock& clock);
void WriteLaunchResult(RunContext& context, const LaunchResult& result, Clock& clock,
                       int32_t time_limit);

// One walk over the application lists that apply to this machine: the common
// section, then the machine section, each from APP1 to the first empty value.
extern const char16_t kCommonSection[];

// The list sections of a pass: pass 1 adds "_" and OSType to both names.
WString CommonListSection(int pass, const RunContext& context);
WString MachineListSection(int pass, const RunContext& context);

// Launches the pass's applications one after another; always gives 1.
int RunInstallPass(int pass, RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_INSTALL_PASS_H_
