#include "plan/lint/exit_code_lint.h"

#include <limits>
#include <vector>
#include "base/ini_keys.h"

#include "base/profile_value.h"
#include "base/utf.h"
#include "plan/text/case_fold.h"
#include "runner/exit_codes.h"
#include "runner/restarts.h"

namespace quill::plan {

namespace {

const char kCodesRead[] = "codes are decimal or 0x hex, 0 to 4294967295, comma-separated";

class ExitCodeLint {
 public:
  ExitCodeLint(PlanPlatform& platform, const KeyFinding& add) : platform_(platform), add_(add) {}

  void Run(const std::set<WString>& applications_read) {
    const WString asked = Value(kSettingsSection, KeyName(Key::kLogExitCodes));
    const bool on = asked == u"1";
    if (!asked.empty() && !on) {
      add_(kSettingsSection, KeyName(Key::kLogExitCodes), "log-exit-codes-not-one",
           Severity::kWarning,
           "LogExitCodes \"" + ToUtf8(asked) +
               "\" is not 1: exit codes are neither recorded nor judged");
    }
    CheckCodes(kSettingsSection, KeyName(Key::kBusyCodes), on, "1618");
    CheckCount(KeyName(Key::kBusyRetries), on, kMostBusyRetries);
    CheckCount(KeyName(Key::kBusyRetryPause), on, kLongestBusyRetryPause);
    if (CheckCount(KeyName(Key::kMaxRestarts), on, kMostRestarts)) CheckResumablePath();
    const IniFile& ini = platform_.ini();
    for (const IniSection& section : ini.sections()) {
      const WString name = ini.Name(section).str();
      if (section.again || ini.FindKey(name, KeyName(Key::kSuccessCodes)) == nullptr) continue;
      if (applications_read.count(LowerCase(name)) == 0) {
        add_(name, KeyName(Key::kSuccessCodes), "success-codes-unread", Severity::kWarning,
             "[" + ToUtf8(name) +
                 "] has SuccessCodes, but no list of the run names it: it is never read");
        continue;
      }
      CheckCodes(name, KeyName(Key::kSuccessCodes), on, "0, 1707, 3010 and 1641");
    }
  }

 private:
  WString Value(const WString& section, const WString& key) {
    return ReadProfileValue(section, key, platform_.ini_path(), platform_, platform_);
  }

  // Given, and read by the run; told when recording is off.
  bool Read(const WString& section, const WString& key, bool on, WString* value) {
    *value = Value(section, key);
    if (value->empty()) return false;
    if (!on) {
      add_(section, key, "exit-key-while-off", Severity::kWarning,
           ToUtf8(key) + " is read only with LogExitCodes=1 in [Settings]");
    }
    return on;
  }

  void CheckCodes(const WString& section, const WString& key, bool on, const char* defaults) {
    WString value;
    std::vector<uint32_t> codes;
    if (!Read(section, key, on, &value) || ParseExitCodes(value, &codes)) return;
    add_(section, key, "exit-codes-unreadable", Severity::kWarning,
         ToUtf8(key) + " \"" + ToUtf8(value) + "\" does not read (" + kCodesRead +
             "): the run says so in its log and uses " + defaults);
  }

  // True when the run takes a count above 0.
  bool CheckCount(const WString& key, bool on, int32_t most) {
    WString value;
    if (!Read(kSettingsSection, key, on, &value)) return false;
    int32_t count = 0;
    if (!ParseBoundedCount(value, std::numeric_limits<int32_t>::max(), &count)) {
      add_(kSettingsSection, key, "exit-setting-unreadable", Severity::kWarning,
           ToUtf8(key) + " \"" + ToUtf8(value) +
               "\" is not a whole number: the run says so in its log and keeps the default");
      return false;
    }
    if (count > most) {
      add_(kSettingsSection, key, "exit-setting-clamped", Severity::kWarning,
           ToUtf8(key) + " " + ToUtf8(value) + " is more than " + std::to_string(most) +
               ": the run takes " + std::to_string(most) + ", and says so in its log");
    }
    return count > 0;
  }

  // Windows starts the resumption before any share is connected and with
  // only the system's drive sure to be there.
  void CheckResumablePath() {
    const WString& path = platform_.ini_path();
    const std::string away = AwayFromTheSystemDrive(path);
    if (away.empty()) return;
    add_(kSettingsSection, KeyName(Key::kMaxRestarts), "restart-path-not-back", Severity::kWarning,
         "the input INI file " + ToUtf8(path) + " lies " + away +
             ": after a restart the resumption may not find it (copy it to C: first)");
  }

  PlanPlatform& platform_;
  const KeyFinding& add_;
};

}  // namespace

std::string AwayFromTheSystemDrive(const WString& written) {
  WString path = written;
  for (char16_t& c : path) c = c == u'/' ? u'\\' : c;
  path = WithoutLongPrefix(path);
  if (path.compare(0, 2, u"\\\\") == 0) return "on a share";
  if (path.size() >= 2 && path[1] == u':' && path[0] != u'C' && path[0] != u'c') {
    return "on a drive other than C:";
  }
  return "";
}

void LintExitCodeKeys(PlanPlatform& platform, const std::set<WString>& applications_read,
                      const KeyFinding& add) {
  ExitCodeLint(platform, add).Run(applications_read);
}

}  // namespace quill::plan
