#include "plan/planning/planner.h"

#include "base/profile_value.h"
#include "base/trim.h"
#include "base/utf.h"
#include "facts/language_code.h"
#include "facts/newer_windows.h"
#include "facts/os_type.h"
#include "log/log_record.h"
#include "log/run_log.h"
#include "plan/planning/pass_trace.h"
#include "plan/text/case_fold.h"
#include "runner/application_command.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"
#include "runner/install_pass.h"
#include "runner/launch_limits.h"
#include "runner/log_copy.h"
#include "runner/restarts.h"

namespace quill::plan {

namespace {

// Journals a stretch of the run and takes its assumptions.
class Recording {
 public:
  Recording(PlanPlatform& platform, Assumptions* assumptions)
      : platform_(platform), assumptions_(assumptions), journal_(platform.reusable_journal()) {
    journal_.clear();
    platform_.set_journal(&journal_);
  }
  ~Recording() {
    platform_.set_journal(nullptr);
    if (assumptions_ == nullptr) return;
    for (const Event& event : journal_) {
      if (event.kind == EventKind::kFileQuestion && event.answer.basis == AnswerBasis::kAssumed) {
        assumptions_->Add({event.first, event.answer});
      }
    }
  }
  const Journal& journal() const { return journal_; }

 private:
  PlanPlatform& platform_;
  Assumptions* assumptions_;
  Journal& journal_;
};

WString ReadSetting(const char16_t* key, const WString& ini_path, PlanPlatform& platform) {
  return ReadProfileValue(u"Settings", key, ini_path, platform, platform);
}

void ReadLanguageTable(const Journal& journal, const WString& table_path, PlanLanguage& language) {
  for (const Event& event : journal) {
    if (event.kind != EventKind::kFileRead || !event.read) continue;
    if (event.first == table_path) language.table_read = true;
    if (event.first == kFallbackLanguageTable) language.fallback_read = true;
  }
}

// The exit-code keys as the run reads them; the plan's run has no log to
// tell a value that does not read.
void ReadExitSettings(const WString& ini_path, PlanPlatform& platform, PlanSettings& settings) {
  settings.log_exit_codes_text = ReadSetting(u"LogExitCodes", ini_path, platform);
  settings.busy_codes_text = ReadSetting(u"BusyCodes", ini_path, platform);
  settings.busy_retries_text = ReadSetting(u"BusyRetries", ini_path, platform);
  settings.busy_retry_pause_text = ReadSetting(u"BusyRetryPause", ini_path, platform);
  RunContext context;
  context.InputIniPath = ini_path;
  ReadExitCodeSettings(context, platform);
  settings.max_restarts_text = ReadSetting(u"MaxRestarts", ini_path, platform);
  PrepareRestarts(context, platform);  // the plan's machine remembers no deployment
  settings.max_restarts = context.MaxRestarts;
  settings.log_exit_codes = context.LogExitCodes == 1;
  settings.busy_codes = context.BusyCodes;
  settings.busy_retries = context.BusyRetries;
  settings.busy_retry_pause = context.BusyRetryPause;
}

// The HashList and its lines as the run reads them. A relative one lies
// beside the input INI file, whose Windows folder a mapping may tell.
void ReadHashListSettings(const WString& ini_path, PlanPlatform& platform, PlanSettings& settings) {
  settings.hash_list_text = ReadSetting(kHashListKey, ini_path, platform);
  if (settings.hash_list_text.empty()) return;
  const WString windows_ini =
      platform.files().WindowsPathOf(ToUtf8(ini_path)).value_or(FullWindowsPath(ini_path, u"C:\\"));
  RunContext context;
  ReadHashListFile(settings.hash_list_text,
                   FullWindowsPath(settings.hash_list_text, ParentFolder(windows_ini)), context,
                   platform);
  settings.hash_list_path = context.HashList;
  settings.hash_list_read = context.HashListRead;
  settings.listed_hashes = std::move(context.ListedHashes);
}

void EndWithError(Prelude& prelude, PlanEnding ending, LogRecord record, const WString& value) {
  prelude.ending = ending;
  prelude.error_record = FormatLogRecord(record, {{value}});
}

}  // namespace

void Assumptions::Add(const FileQuestionAsked& question) {
  ++answered_;
  if (kept_.size() >= keep_) return;
  for (const FileQuestionAsked& asked : kept_) {
    if (asked.path == question.path) return;
  }
  kept_.push_back(question);
}

void Assumptions::Merge(const Assumptions& other) {
  for (const FileQuestionAsked& question : other.kept_) Add(question);
  answered_ += other.answered_ - other.kept_.size();
}

WString WindowsWord(const WindowsKind& windows) { return windows.word; }

WindowsKind WindowsKindFor(const WString& word) {
  for (const WindowsKind& kind :
       {WindowsKind::kWinXp, WindowsKind::kVista32, WindowsKind::kVista64}) {
    if (EqualIgnoringCase(word, kind.word)) return kind;
  }
  return WindowsKind{NewerWindowsWord(word)};
}

Prelude PlanPrelude(const LanguageChoice& language, const std::string& language_table,
                    PlanPlatform& platform, Assumptions* assumptions) {
  Prelude prelude;
  Recording recording(platform, assumptions);
  const WString ini_path = prelude.ini_path = platform.ini_path();
  PlanSettings& settings = prelude.settings;

  settings.log_file = ReadSetting(u"LogFile", ini_path, platform);
  settings.log_path = RunLogPath(settings.log_file);
  settings.max_install_time_text = ReadSetting(u"MaxInstallTime", ini_path, platform);
  settings.max_install_time = kDefaultMaxInstallTime;
  if (!settings.max_install_time_text.empty()) {
    settings.max_install_time = ParseInstallTime(settings.max_install_time_text, platform);
  }
  ReadExitSettings(ini_path, platform, settings);
  ReadHashListSettings(ini_path, platform, settings);
  settings.log_copy_text = ReadSetting(kLogCopyKey, ini_path, platform);
  settings.wait_for_exit_text = ReadSetting(kWaitForExitKey, ini_path, platform);
  settings.wait_for_exit = TurnsOnWaitForExit(settings.wait_for_exit_text);
  settings.newer_windows_text = ReadSetting(kNewerWindowsKey, ini_path, platform);
  settings.newer_windows = TurnsOnNewerWindows(settings.newer_windows_text);
  settings.wait_for_children_text = ReadSetting(kWaitForChildrenKey, ini_path, platform);
  settings.wait_for_children = settings.wait_for_children_text == u"1";
  settings.stop_at_time_limit_text = ReadSetting(kStopAtTimeLimitKey, ini_path, platform);
  settings.stop_at_time_limit = settings.stop_at_time_limit_text == u"1";
  settings.installer_service_text = ReadSetting(kWaitForInstallerServiceKey, ini_path, platform);
  ParseBoundedCount(settings.installer_service_text, kLongestInstallerServiceWait,
                    &settings.installer_service_seconds);

  settings.app_instl_path = ReadSetting(u"AppInstlPath", ini_path, platform);
  if (settings.app_instl_path.empty()) {
    EndWithError(prelude, PlanEnding::kMissingAppInstlPath, LogRecord::kMissingKeyError,
                 u"AppInstlPath");
    return prelude;
  }
  settings.language_table_path = settings.app_instl_path + u"\\LANG.INI";
  if (!language_table.empty()) platform.files().Bind(settings.language_table_path, language_table);
  if (platform.GetAttributes(settings.language_table_path) == kInvalidFileAttributes) {
    EndWithError(prelude, PlanEnding::kMissingLanguageTable, LogRecord::kFileOpenError,
                 settings.language_table_path);
    return prelude;
  }

  PlanLanguage& chosen = prelude.language;
  chosen.by_lcid = language.by_lcid;
  if (language.by_lcid) {
    RunContext context;
    context.LanguageTablePath = settings.language_table_path;
    platform.set_lcid(language.lcid);
    chosen.matched = LookUpLanguageCode(context, platform);
    chosen.lcid_text = context.LcidText;
    chosen.language_code = context.LanguageCode;
    ReadLanguageTable(recording.journal(), settings.language_table_path, chosen);
  } else {
    chosen.language_code = language.code;
  }
  return prelude;
}

void PrepareContext(const Prelude& prelude, const WString& system_id, RunContext& context) {
  context.InputIniPath = prelude.ini_path;
  context.SystemID = system_id;
  context.MaxInstallTime = prelude.settings.max_install_time;
  context.LogExitCodes = prelude.settings.log_exit_codes ? 1 : 0;
  context.BusyCodes = prelude.settings.busy_codes;
  context.BusyRetries = prelude.settings.busy_retries;
  context.BusyRetryPause = prelude.settings.busy_retry_pause;
  context.WaitForExit = prelude.settings.wait_for_exit;
  context.NewerWindows = prelude.settings.newer_windows;
  context.WaitForChildren = prelude.settings.wait_for_children;
  context.StopAtTimeLimit = prelude.settings.stop_at_time_limit;
  context.OwnWaitForChildren = !prelude.settings.wait_for_children_text.empty();
  context.OwnStopAtTimeLimit = !prelude.settings.stop_at_time_limit_text.empty();
  context.WaitForInstallerService = prelude.settings.installer_service_seconds;
  context.HashList = prelude.settings.hash_list_path;
  context.HashListRead = prelude.settings.hash_list_read;
  context.ListedHashes = prelude.settings.listed_hashes;
  context.LanguageTablePath = prelude.settings.language_table_path;
  context.LcidText = prelude.language.lcid_text;
  context.LanguageCode = prelude.language.language_code;
}

PassPlan PlanPass(int pass, RunContext& context, PlanPlatform& platform,
                  Assumptions* assumptions) {
  PassPlan planned;
  planned.pass = pass;
  planned.common_section = CommonListSection(pass, context);
  planned.machine_section = MachineListSection(pass, context);
  Recording recording(platform, assumptions);
  platform.set_listed(&context.ListedHashes);
  RunInstallPass(pass, context, platform);
  planned.entries = TracePass(pass, recording.journal(), context, platform);
  platform.set_listed(nullptr);
  return planned;
}

Plan PlanRun(const PlanRequest& request, PlanPlatform& platform) {
  Plan plan;
  WString machine_id = request.machine_id;
  Trim(machine_id, platform);
  if (machine_id.empty()) {
    plan.ending = PlanEnding::kNoSystemId;
    return plan;
  }
  RunContext context;
  platform.set_windows(request.windows);
  context.NewerWindows =
      TurnsOnNewerWindows(ReadSetting(kNewerWindowsKey, platform.ini_path(), platform));
  DetectOSType(context, platform);
  plan.os_type = context.OSType;
  plan.system_id = u"0x" + machine_id;

  Assumptions assumptions;
  const Prelude prelude =
      PlanPrelude(request.language, request.language_table, platform, &assumptions);
  plan.settings = prelude.settings;
  plan.language = prelude.language;
  plan.ending = prelude.ending;
  plan.error_record = prelude.error_record;
  if (plan.ending == PlanEnding::kBothPasses) {
    PrepareContext(prelude, plan.system_id, context);
    plan.passes.push_back(PlanPass(0, context, platform, &assumptions));
    if (DetectOSType(context, platform)) {
      plan.passes.push_back(PlanPass(1, context, platform, &assumptions));
      plan.exit_code = 1;
    } else {
      plan.ending = PlanEnding::kUnrecognisedSystem;
    }
  }
  plan.assumptions = assumptions.kept();
  return plan;
}

}  // namespace quill::plan
