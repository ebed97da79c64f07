#include "plan/verbs/command_line.h"

#include <cstring>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "plan/verbs/error_form.h"
#include "plan/verbs/path_arguments.h"

namespace quill::plan {

namespace {

const char* const kVerbs[] = {"plan", "matrix", "lint", "report", "diff", "hash"};

// One table for every verb; the README shows it as it stands here.
const char kExitStatus[] =
    "Exit status, the same in every verb:\n"
    "  0  all good: nothing found, nothing changed, every input read\n"
    "  1  something found: lint warnings, changes in diff, files or lines report skipped\n"
    "  2  trouble: an input could not be read or is not what it should be (lint errors,\n"
    "     a log named alone that is no run log), an output could not be written, or\n"
    "     memory ran out\n"
    "  3  usage: an unknown verb or option, a missing or malformed argument, an output\n"
    "     that is an input or another output\n"
    "A file that is no run log among the logs is named on stderr: report counts it as\n"
    "skipped (1); diff --fleet and matrix --fleet keep their answer (0 or 1).\n";

// The verb the first argument names, or none.
std::string VerbNamed(int argc, char** argv) {
  if (argc < 2) return std::string();
  for (const char* verb : kVerbs) {
    if (std::strcmp(argv[1], verb) == 0) return verb;
  }
  return std::string();
}

CLI::App* AddVerb(CLI::App& app, const char* name, const char* description, const char* example) {
  CLI::App* verb = app.add_subcommand(name, description);
  verb->footer(std::string("Example:\n  ") + example);
  return verb;
}

// A verb's one input file and --json.
void AddInput(CLI::App* verb, const char* input, std::string* path, bool* json) {
  verb->add_option(input, *path, "the input INI file")->required();
  verb->add_flag("--json", *json, "JSON instead of text");
}

void AddMachineFileOptions(CLI::App* verb, MachineFileOptions* files) {
  verb->add_option("--map", files->maps,
                   "PREFIX=DIR: answer the Windows path PREFIX (\"C:\", \"C:\\Apps\", "
                   "\"\\\\server\\share\") from the local directory DIR; repeatable (default: none)");
  verb->add_option("--lang-table", files->language_table,
                   "local file that stands for the language table (AppInstlPath\\LANG.INI) "
                   "(default: as --map answers it)");
  verb->add_flag("--assume-missing", files->assume_missing,
                 "take paths that no --map answers as missing (default: present)");
}

CLI::App* AddPlan(CLI::App& app, PlanOptions* plan) {
  CLI::App* verb = AddVerb(app, "plan", "the launches a run would make on one machine",
                           "quillplan plan deploy.ini --system-id A1B2 --os WINXP --lcid 0x407 "
                           "--map C:=/srv/image");
  AddInput(verb, "INI", &plan->ini, &plan->json);
  verb->add_option("--system-id", plan->system_id,
                   "machine identifier as the identity library gives it (A1B2), or the SystemID "
                   "as the log shows it (0xA1B2): one leading 0x is taken as the SystemID's; a "
                   "library that reports 0xA1B2 itself gives SystemID 0x0xA1B2")
      ->required();
  verb->add_option("--os", plan->os,
                   "WINXP, VISTA32, VISTA64, a newer one as WIN10X64 (named with NewerWindows=1), "
                   "or any other word for a Windows the program does not name")
      ->required();
  CLI::Option* lcid = verb->add_option("--lcid", plan->lcid, "the user's locale, as 0x407");
  CLI::Option* code =
      verb->add_option("--language-code", plan->language_code, "the language code itself");
  lcid->excludes(code);
  AddMachineFileOptions(verb, &plan->files);
  return verb;
}

void AddMatrix(CLI::App& app, MatrixOptions* matrix) {
  CLI::App* verb = AddVerb(app, "matrix",
                           "the plan for every machine section x operating system x language",
                           "quillplan matrix deploy.ini --map C:=/srv/image --fleet /srv/logs");
  AddInput(verb, "INI", &matrix->ini, &matrix->json);
  AddMachineFileOptions(verb, &matrix->files);
  verb->add_option("--fleet", matrix->fleet,
                   "PATH...: run logs and folders, read as report reads them: only the cells "
                   "their PCs occupy (by each log's latest run), with the PCs in each "
                   "(default: every cell)");
}

void AddLint(CLI::App& app, LintOptions* lint) {
  CLI::App* verb = AddVerb(app, "lint", "findings in the INI file and the language table",
                           "quillplan lint deploy.ini --lang-table LANG.INI");
  AddInput(verb, "INI", &lint->ini, &lint->json);
  AddMachineFileOptions(verb, &lint->files);
}

void AddReport(CLI::App& app, ReportOptions* report) {
  CLI::App* verb = AddVerb(app, "report",
                           "one log's runs and applications, or the totals of many logs and "
                           "folders",
                           "quillplan report /srv/logs --since 2026-03-01 --csv runs.csv");
  verb->add_option("PATH", report->logs,
                   "run logs and folders of them, read recursively; a link named here is "
                   "followed, one inside a folder is not (it is named as skipped); a file is "
                   "read once however many paths lead to it")
      ->required();
  verb->add_flag("--json", report->json, "JSON instead of text");
  verb->add_flag("--fleet", report->fleet, "the totals even when one file is given");
  verb->add_option("--csv", report->csv,
                   "FILE: one row per application run (RFC 4180); a cell that would start a "
                   "formula gets a leading apostrophe; - for standard output (default: none)");
  verb->add_option("--html", report->html,
                   "FILE: a page with the totals drawn; - for standard output (default: none)");
  verb->add_option("--since", report->since,
                   "DATE (2026-03-01): only runs from that day on, by the time in their banner "
                   "(default: the first)");
  verb->add_option("--until", report->until,
                   "DATE: only runs up to that day, the day included (default: the last)");
  verb->add_option("--app", report->app,
                   "NAME: only runs of this application, and of them only its rows (default: all)");
  verb->add_option("--model", report->model, "SYSTEMID: only runs on this model (default: all)");
  verb->add_option(
      "--os", report->os,
      "OSTYPE: only runs on this Windows (WINXP, VISTA32, VISTA64, WIN10X64, ...; (none)) "
      "(default: all)");
  verb->add_option("--top", report->top,
                   "N: the PCs still failing listed in the text; JSON and CSV list all")
      ->check(CLI::Validator(
          [](const std::string& text) {
            const bool whole = !text.empty() && text.size() < 10 &&
                               text.find_first_not_of("0123456789") == std::string::npos;
            return whole ? std::string() : "wants a whole number, 0 or more, not " + text;
          },
          "NONNEGATIVE"))
      ->capture_default_str();
}

// The shared options come after a side's own, so that for the same prefix
// the side's own mapping answers.
void AddDiff(CLI::App& app, DiffOptions* diff, MachineFileOptions* both) {
  CLI::App* verb = AddVerb(app, "diff",
                           "the cells whose plan an edit changes, grouped by change, and the lint "
                           "findings new in NEW",
                           "quillplan diff deploy.ini new.ini --map C:=/srv/image --fleet /srv/logs");
  verb->add_option("OLD", diff->old_ini, "the input INI file as it is")->required();
  verb->add_option("NEW", diff->new_ini, "the input INI file as edited")->required();
  verb->add_flag("--json", diff->json, "JSON instead of text");
  AddMachineFileOptions(verb, both);
  verb->add_option("--old-map", diff->old_files.maps, "PREFIX=DIR for OLD only; repeatable");
  verb->add_option("--new-map", diff->new_files.maps, "PREFIX=DIR for NEW only; repeatable");
  verb->add_option("--old-lang-table", diff->old_files.language_table,
                   "the language table for OLD only (default: --lang-table)");
  verb->add_option("--new-lang-table", diff->new_files.language_table,
                   "the language table for NEW only (default: --lang-table)");
  verb->add_flag("--every-machine", diff->every_machine,
                 "plan every machine, also those whose sections read the same in both");
  verb->add_option("--fleet", diff->fleet,
                   "PATH...: run logs and folders, read as report reads them: the PCs each "
                   "change touches, by the SystemID, OSType and LCID of each log's latest run "
                   "(default: no PCs)");
  verb->add_option("--csv", diff->csv,
                   "FILE: with --fleet, one row per change and PC it touches and per PC not "
                   "planned (RFC 4180); - for standard output (default: none)");
  verb->footer(verb->get_footer() +
               "\n--map, --lang-table and --assume-missing hold for both sides; --old-map, "
               "--new-map, --old-lang-table and --new-lang-table for one, and a side's own "
               "mapping answers before a shared one of the same prefix. With the same files on "
               "both sides, a machine whose settings, lists and listed sections read the same "
               "in both is not planned again.");
}

void AddHash(CLI::App& app, HashOptions* hash) {
  CLI::App* verb = AddVerb(app, "hash",
                           "SHA-256 of the files and folders given, in sha256sum's format, for "
                           "[Settings] HashList=",
                           "quillplan hash Apps > installers.sha256");
  verb->add_option("PATH", hash->paths,
                   "files and folders, walked whole; the list names them relative to the "
                   "current folder, with /, sorted")
      ->required();
}

// Each side's files: its own, then those given for both.
void JoinSides(DiffOptions* diff, const MachineFileOptions& both) {
  for (MachineFileOptions* side : {&diff->old_files, &diff->new_files}) {
    side->maps.insert(side->maps.end(), both.maps.begin(), both.maps.end());
    if (side->language_table.empty()) side->language_table = both.language_table;
    side->assume_missing = both.assume_missing;
  }
}

// A value given empty is no value, not no filter; one that is an option
// (`--csv --json`) was an option forgotten its value.
bool ValuesGiven(const CLI::App& app, CommandLine* line, std::ostream& err) {
  std::vector<std::pair<const char*, const std::string*>> values;
  if (line->verb == "report") {
    const ReportOptions& r = line->report;
    values = {{"--since", &r.since}, {"--until", &r.until}, {"--csv", &r.csv}, {"--html", &r.html},
              {"--app", &r.app},     {"--model", &r.model}, {"--os", &r.os}};
  } else if (line->verb == "diff") {
    values = {{"--csv", &line->diff.csv}};
  } else {
    return true;
  }
  const CLI::App* verb = app.get_subcommand(line->verb);
  for (const auto& [option, value] : values) {
    if (verb->count(option) == 0) continue;
    const bool date = option == std::string("--since") || option == std::string("--until");
    std::string cause;
    if (value->empty()) {
      cause = date ? "\"\" is no date; give one as 2026-03-31" : "wants a value, not \"\"";
    } else if (value->rfind("--", 0) == 0) {
      cause = "wants a value, not the option " + *value;
    }
    if (cause.empty()) continue;
    TellError(err, line->verb, option, cause + " (quillplan " + line->verb + " --help)");
    return false;
  }
  return true;
}

}  // namespace

std::pair<std::string, std::string> ParseErrorParts(const std::string& message) {
  static const struct {
    std::regex pattern;
    const char* what;   // $N of the match
    const char* cause;  // with $N of the match
  } kForms[] = {
      {std::regex("A subcommand is required"), "verb",
       "one is required: plan, matrix, lint, report, diff or hash"},
      {std::regex("(.+): \\d+ required ([^ ]+) missing"), "$1", "wants a value ($2)"},
      {std::regex("(.+): At Most (\\d+) required but received (\\d+)"), "$1",
       "is given $3 times; give it at most $2"},
      {std::regex("(.+) is required"), "$1", "is required"},
      {std::regex("The following arguments? (?:was|were) not expected: (.+)"), "$1",
       "not expected"},
      {std::regex("Expected (.+) arguments to (.+), got (.+)"), "$2",
       "expects $1 arguments, got $3"},
      {std::regex("(.+) excludes (.+)"), "$1", "cannot be given with $2"},
      {std::regex("(.+) requires (.+)"), "$1", "needs $2"},
      {std::regex("Could not convert: (.+) = (.+)"), "$1", "cannot take $2"},
      {std::regex("The value (.+) is not an allowed value for (.+)"), "$2", "cannot take $1"},
      {std::regex("([^ :]+): (.+)"), "$1", "$2"},
  };
  std::smatch match;
  for (const auto& form : kForms) {
    if (std::regex_match(message, match, form.pattern)) {
      return {match.format(form.what), match.format(form.cause)};
    }
  }
  return {"command line", message};
}

bool ParseCommandLine(int argc, char** argv, const char* version, CommandLine* line, int* status,
                      std::ostream& out, std::ostream& err) {
  line->verb = VerbNamed(argc, argv);
  // The first word that is no option must be a verb; CLI11 would only say
  // that one is required.
  if (line->verb.empty() && argc >= 2 && argv[1][0] != '-') {
    TellError(
        err, "", argv[1],
        "no such verb; the verbs are plan, matrix, lint, report, diff and hash (quillplan --help)");
    *status = kUsage;
    return false;
  }
  CLI::App app{"quillplan: what a QUILLRUN.EXE run would do, lint of its INI files, and run-log "
               "reports"};
  app.require_subcommand(1);
  app.set_version_flag("--version", version);
  app.footer(kExitStatus);
  MachineFileOptions diff_both;
  const CLI::App* plan = AddPlan(app, &line->plan);
  AddMatrix(app, &line->matrix);
  AddLint(app, &line->lint);
  AddReport(app, &line->report);
  AddDiff(app, &line->diff, &diff_both);
  AddHash(app, &line->hash);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) {  // --help, --version
      app.exit(error, out, err);
      *status = kAllGood;
      return false;
    }
    const auto [what, cause] = ParseErrorParts(error.what());
    const std::string help = line->verb.empty() ? "quillplan --help" : "quillplan " + line->verb + " --help";
    TellError(err, line->verb, what, cause + " (" + help + ")");
    *status = kUsage;
    return false;
  }
  if (line->verb == "plan" && line->plan.lcid.empty() && plan->count("--language-code") == 0) {
    TellError(err, "plan", "--lcid", "give it or --language-code (quillplan plan --help)");
    *status = kUsage;
    return false;
  }
  if (!ValuesGiven(app, line, err)) {
    *status = kUsage;
    return false;
  }
  if (line->verb == "diff") JoinSides(&line->diff, diff_both);
  return true;
}

int ExpandWildcards(Wildcards& wildcards, CommandLine* line, std::ostream& err) {
  std::vector<std::string*> single = {&line->plan.ini,     &line->matrix.ini, &line->lint.ini,
                                      &line->diff.old_ini, &line->diff.new_ini};
  for (MachineFileOptions* files : {&line->plan.files, &line->matrix.files, &line->lint.files,
                                    &line->diff.old_files, &line->diff.new_files}) {
    single.push_back(&files->language_table);
  }
  return ExpandInputPaths(
      wildcards, line->verb.c_str(), single,
      {&line->matrix.fleet, &line->report.logs, &line->diff.fleet, &line->hash.paths}, err);
}

int RunVerb(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.verb == "plan") return RunPlanVerb(line.plan, out, err);
  if (line.verb == "matrix") return RunMatrixVerb(line.matrix, out, err);
  if (line.verb == "lint") return RunLintVerb(line.lint, out, err);
  if (line.verb == "diff") return RunDiffVerb(line.diff, out, err);
  if (line.verb == "hash") return RunHashVerb(line.hash, out, err);
  return RunReportVerb(line.report, out, err);
}

}  // namespace quill::plan
