#include "runner/restarts.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include "base/ini_keys.h"
#include "base/settings_reader.h"

#include "base/profile_value.h"
#include "facts/os_type.h"
#include "facts/system_id.h"
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
constexpr size_t kNumberFields = 8;

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
  const uint64_t numbers[] = {2,
                              static_cast<uint64_t>(memory.restarts),
                              static_cast<uint64_t>(memory.after.pass),
                              static_cast<uint64_t>(memory.after.stage),
                              static_cast<uint64_t>(memory.after.number),
                              memory.stamp.size,
                              memory.stamp.write_time,
                              static_cast<uint64_t>(memory.asked_at)};
  WString text;
  for (uint64_t number : numbers) text += Decimal(number) + kSeparator;
  return text + memory.ini_path;
}

bool DecodeMemory(const WString& text, DeploymentMemory* memory) {
  // Each field's largest value: the format, a count, a pass, a stage, an APP
  // number, two 64-bit values and a time. The first format kept no time:
  // whether its restart happened cannot be told.
  const uint64_t most[kNumberFields] = {2,         kMostRestarts, 1,          2,
                                        INT32_MAX, UINT64_MAX,    UINT64_MAX, INT64_MAX};
  const uint64_t least[kNumberFields] = {2, 1, 0, 1, 1, 0, 0, 0};
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
  memory->asked_at = static_cast<int64_t>(numbers[7]);
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

bool IsSamePath(const WString& a, const WString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// The walk reaches the installer the memory stopped after: APP1 to APPn of
// its list are there. A position it never reaches would pass over all the
// rest. The scan stops at the first gap, as the walk does.
bool FitsTheLists(const WalkPosition& after, const RunContext& context, Platform& platform) {
  if (after.pass == 1 && context.OSType.empty()) return false;
  const WString section = ListSection(after, context);
  for (int32_t number = 1; number <= after.number; ++number) {
    if (ReadProfileValue(section, u"APP" + Decimal(number), context.InputIniPath, platform,
                         platform)
            .empty()) {
      return false;
    }
  }
  return true;
}

// A file as a start of Windows finds it: a mapped drive is not there then,
// its share is. Empty when that cannot be told.
WString PlaceAfterRestart(const WString& path, Platform& platform, FilePlace* place) {
  const WString full = path.empty() ? WString() : platform.FullPath(path);
  if (full.empty() || !platform.LocateFile(full, place)) return WString();
  return place->universal;
}

WString IniPathAfterRestart(const RunContext& context, Platform& platform) {
  FilePlace place;
  return PlaceAfterRestart(context.InputIniPath, platform, &place);
}

// This INI file's memory, left by an earlier run.
bool RecallThisIni(const RunContext& context, Platform& platform, DeploymentMemory* memory) {
  WString text;
  return platform.ReadMachineValue(kMemoryKey, kMemoryName, &text) && DecodeMemory(text, memory) &&
         IsSamePath(IniPathAfterRestart(context, platform), memory->ini_path);
}

// The command Windows runs once at its next start, for the INI file at
// `ini_path` (as a restart finds it); empty when it cannot be made.
WString MakeResumeCommand(const WString& ini_path, Platform& platform, FilePlace* program_place) {
  const WString program = PlaceAfterRestart(platform.RunningProgramPath(), platform, program_place);
  if (ini_path.empty() || program.empty()) return WString();
  const WString command = ResumeCommand(program, ini_path);
  return command.size() > kLongestRunOnceCommand ? WString() : command;
}

bool RegisterCommand(const WString& ini_path, Platform& platform) {
  FilePlace program_place;
  const WString command = MakeResumeCommand(ini_path, platform, &program_place);
  return !command.empty() && platform.WriteMachineValue(kRunOnceKey, kRunOnceName, command);
}

// Neither a memory nor a command that reads it is left for a later run.
void ForgetMemoryAndCommand(Platform& platform) {
  platform.DeleteMachineValue(kMemoryKey, kMemoryName);
  platform.DeleteMachineValue(kRunOnceKey, kRunOnceName);
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

enum class Remembered { kThisDeployment, kChanged, kOther, kBeforeRestart };

// Another INI file's memory was left behind; the same file changed (a
// generator, a copy made at every start) or not fitting its memory is this
// deployment's still, and its restarts count.
Remembered Compare(const DeploymentMemory& memory, const RunContext& context, Platform& platform) {
  const WString path = IniPathAfterRestart(context, platform);
  if (path.empty() || !IsSamePath(path, memory.ini_path)) return Remembered::kOther;
  // A start time that cannot be read proves no restart.
  int64_t boot_time = 0;
  if (!platform.ReadBootTime(&boot_time) || boot_time <= memory.asked_at) {
    return Remembered::kBeforeRestart;
  }
  FileStamp stamp;
  if (!platform.ReadFileStamp(platform.FullPath(context.InputIniPath), &stamp) ||
      !(stamp == memory.stamp) || memory.restarts > context.MaxRestarts ||
      !FitsTheLists(memory.after, context, platform)) {
    return Remembered::kChanged;
  }
  return Remembered::kThisDeployment;
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
  switch (Compare(memory, context, platform)) {
    case Remembered::kOther:
      platform.DeleteMachineValue(kMemoryKey, kMemoryName);
      WriteLogRecord(context, LogRecord::kResumeOther, {{memory.ini_path}});
      return;
    case Remembered::kChanged:
      // From the top, but within the bound whatever became of the file.
      context.RestartsMade = std::min(memory.restarts, context.MaxRestarts);
      WriteLogRecord(context, LogRecord::kResumeStale, {{restart}});
      return;
    case Remembered::kBeforeRestart:
      // Run before the restart it waits for (by hand, or as Wine runs it at
      // once): registered again, and the memory kept as it was.
      RegisterCommand(memory.ini_path, platform);
      EndRun(context, platform, LogRecord::kResumeBeforeRestart, {{restart}});
      return;
    case Remembered::kThisDeployment: break;
  }
  context.RestartsMade = memory.restarts;
  context.ResumeAfter = memory.after;
  WriteLogRecord(context, LogRecord::kResume,
                 {{restart, u"APP" + Decimal(memory.after.number) + u" of [" +
                                ListSection(memory.after, context) + u"]"}});
}

// What the resumption runs as an administrator lies where others may
// change it, or not be there after the restart.
void TellExposure(const WString& what, const WString& path, const FilePlace& place,
                  RunContext& context) {
  if (place.on_share) WriteLogRecord(context, LogRecord::kRestartFileOnShare, {{what, path}});
  if (place.users_may_write) {
    WriteLogRecord(context, LogRecord::kRestartFileUsersWrite, {{what, path}});
  }
}

// The memory first, then the command that reads it: a resumption is never
// registered without what it needs.
bool Register(const WalkPosition& position, RunContext& context, Platform& platform) {
  DeploymentMemory memory;
  FilePlace ini_place, program_place;
  memory.ini_path = PlaceAfterRestart(context.InputIniPath, platform, &ini_place);
  memory.restarts = context.RestartsMade + 1;
  memory.after = position;
  memory.asked_at = platform.Now();
  // Where the start time cannot be read, a restart is never told from none.
  int64_t boot_time = 0;
  const WString command = MakeResumeCommand(memory.ini_path, platform, &program_place);
  if (command.empty() || memory.asked_at < 0 || !platform.ReadBootTime(&boot_time) ||
      !platform.ReadFileStamp(platform.FullPath(context.InputIniPath), &memory.stamp)) {
    return false;
  }
  if (!platform.WriteMachineValue(kMemoryKey, kMemoryName, EncodeMemory(memory))) return false;
  if (!platform.WriteMachineValue(kRunOnceKey, kRunOnceName, command)) {
    platform.DeleteMachineValue(kMemoryKey, kMemoryName);
    return false;
  }
  TellExposure(u"The program", program_place.universal, program_place, context);
  TellExposure(u"The Input INI file", memory.ini_path, ini_place, context);
  return true;
}

}  // namespace

namespace {

// The bound, its records told; 0 where it is not in force.
int32_t ReadMaxRestarts(const WString& value, RunContext& context) {
  if (context.LogExitCodes != 1) {
    WriteLogRecord(context, LogRecord::kRestartsUnused);
    return 0;
  }
  int32_t whole = 0;
  if (!ParseBoundedCount(value, INT32_MAX, &whole)) {
    WriteLogRecord(context, LogRecord::kExitCodesUnread,
                   {{KeyName(Key::kMaxRestarts) + (u"=" + value), kSettingsSection}});
    return 0;
  }
  if (whole > kMostRestarts) {
    WriteLogRecord(
        context, LogRecord::kExitSettingClamped,
        {{KeyName(Key::kMaxRestarts) + (u"=" + value), kSettingsSection}, kMostRestarts});
  }
  return whole > kMostRestarts ? kMostRestarts : whole;
}

// This deployment's memory, left by a run whose INI file then lost its
// bound: nothing resumes it, and a later bound must not find it.
void ClearLeftMemory(RunContext& context, Platform& platform) {
  DeploymentMemory memory;
  if (!RecallThisIni(context, platform, &memory)) return;
  ForgetMemoryAndCommand(platform);
  WriteLogRecord(context, LogRecord::kResumeCleared);
}

}  // namespace

void PrepareRestarts(RunContext& context, Platform& platform) {
  const WString value = ReadSetting(Key::kMaxRestarts, context, platform, platform);
  if (value.empty()) return;
  context.MaxRestarts = ReadMaxRestarts(value, context);
  if (context.MaxRestarts > 0) {
    Recall(context, platform);
  } else {
    ClearLeftMemory(context, platform);
  }
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
  const RestartCall call =
      started || platform.InInteractiveSession() ? RestartCall::kExitWindows
                                                 : RestartCall::kSystemShutdown;
  if (!started && !platform.RequestRestart(call)) {
    // No resumption may claim a restart that did not happen.
    ForgetDeployment(context, platform);
    ReopenRunLog(context, platform);
    EndRun(context, platform, LogRecord::kRestartRefused);
  }
  return false;
}

void ForgetUnreadableDeployment(RunContext& context, Platform& platform) {
  std::string bytes;
  DeploymentMemory memory;
  if (platform.ReadFileBytes(context.InputIniPath, &bytes) ||
      !RecallThisIni(context, platform, &memory)) {
    return;
  }
  ForgetMemoryAndCommand(platform);
  const bool opens = context.LogOpen != 1;
  if (opens) {
    if (!GetSystemID(context, platform)) return;
    DetectOSType(context, platform);
    OpenRunLog(context, platform);
  }
  WriteLogRecord(context, LogRecord::kResumeIniUnread, {{memory.ini_path}});
  if (opens) CloseRunLog(context);
}

void ForgetDeployment(const RunContext& context, Platform& platform) {
  if (context.MaxRestarts == 0) return;
  ForgetMemoryAndCommand(platform);
}

}  // namespace quill
