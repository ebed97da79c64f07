#include "runner/install_pass.h"

#include <string>

#include "base/profile_value.h"
#include "log/run_log.h"
#include "runner/application_command.h"
#include "runner/detection.h"
#include "runner/exit_record.h"
#include "runner/exit_settings.h"
#include "runner/launch.h"
#include "runner/process_command_line.h"
#include "runner/verified_launch.h"

namespace quill {

const char16_t kCommonSection[] = u"0xFFFF";

namespace {

WString PassSuffix(int pass, const RunContext& context) {
  return pass == 1 ? u"_" + context.OSType : WString();
}

WString AppKey(int32_t number) {
  const std::string digits = std::to_string(number);
  return u"APP" + WString(digits.begin(), digits.end());
}

void InstallApplication(const WString& list_section, const WString& app_section,
                        const ApplicationCommand& command, const DetectRules& detect,
                        RunContext& context, Platform& platform) {
  AppExitRules rules = ReadAppExitRules(app_section, context, platform);
  for (int32_t tried = 1;; ++tried) {
    WriteLogRecord(context, LogRecord::kProcessing, {{list_section, app_section}});
    WriteLogRecord(context, LogRecord::kLaunched, {{command.command_line}});
    WriteStampedRecord(context, LogRecord::kStart, platform);
    CommitRunLog(context);
    const LaunchResult result =
        LaunchVerified(ProcessCommandLine(command, platform), context, platform);
    WriteLaunchResult(context, result, platform);
    if (!TellExitCode(context, rules, result, tried)) {
      return CheckInstalledAfter(detect, rules, result, context, platform);
    }
    CommitRunLog(context);  // the log tells of the wait while it lasts
    platform.Pause(static_cast<uint32_t>(context.BusyRetryPause) * 1000u);
  }
}

void WalkListSection(const WString& list_section, RunContext& context, Platform& platform) {
  for (int32_t number = 1;; ++number) {
    const WString app_section =
        ReadProfileValue(list_section, AppKey(number), context.InputIniPath, platform, platform);
    if (app_section.empty()) return;
    const ApplicationCommand command = BuildApplicationCommand(app_section, context, platform);
    if (command.command_line.empty()) continue;  // skipped without a trace
    const DetectRules detect = ReadDetectRules(app_section, context, platform);
    if (InstalledAlready(detect, app_section, context, platform)) continue;
    InstallApplication(list_section, app_section, command, detect, context, platform);
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
  WalkListSection(CommonListSection(pass, context), context, platform);
  WalkListSection(MachineListSection(pass, context), context, platform);
  return 1;
}

}  // namespace quill
