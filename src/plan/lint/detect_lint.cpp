#include "plan/lint/detect_lint.h"

#include <string>

#include "base/profile_value.h"
#include "base/trim.h"
#include "base/utf.h"
#include "plan/host/msi_package.h"
#include "plan/text/case_fold.h"
#include "runner/detection.h"

namespace quill::plan {

namespace {

const char* HowItReads(DetectKind kind) {
  switch (kind) {
    case DetectKind::kMsi: return "product codes {8-4-4-4-12 hex digits}, comma-separated";
    case DetectKind::kFile:
      return "a full path, then optionally >= and up to four numbers of 0 to 65535";
    case DetectKind::kKey: return "a key under HKLM\\ or HKEY_LOCAL_MACHINE\\";
  }
  return "";
}

// The .msi an application's command line names: a word ending in ".msi",
// under AppPath when it is no full path. "" when there is none.
WString PackageOf(const WString& app_path, const WString& switches) {
  for (size_t begin = 0; begin < switches.size();) {
    size_t end = begin;
    while (end < switches.size() && !IsBlank(switches[end])) ++end;
    WString word = switches.substr(begin, end - begin);
    if (word.size() > 1 && word.front() == u'"' && word.back() == u'"') {
      word = word.substr(1, word.size() - 2);
    }
    if (word.size() > 4 && LowerCase(word.substr(word.size() - 4)) == u".msi") {
      return IsFullPath(word) ? word : app_path + u"\\" + word;
    }
    begin = end + 1;
  }
  return WString();
}

class DetectLint {
 public:
  DetectLint(PlanPlatform& platform, const KeyFinding& add) : platform_(platform), add_(add) {}

  void Check(const WString& section) {
    for (DetectKind kind : {DetectKind::kMsi, DetectKind::kFile, DetectKind::kKey}) {
      const WString key = DetectKeyName(kind);
      const WString value = Value(section, key);
      if (value.empty()) continue;
      DetectRule rule;
      if (!ParseDetectRule(kind, value, &rule)) {
        add_(section, key, "detect-rule-unreadable", Severity::kWarning,
             ToUtf8(key) + " \"" + ToUtf8(value) + "\" does not read (" + HowItReads(kind) +
                 "): the run says so in its log and starts the installer as if the rule were "
                 "absent");
      } else if (kind == DetectKind::kMsi) {
        CheckAgainstPackage(section, rule);
      }
    }
  }

 private:
  WString Value(const WString& section, const WString& key) {
    return ReadProfileValue(section, key, platform_.ini_path(), platform_, platform_);
  }

  void CheckAgainstPackage(const WString& section, const DetectRule& rule) {
    const WString switches = Value(section, u"AppSwitches");
    if (switches.find(u"%LANG%") != WString::npos) return;  // a package per language
    const WString package = PackageOf(Value(section, u"AppPath"), switches);
    if (package.empty()) return;
    const FileAnswer answer = platform_.files().Question(package);
    if (answer.basis == AnswerBasis::kAssumed || !answer.exists || answer.local.empty()) return;
    std::string code, why;
    if (!ReadProductCode(answer.local, &code, &why)) {
      add_(section, u"DetectMsi", "detect-msi-package-unreadable", Severity::kWarning,
           "DetectMsi cannot be checked: " + ToUtf8(package) + " (" + answer.local + "): " + why);
      return;
    }
    for (const WString& listed : rule.product_codes) {
      if (EqualIgnoringCase(listed, FromUtf8(code))) return;
    }
    add_(section, u"DetectMsi", "detect-msi-not-the-package", Severity::kError,
         "DetectMsi " + ToUtf8(rule.written.substr(10)) + " is not the ProductCode of " +
             ToUtf8(package) + ", " + code +
             ": the rule never holds after that package installs, and the run calls it a failure "
             "(\"installed nothing\")");
  }

  PlanPlatform& platform_;
  const KeyFinding& add_;
};

}  // namespace

void LintDetectRules(PlanPlatform& platform, const std::set<WString>& applications_read,
                     const KeyFinding& add) {
  DetectLint lint(platform, add);
  const IniFile& ini = platform.ini();
  for (const IniSection& section : ini.sections()) {
    const WString name = ini.Name(section).str();
    if (section.again || applications_read.count(LowerCase(name)) == 0) continue;
    lint.Check(name);
  }
}

}  // namespace quill::plan
