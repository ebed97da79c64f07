#include "plan/lint/deployment_lint.h"

#include <algorithm>
#include "base/ini_keys.h"

#include "base/profile_value.h"
#include "base/utf.h"
#include "plan/lint/ini_lint.h"
#include "plan/lint/table_lint.h"
#include "plan/planning/table_scan.h"

namespace quill::plan {

namespace {

// The table and its codes, when the run's table path can be read here.
void LintTable(const std::string& ini_file, const std::string& language_table,
               PlanPlatform& platform, std::vector<WString>* codes,
               std::vector<Finding>* findings) {
  const WString app_instl_path = ReadProfileValue(kSettingsSection, KeyName(Key::kAppInstlPath),
                                                  platform.ini_path(), platform, platform);
  const WString table_path = app_instl_path + u"\\LANG.INI";
  if (!language_table.empty()) platform.files().Bind(table_path, language_table);
  // A mapping that answers the share without the table is the run's error record, not a gap.
  if (!app_instl_path.empty() && language_table.empty()) {
    const FileAnswer answer = platform.files().Question(table_path, false);
    if (answer.basis == AnswerBasis::kMapped && !answer.exists) {
      const std::string path = ToUtf8(table_path);
      findings->push_back({ini_file, 0, "language-table-missing", Severity::kError,
                           "the language table " + path + " is not there (--map answers it as " +
                               answer.local +
                               "): the run ends at once with \"ERROR:: Error "
                               "opening " +
                               path + " file!\""});
      return;
    }
  }
  std::string bytes;
  if (app_instl_path.empty() || !platform.files().ReadBytes(table_path, &bytes)) {
    findings->push_back({ini_file, 0, "language-table-not-checked", Severity::kNote,
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

std::vector<Finding> LintDeployment(const std::string& ini_file, const std::string& language_table,
                                    PlanPlatform& platform) {
  std::vector<WString> codes;
  std::vector<Finding> findings;
  LintTable(ini_file, language_table, platform, &codes, &findings);
  for (const Finding& finding : LintIni(ini_file, codes, platform)) findings.push_back(finding);
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  return findings;
}

}  // namespace quill::plan
