#include "runner/launch_limits.h"

#include <cstdint>
#include <limits>

#include "base/settings_reader.h"
#include "base/trim.h"
#include "log/run_log.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"

namespace quill {

int DecimalDigitValue(char16_t c) {
  // The zero of each script whose digits the runtime reads as numbers.
  static const char16_t kZeros[] = {0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66,
                                    0x0AE6, 0x0B66, 0x0C66, 0x0CE6, 0x0D66, 0x0E50,
                                    0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};
  for (char16_t zero : kZeros) {
    if (c >= zero && c <= zero + 9) return c - zero;
  }
  return -1;
}

int32_t ParseInstallTime(const WString& text, SystemInfo& system) {
  size_t at = 0;
  while (at < text.size() && IsWhiteSpace(text[at], system)) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';

  const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
  int64_t value = 0;
  for (; at < text.size() && DecimalDigitValue(text[at]) >= 0; ++at) {
    value = value * 10 + DecimalDigitValue(text[at]);
    if (value > limit) value = limit;  // saturate: later digits cannot bring it back
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

bool ReadSwitch(const WString& value, bool otherwise) {
  if (value == u"1") return true;
  if (value == u"0") return false;
  return otherwise;
}

void ReadTimeLimitSettings(RunContext& context, Platform& platform) {
  context.WaitForChildren = ReadSetting(Key::kWaitForChildren, context, platform, platform) == u"1";
  context.StopAtTimeLimit = ReadSetting(Key::kStopAtTimeLimit, context, platform, platform) == u"1";
}

LaunchLimits CombineLaunchLimits(const OwnLimitKeys& own, const RunContext& context,
                                 SystemInfo& system) {
  LaunchLimits limits;
  limits.max_install_time = context.MaxInstallTime;
  limits.wait_for_exit = context.WaitForExit;
  if (!own.max_install_time.empty()) {
    limits.max_install_time = ParseInstallTime(own.max_install_time, system);
  }
  limits.wait_for_children = ReadSwitch(own.wait_for_children, context.WaitForChildren);
  limits.stop_at_time_limit = ReadSwitch(own.stop_at_time_limit, context.StopAtTimeLimit);
  return limits;
}

LaunchLimits ReadLaunchLimits(const WString& app_section, const RunContext& context,
                              Platform& platform) {
  OwnLimitKeys own;
  own.max_install_time =
      ReadOwnValue(Key::kMaxInstallTime, app_section, context, platform, platform);
  own.wait_for_children =
      ReadOwnValue(Key::kWaitForChildren, app_section, context, platform, platform);
  own.stop_at_time_limit =
      ReadOwnValue(Key::kStopAtTimeLimit, app_section, context, platform, platform);
  return CombineLaunchLimits(own, context, platform);
}

bool StartInJob(Installer* installer, Platform& platform, JobState* state) {
  JobHandle job = 0;
  if (!platform.CreateProcessJob(&job)) {
    *state = JobState::kNoJob;
  } else if (!platform.AssignToJob(job, installer->process)) {
    platform.CloseJob(job);
    *state = JobState::kNotAssigned;
  } else {
    installer->in_job = true;
    installer->job = job;
    *state = JobState::kInJob;
  }
  if (platform.ResumeProcess(installer->process)) return true;
  // Left suspended, it would hold whatever it opened for ever.
  if (installer->in_job) {
    platform.TerminateJob(installer->job, kEndedAtLimitCode);
  } else {
    platform.EndProcess(installer->process, kEndedAtLimitCode);
  }
  return false;
}

void TakeInstallerPause(const Installer& installer, uint32_t milliseconds, bool waiting,
                        Platform& platform) {
  if (!installer.in_job) {
    TakePause(installer.process, milliseconds, waiting, platform);
    return;
  }
  // The root's own wait would return at once once it has ended: a failed
  // job wait is slept out, or the poll would spin through the limit.
  if (platform.WaitForJobEnd(installer.job, milliseconds) == ProcessWait::kFailed) {
    platform.Pause(milliseconds);
  }
}

bool TreeHasEnded(const Installer& installer, Platform& platform) {
  if (!installer.in_job) return true;
  uint32_t count = 0;
  // A tree that cannot be counted has ended only when its port says so.
  if (!platform.CountJobProcesses(installer.job, &count)) {
    return platform.WaitForJobEnd(installer.job, 0) == ProcessWait::kEnded;
  }
  return count == 0;
}

StopResult EndAtTimeLimit(const Installer& installer, Platform& platform) {
  StopResult stop;
  stop.tried = true;
  stop.in_job = installer.in_job;
  if (installer.in_job) {
    if (!platform.CountJobProcesses(installer.job, &stop.processes)) stop.processes = 0;
    stop.ended = platform.TerminateJob(installer.job, kEndedAtLimitCode) &&
                 platform.WaitForJobEnd(installer.job, kEndWaitMs) == ProcessWait::kEnded;
    return stop;
  }
  stop.processes = 1;
  stop.ended = platform.EndProcess(installer.process, kEndedAtLimitCode) &&
               platform.WaitForEnd(installer.process, kEndWaitMs) == ProcessWait::kEnded;
  return stop;
}

namespace {

WString CountText(uint32_t number) {
  const std::string digits = std::to_string(number);
  return WString(digits.begin(), digits.end());
}

// What the record says was ended.
WString WhatWasEnded(const StopResult& stop) {
  if (!stop.in_job) return u"the installer's own process";
  if (stop.processes == 0) return u"the installer's whole tree";
  return CountText(stop.processes) + (stop.processes == 1 ? u" process" : u" processes") +
         u" of the installer's tree";
}

}  // namespace

void WriteTreeRecords(RunContext& context, const LaunchResult& result, int32_t time_limit) {
  if (result.job == JobState::kNoJob) {
    WriteLogRecord(context, LogRecord::kNotInJob, {{u"no job can be made"}});
  } else if (result.job == JobState::kNotAssigned) {
    WriteLogRecord(context, LogRecord::kNotInJob,
                   {{u"Windows lets it join none (it is in a job already)"}});
  }
  if (!result.stop.tried) return;
  if (result.stop.ended) {
    WriteLogRecord(context, LogRecord::kEndedAtLimit, {{WhatWasEnded(result.stop)}, time_limit});
  } else {
    WriteLogRecord(context, LogRecord::kNotEndedAtLimit, {{}, time_limit});
  }
}

void ReadInstallerServiceWait(RunContext& context, Platform& platform) {
  const WString& value = ReadSetting(Key::kWaitForInstallerService, context, platform, platform);
  int32_t seconds = 0;
  if (ParseBoundedCount(value, kLongestInstallerServiceWait, &seconds)) {
    context.WaitForInstallerService = seconds;
  }
}

void WaitForInstallerService(const WString& handed, RunContext& context, Platform& platform) {
  if (context.WaitForInstallerService <= 0) return;
  if (!StartsSystemMsiexec(handed, CurrentFolder(platform), platform.SystemFolder())) return;
  int32_t waited = 0;
  while (platform.IsInstallerServiceBusy()) {
    if (waited == 0) CommitRunLog(context);  // the log tells what waits while it waits
    if (waited >= context.WaitForInstallerService) {
      WriteLogRecord(context, LogRecord::kInstallerServiceBusy, {{}, waited});
      return;
    }
    platform.Pause(kInstallerServiceLookMs);
    ++waited;
  }
  if (waited > 0) WriteLogRecord(context, LogRecord::kInstallerServiceWaited, {{}, waited});
}

}  // namespace quill
