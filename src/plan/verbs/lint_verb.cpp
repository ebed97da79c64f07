#include <algorithm>
#include <memory>

#include <nlohmann/json.hpp>

#include "base/profile_value.h"
#include "plan/lint/ini_lint.h"
#include "plan/lint/table_lint.h"
#include "plan/planning/plan_platform.h"
#include "plan/planning/table_scan.h"
#include "plan/verbs/verb_inputs.h"
#include "plan/verbs/verbs.h"
#include "plan/windows/utf.h"

namespace quill::plan {

namespace {

// The table and its codes, when the run's table path can be read here.
void LintTable(const LintOptions& options, PlanPlatform& platform,
               std::vector<WString>* codes, std::vector<Finding>* findings) {
  const WString app_instl_path =
      ReadProfileValue(u"Settings", u"AppInstlPath", platform.ini_path(), platform, platform);
  const WString table_path = app_instl_path + u"\\LANG.INI";
  if (!options.files.language_table.empty()) platform.files().Bind(table_path, options.files.language_table);
  std::string bytes;
  if (app_instl_path.empty() || !platform.files().ReadBytes(table_path, &bytes)) {
    findings->push_back({options.ini, 0, "language-table-not-checked", Severity::kNote,
                         "the language table was not checked: give --lang-table, or a --map "
                         "that answers AppInstlPath\\LANG.INI"});
    return;
  }
  const std::string file = platform.files().Locate(table_path);
  for (const Finding& finding : LintLanguageTable(bytes, file, platform)) findings->push_back(finding);
  for (const TableLanguage& language : TableLanguages(ScanLanguageTable(bytes, platform))) {
    if (std::find(codes->begin(), codes->end(), language.section) == codes->end()) {
      codes->push_back(language.section);
    }
  }
}

}  // namespace

int RunLintVerb(const LintOptions& options, std::ostream& out, std::ostream& err) {
  VerbMachine machine;
  if (!machine.Load(options.ini, options.files, err)) return kCannotRun;
  PlanPlatform& platform = machine.platform();
  std::vector<WString> codes;
  std::vector<Finding> findings;
  LintTable(options, platform, &codes, &findings);
  for (const Finding& finding : LintIni(options.ini, codes, platform)) findings.push_back(finding);
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });

  int errors = 0;
  int warnings = 0;
  for (const Finding& finding : findings) {
    errors += finding.severity == Severity::kError;
    warnings += finding.severity == Severity::kWarning;
  }
  const int status = LintExitStatus(findings);
  if (options.json) {
    nlohmann::ordered_json json;
    json["findings"] = nlohmann::ordered_json::array();
    for (const Finding& finding : findings) {
      json["findings"].push_back({{"file", finding.file},
                                  {"line", finding.line},
                                  {"rule", finding.rule},
                                  {"severity", SeverityName(finding.severity)},
                                  {"message", finding.message}});
    }
    json["errors"] = errors;
    json["warnings"] = warnings;
    json["exit_status"] = status;
    out << json.dump(2) << "\n";
    return status;
  }
  for (const Finding& finding : findings) {
    out << finding.file << ":" << finding.line << ": " << SeverityName(finding.severity) << " ["
        << finding.rule << "] " << finding.message << "\n";
  }
  out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
      << (warnings == 1 ? " warning" : " warnings") << "\n";
  return status;
}

}  // namespace quill::plan
