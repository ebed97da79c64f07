#include "plan/lint/detect_lint.h"

#include <string>
#include "base/ini_keys.h"

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
    case DetectKind::kKey: return "a key under HKLM\\, HKEY_LOCAL_MACHINE\\, HKLM64\\ or HKLM32\\";
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

// Why a rule that reads can still never hold on any machine; "" when it may.
std::string NeverHoldsBecause(const DetectRule& rule) {
  const WString& path = rule.path;
  const size_t comment = path.find(u';');
  if (comment != WString::npos && comment > 0 && IsBlank(path[comment - 1])) {
    return "the INI reader keeps the text after \";\" as part of the value, so \"" +
           ToUtf8(path.substr(comment)) + "\" is part of the " +
           (rule.kind == DetectKind::kKey ? "key's name" : "path");
  }
  if (rule.kind != DetectKind::kFile) return "";
  // "\\?\" is the one place a question mark belongs.
  const size_t name_from = path.compare(0, 4, u"\\\\?\\") == 0 ? 4 : 0;
  for (char16_t c : path.substr(name_from)) {
    if (c < 0x20 || c == u'<' || c == u'"' || c == u'|' || c == u'?' || c == u'*') {
      return c < 0x20 ? std::string("the path holds a control character, which no file name holds")
                      : "the path holds \"" + ToUtf8(WString(1, c)) +
                            "\", which no file name holds (no wildcard is matched, and only >= "
                            "compares a version)";
    }
  }
  for (size_t open = path.find(u'%'); open != WString::npos;) {
    const size_t close = path.find(u'%', open + 1);
    if (close == WString::npos || close == open + 1 || path.find(u'\\', open) < close) {
      return "its % signs name no variable (%NAME%), so the path never expands to a full one";
    }
    open = path.find(u'%', close + 1);
  }
  const size_t blank = path.find_last_of(u" \t");
  const WString last = blank == WString::npos ? WString() : path.substr(blank + 1);
  DetectRule probe;
  if (!rule.has_version && last.find(u'.') != WString::npos &&
      last.find_first_not_of(u"0123456789.") == WString::npos &&
      ParseDetectRule(DetectKind::kFile, u"C:\\x >= " + last, &probe)) {
    return "\"" + ToUtf8(last) +
           "\" reads as part of the path: a version is compared only after >=";
  }
  return "";
}

// A DetectKey whose last name looks like "KEY,VALUE": a key name may hold a
// comma, so it is asked as a key, and may be what was meant.
WString ValueNameAsked(const DetectRule& rule) {
  if (rule.kind != DetectKind::kKey) return WString();
  const size_t comma = rule.path.find(u',', rule.path.rfind(u'\\') + 1);
  return comma == WString::npos ? WString() : rule.path.substr(comma);
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
      } else if (const std::string why = NeverHoldsBecause(rule); !why.empty()) {
        add_(section, key, "detect-rule-never-holds", Severity::kError,
             ToUtf8(key) + " \"" + ToUtf8(value) + "\" never holds: " + why +
                 "; every install of it ends \"installed nothing\", a failure");
      } else if (const WString value_name = ValueNameAsked(rule); !value_name.empty()) {
        add_(section, key, "detect-key-value-name", Severity::kWarning,
             "DetectKey asks only whether a key exists, never a value: \"" + ToUtf8(value_name) +
                 "\" is read as part of the key's name");
      }
    }
  }

 private:
  WString Value(const WString& section, const WString& key) {
    return ReadProfileValue(section, key, platform_.ini_path(), platform_, platform_);
  }

  void CheckAgainstPackage(const WString& section, const DetectRule& rule) {
    const WString switches = Value(section, KeyName(Key::kAppSwitches));
    if (switches.find(u"%LANG%") != WString::npos) return;  // a package per language
    const WString package = PackageOf(Value(section, KeyName(Key::kAppPath)), switches);
    if (package.empty()) return;
    const FileAnswer answer = platform_.files().Question(package);
    if (answer.basis == AnswerBasis::kAssumed || !answer.exists || answer.local.empty()) return;
    std::string code, why;
    if (!ReadProductCode(answer.local, &code, &why)) {
      add_(section, KeyName(Key::kDetectMsi), "detect-msi-package-unreadable", Severity::kWarning,
           "DetectMsi cannot be checked: " + ToUtf8(package) + " (" + answer.local + "): " + why);
      return;
    }
    for (const WString& listed : rule.product_codes) {
      if (EqualIgnoringCase(listed, FromUtf8(code))) return;
    }
    add_(section, KeyName(Key::kDetectMsi), "detect-msi-not-the-package", Severity::kError,
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
