#include "runner/detection.h"

#include "log/run_log.h"
#include "runner/exit_codes.h"

namespace quill {

namespace {

bool AtLeast(const FileVersion& version, const FileVersion& least) {
  for (int i = 0; i < 4; ++i) {
    if (version.parts[i] != least.parts[i]) return version.parts[i] > least.parts[i];
  }
  return true;
}

bool FileRuleHolds(const DetectRule& rule, InstalledState& state) {
  const WString path =
      rule.path.find(u'%') != WString::npos ? state.ExpandEnvironment(rule.path) : rule.path;
  if (!IsFullPath(path) || !state.NativeFileExists(path)) return false;
  FileVersion version;
  return !rule.has_version ||
         (state.NativeFileVersion(path, &version) && AtLeast(version, rule.least));
}

// A rule of the list that does not hold, or null when all do; `held`
// gathers what held, for the record.
const DetectRule* FirstUnheld(const DetectRules& detect, InstalledState& state, WString* held) {
  for (const DetectRule& rule : detect.rules) {
    WString this_held;
    if (!DetectRuleHolds(rule, state, &this_held)) return &rule;
    *held += (held->empty() ? u"" : u" and ") + this_held;
  }
  return nullptr;
}

// Whether the run counts the ended installer a success, and whether that
// success waits for a restart.
bool EndedWell(const AppExitRules& exit_rules, const LaunchResult& result,
               const RunContext& context, bool* waits_for_restart) {
  *waits_for_restart = false;
  if (result.outcome != LaunchOutcome::Finished) return false;
  if (context.LogExitCodes != 1) return true;
  const ExitVerdict verdict = JudgeExitCode(result.exit_code, exit_rules.success_codes);
  *waits_for_restart =
      verdict == ExitVerdict::kRebootRequired || verdict == ExitVerdict::kRebootStarted;
  return verdict != ExitVerdict::kFailure;
}

}  // namespace

bool DetectRuleHolds(const DetectRule& rule, InstalledState& state, WString* held) {
  *held = rule.written;
  switch (rule.kind) {
    case DetectKind::kMsi:
      for (const WString& code : rule.product_codes) {
        if (!state.IsProductInstalled(code)) continue;
        *held = DetectKeyName(rule.kind) + (u"=" + code);
        return true;
      }
      return false;
    case DetectKind::kFile: return FileRuleHolds(rule, state);
    case DetectKind::kKey:
      return state.LocalMachineKeyExists(rule.path, RegistryView::k64Bit) ||
             state.LocalMachineKeyExists(rule.path, RegistryView::k32Bit);
  }
  return false;
}

bool InstalledAlready(const DetectRules& detect, const WString& app_section, RunContext& context,
                      Platform& platform) {
  for (const WString& unread : detect.unread) {
    WriteLogRecord(context, LogRecord::kDetectRuleUnread, {{unread, app_section}});
  }
  WString held;
  if (detect.rules.empty() || FirstUnheld(detect, platform, &held) != nullptr) return false;
  WriteLogRecord(context, LogRecord::kInstalledAlready, {{app_section, held}});
  return true;
}

void CheckInstalledAfter(const DetectRules& detect, const AppExitRules& exit_rules,
                         const LaunchResult& result, RunContext& context, Platform& platform) {
  bool waits_for_restart = false;
  if (detect.rules.empty() || !EndedWell(exit_rules, result, context, &waits_for_restart)) return;
  WString held;
  const DetectRule* unheld = FirstUnheld(detect, platform, &held);
  if (unheld == nullptr) return;
  WriteLogRecord(context,
                 waits_for_restart ? LogRecord::kDetectAfterRestart : LogRecord::kInstalledNothing,
                 {{unheld->written}});
}

}  // namespace quill
