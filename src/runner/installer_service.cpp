#include "runner/installer_service.h"

#include "base/profile_value.h"
#include "log/run_log.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"

namespace quill {

void ReadInstallerServiceWait(RunContext& context, Platform& platform) {
  const WString value = ReadProfileValue(u"Settings", kWaitForInstallerServiceKey,
                                         context.InputIniPath, platform, platform);
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
