#include "plan/lint/log_copy_lint.h"

#include <string>
#include <vector>
#include "base/ini_keys.h"

#include "base/ascii.h"
#include "base/profile_value.h"
#include "base/utf.h"
#include "runner/application_command.h"
#include "runner/log_copy.h"

namespace quill::plan {

namespace {

// What Windows sets alike on every PC: a copy named by them alone is one
// file for the whole fleet.
bool AlikeOnEveryPc(const WString& name) {
  static const char* const kAlike[] = {"SYSTEMROOT",
                                       "WINDIR",
                                       "SYSTEMDRIVE",
                                       "PROGRAMFILES",
                                       "PROGRAMFILES(X86)",
                                       "PROGRAMW6432",
                                       "COMMONPROGRAMFILES",
                                       "PROGRAMDATA",
                                       "ALLUSERSPROFILE",
                                       "PUBLIC",
                                       "TEMP",
                                       "TMP",
                                       "OS",
                                       "COMSPEC",
                                       "PROCESSOR_ARCHITECTURE",
                                       "USERNAME",
                                       "USERPROFILE",
                                       "APPDATA",
                                       "LOCALAPPDATA",
                                       "HOMEDRIVE",
                                       "HOMEPATH",
                                       "USERDOMAIN",
                                       "LOGONSERVER"};
  const std::string upper = ToUtf8(UpperCaseAtoZ(name));
  for (const char* alike : kAlike) {
    if (upper == alike) return true;
  }
  return false;
}

bool Inside(const WString& path, const WString& folder) {
  if (folder.empty() || path.size() <= folder.size()) return false;
  WString base = UpperCaseAtoZ(folder);
  while (!base.empty() && (base.back() == u'\\' || base.back() == u'/')) base.pop_back();
  const WString upper = UpperCaseAtoZ(path);
  return !base.empty() && upper.compare(0, base.size(), base) == 0 &&
         (upper[base.size()] == u'\\' || upper[base.size()] == u'/');
}

}  // namespace

void LintLogCopy(PlanPlatform& platform, const KeyFinding& add) {
  auto value_of = [&](const char16_t* key) {
    return ReadProfileValue(kSettingsSection, key, platform.ini_path(), platform, platform);
  };
  const WString value = value_of(KeyName(Key::kLogCopy));
  if (value.empty()) return;
  const std::string shown = "LogCopy \"" + ToUtf8(value) + "\"";
  auto warn = [&](const char* rule, const std::string& message) {
    add(kSettingsSection, KeyName(Key::kLogCopy), rule, Severity::kWarning, shown + " " + message);
  };
  const std::vector<WString> names = NamedVariables(value);
  bool per_pc = false;
  for (const WString& name : names) {
    if (AlikeOnEveryPc(name)) continue;
    per_pc = true;
    if (UpperCaseAtoZ(name) == u"COMPUTERNAME") continue;
    warn("log-copy-unknown-variable",
         "names %" + ToUtf8(name) +
             "%, which Windows does not set: where the image or task sequence does not set it, "
             "the run copies nothing");
  }
  if (!per_pc) {
    warn("log-copy-same-on-every-pc",
         "is the same file on every PC: each copy replaces the last; name it with "
         "%COMPUTERNAME%");
  }
  if (value[0] != u'%' && !IsFullWindowsPath(value)) {
    warn("log-copy-not-full-path",
         "is not a full path (C:\\... or \\\\server\\share\\...): the run makes no copy");
  }
  if (Inside(value, value_of(KeyName(Key::kAppInstlPath)))) {
    warn("log-copy-inside-appinstlpath",
         "lies inside AppInstlPath: the PCs would need to write to the deployment's share; "
         "give the logs a share of their own (security.md)");
  }
}

}  // namespace quill::plan
