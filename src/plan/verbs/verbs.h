#ifndef QUILL_PLAN_VERBS_VERBS_H_
#define QUILL_PLAN_VERBS_VERBS_H_

// The five things quillplan does, each from its options to its output and
// exit status; main only parses the command line.
#include <ostream>
#include <string>
#include <vector>

namespace quill::plan {

// Exit statuses, one meaning each in every verb.
constexpr int kAllGood = 0;  // nothing found, nothing changed, every input read
constexpr int kFound = 1;    // lint warnings, diff changes, report files or lines skipped
// An input could not be read or is not what it should be (lint errors
// among them), an output could not be written, or memory ran out.
constexpr int kTrouble = 2;
constexpr int kUsage = 3;  // the command line: an unknown verb or option, a missing argument


struct MachineFileOptions {
  std::vector<std::string> maps;  // "PREFIX=DIR"
  std::string language_table;     // a local file for LANG.INI
  bool assume_missing = false;    // unanswered file questions: missing, not present
};

struct PlanOptions {
  std::string ini;
  std::string system_id;
  std::string os;
  std::string lcid;           // "0x407"; empty when the language code is given
  std::string language_code;  // used when lcid is empty
  MachineFileOptions files;
  bool json = false;
};

struct MatrixOptions {
  std::string ini;
  MachineFileOptions files;
  bool json = false;
  // Run logs and folders: only the cells their PCs occupy, with how many.
  std::vector<std::string> fleet;
};

struct LintOptions {
  std::string ini;
  MachineFileOptions files;
  bool json = false;
};

// One log file given: today's table of its runs; folders, more files or
// --fleet: the fleet's totals. --csv and --html are written either way.
struct ReportOptions {
  std::vector<std::string> logs;  // files and folders
  bool json = false;
  bool fleet = false;
  std::string csv;   // a file for one row per application run
  std::string html;  // a file for the page
  // Which runs count: ISO dates by the time in a run's banner, both days
  // included; an application, a model (SystemID), a Windows (OSType).
  std::string since;
  std::string until;
  std::string app;
  std::string model;
  std::string os;
  int top = 25;  // PCs still failing listed in the text; JSON and CSV list all
};

// Two deployments, each with its own files: the cells whose plan changes and
// the lint findings new in the second. Exit 0 no change, 1 changes, 2
// trouble, as diff has it.
struct DiffOptions {
  std::string old_ini;
  std::string new_ini;
  MachineFileOptions old_files;
  MachineFileOptions new_files;
  bool every_machine = false;  // plan even the machines whose inputs are the same
  bool json = false;
  // Run logs and folders: the PCs each change touches, by their latest
  // runs; exit 1 only when a change touches one.
  std::vector<std::string> fleet;
  std::string csv;  // with a fleet: a file for one row per change and PC; - for standard output
};

// Files and folders hashed into a list for [Settings] HashList=.
struct HashOptions {
  std::vector<std::string> paths;
};

int RunPlanVerb(const PlanOptions& options, std::ostream& out, std::ostream& err);
int RunMatrixVerb(const MatrixOptions& options, std::ostream& out, std::ostream& err);
int RunLintVerb(const LintOptions& options, std::ostream& out, std::ostream& err);
int RunReportVerb(const ReportOptions& options, std::ostream& out, std::ostream& err);
int RunDiffVerb(const DiffOptions& options, std::ostream& out, std::ostream& err);
int RunHashVerb(const HashOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quill::plan

#endif  // QUILL_PLAN_VERBS_VERBS_H_
