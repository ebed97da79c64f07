#ifndef QUILL_RUNNER_INSTALLER_SERVICE_H_
#define QUILL_RUNNER_INSTALLER_SERVICE_H_

// [Settings] WaitForInstallerService=SECONDS: before an installer that starts
// the system's msiexec, wait until Windows Installer is free, at most that
// long. It spares the busy code (1618) an MSI gets while another installs;
// BusyRetries still covers a start that meets one.
#include <cstdint>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

constexpr char16_t kWaitForInstallerServiceKey[] = u"WaitForInstallerService";
constexpr int32_t kLongestInstallerServiceWait = 3600;
constexpr uint32_t kInstallerServiceLookMs = 1000;

// 0 to 3600 seconds, more counts as 3600; a value that does not read is 0.
void ReadInstallerServiceWait(RunContext& context, Platform& platform);

// Looks once a second; one record when it waited.
void WaitForInstallerService(const WString& handed, RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_INSTALLER_SERVICE_H_
