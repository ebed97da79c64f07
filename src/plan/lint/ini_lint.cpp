#include "plan/lint/ini_lint.h"

#include <algorithm>
#include <set>
#include "base/ini_keys.h"
#include "base/settings_reader.h"

#include "base/profile_value.h"
#include "base/utf.h"
#include "facts/newer_windows.h"
#include "plan/lint/detect_lint.h"
#include "plan/lint/exit_code_lint.h"
#include "plan/lint/log_copy_lint.h"
#include "plan/planning/pass_trace.h"
#include "plan/planning/plan_words.h"
#include "plan/planning/planner.h"
#include "plan/text/case_fold.h"
#include "runner/application_command.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"
#include "runner/install_pass.h"
#include "runner/launch_limits.h"

namespace quill::plan {

namespace {

constexpr size_t kLongestValue = kProfileBufferChars - 1;

class IniLint {
 public:
  IniLint(const std::string& file, const std::vector<WString>& language_codes,
          PlanPlatform& platform)
      : file_(file),
        codes_(language_codes),
        platform_(platform),
        ini_(platform.ini()),
        lines_(ini_) {}

  std::vector<Finding> Run() {
    // Every finding of such a file would follow from this one.
    if (ini_.utf16_without_mark()) {
      Add(0, "utf16-without-mark", Severity::kError,
          "the file looks like UTF-16 text saved without its byte-order mark: the reader takes "
          "it for ANSI and reads no setting; save it as UTF-16 with the mark, or as ANSI");
      return std::move(findings_);
    }
    CheckNulCharacters();
    CheckSectionsAndKeys();
    CheckSettings();
    CheckWaitForExit();
    CheckNewerWindows();
    CheckTreeKeys(kSettingsSection);
    CheckInstallerServiceWait();
    for (const IniSection& section : ini_.sections()) {
      if (IsListSection(section)) CheckList(section, ini_.Name(section).str());
    }
    CheckKeyPlaces();
    const KeyFinding add = [this](const WString& section, const WString& key, const char* rule,
                                  Severity severity, const std::string& message) {
      Add(LineOf(section, key), rule, severity, message);
    };
    LintExitCodeKeys(platform_, checked_, add);
    LintDetectRules(platform_, checked_, add);
    LintLogCopy(platform_, add);
    return std::move(findings_);
  }

 private:
  void Add(int line, const char* rule, Severity severity, const std::string& message) {
    findings_.push_back({file_, line, rule, severity, message});
  }

  // The value the run reads: through the reader, cut and trimmed.
  WString Value(const WString& section, const WString& key) {
    return ReadProfileValue(section, key, platform_.ini_path(), platform_, platform_);
  }

  int LineOf(const WString& section, const WString& key) {
    const IniKey* found = ini_.FindKey(section, key);
    if (found != nullptr) return lines_.Of(*found);
    const IniSection* in = ini_.FindSection(section);
    return in != nullptr ? lines_.Of(*in) : 0;
  }

  bool IsListSection(const IniSection& section) const {
    const WString name = LowerCase(ini_.Name(section).str());
    if (name.compare(0, 2, u"0x") != 0) return false;
    for (const IniKey& key : ini_.Keys(section)) {
      if (LowerCase(ini_.Name(key).str()).compare(0, 3, u"app") == 0) return true;
    }
    return false;
  }

  void CheckNulCharacters() {
    for (int line : ini_.nul_lines()) {
      Add(line, "nul-character", Severity::kWarning,
          "the line holds a NUL character: the reader ends its name or value there");
    }
    const int64_t more = ini_.nul_line_count() - static_cast<int64_t>(ini_.nul_lines().size());
    if (more > 0) {
      Add(0, "nul-character", Severity::kWarning,
          std::to_string(more) + " more lines hold a NUL character");
    }
  }

  bool HoldsNul(int line) const {
    const std::vector<int>& lines = ini_.nul_lines();
    return std::binary_search(lines.begin(), lines.end(), line);
  }

  void CheckSectionsAndKeys() {
    for (const IniSection& section : ini_.sections()) {
      const WString name = ini_.Name(section).str();
      const bool headed = &section != ini_.sections().data();
      if (headed && name.empty()) {
        if (!HoldsNul(lines_.Of(section))) {
          Add(lines_.Of(section), "empty-section-name", Severity::kWarning,
              "the header names no section: the keys under it are never read");
        }
        continue;
      }
      if (section.again) {
        Add(lines_.Of(section), "duplicate-section", Severity::kWarning,
            "section [" + ToUtf8(name) + "] appears before; the keys here are never read");
        continue;
      }
      CheckSystemWord(section, name);
      std::set<WString> keys;
      for (const IniKey& key : ini_.Keys(section)) CheckKey(name, key, keys);
    }
  }

  void CheckKey(const WString& section, const IniKey& key, std::set<WString>& keys) {
    const IniChars name = ini_.Name(key);
    const bool comment = !name.empty() && (name[0] == u';' || name[0] == u'#');
    if (comment) return;
    const WString key_name = name.str();
    if (!key.has_value) {
      Add(lines_.Of(key), "line-without-equals", Severity::kWarning,
          "\"" + ToUtf8(key_name) + "\" has no \"=\"; reading it gives nothing");
    }
    if (!keys.insert(LowerCase(key_name)).second) {
      Add(lines_.Of(key), "duplicate-key", Severity::kWarning,
          "key " + ToUtf8(key_name) + " appears before in [" + ToUtf8(section) +
              "]; this one is never read");
    }
    const WString read = ini_.GetString(section, key_name, WString(), ini_.Value(key).size() + 2);
    if (&key == ini_.FindKey(section, key_name) && read.size() > kLongestValue) {
      const WString lowered = LowerCase(key_name);
      const bool command =
          lowered == u"apppath" || lowered == u"appswitches" || lowered == u"globalswitches";
      Add(lines_.Of(key), "value-too-long", command ? Severity::kError : Severity::kWarning,
          ToUtf8(key_name) + " holds " + std::to_string(read.size()) +
              " characters; the run reads only the first 259");
    }
  }

  // Pass-1 sections are named by the words the program produces.
  void CheckSystemWord(const IniSection& section, const WString& name) {
    const size_t underscore = name.rfind(u'_');
    if (underscore == WString::npos) return;
    const WString base = name.substr(0, underscore);
    const WString word = name.substr(underscore + 1);
    const bool list_base = LowerCase(base) == u"0xffff" || ini_.FindSection(base) != nullptr;
    if (!list_base || LowerCase(base).compare(0, 2, u"0x") != 0) return;
    const bool newer_on = TurnsOnNewerWindows(Value(kSettingsSection, KeyName(Key::kNewerWindows)));
    if (!NewerWindowsWord(word).empty()) {
      if (newer_on) return;
      Add(lines_.Of(section), "newer-system-not-named", Severity::kWarning,
          "[" + ToUtf8(name) + "] is never read: the program names " + ToUtf8(word) +
              " only with NewerWindows=1 in [Settings]");
      return;
    }
    if (WindowsKindFor(word) != WindowsKind::kOther) return;
    Add(lines_.Of(section), "unknown-system-word", Severity::kWarning,
        "[" + ToUtf8(name) + "] is never read: " +
            (newer_on ? "\"" + ToUtf8(word) +
                            "\" is none of the names the program gives a Windows (WINXP, "
                            "VISTA32, VISTA64, or a system and its architecture, as WIN10X64)"
                      : std::string("the program names only WINXP, VISTA32 and VISTA64")));
  }

  void CheckSettings() {
    if (Value(kSettingsSection, KeyName(Key::kAppInstlPath)).empty()) {
      Add(LineOf(kSettingsSection, KeyName(Key::kAppInstlPath)), "missing-appinstlpath",
          Severity::kError,
          "Settings has no AppInstlPath: every run ends after its identity records");
    }
    CheckMaxInstallTime(kSettingsSection);
  }

  // [Settings] or an application's own, read as the run reads it.
  void CheckMaxInstallTime(const WString& section) {
    const WString text = Value(section, KeyName(Key::kMaxInstallTime));
    if (text.empty()) return;
    const int32_t seconds = ParseInstallTime(text, platform_);
    size_t digits = (text[0] == u'+' || text[0] == u'-') ? 1 : 0;
    bool plain = digits < text.size();
    for (size_t i = digits; i < text.size(); ++i) plain = plain && text[i] >= u'0' && text[i] <= u'9';
    const int line = LineOf(section, KeyName(Key::kMaxInstallTime));
    if (!plain) {
      Add(line, "max-install-time-not-a-number", Severity::kWarning,
          "MaxInstallTime \"" + ToUtf8(text) + "\" reads as " + std::to_string(seconds) +
              " seconds: only a leading decimal number counts");
    } else if (seconds == INT32_MAX || seconds == INT32_MIN) {
      Add(line, "max-install-time-past-range", Severity::kWarning,
          "MaxInstallTime " + ToUtf8(text) +
              " is past the 32-bit range: " + std::to_string(seconds) + " seconds are used");
    }
    if (plain && seconds <= 4) {
      Add(line, "max-install-time-too-short", Severity::kWarning,
          "MaxInstallTime " + std::to_string(seconds) + " lets " +
              (section == kSettingsSection ? "each installer" : "the installer") +
              " run only about 4 seconds");
    }
  }

  void CheckWaitForExit() {
    const WString text = Value(kSettingsSection, KeyName(Key::kWaitForExit));
    if (text.empty() || text == u"0" || TurnsOnWaitForExit(text)) return;
    Add(LineOf(kSettingsSection, KeyName(Key::kWaitForExit)), "wait-for-exit-not-0-or-1",
        Severity::kWarning,
        "WaitForExit \"" + ToUtf8(text) +
            "\" is neither 0 nor 1: only 1 ends each wait when its installer does");
  }

  void CheckNewerWindows() {
    const WString text = Value(kSettingsSection, KeyName(Key::kNewerWindows));
    if (text.empty() || text == u"0" || TurnsOnNewerWindows(text)) return;
    Add(LineOf(kSettingsSection, KeyName(Key::kNewerWindows)), "newer-windows-not-0-or-1",
        Severity::kWarning,
        "NewerWindows \"" + ToUtf8(text) +
            "\" is neither 0 nor 1: only 1 names the Windows after Vista");
  }

  // WaitForChildren and StopAtTimeLimit in [Settings] or an application's
  // section, where the application's own are read only when [Settings]
  // names them; a StopAtTimeLimit that a limit of 0 or less leaves unread.
  void CheckTreeKeys(const WString& section) {
    const bool settings = section == kSettingsSection;
    if (settings) {
      tree_context_.InputIniPath = platform_.ini_path();
      const WString limit = Value(section, KeyName(Key::kMaxInstallTime));
      if (!limit.empty()) tree_context_.MaxInstallTime = ParseInstallTime(limit, platform_);
      ReadTimeLimitSettings(tree_context_, platform_);
    }
    for (const char16_t* key : {KeyName(Key::kWaitForChildren), KeyName(Key::kStopAtTimeLimit)}) {
      const WString text = Value(section, key);
      if (text.empty()) continue;
      if (!settings && Value(kSettingsSection, key).empty()) {
        Add(LineOf(section, key), "tree-key-while-off", Severity::kWarning,
            ToUtf8(key) + " of an application is read only when [Settings] names " + ToUtf8(key) +
                " too");
        continue;
      }
      if (text == u"0" || text == u"1") continue;
      Add(LineOf(section, key), "tree-key-not-0-or-1", Severity::kWarning,
          ToUtf8(key) + " \"" + ToUtf8(text) + "\" is neither 0 nor 1: " +
              (settings ? "it stays off" : "the [Settings] value applies"));
    }
    if (!settings && !Value(section, KeyName(Key::kMaxInstallTime)).empty()) {
      if (OwnValueInForce(Key::kMaxInstallTime, tree_context_)) {
        CheckMaxInstallTime(section);
      } else {
        Add(LineOf(section, KeyName(Key::kMaxInstallTime)), "tree-key-while-off",
            Severity::kWarning,
            "MaxInstallTime of an application is read only when [Settings] names "
            "WaitForChildren or StopAtTimeLimit (StopAtTimeLimit=0 ends nothing)");
      }
    }
    const LaunchLimits limits = settings ? CombineLaunchLimits({}, tree_context_, platform_)
                                         : ReadLaunchLimits(section, tree_context_, platform_);
    const bool own_stop = settings || OwnValueInForce(Key::kStopAtTimeLimit, tree_context_);
    if (limits.stop_at_time_limit && limits.max_install_time <= 0 && own_stop &&
        !Value(section, KeyName(Key::kStopAtTimeLimit)).empty()) {
      Add(LineOf(section, KeyName(Key::kStopAtTimeLimit)), "stop-at-time-limit-unread",
          Severity::kWarning,
          "StopAtTimeLimit is on, but MaxInstallTime " + std::to_string(limits.max_install_time) +
              " never waits: nothing is ended, and the installer is left running");
    }
  }

  void CheckInstallerServiceWait() {
    const WString text = Value(kSettingsSection, KeyName(Key::kWaitForInstallerService));
    int32_t seconds = 0;
    if (text.empty()) return;
    if (!ParseBoundedCount(text, INT32_MAX, &seconds)) {
      Add(LineOf(kSettingsSection, KeyName(Key::kWaitForInstallerService)),
          "installer-service-wait-unread", Severity::kWarning,
          "WaitForInstallerService \"" + ToUtf8(text) +
              "\" does not read (seconds, 0 to 3600): the run does not wait");
    } else if (seconds > kLongestInstallerServiceWait) {
      Add(LineOf(kSettingsSection, KeyName(Key::kWaitForInstallerService)),
          "installer-service-wait-past-bound", Severity::kWarning,
          "WaitForInstallerService " + ToUtf8(text) + " is past its bound: 3600 seconds are used");
    }
  }

  void CheckList(const IniSection& section, const WString& list) {
    int number = 1;
    for (;; ++number) {
      const WString key = u"APP" + FromUtf8(std::to_string(number));
      const WString application = Value(list, key);
      if (application.empty()) break;
      CheckApplication(application, list, key);
    }
    const std::string end = "APP" + std::to_string(number);
    for (const IniKey& key : ini_.Keys(section)) {
      const WString key_name = ini_.Name(key).str();
      if (LowerCase(key_name).compare(0, 3, u"app") != 0 || ini_.Value(key).empty()) continue;
      if (&key != ini_.FindKey(list, key_name)) continue;  // a duplicate, told above
      int read_number = 0;
      if (!ReadAppNumber(key_name, &read_number) || read_number >= number) {
        Add(lines_.Of(key), "app-key-unreachable", Severity::kWarning,
            ToUtf8(key_name) + " is never read: the list of [" + ToUtf8(list) +
                "] ends at " + end + ", which is missing or empty");
      }
    }
  }

  // A key the run reads, written where it never asks for it: read nowhere.
  void CheckKeyPlaces() {
    for (const IniSection& section : ini_.sections()) {
      const WString name = ini_.Name(section).str();
      if (section.again || (&section == ini_.sections().data() && name.empty())) continue;
      const WString lowered = LowerCase(name);
      KeyPlace place = KeyPlace::kApplication;
      if (lowered == u"settings") {
        place = KeyPlace::kSettings;
      } else if (checked_.count(lowered) == 0) {
        // A section no list names is read only as a list, if at all.
        if (lowered.compare(0, 2, u"0x") != 0) continue;
        place = KeyPlace::kMachine;
      }
      for (const IniKey& key : ini_.Keys(section)) {
        const WString key_name = ini_.Name(key).str();
        if (!key.has_value || &key != ini_.FindKey(name, key_name)) continue;
        if (!KnownKey(key_name) || ReadInPlace(key_name, place)) continue;
        // A list in the wrong place leaves every installer unchecked.
        const bool guard = LowerCase(key_name) == u"hashlist" &&
                           Value(kSettingsSection, KeyName(Key::kHashList)).empty();
        Add(lines_.Of(key), "key-in-wrong-section", guard ? Severity::kError : Severity::kWarning,
            ToUtf8(key_name) + " is never read in [" + ToUtf8(name) + "]: the run reads it only " +
                PlacesOf(key_name) + (guard ? "; no installer is checked against a list" : ""));
      }
    }
  }

  static std::string PlacesOf(const WString& key) {
    std::string places;
    const std::pair<KeyPlace, const char*> names[] = {
        {KeyPlace::kSettings, "in [Settings]"},
        {KeyPlace::kMachine, "in a machine's list section"},
        {KeyPlace::kApplication, "in an application's section"}};
    for (const auto& [place, words] : names) {
      if (ReadInPlace(key, place)) places += (places.empty() ? "" : " or ") + std::string(words);
    }
    return places;
  }

  // The number of "APP<n>" as the run writes it: no leading zeros.
  static bool ReadAppNumber(const WString& name, int* number) {
    if (name.size() < 4 || name.size() > 12 || name[3] == u'0') return false;
    int value = 0;
    for (size_t i = 3; i < name.size(); ++i) {
      if (name[i] < u'0' || name[i] > u'9') return false;
      value = value * 10 + (name[i] - u'0');
    }
    *number = value;
    return true;
  }

  // The list's key is looked up again only for a finding: lines are
  // counted when asked.
  void CheckApplication(const WString& application, const WString& list, const WString& key) {
    const std::string named = "[" + ToUtf8(application) + "]";
    if (ini_.FindSection(application) == nullptr) {
      Add(LineOf(list, key), "app-section-missing", Severity::kError,
          "section " + named + " does not exist; the application is skipped without a record");
      return;
    }
    const WString app_path = Value(application, KeyName(Key::kAppPath));
    if (app_path.empty()) {
      Add(LineOf(list, key), "app-without-apppath", Severity::kError,
          "section " + named + " has no AppPath; the application is skipped without a record");
      return;
    }
    if (!checked_.insert(LowerCase(application)).second) return;
    if (app_path.back() == u'\\') {
      Add(LineOf(application, KeyName(Key::kAppPath)), "apppath-trailing-backslash",
          Severity::kWarning, "AppPath ends in a backslash; the command line gets two in a row");
    }
    const std::string searched = AppPathSearchText(app_path);
    if (!searched.empty()) {
      Add(LineOf(application, KeyName(Key::kAppPath)), "apppath-not-full-path", Severity::kWarning,
          searched);
    }
    for (const char16_t* name : {KeyName(Key::kAppSwitches), KeyName(Key::kGlobalSwitches)})
      CheckPlaceholderCase(application, name);
    CheckLanguageSkips(application, app_path);
    CheckTreeKeys(application);
  }

  void CheckPlaceholderCase(const WString& application, const char16_t* key) {
    const WString switches = Value(application, key);
    const WString lowered = LowerCase(switches);
    for (size_t at = lowered.find(u"%lang%"); at != WString::npos; at = lowered.find(u"%lang%", at + 1)) {
      if (switches.compare(at, 6, kLanguagePlaceholder) == 0) continue;
      Add(LineOf(application, key), "lang-placeholder-case", Severity::kWarning,
          "\"" + ToUtf8(switches.substr(at, 6)) +
              "\" is not the placeholder; only \"%LANG%\" is replaced, this stays as written");
      return;
    }
  }

  void CheckLanguageSkips(const WString& application, const WString& app_path) {
    const WString switches = Value(application, KeyName(Key::kAppSwitches));
    if (switches.find(kLanguagePlaceholder) == WString::npos) return;
    if (!Value(application, KeyName(Key::kGlobalSwitches)).empty()) return;
    std::string skipped;
    for (const WString& code : codes_) {
      RunContext context;
      context.LanguageCode = code;
      WString substituted = switches;
      if (!SubstituteLanguage(substituted, app_path + u"\\", context, platform_)) {
        skipped += (skipped.empty() ? "" : ", ") + ToUtf8(code);
      }
    }
    if (skipped.empty()) return;
    Add(LineOf(application, KeyName(Key::kAppSwitches)), "lang-without-globalswitches",
        Severity::kWarning,
        "[" + ToUtf8(application) + "] has \"%LANG%\" and no GlobalSwitches; with language " +
            skipped + " no folder is found under " + ToUtf8(app_path) +
            " and the application is skipped");
  }

  const std::string& file_;
  const std::vector<WString>& codes_;
  PlanPlatform& platform_;
  const IniFile& ini_;
  const IniLines lines_;  // counted once, asked only for findings
  std::vector<Finding> findings_;
  std::set<WString> checked_;
  RunContext tree_context_;  // [Settings] as the run reads the tree's keys
};

}  // namespace

std::vector<Finding> LintIni(const std::string& file, const std::vector<WString>& language_codes,
                             PlanPlatform& platform) {
  return IniLint(file, language_codes, platform).Run();
}

}  // namespace quill::plan
