// quillplan: shows what a run of the installer driver would do on a given
// machine, lints its input files, and reads its run logs.
#include <cstring>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "base/utf.h"
#include "plan/host/console.h"
#include "plan/host/wildcards.h"
#include "plan/verbs/path_arguments.h"
#include "plan/verbs/verbs.h"
#include "plan/text/shown_text.h"

namespace {

using quill::plan::MachineFileOptions;

// A verb with its one input file and --json.
CLI::App* AddVerb(CLI::App& app, const char* name, const char* description, const char* input,
                  std::string* path, bool* json) {
  CLI::App* verb = app.add_subcommand(name, description);
  verb->add_option(input, *path, input == std::string("LOG") ? "the run log" : "the input INI file")
      ->required();
  verb->add_flag("--json", *json, "JSON instead of text");
  return verb;
}

void AddMachineFileOptions(CLI::App* verb, MachineFileOptions* files) {
  verb->add_option("--map", files->maps,
                   "PREFIX=DIR: answer the Windows path PREFIX (\"C:\", \"C:\\Apps\") from the "
                   "local directory DIR; repeatable");
  verb->add_option("--lang-table", files->language_table,
                   "local file that stands for the language table (AppInstlPath\\LANG.INI)");
  verb->add_flag("--assume-missing", files->assume_missing,
                 "take paths that no --map answers as missing (default: present)");
}

const char* const kVerbs[] = {"plan", "matrix", "lint", "report", "diff"};

// One table for every verb; the README shows it as it stands here.
const char kExitStatus[] =
    "Exit status, the same in every verb:\n"
    "  0  all good: nothing found, nothing changed, every input read\n"
    "  1  something found: lint warnings, changes in diff, files or lines report skipped\n"
    "  2  trouble: an input could not be read or is not what it should be (lint errors,\n"
    "     a file that is no run log), an output could not be written, or memory ran out\n"
    "  3  usage: an unknown verb or option, a missing or malformed argument\n";

// The first word that is no option must be a verb; CLI11 would only say
// that one is required.
bool UnknownVerb(int argc, char** argv, std::ostream& err) {
  if (argc < 2 || argv[1][0] == '-') return false;
  for (const char* verb : kVerbs) {
    if (std::strcmp(argv[1], verb) == 0) return false;
  }
  err << "quillplan: no verb " << quill::plan::Shown(argv[1])
            << "; the verbs are plan, matrix, lint, report and diff (quillplan --help)\n";
  return true;
}

int Main(int argc, char** argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"quillplan: what a QUILLRUN.EXE run would do, lint of its INI files, and run-log "
               "reports"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "quillplan " QUILLPLAN_VERSION);
  app.footer(kExitStatus);
  if (UnknownVerb(argc, argv, err)) return quill::plan::kUsage;

  quill::plan::PlanOptions plan;
  CLI::App* plan_verb = AddVerb(app, "plan", "the launches a run would make on one machine", "INI",
                                &plan.ini, &plan.json);
  plan_verb->add_option("--system-id", plan.system_id,
                        "machine identifier as the identity library gives it; SystemID is "
                        "\"0x\" followed by it")
      ->required();
  plan_verb->add_option("--os", plan.os, "WINXP, VISTA32, VISTA64, or any other word for a "
                                         "Windows the program does not name")
      ->required();
  CLI::Option* lcid = plan_verb->add_option("--lcid", plan.lcid, "the user's locale, as 0x407");
  CLI::Option* code =
      plan_verb->add_option("--language-code", plan.language_code, "the language code itself");
  lcid->excludes(code);
  AddMachineFileOptions(plan_verb, &plan.files);

  quill::plan::MatrixOptions matrix;
  CLI::App* matrix_verb =
      AddVerb(app, "matrix", "the plan for every machine section x operating system x language",
              "INI", &matrix.ini, &matrix.json);
  AddMachineFileOptions(matrix_verb, &matrix.files);
  matrix_verb->add_option("--fleet", matrix.fleet,
                          "PATH...: run logs and folders, read as report reads them: only the "
                          "cells their PCs occupy (by each log's latest run), with the PCs in each");

  quill::plan::LintOptions lint;
  CLI::App* lint_verb = AddVerb(
      app, "lint", "findings in the INI file and the language table; exit 0 clean, 1 warnings, 2 errors",
      "INI", &lint.ini, &lint.json);
  AddMachineFileOptions(lint_verb, &lint.files);

  // report: one log's runs, or the totals of a fleet of logs.
  quill::plan::ReportOptions report;
  CLI::App* report_verb = app.add_subcommand(
      "report", "one log's runs and applications, or the totals of many logs and folders; "
                "exit 0 all read, 1 files or lines skipped, 2 no log read");
  report_verb->add_option("PATH", report.logs,
                          "run logs and folders of them, read recursively; a link named here is "
                          "followed, one inside a folder is not (it is named as skipped); a file "
                          "is read once however many paths lead to it")
      ->required();
  report_verb->add_flag("--json", report.json, "JSON instead of text");
  report_verb->add_flag("--fleet", report.fleet, "the totals even when one file is given");
  report_verb->add_option("--csv", report.csv,
                          "FILE: one row per application run (RFC 4180); a cell that would start "
                          "a formula gets a leading apostrophe; - for standard output");
  report_verb->add_option("--html", report.html,
                          "FILE: a page with the totals drawn; - for standard output");
  report_verb->add_option("--since", report.since,
                          "DATE (2026-03-01): only runs from that day on, by the time in their banner");
  report_verb->add_option("--until", report.until, "DATE: only runs up to that day, the day included");
  report_verb->add_option("--app", report.app,
                          "NAME: only runs of this application, and of them only its rows");
  report_verb->add_option("--model", report.model, "SYSTEMID: only runs on this model");
  report_verb->add_option("--os", report.os,
                          "OSTYPE: only runs on this Windows (WINXP, VISTA32, VISTA64, ...; (none))");
  report_verb->add_option("--top", report.top,
                          "N: the PCs still failing listed in the text (25); JSON and CSV list all")
      ->check(CLI::NonNegativeNumber);

  // diff: two deployments, each side with its own files. The shared
  // options come after a side's own, so that for the same prefix the
  // side's own mapping answers.
  quill::plan::DiffOptions diff;
  MachineFileOptions diff_both;
  CLI::App* diff_verb = app.add_subcommand(
      "diff", "the cells whose plan an edit changes, grouped by change, and the lint findings "
              "new in NEW; exit 0 no change, 1 changes, 2 an input could not be read");
  diff_verb->add_option("OLD", diff.old_ini, "the input INI file as it is")->required();
  diff_verb->add_option("NEW", diff.new_ini, "the input INI file as edited")->required();
  diff_verb->add_flag("--json", diff.json, "JSON instead of text");
  AddMachineFileOptions(diff_verb, &diff_both);
  diff_verb->add_option("--old-map", diff.old_files.maps, "PREFIX=DIR for OLD only; repeatable");
  diff_verb->add_option("--new-map", diff.new_files.maps, "PREFIX=DIR for NEW only; repeatable");
  diff_verb->add_option("--old-lang-table", diff.old_files.language_table,
                        "the language table for OLD only");
  diff_verb->add_option("--new-lang-table", diff.new_files.language_table,
                        "the language table for NEW only");
  diff_verb->add_flag("--every-machine", diff.every_machine,
                      "plan every machine, also those whose sections read the same in both");
  diff_verb->add_option("--fleet", diff.fleet,
                        "PATH...: run logs and folders, read as report reads them: the PCs each "
                        "change touches, by the SystemID, OSType and LCID of each log's latest "
                        "run; exit 1 only when a change touches one");
  diff_verb->add_option("--csv", diff.csv,
                        "FILE: with --fleet, one row per change and PC it touches and per PC "
                        "not planned (RFC 4180); - for standard output");
  diff_verb->footer(
      "--map, --lang-table and --assume-missing hold for both sides; --old-map, --new-map, "
      "--old-lang-table and --new-lang-table for one, and a side's own mapping answers before "
      "a shared one of the same prefix. With the same files on both sides, a machine whose "
      "settings, lists and listed sections read the same in both is not planned again.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error, out, err);
    return status == 0 ? quill::plan::kAllGood : quill::plan::kUsage;
  }
  if (plan.lcid.empty() && !code->count() && *plan_verb) {
    err << "quillplan plan: give --lcid or --language-code\n";
    return quill::plan::kUsage;
  }
  // Where the shell leaves wildcards to the tool, each input path is expanded.
  const std::unique_ptr<quill::plan::Wildcards> wildcards = quill::plan::MakeWildcards();
  const char* verb = app.get_subcommands().front()->get_name().c_str();
  std::vector<std::string*> single = {&plan.ini, &matrix.ini, &lint.ini, &diff.old_ini, &diff.new_ini};
  for (MachineFileOptions* files : {&plan.files, &matrix.files, &lint.files, &diff_both,
                                    &diff.old_files, &diff.new_files}) {
    single.push_back(&files->language_table);
  }
  if (const int status = quill::plan::ExpandInputPaths(*wildcards, verb, single,
                                                       {&matrix.fleet, &report.logs, &diff.fleet}, err)) {
    return status;
  }
  if (*diff_verb) {
    for (MachineFileOptions* side : {&diff.old_files, &diff.new_files}) {
      side->maps.insert(side->maps.end(), diff_both.maps.begin(), diff_both.maps.end());
      if (side->language_table.empty()) side->language_table = diff_both.language_table;
      side->assume_missing = diff_both.assume_missing;
    }
    return quill::plan::RunDiffVerb(diff, out, err);
  }
  if (*plan_verb) return quill::plan::RunPlanVerb(plan, out, err);
  if (*matrix_verb) return quill::plan::RunMatrixVerb(matrix, out, err);
  if (*lint_verb) return quill::plan::RunLintVerb(lint, out, err);
  return quill::plan::RunReportVerb(report, out, err);
}

// Whatever a verb says, it is an error when it could not be written; and
// memory that runs out is told, not an abort.
int Guarded(int argc, char** argv) {
  quill::plan::StandardStreams streams;
  std::ostream& out = streams.out();
  std::ostream& err = streams.err();
  int status = quill::plan::kTrouble;
  try {
    status = Main(argc, argv, out, err);
  } catch (const std::bad_alloc&) {
    err << "quillplan: out of memory\n";
    return quill::plan::kTrouble;
  } catch (const std::exception& error) {
    err << "quillplan: " << quill::plan::Shown(error.what()) << "\n";
    return quill::plan::kTrouble;
  }
  if (!out.flush()) {
    err << "quillplan: cannot write to standard output\n";
    return quill::plan::kTrouble;
  }
  return status;
}

}  // namespace

#ifdef _WIN32
// Windows hands over the arguments in UTF-16; quillplan works in UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    arguments.push_back(quill::ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(&argument[0]);
  return Guarded(argc, pointers.data());
}
#else
int main(int argc, char** argv) { return Guarded(argc, argv); }
#endif
