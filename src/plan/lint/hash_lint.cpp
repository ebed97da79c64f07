#include "plan/lint/hash_lint.h"

#include <algorithm>
#include <map>
#include <utility>
#include "base/ini_keys.h"

#include "base/profile_value.h"
#include "base/utf.h"
#include "plan/matrix/matrix.h"
#include "plan/planning/plan_words.h"
#include "runner/hash_list.h"

namespace quill::plan {

namespace {

int HashListLine(const PlanPlatform& platform) {
  const IniKey* key = platform.ini().FindKey(kSettingsSection, KeyName(Key::kHashList));
  return key != nullptr ? IniLines(platform.ini()).Of(*key) : 0;
}

// The list's own lines that do not read, in the list's file.
void LintListLines(const PlanSettings& settings, PlanPlatform& platform,
                   std::vector<Finding>* findings) {
  std::string bytes;
  if (!platform.files().ReadBytes(settings.hash_list_path, &bytes)) return;
  const std::string file = platform.files().Locate(settings.hash_list_path);
  for (int32_t line : ParseHashList(bytes, u"C:").unread_lines) {
    findings->push_back({file, line, "hash-list-line-unread", Severity::kError,
                         "not a line as sha256sum writes it (64 hex digits, two blanks or a "
                         "blank and \"*\", a path): the run tells it and starts nothing by it"});
  }
}

// Each file once, with the first application that reaches it.
void CollectChecks(const Matrix& matrix, std::map<WString, std::pair<WString, WString>>* refused) {
  for (const MachineMatrix& machine : matrix.machines) {
    for (const auto* passes : {&machine.pass0, &machine.pass1}) {
      for (const PassPlan& pass : *passes) {
        for (const PlanEntry& entry : pass.entries) {
          if (entry.hash_checks.empty() || entry.hash_checks.back().why.empty()) continue;
          const FileCheck& failed = entry.hash_checks.back();
          refused->emplace(failed.file, std::make_pair(entry.app_section, failed.why));
        }
      }
    }
  }
}

Finding RefusedFinding(const std::string& ini_file, int line, const WString& file,
                       const std::pair<WString, WString>& refused) {
  const std::string what = ToUtf8(file) + " (of [" + ToUtf8(refused.first) + "])";
  if (refused.second == u"not in the list") {
    return {ini_file, line, "hash-list-missing-installer", Severity::kError,
            what + " is not in the HashList: no run starts it"};
  }
  if (refused.second.find(u", found ") != WString::npos) {
    return {ini_file, line, "hash-list-stale", Severity::kError,
            what + ": the list is stale, " + ToUtf8(refused.second) + " in the mapped file"};
  }
  return {ini_file, line, "hash-list-not-verified", Severity::kError,
          what + ": " + ToUtf8(refused.second) + "; no run starts it"};
}

}  // namespace

std::vector<Finding> LintHashList(const std::string& ini_file, const std::string& language_table,
                                  PlanPlatform& platform) {
  std::vector<Finding> findings;
  const WString given = ReadProfileValue(kSettingsSection, KeyName(Key::kHashList),
                                         platform.ini_path(), platform, platform);
  if (given.empty()) return findings;  // no matrix made for nothing
  // Besides the machines with sections, one with none runs the common
  // lists only; no section can be named with "]".
  MatrixScope anyone;
  anyone.machines.push_back(u"0x]");
  const Matrix matrix = MakeMatrix(language_table, platform, anyone, nullptr, nullptr);
  const PlanSettings& settings = matrix.prelude.settings;
  if (settings.hash_list_text.empty()) return findings;
  const int line = HashListLine(platform);
  if (!settings.hash_list_read) {
    findings.push_back({ini_file, line, "hash-list-unreadable", Severity::kError,
                        HashListText(settings) + " (give --map for its folder)"});
    return findings;
  }
  LintListLines(settings, platform, &findings);
  std::map<WString, std::pair<WString, WString>> refused;
  CollectChecks(matrix, &refused);
  for (const auto& [file, why] : refused)
    findings.push_back(RefusedFinding(ini_file, line, file, why));
  return findings;
}

void AddHashListFindings(const std::string& ini_file, const std::string& language_table,
                         PlanPlatform& platform, std::vector<Finding>* findings) {
  for (Finding& finding : LintHashList(ini_file, language_table, platform)) {
    findings->push_back(std::move(finding));
  }
  std::stable_sort(findings->begin(), findings->end(), [](const Finding& a, const Finding& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
}

}  // namespace quill::plan
