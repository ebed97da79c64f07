#include "runner/run_settings.h"

#include "base/ini_keys.h"
#include "base/settings_reader.h"
#include "facts/newer_windows.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"
#include "runner/install_pass.h"
#include "runner/launch_limits.h"
#include "runner/log_copy.h"

namespace quill {

namespace {

const WString& Read(Key key, RunContext& context, Platform& platform) {
  return ReadSetting(key, context, platform, platform);
}

void ReadAfterLog(RunContext& context, Platform& platform) {
  ReadLogCopy(context, platform);
  const WString& max_install_time = Read(Key::kMaxInstallTime, context, platform);
  if (!max_install_time.empty()) {
    context.MaxInstallTime = ParseInstallTime(max_install_time, platform);
  }
  context.WaitForExit = TurnsOnWaitForExit(Read(Key::kWaitForExit, context, platform));
  ReadTimeLimitSettings(context, platform);
  const WString& app_instl_path = Read(Key::kAppInstlPath, context, platform);
  if (!app_instl_path.empty()) context.LanguageTablePath = app_instl_path + u"\\LANG.INI";
}

}  // namespace

void ReadRunSettings(SettingsStretch stretch, RunContext& context, Platform& platform) {
  switch (stretch) {
    case SettingsStretch::kBeforeLog:
      context.NewerWindows = TurnsOnNewerWindows(Read(Key::kNewerWindows, context, platform));
      return;
    case SettingsStretch::kAfterLog: ReadAfterLog(context, platform); return;
    case SettingsStretch::kAfterLanguage:
      ReadExitCodeSettings(context, platform);
      ReadHashList(context, platform);
      ReadInstallerServiceWait(context, platform);
      return;
  }
}

}  // namespace quill
