#include "runner/install_pass.h"

#include <string>
#include <vector>

#include "base/profile_value.h"
#include "log/run_log.h"
#include "runner/application_command.h"
#include "runner/detection.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"
#include "runner/launch_limits.h"
#include "runner/restarts.h"

namespace quill {

bool TurnsOnWaitForExit(const WString& value) { return value == u"1"; }

void TakePause(ProcessHandle process, uint32_t milliseconds, bool wait_for_exit,
               Processes& processes) {
  if (wait_for_exit && processes.WaitForEnd(process, milliseconds) != ProcessWait::kFailed) return;
  // A wait that failed ends no installer: the pause is slept out, and the
  // exit status asked as the polling asks it.
  processes.Pause(milliseconds);
}

namespace {

// An exit code of 259 is also what a running process reads; a zero-time wait
// tells the two apart.
bool HasEnded(ProcessHandle process, uint32_t exit_code, Processes& processes) {
  return exit_code != kStillActive || !processes.IsStillRunning(process);
}

LaunchOutcome WaitForInstaller(const Installer& installer, const LaunchLimits& limits,
                               Platform& platform, int32_t* elapsed, uint32_t* ended_with) {
  const bool waiting = limits.wait_for_exit || limits.wait_for_children;
  TakeInstallerPause(installer, kFirstPauseMs, waiting, platform);
  *elapsed = 1;
  for (;;) {
    uint32_t exit_code = kStillActive;
    if (!platform.QueryExitCode(installer.process, &exit_code)) return LaunchOutcome::LaunchFailed;
    *ended_with = exit_code;
    if (HasEnded(installer.process, exit_code, platform) && TreeHasEnded(installer, platform)) {
      return LaunchOutcome::Finished;
    }
    TakeInstallerPause(installer, kPollPauseMs, waiting, platform);
    *elapsed += 3;
    if (*elapsed >= limits.max_install_time) return LaunchOutcome::TimedOut;
  }
}

}  // namespace

LaunchResult LaunchAndWait(const WString& process_command_line, int32_t max_install_time,
                           Platform& platform, bool wait_for_exit) {
  LaunchLimits limits;
  limits.max_install_time = max_install_time;
  limits.wait_for_exit = wait_for_exit;
  return LaunchAndWait(process_command_line, limits, platform);
}

namespace {

// Before a checked program runs anything: false when it is not the held
// file or cannot be let run, and it is then ended.
bool LetCheckedProgramRun(const CheckedProgram& checked, const LaunchLimits& limits,
                          Installer* installer, Platform& platform, LaunchResult* result) {
  if (checked.held && !platform.RunsHeldFile(installer->process, checked.file)) {
    result->not_held_file = true;
    platform.EndProcess(installer->process, kEndedAtLimitCode);
    return false;
  }
  if (limits.wait_for_children || platform.ResumeProcess(installer->process)) return true;
  platform.EndProcess(installer->process, kEndedAtLimitCode);
  return false;
}

}  // namespace

LaunchResult LaunchAndWait(const WString& process_command_line, const LaunchLimits& limits,
                           Platform& platform, const CheckedProgram* checked) {
  LaunchResult result;
  if (process_command_line.size() + 1 > kMaxCommandLineChars) return result;

  // Writable and NUL-terminated: the platform may change it during the call.
  std::vector<char16_t> buffer(process_command_line.begin(), process_command_line.end());
  buffer.push_back(u'\0');
  ProcessRequest request;
  // Suspended, so that nothing it starts escapes the job it is put in.
  if (limits.wait_for_children) request.creation_flags |= kCreateSuspended;
  if (checked != nullptr) {
    request.program = checked->path;
    request.creation_flags |= kCreateSuspended;
  }
  Installer installer;
  if (!platform.StartProcess(&buffer, request, &installer.process)) return result;

  if (checked != nullptr &&
      !LetCheckedProgramRun(*checked, limits, &installer, platform, &result)) {
    platform.CloseProcessHandles(installer.process);
    return result;
  }
  if (!limits.wait_for_children || StartInJob(&installer, platform, &result.job)) {
    result.outcome =
        WaitForInstaller(installer, limits, platform, &result.elapsed_seconds, &result.exit_code);
  }
  // A limit of 0 or less never waits: nothing is ended for it.
  if (result.outcome == LaunchOutcome::TimedOut && limits.stop_at_time_limit &&
      limits.max_install_time > 0) {
    result.stop = EndAtTimeLimit(installer, platform);
  }
  if (installer.in_job) platform.CloseJob(installer.job);
  platform.CloseProcessHandles(installer.process);
  return result;
}

void WriteLaunchResult(RunContext& context, const LaunchResult& result, Clock& clock) {
  WriteLaunchResult(context, result, clock, context.MaxInstallTime);
}

void WriteLaunchResult(RunContext& context, const LaunchResult& result, Clock& clock,
                       int32_t time_limit) {
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
      WriteLogRecord(context, LogRecord::kResultTimedOut, {{}, time_limit});
      break;
  }
}

const char16_t kCommonSection[] = u"0xFFFF";

namespace {

WString PassSuffix(int pass, const RunContext& context) {
  return pass == 1 ? u"_" + context.OSType : WString();
}

WString AppKey(int32_t number) {
  const std::string digits = std::to_string(number);
  return u"APP" + WString(digits.begin(), digits.end());
}

// Gives the verdict on the last try; a failure when none was told.
ExitVerdict InstallApplication(const WString& list_section, const WString& app_section,
                               const ApplicationCommand& command, const DetectRules& detect,
                               RunContext& context, Platform& platform) {
  AppExitRules rules = ReadAppExitRules(app_section, context, platform);
  const LaunchLimits limits = ReadLaunchLimits(app_section, context, platform);
  ExitVerdict verdict = ExitVerdict::kFailure;
  for (int32_t tried = 1;; ++tried) {
    WriteLogRecord(context, LogRecord::kProcessing, {{list_section, app_section}});
    WriteLogRecord(context, LogRecord::kLaunched, {{command.command_line}});
    // Before the start: the application's time is the installer's own.
    if (context.WaitForInstallerService > 0) {
      WaitForInstallerService(ProcessCommandLine(command, platform), context, platform);
    }
    WriteStampedRecord(context, LogRecord::kStart, platform);
    const WString handed = ProcessCommandLine(command, platform);
    CommitRunLog(context);
    const LaunchResult result = LaunchVerified(handed, limits, context, platform);
    WriteLaunchResult(context, result, platform, limits.max_install_time);
    WriteTreeRecords(context, result, limits.max_install_time);
    if (!TellExitCode(context, rules, result, tried, &verdict)) {
      CheckInstalledAfter(detect, rules, result, context, platform);
      return verdict;
    }
    CommitRunLog(context);  // the log tells of the wait while it lasts
    platform.Pause(static_cast<uint32_t>(context.BusyRetryPause) * 1000u);
  }
}

// The installer whose reboot verdict stopped the run before the restart.
bool IsResumedAfter(const WalkPosition& position, const RunContext& context) {
  const WalkPosition& after = context.ResumeAfter;
  return position.pass == after.pass && position.stage == after.stage &&
         position.number == after.number;
}

// False when the run ends within the section.
bool WalkListSection(WalkPosition position, const WString& list_section, RunContext& context,
                     Platform& platform) {
  for (position.number = 1;; ++position.number) {
    const WString app_section = ReadProfileValue(list_section, AppKey(position.number),
                                                 context.InputIniPath, platform, platform);
    if (app_section.empty()) return true;
    if (RanBeforeRestart(position, context)) {
      if (IsResumedAfter(position, context))
        CheckInstalledAfterRestart(app_section, context, platform);
      continue;
    }
    const ApplicationCommand command = BuildApplicationCommand(app_section, context, platform);
    if (command.command_line.empty()) continue;  // skipped without a trace
    const DetectRules detect = ReadDetectRules(app_section, context, platform);
    if (InstalledAlready(detect, app_section, context, platform)) continue;
    const ExitVerdict verdict =
        InstallApplication(list_section, app_section, command, detect, context, platform);
    if (!GoesOnAfter(verdict, position, app_section, context, platform)) return false;
  }
}

}  // namespace

WString CommonListSection(int pass, const RunContext& context) {
  return kCommonSection + PassSuffix(pass, context);
}

WString MachineListSection(int pass, const RunContext& context) {
  return context.SystemID + PassSuffix(pass, context);
}

int RunInstallPass(int pass, RunContext& context, Platform& platform) {
  if (WalkListSection({pass, 1, 0}, CommonListSection(pass, context), context, platform)) {
    WalkListSection({pass, 2, 0}, MachineListSection(pass, context), context, platform);
  }
  return 1;
}

}  // namespace quill
