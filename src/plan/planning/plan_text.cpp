#include "plan/planning/plan_text.h"

#include <iomanip>
#include <string>

#include "base/utf.h"
#include "plan/planning/plan_words.h"

namespace quill::plan {

namespace {

std::string OrNotGiven(const WString& value) {
  return value.empty() ? "(not given)" : ToUtf8(value);
}

void Field(std::ostream& out, const char* label, const std::string& value) {
  out << "  " << std::left << std::setw(16) << label << value << "\n";
}

std::string AnswerText(const FileAnswer& answer) {
  std::string text = answer.exists ? "present" : "missing";
  if (answer.basis == AnswerBasis::kAssumed) return text + ", assumed: no mapping answers it";
  return text + " (" + BasisName(answer.basis) + ": " + answer.local + ")";
}

// Told under the line it concerns, only where the deployment shows it.
void WriteRisk(const std::string& risk, const std::string& indent, std::ostream& out) {
  if (!risk.empty()) out << indent << risk << "\n";
}

void WriteLanguage(const PlanLanguage& language, std::ostream& out) {
  const std::string code = language.language_code.empty()
                               ? "no language code"
                               : "language code " + ToUtf8(language.language_code);
  if (!language.by_lcid) {
    out << "language  " << code << " (given)\n";
  } else {
    std::string source = language.table_read      ? "table read"
                         : language.fallback_read ? "table unreadable, copy C:\\LANG_INI.TXT read"
                                                  : "no table could be read";
    out << "language  LCID " << ToUtf8(language.lcid_text) << " -> " << code << " (" << source
        << (language.matched ? "" : ", no section matched") << ")\n";
  }
  WriteRisk(CodeNotAFolderText(language.language_code), "          ", out);
}

}  // namespace

void WriteEntriesText(const std::vector<PlanEntry>& entries, const char* indent,
                      std::ostream& out) {
  if (entries.empty()) out << indent << "(nothing listed)\n";
  for (const PlanEntry& entry : entries) {
    out << indent << ToUtf8(entry.list_section) << " " << ToUtf8(entry.app_key) << " "
        << ToUtf8(entry.app_section) << ": ";
    if (!entry.launched) {
      out << "skipped, " << SkipText(entry) << "\n";
      continue;
    }
    out << "launch " << ToUtf8(entry.command_line) << "\n";
    if (entry.handed != entry.command_line) {
      out << indent << "  started as " << ToUtf8(entry.handed) << "\n";
    }
    if (entry.exit_codes_judged)
      out << indent << "  success codes " << SuccessCodesText(entry) << "\n";
    if (entry.limits_shown) out << indent << "  waits for " << LaunchLimitsText(entry) << "\n";
    if (!entry.detect_rules.empty()) {
      out << indent << "  not started when installed: " << DetectRulesText(entry) << "\n";
    }
    for (const std::string& assumed : entry.detect_assumed) {
      out << indent << "    assumed: " << assumed << "\n";
    }
    for (const FileCheck& check : entry.hash_checks) {
      out << indent << "  verified " << ToUtf8(check.file) << " against line " << check.line
          << " of the HashList\n";
    }
    WriteRisk(AppPathSearchText(entry.app_path), std::string(indent) + "  ", out);
  }
}

void WritePlanText(const Plan& plan, std::ostream& out) {
  if (plan.ending == PlanEnding::kNoSystemId) {
    out << "result    " << EndingText(plan) << "\nexit code 0\n";
    return;
  }
  out << "machine   SystemID " << ToUtf8(plan.system_id) << ", OSType "
      << (plan.os_type.empty() ? "(none: not a system the program names)" : ToUtf8(plan.os_type))
      << "\n";
  const PlanSettings& settings = plan.settings;
  out << "settings\n";
  Field(out, "LogFile", OrNotGiven(settings.log_file));
  Field(out, "log path", ToUtf8(settings.log_path));
  Field(out, "MaxInstallTime",
        OrNotGiven(settings.max_install_time_text) + " -> " +
            std::to_string(settings.max_install_time) + " seconds");
  Field(out, "WaitForExit",
        OrNotGiven(settings.wait_for_exit_text) +
            (settings.wait_for_exit ? " -> yes: each wait ends when its installer does"
                                    : " -> no: every pause is slept whole"));
  if (!settings.newer_windows_text.empty()) {
    Field(out, "NewerWindows",
          ToUtf8(settings.newer_windows_text) +
              (settings.newer_windows ? " -> yes: the Windows after Vista are named too"
                                      : " -> no: only WINXP, VISTA32 and VISTA64 are named"));
  }
  if (!settings.wait_for_children_text.empty()) {
    Field(out, "WaitForChildren",
          ToUtf8(settings.wait_for_children_text) + (settings.wait_for_children
                                                         ? " -> yes: the whole tree"
                                                         : " -> no: the installer alone"));
  }
  if (!settings.stop_at_time_limit_text.empty()) {
    Field(
        out, "StopAtTimeLimit",
        ToUtf8(settings.stop_at_time_limit_text) +
            (settings.stop_at_time_limit ? " -> yes: ended at the limit" : " -> no: left running"));
  }
  if (!settings.installer_service_text.empty()) {
    Field(out, "WaitForInstallerService",
          ToUtf8(settings.installer_service_text) + " -> " +
              std::to_string(settings.installer_service_seconds) +
              " seconds at most for Windows Installer before an MSI");
  }
  Field(out, "AppInstlPath", OrNotGiven(settings.app_instl_path));
  if (!settings.language_table_path.empty()) {
    Field(out, "language table", ToUtf8(settings.language_table_path));
  }
  if (ExitKeysGiven(settings)) Field(out, "exit codes", ExitCodesText(settings));
  if (!settings.hash_list_text.empty()) Field(out, "HashList", HashListText(settings));
  if (!settings.log_copy_text.empty()) Field(out, "LogCopy", LogCopyText(settings));
  if (plan.ending == PlanEnding::kBothPasses || plan.ending == PlanEnding::kUnrecognisedSystem) {
    WriteLanguage(plan.language, out);
  }
  for (const PassPlan& pass : plan.passes) {
    out << "pass " << pass.pass << "    lists " << ToUtf8(pass.common_section) << ", "
        << ToUtf8(pass.machine_section) << "\n";
    WriteEntriesText(pass.entries, "  ", out);
  }
  out << "result    " << EndingText(plan) << "\n";
  out << "exit code " << plan.exit_code << "\n";
  if (!plan.assumptions.empty()) out << "assumptions\n";
  for (const FileQuestionAsked& asked : plan.assumptions) {
    out << "  " << ToUtf8(asked.path) << ": " << AnswerText(asked.answer) << "\n";
  }
}

nlohmann::ordered_json QuestionJson(const FileQuestionAsked& question) {
  nlohmann::ordered_json json;
  json["path"] = ToUtf8(question.path);
  json["exists"] = question.answer.exists;
  json["basis"] = BasisName(question.answer.basis);
  if (!question.answer.local.empty()) json["local"] = question.answer.local;
  return json;
}

nlohmann::ordered_json QuestionsJson(const std::vector<FileQuestionAsked>& questions) {
  nlohmann::ordered_json json = nlohmann::ordered_json::array();
  for (const FileQuestionAsked& asked : questions) json.push_back(QuestionJson(asked));
  return json;
}

nlohmann::ordered_json EntryJson(const PlanEntry& entry) {
  nlohmann::ordered_json json;
  json["pass"] = entry.pass;
  json["list_section"] = ToUtf8(entry.list_section);
  json["app_key"] = ToUtf8(entry.app_key);
  json["app_section"] = ToUtf8(entry.app_section);
  json["launched"] = entry.launched;
  if (entry.launched) {
    json["command_line"] = ToUtf8(entry.command_line);
    json["started_as"] = ToUtf8(entry.handed);
    if (entry.language_template) json["language_template"] = true;
    if (entry.exit_codes_judged) json["success_codes"] = SuccessCodesText(entry);
    if (entry.limits_shown) json["waits_for"] = LaunchLimitsText(entry);
    if (!entry.detect_rules.empty()) json["detect_rules"] = DetectRulesText(entry);
    for (const std::string& assumed : entry.detect_assumed)
      json["detect_assumed"].push_back(assumed);
    for (const FileCheck& check : entry.hash_checks) {
      json["verified"].push_back({{"file", ToUtf8(check.file)}, {"hash_list_line", check.line}});
    }
    const std::string searched = AppPathSearchText(entry.app_path);
    if (!searched.empty()) json["apppath_search"] = searched;
  } else {
    json["skipped"] = SkipName(entry.skip);
    json["reason"] = SkipText(entry);
  }
  json["file_questions"] = QuestionsJson(entry.questions);
  return json;
}

nlohmann::ordered_json PlanJson(const Plan& plan) {
  nlohmann::ordered_json json;
  json["system_id"] = ToUtf8(plan.system_id);
  json["os_type"] = ToUtf8(plan.os_type);
  const PlanSettings& settings = plan.settings;
  json["settings"] = {{"LogFile", ToUtf8(settings.log_file)},
                      {"log_path", ToUtf8(settings.log_path)},
                      {"MaxInstallTime", ToUtf8(settings.max_install_time_text)},
                      {"max_install_time", settings.max_install_time},
                      {"WaitForExit", ToUtf8(settings.wait_for_exit_text)},
                      {"wait_for_exit", settings.wait_for_exit},
                      {"AppInstlPath", ToUtf8(settings.app_instl_path)},
                      {"language_table", ToUtf8(settings.language_table_path)}};
  if (ExitKeysGiven(settings)) json["settings"]["exit_codes"] = ExitCodesText(settings);
  if (!settings.newer_windows_text.empty()) {
    json["settings"]["NewerWindows"] = ToUtf8(settings.newer_windows_text);
    json["settings"]["newer_windows"] = settings.newer_windows;
  }
  if (!settings.wait_for_children_text.empty()) {
    json["settings"]["WaitForChildren"] = ToUtf8(settings.wait_for_children_text);
    json["settings"]["wait_for_children"] = settings.wait_for_children;
  }
  if (!settings.stop_at_time_limit_text.empty()) {
    json["settings"]["StopAtTimeLimit"] = ToUtf8(settings.stop_at_time_limit_text);
    json["settings"]["stop_at_time_limit"] = settings.stop_at_time_limit;
  }
  if (!settings.installer_service_text.empty()) {
    json["settings"]["WaitForInstallerService"] = ToUtf8(settings.installer_service_text);
    json["settings"]["wait_for_installer_service"] = settings.installer_service_seconds;
  }
  if (!settings.max_restarts_text.empty()) {
    json["settings"]["MaxRestarts"] = ToUtf8(settings.max_restarts_text);
    json["settings"]["max_restarts"] = settings.max_restarts;
  }
  if (!settings.hash_list_text.empty()) {
    json["settings"]["HashList"] = ToUtf8(settings.hash_list_text);
    json["settings"]["hash_list"] = HashListText(settings);
  }
  if (!settings.log_copy_text.empty()) {
    json["settings"]["LogCopy"] = ToUtf8(settings.log_copy_text);
    json["settings"]["log_copy"] = LogCopyText(settings);
  }
  const PlanLanguage& language = plan.language;
  json["language"] = {{"by_lcid", language.by_lcid},
                      {"lcid", ToUtf8(language.lcid_text)},
                      {"language_code", ToUtf8(language.language_code)},
                      {"matched", language.matched == 1},
                      {"table_read", language.table_read},
                      {"fallback_read", language.fallback_read}};
  const std::string not_a_folder = CodeNotAFolderText(language.language_code);
  if (!not_a_folder.empty()) json["language"]["code_not_a_folder"] = not_a_folder;
  json["passes"] = nlohmann::ordered_json::array();
  for (const PassPlan& pass : plan.passes) {
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    for (const PlanEntry& entry : pass.entries) entries.push_back(EntryJson(entry));
    json["passes"].push_back({{"pass", pass.pass},
                              {"common_section", ToUtf8(pass.common_section)},
                              {"machine_section", ToUtf8(pass.machine_section)},
                              {"entries", entries}});
  }
  json["ending"] = EndingName(plan.ending);
  json["result"] = EndingText(plan);
  if (!plan.error_record.empty()) json["error_record"] = ToUtf8(plan.error_record);
  json["exit_code"] = plan.exit_code;
  json["assumptions"] = QuestionsJson(plan.assumptions);
  return json;
}

}  // namespace quill::plan
