#ifndef QUILL_RUNNER_LAUNCH_LIMITS_H_
#define QUILL_RUNNER_LAUNCH_LIMITS_H_

// What bounds an installer's launch beyond the polling: its time limit,
// the process tree waited for and ended, and a free Windows Installer.
#include <cstdint>

#include "base/ini_keys.h"
#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"
#include "runner/install_pass.h"

namespace quill {

// How long an installer may take, and what is waited for and ended: the
// limit as the runtime's integer reading gives it, in [Settings] or an
// application's own section; with WaitForChildren=1 the installer's whole
// process tree, held in a job of its own; with StopAtTimeLimit=1 what
// still runs at the limit is ended. Without these keys, the installer's
// own process is polled and always left running.
// The digit's value, or -1 when the runtime does not read it as a digit.
int DecimalDigitValue(char16_t c);

// "60s" is 60, "0x3C" and "abc" are 0; the decimal digits of other scripts
// count. A value beyond the 32-bit range is clamped to it.
int32_t ParseInstallTime(const WString& text, SystemInfo& system);

// "1" turns a switch on, "0" off; any other value leaves `otherwise`.
bool ReadSwitch(const WString& value, bool otherwise);

// [Settings] WaitForChildren and StopAtTimeLimit into the context.
void ReadTimeLimitSettings(RunContext& context, Platform& platform);

// An application's own keys as read; empty when not given or not read.
struct OwnLimitKeys {
  WString max_install_time, wait_for_children, stop_at_time_limit;
};

// Each own key is read only when [Settings] names its key, and the own
// MaxInstallTime when [Settings] names either (their rows' gates): a file
// without them is read call for call as before, and a limit of its own in
// an application of such a file stays as unread as it always was.
// An application's own keys over those of [Settings].
LaunchLimits CombineLaunchLimits(const OwnLimitKeys& own, const RunContext& context,
                                 SystemInfo& system);
LaunchLimits ReadLaunchLimits(const WString& app_section, const RunContext& context,
                              Platform& platform);

// What is ended at the limit ends with ERROR_TIMEOUT: no installer's own
// failure reads so.
constexpr uint32_t kEndedAtLimitCode = 1460;
// How long what was told to end may take to be gone.
constexpr uint32_t kEndWaitMs = 10000;

// The installer as it is waited for: its process, and its job when it
// runs in one.
struct Installer {
  ProcessHandle process = 0;
  bool in_job = false;
  JobHandle job = 0;
};

// Puts the process, started suspended, into a job of its own and lets it
// run; `state` tells whether it is in one. False when it cannot be let
// run: it is ended then.
bool StartInJob(Installer* installer, Platform& platform, JobState* state);

// One pause of the wait: it ends early when the tree (in a job) or the
// process (with `waiting`) ends; a failed wait is slept out.
void TakeInstallerPause(const Installer& installer, uint32_t milliseconds, bool waiting,
                        Platform& platform);

// True once no process of the job is left; without a job (or when the job
// cannot tell) the installer's own end decides.
bool TreeHasEnded(const Installer& installer, Platform& platform);

// Ends the job's processes, or the installer's own without a job, and waits
// for them to be gone.
StopResult EndAtTimeLimit(const Installer& installer, Platform& platform);

// The records of the tree after the result record: no job, what was ended.
void WriteTreeRecords(RunContext& context, const LaunchResult& result, int32_t time_limit);

// [Settings] WaitForInstallerService=SECONDS: before an installer that starts
// the system's msiexec, wait until Windows Installer is free, at most that
// long. It spares the busy code (1618) an MSI gets while another installs;
// BusyRetries still covers a start that meets one.
constexpr int32_t kLongestInstallerServiceWait = MostOf(Key::kWaitForInstallerService);
constexpr uint32_t kInstallerServiceLookMs = 1000;

// 0 to 3600 seconds, more counts as 3600; a value that does not read is 0.
void ReadInstallerServiceWait(RunContext& context, Platform& platform);

// Looks once a second; one record when it waited.
void WaitForInstallerService(const WString& handed, RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_LAUNCH_LIMITS_H_
