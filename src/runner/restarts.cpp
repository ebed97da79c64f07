#include "runner/restarts.h"

#include <cstdint>
#include <string>

#include "base/profile_value.h"
#include "log/run_log.h"
#include "runner/deployment_memory.h"
#include "runner/exit_settings.h"
#include "runner/install_pass.h"

namespace quill {

namespace {

// Windows runs no RunOnce command longer than this.
constexpr size_t kLongestRunOnceCommand = 259;

WString Decimal(int32_t number) {
  const std::string digits = std::to_string(number);
  return WString(digits.begin(), digits.end());
}

char16_t FoldCase(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

WString ListSection(const WalkPosition& position, const RunContext& context) {
  return position.stage == 1 ? CommonListSection(position.pass, context)
                             : MachineListSection(position.pass, context);
}

// This deployment is the one remembered: the same input INI file, unchanged.
bool IsSameDeployment(const DeploymentMemory& memory, const RunContext& context,
                      Platform& platform) {
  const WString path = platform.FullPath(context.InputIniPath);
  FileStamp stamp;
  if (path.empty() || !platform.ReadFileStamp(path, &stamp)) return false;
  if (path.size() != memory.ini_path.size()) return false;
  for (size_t i = 0; i < path.size(); ++i) {
    if (FoldCase(path[i]) != FoldCase(memory.ini_path[i])) return false;
  }
  return stamp == memory.stamp;
}

void Recall(RunContext& context, Platform& platform) {
  WString text;
  if (!platform.ReadMachineValue(kMemoryKey, kMemoryName, &text)) return;  // from the top
  DeploymentMemory memory;
  if (!DecodeMemory(text, &memory)) {
    WriteLogRecord(context, LogRecord::kResumeUnread);
    return;
  }
  const WString restart = Decimal(memory.restarts) + u" of " + Decimal(context.MaxRestarts);
  if (!IsSameDeployment(memory, context, platform)) {
    WriteLogRecord(context, LogRecord::kResumeStale, {{restart}});
    return;
  }
  context.RestartsMade = memory.restarts;
  context.ResumeAfter = memory.after;
  WriteLogRecord(context, LogRecord::kResume,
                 {{restart, u"APP" + Decimal(memory.after.number) + u" of [" +
                                ListSection(memory.after, context) + u"]"}});
}

// The memory first, then the command that reads it: a resumption is never
// registered without what it needs.
bool Register(const WalkPosition& position, const RunContext& context, Platform& platform) {
  DeploymentMemory memory;
  memory.ini_path = platform.FullPath(context.InputIniPath);
  memory.restarts = context.RestartsMade + 1;
  memory.after = position;
  const WString program = platform.RunningProgramPath();
  if (memory.ini_path.empty() || program.empty() ||
      !platform.ReadFileStamp(memory.ini_path, &memory.stamp)) {
    return false;
  }
  const WString command = ResumeCommand(program, memory.ini_path);
  if (command.size() > kLongestRunOnceCommand) return false;
  if (!platform.WriteMachineValue(kMemoryKey, kMemoryName, EncodeMemory(memory))) return false;
  if (platform.WriteMachineValue(kRunOnceKey, kRunOnceName, command)) return true;
  platform.DeleteMachineValue(kMemoryKey, kMemoryName);
  return false;
}

// The run ends with this record: the log is on the disk and closed before
// anything may restart the machine.
bool EndRun(RunContext& context, LogRecord record, const LogValues& values = {}) {
  WriteLogRecord(context, record, values);
  CommitRunLog(context);
  CloseRunLog(context);
  context.RunStopped = 1;
  return false;
}

}  // namespace

void PrepareRestarts(RunContext& context, Platform& platform) {
  const WString value =
      ReadProfileValue(u"Settings", u"MaxRestarts", context.InputIniPath, platform, platform);
  if (value.empty()) return;
  if (context.LogExitCodes != 1) {
    WriteLogRecord(context, LogRecord::kRestartsUnused);
    return;
  }
  int32_t whole = 0;
  if (!ParseBoundedCount(value, INT32_MAX, &whole)) {
    WriteLogRecord(context, LogRecord::kExitCodesUnread, {{u"MaxRestarts=" + value, u"Settings"}});
    return;
  }
  context.MaxRestarts = whole > kMostRestarts ? kMostRestarts : whole;
  if (whole > kMostRestarts) {
    WriteLogRecord(context, LogRecord::kExitSettingClamped,
                   {{u"MaxRestarts=" + value, u"Settings"}, kMostRestarts});
  }
  if (context.MaxRestarts > 0) Recall(context, platform);
}

bool RanBeforeRestart(const WalkPosition& position, const RunContext& context) {
  return context.ResumeAfter.number > 0 && IsAtOrBefore(position, context.ResumeAfter);
}

bool GoesOnAfter(ExitVerdict verdict, const WalkPosition& position, const WString& app_section,
                 RunContext& context, Platform& platform) {
  const bool started = verdict == ExitVerdict::kRebootStarted;
  if (!started && verdict != ExitVerdict::kRebootRequired) return true;
  // No installer starts while Windows shuts down, whatever the bound.
  if (context.MaxRestarts == 0) return !started || EndRun(context, LogRecord::kRebootStartedEnd);
  const WString bound = Decimal(context.MaxRestarts);
  if (context.RestartsMade >= context.MaxRestarts) {
    if (!started) {
      WriteLogRecord(context, LogRecord::kRestartBound, {{bound}});
      return true;
    }
    ForgetDeployment(context, platform);  // not to be resumed by a later run
    return EndRun(context, LogRecord::kRebootStartedAtBound, {{bound}});
  }
  if (!Register(position, context, platform)) {
    if (!started) {
      WriteLogRecord(context, LogRecord::kRestartNotRegistered);
      return true;
    }
    ForgetDeployment(context, platform);
    return EndRun(context, LogRecord::kRebootStartedEnd);
  }
  EndRun(context, LogRecord::kRestartStop,
         {{Decimal(context.RestartsMade + 1) + u" of " + bound, app_section}});
  if (!started) platform.RequestRestart();
  return false;
}

void ForgetDeployment(const RunContext& context, Platform& platform) {
  if (context.MaxRestarts == 0) return;
  platform.DeleteMachineValue(kMemoryKey, kMemoryName);
  platform.DeleteMachineValue(kRunOnceKey, kRunOnceName);
}

}  // namespace quill
