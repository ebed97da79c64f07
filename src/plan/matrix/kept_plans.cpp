#include "plan/matrix/kept_plans.h"

#include <string>
#include <utility>

#include "runner/application_command.h"

namespace quill::plan {

namespace {

// Whether the command line is AppPath, a backslash and AppSwitches with the
// language code in place of every "%LANG%"; told without building it.
bool BuiltWithCode(const PlanEntry& entry, const WString& code) {
  const WString& line = entry.command_line;
  const WString& switches = entry.app_switches;
  const size_t placeholder = std::char_traits<char16_t>::length(kLanguagePlaceholder);
  size_t at = entry.app_path.size() + 1;
  if (line.compare(0, entry.app_path.size(), entry.app_path) != 0 || line.size() < at ||
      line[at - 1] != u'\\') {
    return false;
  }
  size_t from = 0;
  for (size_t found; (found = switches.find(kLanguagePlaceholder, from)) != WString::npos;
       from = found + placeholder) {
    if (line.compare(at, found - from, switches, from, found - from) != 0) return false;
    at += found - from;
    if (line.compare(at, code.size(), code) != 0) return false;
    at += code.size();
  }
  return line.compare(at, WString::npos, switches, from, WString::npos) == 0;
}

// What follows the program the platform is handed in quotation marks; a
// line feed, which no command line holds, when it is handed as built.
WString HandedTail(const PlanEntry& entry) {
  if (entry.handed == entry.command_line) return u"\n";
  const size_t close = entry.handed.find(u'"', 1);
  return close == WString::npos ? u"\n" : entry.handed.substr(close + 1);
}

// Where the quotation ends depends on which files exist, so a quoted line
// is a template only when the part after it holds no language code.
bool TailWithoutCode(const PlanEntry& entry) {
  if (entry.handed == entry.command_line) return true;
  const WString tail = HandedTail(entry);
  const WString& switches = entry.app_switches;
  const size_t last = switches.rfind(kLanguagePlaceholder);
  return tail != u"\n" && switches.size() >= tail.size() &&
         switches.compare(switches.size() - tail.size(), tail.size(), tail) == 0 &&
         last + std::char_traits<char16_t>::length(kLanguagePlaceholder) <=
             switches.size() - tail.size();
}

// Marks the entries whose command line only puts the language code in
// place of "%LANG%": languages that differ in nothing else share a plan.
void MarkLanguageTemplates(PassPlan& pass, const WString& code) {
  for (PlanEntry& entry : pass.entries) entry.language_template = IsLanguageTemplate(entry, code);
}

// For showing a kept plan: "<code>" where the language code went, in the
// line as built and in the line as handed.
void ShowTemplates(PassPlan& pass) {
  for (PlanEntry& entry : pass.entries) {
    if (!entry.language_template) continue;
    const WString tail = HandedTail(entry);
    WString switches = entry.app_switches;
    ReplaceAll(switches, kLanguagePlaceholder, u"<code>");
    entry.command_line = entry.app_path + u"\\" + switches;
    entry.handed = entry.command_line;
    if (tail != u"\n") {
      const size_t program = entry.command_line.size() - tail.size();
      entry.handed = u"\"" + entry.command_line.substr(0, program) + u"\"" + tail;
    }
  }
}

// Checked against the same lines, or refused for the same file and cause.
bool SameChecks(const PlanEntry& x, const PlanEntry& y) {
  if (x.hash_checks.size() != y.hash_checks.size()) return false;
  for (size_t i = 0; i < x.hash_checks.size(); ++i) {
    const FileCheck& a = x.hash_checks[i];
    const FileCheck& b = y.hash_checks[i];
    if (a.line != b.line || a.why != b.why || (!a.why.empty() && a.file != b.file)) return false;
  }
  return true;
}

// Waited for and ended alike, and shown alike.
bool SameLimits(const PlanEntry& x, const PlanEntry& y) {
  const LaunchLimits& a = x.limits;
  const LaunchLimits& b = y.limits;
  return x.limits_shown == y.limits_shown && a.max_install_time == b.max_install_time &&
         a.wait_for_exit == b.wait_for_exit && a.wait_for_children == b.wait_for_children &&
         a.stop_at_time_limit == b.stop_at_time_limit;
}

bool SameEntry(const PlanEntry& x, const PlanEntry& y) {
  if (!SameChecks(x, y)) return false;
  if (x.launched != y.launched || x.skip != y.skip || x.language_template != y.language_template ||
      x.app_key != y.app_key || x.app_section != y.app_section ||
      x.list_section != y.list_section || x.exit_codes_judged != y.exit_codes_judged ||
      x.success_codes != y.success_codes || x.detect_rules != y.detect_rules || !SameLimits(x, y)) {
    return false;
  }
  if (x.language_template) {
    return x.app_path == y.app_path && x.app_switches == y.app_switches &&
           HandedTail(x) == HandedTail(y);
  }
  return x.command_line == y.command_line && x.handed == y.handed;
}

}  // namespace

bool IsLanguageTemplate(const PlanEntry& entry, const WString& code) {
  return entry.launched && entry.app_switches.find(kLanguagePlaceholder) != WString::npos &&
         BuiltWithCode(entry, code) && TailWithoutCode(entry);
}

// What tells one pass from another is every entry's names and outcome;
// the list names alone do not: pass 1 names them after the system.
bool SameEntries(const PassPlan& a, const PassPlan& b) {
  if (a.entries.size() != b.entries.size()) return false;
  for (size_t i = 0; i < a.entries.size(); ++i) {
    if (!SameEntry(a.entries[i], b.entries[i])) return false;
  }
  return true;
}

// A machine has few different passes.
int Remember(PassPlan pass, const WString& code, std::vector<PassPlan>& plans) {
  MarkLanguageTemplates(pass, code);
  for (size_t i = 0; i < plans.size(); ++i) {
    if (SameEntries(plans[i], pass)) return static_cast<int>(i);
  }
  ShowTemplates(pass);
  plans.push_back(std::move(pass));
  return static_cast<int>(plans.size() - 1);
}

}  // namespace quill::plan
