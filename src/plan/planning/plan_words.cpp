#include "plan/planning/plan_words.h"

#include <algorithm>

#include "base/utf.h"
#include "runner/application_command.h"
#include "runner/detection.h"
#include "runner/exit_codes.h"
#include "runner/log_copy.h"

namespace quill::plan {

const char* EndingName(PlanEnding ending) {
  switch (ending) {
    case PlanEnding::kBothPasses: return "both-passes";
    case PlanEnding::kNoSystemId: return "no-system-id";
    case PlanEnding::kMissingAppInstlPath: return "missing-appinstlpath";
    case PlanEnding::kMissingLanguageTable: return "missing-language-table";
    case PlanEnding::kUnrecognisedSystem: return "unrecognised-system";
  }
  return "";
}

const char* SkipName(SkipReason skip) {
  switch (skip) {
    case SkipReason::kNone: return "";
    case SkipReason::kNoSection: return "no-section";
    case SkipReason::kNoAppPath: return "no-apppath";
    case SkipReason::kNoLanguageFolder: return "no-language-folder";
    case SkipReason::kInstalledAlready: return "installed-already";
    case SkipReason::kNotVerified: return "not-verified";
  }
  return "";
}

std::string EndingText(const Plan& plan) {
  switch (plan.ending) {
    case PlanEnding::kBothPasses: return "both passes run";
    case PlanEnding::kNoSystemId:
      return "no system identifier: the run ends before its log is opened";
    case PlanEnding::kMissingAppInstlPath:
    case PlanEnding::kMissingLanguageTable: {
      std::string record = ToUtf8(plan.error_record);
      while (!record.empty() && record.back() == '\n') record.pop_back();
      return "the run ends with the record " + record;
    }
    case PlanEnding::kUnrecognisedSystem:
      return "the system is not WINXP, VISTA32 or VISTA64: the run ends after pass 0";
  }
  return "";
}

std::string SkipText(const PlanEntry& entry) {
  const std::string section = "[" + ToUtf8(entry.app_section) + "]";
  switch (entry.skip) {
    case SkipReason::kNone: return "";
    case SkipReason::kInstalledAlready:
      return "installed already in the mapped image: " + DetectRulesText(entry);
    case SkipReason::kNoSection: return "no section " + section + " in the INI file";
    case SkipReason::kNoAppPath: return "section " + section + " has no AppPath";
    case SkipReason::kNotVerified: {
      const FileCheck& failed = entry.hash_checks.back();
      return "SHA-256 not verified: " + ToUtf8(failed.file) + ": " + ToUtf8(failed.why) +
             " (the run logs a failed launch)";
    }
    case SkipReason::kNoLanguageFolder: {
      std::string tried;
      for (const FileQuestionAsked& asked : entry.questions) {
        tried += (tried.empty() ? "" : ", ") + ToUtf8(asked.path);
      }
      return "no language folder for %LANG% (" + (tried.empty() ? "none asked" : "tried " + tried) +
             ") and no GlobalSwitches";
    }
  }
  return "";
}

namespace {

// The run judges a code by whether it is listed: order and repeats do nothing.
std::vector<uint32_t> SortedOnce(std::vector<uint32_t> codes) {
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

std::string CodesText(const std::vector<uint32_t>& codes) {
  std::string text;
  for (uint32_t code : codes) text += (text.empty() ? "" : ", ") + std::to_string(code);
  return text;
}

std::string RestartsText(const PlanSettings& settings) {
  if (settings.max_restarts_text.empty()) return std::string();
  if (!settings.log_exit_codes) return "; MaxRestarts not used without LogExitCodes=1";
  if (settings.max_restarts == 0) return "; no restarts";
  return "; a reboot verdict restarts Windows, at most " + std::to_string(settings.max_restarts) +
         (settings.max_restarts == 1 ? " time" : " times") +
         ", and the run resumes after that installer";
}

}  // namespace

bool ExitKeysGiven(const PlanSettings& settings) {
  return !settings.log_exit_codes_text.empty() || !settings.busy_codes_text.empty() ||
         !settings.busy_retries_text.empty() || !settings.busy_retry_pause_text.empty() ||
         !settings.max_restarts_text.empty();
}

std::string ExitCodesText(const PlanSettings& settings) {
  if (!settings.log_exit_codes) return "not recorded" + RestartsText(settings);
  std::string text = "recorded and judged";
  if (settings.busy_retries == 0)
    return text + "; busy codes not tried again" + RestartsText(settings);
  return text + "; busy " + CodesText(SortedOnce(settings.busy_codes)) + " tried again up to " +
         std::to_string(settings.busy_retries) + " times, " +
         std::to_string(settings.busy_retry_pause) + " s apart" + RestartsText(settings);
}

std::string LaunchLimitsText(const PlanEntry& entry) {
  const LaunchLimits& limits = entry.limits;
  std::string text = limits.wait_for_children ? "its whole tree" : "its own process";
  if (limits.max_install_time <= 0) {
    return text + ", not waited for (MaxInstallTime " + std::to_string(limits.max_install_time) +
           "), left running";
  }
  text += ", at most " + std::to_string(limits.max_install_time) + " s, then ";
  return text + (limits.stop_at_time_limit ? "ended" : "left running");
}

std::string SuccessCodesText(const PlanEntry& entry) {
  const std::string defaults = CodesText(DefaultSuccessCodes()) + " (default)";
  if (entry.success_codes.empty()) return defaults;
  std::vector<uint32_t> codes;
  if (!ParseExitCodes(entry.success_codes, &codes)) {
    return "SuccessCodes \"" + ToUtf8(entry.success_codes) + "\" does not read: " + defaults;
  }
  return CodesText(codes) + " (SuccessCodes)";
}

std::string SuccessCodesJudged(const PlanEntry& entry) {
  std::vector<uint32_t> codes = DefaultSuccessCodes();
  if (!entry.success_codes.empty()) ParseExitCodes(entry.success_codes, &codes);
  return CodesText(SortedOnce(codes));
}

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

std::string DetectRulesText(const PlanEntry& entry) {
  std::string text;
  for (const WString& written : entry.detect_rules) {
    DetectRule rule;
    const bool reads = ParseWrittenRule(written, &rule);
    text += (text.empty() ? "" : " and ") + ToUtf8(written) +
            (reads ? "" : " (does not read: left out)");
  }
  return text;
}

std::string AppPathSearchText(const WString& app_path) {
  const bool share = app_path.size() > 1 && IsSeparator(app_path[0]) && IsSeparator(app_path[1]);
  const bool from_drive = app_path.size() > 2 && app_path[1] == u':' && IsSeparator(app_path[2]);
  if (app_path.empty() || share || from_drive) return "";
  if (IsSeparator(app_path[0]) || (app_path.size() > 1 && app_path[1] == u':')) {
    return "AppPath is not a full path: the current directory decides which installer starts";
  }
  return "AppPath is not a full path: the installer is searched for in the current directory "
         "and along PATH, where others may have put one";
}

std::string CodeNotAFolderText(const WString& language_code) {
  if (!LeavesItsFolder(language_code)) return "";
  return "language code " + ToUtf8(language_code) +
         " is no folder name: %LANG% takes no folder from it (GlobalSwitches, or the "
         "application is skipped)";
}

std::string LogCopyText(const PlanSettings& settings) {
  const WString& value = settings.log_copy_text;
  if (value.empty()) return "";
  // A value that opens with a variable may be full once it is expanded.
  const std::vector<WString> names = NamedVariables(value);
  WString probe;
  for (size_t at = 0; at < value.size(); ++at) {
    const size_t close = value[at] == u'%' ? value.find(u'%', at + 1) : WString::npos;
    if (close == WString::npos || close == at + 1) {
      probe += value[at];
      continue;
    }
    probe += u'X';  // the variable's value, whatever it is
    at = close;
  }
  const bool full = value[0] == u'%' ||
                    (IsFullWindowsPath(probe) && probe.back() != u'\\' && probe.back() != u'/');
  if (!full) return ToUtf8(value) + ": not used, it is not the full path of a file";
  std::string text = ToUtf8(value) + ": the whole log copied there at every end of a run, within " +
                     std::to_string(kLogCopySeconds) + " s";
  if (names.empty()) return text;
  text += " (";
  for (size_t i = 0; i < names.size(); ++i) {
    text += (i > 0 ? ", %" : "%") + ToUtf8(names[i]) + "%";
  }
  return text + " as each PC sets " + (names.size() > 1 ? "them)" : "it)");
}

std::string HashListText(const PlanSettings& settings) {
  if (settings.hash_list_text.empty()) return "";
  const std::string path = ToUtf8(settings.hash_list_path);
  if (!settings.hash_list_read) return path + ": cannot be read, so no installer is started";
  return path + ": " + std::to_string(settings.listed_hashes.size()) +
         " files listed; an installer starts only when its files match";
}

}  // namespace quill::plan
