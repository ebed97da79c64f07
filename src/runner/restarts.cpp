#include "runner/restarts.h"

#include <cstdint>
#include <string>

#include "base/profile_value.h"
#include "log/run_log.h"
#include "runner/exit_codes.h"
#include "runner/install_pass.h"
#include "runner/log_copy.h"

namespace quill {

const char16_t kMemoryKey[] = u"Software\\Quillrun";
const char16_t kMemoryName[] = u"Deployment";
const char16_t kRunOnceKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char16_t kRunOnceName[] = u"Quillrun";

namespace {

constexpr char16_t kSeparator = u';';
constexpr size_t kNumberFields = 7;

WString Decimal(uint64_t number) {
  const std::string digits = std::to_string(number);
  return WString(digits.begin(), digits.end());
}

// Digits only, at most `most`.
bool ReadNumber(const WString& text, uint64_t most, uint64_t* number) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - u'0');
    if (digit > most || value > (most - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *number = value;
  return true;
}

}  // namespace

WString EncodeMemory(const DeploymentMemory& memory) {
  const uint64_t numbers[] = {1,
                              static_cast<uint64_t>(memory.restarts),
                              static_cast<uint64_t>(memory.after.pass),
                              static_cast<uint64_t>(memory.after.stage),
                              static_cast<uint64_t>(memory.after.number),
                              memory.stamp.size,
                              memory.stamp.write_time};
  WString text;
  for (uint64_t number : numbers) text += Decimal(number) + kSeparator;
  return text + memory.ini_path;
}

bool DecodeMemory(const WString& text, DeploymentMemory* memory) {
  // Each field's largest value: the format, a count, a pass, a stage, an APP
  // number, and two 64-bit values.
  const uint64_t most[kNumberFields] = {1, kMostRestarts, 1, 2, INT32_MAX, UINT64_MAX, UINT64_MAX};
  const uint64_t least[kNumberFields] = {1, 1, 0, 1, 1, 0, 0};
  uint64_t numbers[kNumberFields] = {};
  size_t at = 0;
  for (size_t i = 0; i < kNumberFields; ++i) {
    const size_t end = text.find(kSeparator, at);
    if (end == WString::npos) return false;
    if (!ReadNumber(text.substr(at, end - at), most[i], &numbers[i]) || numbers[i] < least[i]) {
      return false;
    }
    at = end + 1;
  }
  if (at >= text.size()) return false;  // no path
  memory->restarts = static_cast<int32_t>(numbers[1]);
  memory->after = {static_cast<int32_t>(numbers[2]), static_cast<int32_t>(numbers[3]),
                   static_cast<int32_t>(numbers[4])};
  memory->stamp = {numbers[5], numbers[6]};
  memory->ini_path = text.substr(at);
  return true;
}

WString ResumeCommand(const WString& program_path, const WString& ini_path) {
  return u"\"" + program_path + u"\" " + ini_path;
}

bool IsAtOrBefore(const WalkPosition& at, const WalkPosition& position) {
  if (at.pass != position.pass) return at.pass < position.pass;
  if (at.stage != position.stage) return at.stage < position.stage;
  return at.number <= position.number;
}

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
bool EndRun(RunContext& context, Platform& platform, LogRecord record,
            const LogValues& values = {}) {
  WriteLogRecord(context, record, values);
  CommitRunLog(context);
  CloseAndCopyRunLog(context, platform);
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
  if (context.MaxRestarts == 0)
    return !started || EndRun(context, platform, LogRecord::kRebootStartedEnd);
  const WString bound = Decimal(context.MaxRestarts);
  if (context.RestartsMade >= context.MaxRestarts) {
    if (!started) {
      WriteLogRecord(context, LogRecord::kRestartBound, {{bound}});
      return true;
    }
    ForgetDeployment(context, platform);  // not to be resumed by a later run
    return EndRun(context, platform, LogRecord::kRebootStartedAtBound, {{bound}});
  }
  if (!Register(position, context, platform)) {
    if (!started) {
      WriteLogRecord(context, LogRecord::kRestartNotRegistered);
      return true;
    }
    ForgetDeployment(context, platform);
    return EndRun(context, platform, LogRecord::kRebootStartedEnd);
  }
  EndRun(context, platform, LogRecord::kRestartStop,
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
