#include "run/run_sequence.h"

#include "base/ini_keys.h"
#include "facts/language_code.h"
#include "facts/newer_windows.h"
#include "facts/os_type.h"
#include "facts/system_id.h"
#include "log/run_log.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"
#include "runner/install_pass.h"
#include "runner/launch_limits.h"
#include "runner/log_copy.h"
#include "runner/restarts.h"
#include "runner/run_settings.h"

namespace quill {

namespace {

// Ends the run after an error record; the log is closed at once.
int EndWithError(RunContext& context, Platform& platform, LogRecord record, const WString& name) {
  WriteLogRecord(context, record, {{name}});
  CloseAndCopyRunLog(context, platform);
  return 0;
}

}  // namespace

int RunSequence(RunContext& context, Platform& platform) {
  if (!GetSystemID(context, platform)) return 0;
  ReadRunSettings(SettingsStretch::kBeforeLog, context, platform);
  DetectOSType(context, platform);
  OpenRunLog(context, platform);
  ReadRunSettings(SettingsStretch::kAfterLog, context, platform);
  if (context.SettingText(Key::kAppInstlPath).empty()) {
    ForgetUnreadableDeployment(context, platform);
    return EndWithError(context, platform, LogRecord::kMissingKeyError,
                        KeyName(Key::kAppInstlPath));
  }
  if (platform.GetAttributes(context.LanguageTablePath) == kInvalidFileAttributes) {
    return EndWithError(context, platform, LogRecord::kFileOpenError, context.LanguageTablePath);
  }

  LookUpLanguageCode(context, platform);
  WriteLogRecord(context, LogRecord::kLocaleLanguage, {{context.LcidText}});
  WriteLogRecord(context, LogRecord::kCodeLanguage, {{context.LanguageCode}});
  ReadRunSettings(SettingsStretch::kAfterLanguage, context, platform);
  PrepareRestarts(context, platform);
  if (context.RunStopped) return 0;  // waiting for a restart

  RunInstallPass(0, context, platform);
  if (context.RunStopped) return 0;  // for a restart: the log is closed
  // An unrecognised system ends after pass 0; the log is written out at exit.
  if (!DetectOSType(context, platform)) {
    ForgetDeployment(context, platform);
    // Without a copy to make, the log stays open until the process exits.
    if (!context.LogCopyTarget.empty()) CloseAndCopyRunLog(context, platform);
    return 0;
  }
  RunInstallPass(1, context, platform);
  if (context.RunStopped) return 0;
  ForgetDeployment(context, platform);
  CloseAndCopyRunLog(context, platform);
  return 1;
}

}  // namespace quill
