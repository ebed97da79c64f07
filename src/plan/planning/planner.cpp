#include "plan/planning/planner.h"

#include "base/ini_keys.h"
#include "base/profile_value.h"
#include "base/settings_reader.h"
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
#include "runner/run_settings.h"

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

void ReadLanguageTable(const Journal& journal, const WString& table_path, PlanLanguage& language) {
  for (const Event& event : journal) {
    if (event.kind != EventKind::kFileRead || !event.read) continue;
    if (event.first == table_path) language.table_read = true;
    if (event.first == kFallbackLanguageTable) language.fallback_read = true;
  }
}

// The HashList and its lines as the run reads them. A relative one lies
// beside the input INI file, whose Windows folder a mapping may tell.
void ReadPlannedHashList(RunContext& context, PlanPlatform& platform) {
  const WString& given = context.SettingText(Key::kHashList);
  if (given.empty()) return;
  const WString& ini_path = context.InputIniPath;
  const WString windows_ini =
      platform.files().WindowsPathOf(ToUtf8(ini_path)).value_or(FullWindowsPath(ini_path, u"C:\\"));
  ReadHashListFile(given, FullWindowsPath(given, ParentFolder(windows_ini)), context, platform);
}

// Every [Settings] key through the run's reader, with no log to tell what
// does not read. Each key's text is read first whatever the run would skip,
// for the plan shows what is given.
void ReadPlannedSettings(RunContext& context, PlanPlatform& platform) {
  for (const KeyRow& row : kKeyRows) {
    if ((row.places & kInSettings) != 0) ReadSetting(row.key, context, platform, platform);
  }
  ReadRunSettings(SettingsStretch::kBeforeLog, context, platform);
  ReadRunSettings(SettingsStretch::kAfterLog, context, platform);
  ReadExitCodeSettings(context, platform);
  ReadPlannedHashList(context, platform);
  ReadInstallerServiceWait(context, platform);
  PrepareRestarts(context, platform);  // the plan's machine remembers no deployment
}

// The settings as the plan shows them.
PlanSettings ShownSettings(const RunContext& run) {
  PlanSettings shown;
  auto text = [&run](Key key) { return run.SettingText(key); };
  shown.log_file = text(Key::kLogFile);
  shown.log_path = RunLogPath(shown.log_file);
  shown.max_install_time_text = text(Key::kMaxInstallTime);
  shown.max_install_time = run.MaxInstallTime;
  shown.wait_for_exit_text = text(Key::kWaitForExit);
  shown.wait_for_exit = run.WaitForExit;
  shown.newer_windows_text = text(Key::kNewerWindows);
  shown.newer_windows = run.NewerWindows;
  shown.wait_for_children_text = text(Key::kWaitForChildren);
  shown.stop_at_time_limit_text = text(Key::kStopAtTimeLimit);
  shown.installer_service_text = text(Key::kWaitForInstallerService);
  shown.wait_for_children = run.WaitForChildren;
  shown.stop_at_time_limit = run.StopAtTimeLimit;
  shown.installer_service_seconds = run.WaitForInstallerService;
  shown.app_instl_path = text(Key::kAppInstlPath);
  shown.language_table_path = run.LanguageTablePath;
  shown.log_exit_codes_text = text(Key::kLogExitCodes);
  shown.busy_codes_text = text(Key::kBusyCodes);
  shown.busy_retries_text = text(Key::kBusyRetries);
  shown.busy_retry_pause_text = text(Key::kBusyRetryPause);
  shown.log_exit_codes = run.LogExitCodes == 1;
  shown.busy_codes = run.BusyCodes;
  shown.busy_retries = run.BusyRetries;
  shown.busy_retry_pause = run.BusyRetryPause;
  shown.max_restarts_text = text(Key::kMaxRestarts);
  shown.max_restarts = run.MaxRestarts;
  shown.hash_list_text = text(Key::kHashList);
  shown.hash_list_path = run.HashList;
  shown.hash_list_read = run.HashListRead;
  shown.listed_hashes = run.ListedHashes;
  shown.log_copy_text = text(Key::kLogCopy);
  return shown;
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

  RunContext context;
  context.InputIniPath = ini_path;
  ReadPlannedSettings(context, platform);
  prelude.run = context;
  settings = ShownSettings(context);
  if (settings.app_instl_path.empty()) {
    EndWithError(prelude, PlanEnding::kMissingAppInstlPath, LogRecord::kMissingKeyError,
                 KeyName(Key::kAppInstlPath));
    return prelude;
  }
  if (!language_table.empty()) platform.files().Bind(settings.language_table_path, language_table);
  if (platform.GetAttributes(settings.language_table_path) == kInvalidFileAttributes) {
    EndWithError(prelude, PlanEnding::kMissingLanguageTable, LogRecord::kFileOpenError,
                 settings.language_table_path);
    return prelude;
  }

  PlanLanguage& chosen = prelude.language;
  chosen.by_lcid = language.by_lcid;
  if (language.by_lcid) {
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
  static_cast<RunSettings&>(context) = prelude.run;
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
  context.InputIniPath = platform.ini_path();
  ReadRunSettings(SettingsStretch::kBeforeLog, context, platform);
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
