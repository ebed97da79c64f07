#include "runner/launch.h"

#include <vector>

#include "log/run_log.h"
#include "runner/installer_pause.h"

namespace quill {

namespace {

// An exit code of 259 is also what a running process reads; a zero-time wait
// tells the two apart.
bool HasEnded(ProcessHandle process, uint32_t exit_code, Processes& processes) {
  return exit_code != kStillActive || !processes.IsStillRunning(process);
}

LaunchOutcome WaitForProcess(ProcessHandle process, int32_t max_install_time,
                             bool wait_for_exit, Processes& processes, int32_t* elapsed,
                             uint32_t* ended_with) {
  TakePause(process, kFirstPauseMs, wait_for_exit, processes);
  *elapsed = 1;
  for (;;) {
    uint32_t exit_code = kStillActive;
    if (!processes.QueryExitCode(process, &exit_code)) return LaunchOutcome::LaunchFailed;
    *ended_with = exit_code;
    if (HasEnded(process, exit_code, processes)) return LaunchOutcome::Finished;
    TakePause(process, kPollPauseMs, wait_for_exit, processes);
    *elapsed += 3;
    if (*elapsed >= max_install_time) return LaunchOutcome::TimedOut;
  }
}

}  // namespace

LaunchResult LaunchAndWait(const WString& process_command_line, int32_t max_install_time,
                           Processes& processes, bool wait_for_exit) {
  LaunchResult result;
  if (process_command_line.size() + 1 > kMaxCommandLineChars) return result;

  // Writable and NUL-terminated: the platform may change it during the call.
  std::vector<char16_t> buffer(process_command_line.begin(), process_command_line.end());
  buffer.push_back(u'\0');
  ProcessHandle process = 0;
  if (!processes.StartProcess(&buffer, ProcessRequest(), &process)) return result;

  result.outcome = WaitForProcess(process, max_install_time, wait_for_exit, processes,
                                  &result.elapsed_seconds, &result.exit_code);
  processes.CloseProcessHandles(process);
  return result;
}

void WriteLaunchResult(RunContext& context, const LaunchResult& result, Clock& clock) {
  if (context.LogOpen != 1) return;
  WriteStampedRecord(context, LogRecord::kEnd, clock);
  switch (result.outcome) {
    case LaunchOutcome::Finished:
      WriteLogRecord(context, LogRecord::kResultFinished, {{}, result.elapsed_seconds});
      break;
    case LaunchOutcome::LaunchFailed:
      WriteLogRecord(context, LogRecord::kResultLaunchFailed);
      break;
    case LaunchOutcome::TimedOut:
      WriteLogRecord(context, LogRecord::kResultTimedOut, {{}, context.MaxInstallTime});
      break;
  }
}

}  // namespace quill
