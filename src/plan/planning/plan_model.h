#ifndef QUILL_PLAN_PLANNING_PLAN_MODEL_H_
#define QUILL_PLAN_PLANNING_PLAN_MODEL_H_

// What a run would do on one machine, as quillplan shows it.
#include <cstdint>
#include <map>
#include <vector>

#include "plan/windows/machine_files.h"
#include "platform/wide_string.h"
#include "runner/hash_list.h"

namespace quill::plan {

enum class PlanEnding {
  kBothPasses,           // exit code 1
  kNoSystemId,           // the run ends before its log is opened
  kMissingAppInstlPath,  // error record, log closed
  kMissingLanguageTable,  // error record, log closed
  kUnrecognisedSystem,   // after pass 0
};

enum class SkipReason {
  kNone,
  kNoSection,
  kNoAppPath,
  kNoLanguageFolder,
  kNotVerified,
  kInstalledAlready,  // every detection rule holds on the machine
};

struct FileQuestionAsked {
  WString path;
  FileAnswer answer;
};

struct PlanEntry {
  int pass = 0;
  WString list_section;
  WString app_key;
  WString app_section;
  WString app_path;      // as the core read them
  WString app_switches;
  bool launched = false;
  WString command_line;  // as built, as the launched record shows it
  WString handed;        // as handed to the platform to start
  // In a matrix: the command line shows "<code>" where the row's language
  // code went, so that languages which differ in nothing else share a plan.
  bool language_template = false;
  SkipReason skip = SkipReason::kNone;
  std::vector<FileQuestionAsked> questions;  // asked while the command was built
  bool exit_codes_judged = false;  // the run records and judges its exit code
  WString success_codes;           // its SuccessCodes as read; empty: the defaults
  std::vector<WString> detect_rules;  // "DetectMsi=..." of each rule given, as read
  std::vector<std::string> detect_assumed;  // what the rules' answers rest on, when launched
  // With a HashList: its files as checked, up to the first that fails.
  std::vector<FileCheck> hash_checks;
  // Its own MaxInstallTime, WaitForChildren and StopAtTimeLimit as read
  // (empty: not given, or not read without its key in [Settings]), and the
  // wait they and [Settings] give it.
  WString own_max_install_time, own_wait_for_children, own_stop_at_time_limit;
  LaunchLimits limits;
  bool limits_shown = false;  // some key of the tree or the limit is given
};

struct PassPlan {
  int pass = 0;
  WString common_section;
  WString machine_section;
  std::vector<PlanEntry> entries;
};

struct PlanSettings {
  WString log_file;  // the trimmed values as read; empty when not given
  WString log_path;
  WString max_install_time_text;
  int32_t max_install_time = 300;
  WString wait_for_exit_text;
  bool wait_for_exit = false;  // each wait ends with its installer
  WString newer_windows_text;
  bool newer_windows = false;  // Windows after Vista named
  // The installer's tree and its limit, and the wait for Windows Installer.
  WString wait_for_children_text, stop_at_time_limit_text, installer_service_text;
  bool wait_for_children = false;
  bool stop_at_time_limit = false;
  int32_t installer_service_seconds = 0;
  WString app_instl_path;
  WString language_table_path;
  // The exit-code keys as read (empty: not given), and the run's reading.
  WString log_exit_codes_text;
  WString busy_codes_text;
  WString busy_retries_text;
  WString busy_retry_pause_text;
  bool log_exit_codes = false;
  std::vector<uint32_t> busy_codes;
  int32_t busy_retries = 0;
  int32_t busy_retry_pause = 0;
  WString max_restarts_text;
  int32_t max_restarts = 0;  // 0 too where LogExitCodes=1 is not given
  // The HashList as read (empty: not given), its full path, and its lines.
  WString hash_list_text;
  WString hash_list_path;
  bool hash_list_read = false;
  std::map<WString, ListedHash> listed_hashes;
  WString log_copy_text;  // LogCopy as read; empty: not given
};

struct PlanLanguage {
  bool by_lcid = false;  // false: the language code was given
  WString lcid_text;
  WString language_code;
  int matched = 0;       // what the lookup gave
  bool table_read = false;
  bool fallback_read = false;  // the copy C:\LANG_INI.TXT was read instead
};

struct Plan {
  WString system_id;
  WString os_type;  // empty when the system is not one the program names
  PlanSettings settings;
  PlanLanguage language;
  std::vector<PassPlan> passes;
  PlanEnding ending = PlanEnding::kBothPasses;
  int exit_code = 0;
  WString error_record;  // the record an error ending writes
  std::vector<FileQuestionAsked> assumptions;  // one for each path, in order
};

// The file questions that no binding or mapping answered: the first `keep`
// paths, each once, and how many questions were answered so.
class Assumptions {
 public:
  explicit Assumptions(size_t keep = static_cast<size_t>(-1)) : keep_(keep) {}
  void Add(const FileQuestionAsked& question);
  // Another's questions after these.
  void Merge(const Assumptions& other);
  // More questions answered so, none of them kept.
  void Count(size_t answered) { answered_ += answered; }
  bool full() const { return kept_.size() >= keep_; }
  size_t keep() const { return keep_; }
  const std::vector<FileQuestionAsked>& kept() const { return kept_; }
  size_t answered() const { return answered_; }

 private:
  size_t keep_;
  std::vector<FileQuestionAsked> kept_;
  size_t answered_ = 0;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_PLAN_MODEL_H_
