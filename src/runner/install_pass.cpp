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
#include "runner/restarts.h"
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

// Gives the verdict on the last try; a failure when none was told.
ExitVerdict InstallApplication(const WString& list_section, const WString& app_section,
                               const ApplicationCommand& command, const DetectRules& detect,
                               RunContext& context, Platform& platform) {
  AppExitRules rules = ReadAppExitRules(app_section, context, platform);
  ExitVerdict verdict = ExitVerdict::kFailure;
  for (int32_t tried = 1;; ++tried) {
    WriteLogRecord(context, LogRecord::kProcessing, {{list_section, app_section}});
    WriteLogRecord(context, LogRecord::kLaunched, {{command.command_line}});
    WriteStampedRecord(context, LogRecord::kStart, platform);
    CommitRunLog(context);
    const LaunchResult result =
        LaunchVerified(ProcessCommandLine(command, platform), context, platform);
    WriteLaunchResult(context, result, platform);
    if (!TellExitCode(context, rules, result, tried, &verdict)) {
      CheckInstalledAfter(detect, rules, result, context, platform);
      return verdict;
    }
    CommitRunLog(context);  // the log tells of the wait while it lasts
    platform.Pause(static_cast<uint32_t>(context.BusyRetryPause) * 1000u);
  }
}

// False when the run ends within the section.
bool WalkListSection(WalkPosition position, const WString& list_section, RunContext& context,
                     Platform& platform) {
  for (position.number = 1;; ++position.number) {
    const WString app_section = ReadProfileValue(list_section, AppKey(position.number),
                                                 context.InputIniPath, platform, platform);
    if (app_section.empty()) return true;
    if (RanBeforeRestart(position, context)) continue;
    const ApplicationCommand command = BuildApplicationCommand(app_section, context, platform);
    if (command.command_line.empty()) continue;  // skipped without a trace
    const DetectRules detect = ReadDetectRules(app_section, context, platform);
    if (InstalledAlready(detect, app_section, context, platform)) continue;
    const ExitVerdict verdict =
        InstallApplication(list_section, app_section, command, detect, context, platform);
    if (!GoesOnAfter(verdict, position, app_section, context, platform)) return false;
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
  if (WalkListSection({pass, 1, 0}, CommonListSection(pass, context), context, platform)) {
    WalkListSection({pass, 2, 0}, MachineListSection(pass, context), context, platform);
  }
  return 1;
}

}  // namespace quill
