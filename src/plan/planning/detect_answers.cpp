#include "plan/planning/detect_answers.h"

#include "base/utf.h"
#include "runner/application_command.h"
#include "runner/detection.h"

namespace quill::plan {

namespace {

// The %NAME% a path still holds once the plan has put in what it knows.
std::string UnknownVariables(const WString& path) {
  std::string names;
  for (const WString& name : NamedVariables(path)) {
    names += (names.empty() ? "%" : ", %") + ToUtf8(name) + "%";
  }
  return names;
}

std::string FileAssumption(const DetectRule& rule, PlanPlatform& platform) {
  WString path;
  if (!ExpandRulePath(rule, platform, platform, &path)) return "";
  const std::string unknown = UnknownVariables(path);
  const std::string named = "DetectFile " + ToUtf8(rule.path);
  if (!unknown.empty()) {
    return named + ": " + unknown + " not known for a planned machine, so taken as not there";
  }
  const std::string read_as =
      path == rule.path ? "" : " (read as " + ToUtf8(path) + ", Windows on C:)";
  const FileAnswer answer = platform.files().Question(WithoutLongPrefix(path));
  if (answer.basis == AnswerBasis::kAssumed) {
    return named + read_as + ": no mapping answers it, so taken as not there";
  }
  FileVersion version;
  if (answer.exists && rule.has_version && !platform.NativeFileVersion(path, &version)) {
    return named + read_as + ": its version cannot be read here, so taken as too old";
  }
  return read_as.empty() ? "" : named + read_as.substr(1);
}

}  // namespace

std::vector<std::string> DetectAssumptions(const std::vector<WString>& detect_rules,
                                           PlanPlatform& platform) {
  std::vector<std::string> assumed;
  for (const WString& written : detect_rules) {
    DetectRule rule;
    if (!ParseWrittenRule(written, &rule)) continue;
    std::string text;
    if (rule.kind == DetectKind::kMsi) {
      text = "DetectMsi: no product taken as installed (a plan asks no Windows Installer)";
    } else if (rule.kind == DetectKind::kKey) {
      text = "DetectKey: no key taken as there (a plan reads no registry)";
    } else {
      text = FileAssumption(rule, platform);
    }
    if (!text.empty()) assumed.push_back(text);
  }
  return assumed;
}

}  // namespace quill::plan
