#include "runner/detection.h"

#include "base/ascii.h"
#include "base/ini_keys.h"
#include "base/profile_value.h"
#include "base/trim.h"
#include "log/run_log.h"
#include "runner/exit_codes.h"

namespace quill {

namespace {

constexpr DetectKind kKinds[] = {DetectKind::kMsi, DetectKind::kFile, DetectKind::kKey};

WString TrimBlanks(const WString& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", the one form Windows Installer takes.
bool IsProductCode(const WString& code) {
  static const char kShape[] = "{********-****-****-****-************}";
  if (code.size() != sizeof kShape - 1) return false;
  for (size_t i = 0; i < code.size(); ++i) {
    if (kShape[i] == '*' ? HexDigit(code[i]) < 0 : code[i] != kShape[i]) return false;
  }
  return true;
}

bool ParseProductCodes(const WString& value, DetectRule* rule) {
  std::vector<WString> codes;
  for (size_t begin = 0;;) {
    const size_t comma = value.find(u',', begin);
    const WString code = TrimBlanks(value.substr(begin, comma - begin));
    if (!IsProductCode(code)) return false;
    codes.push_back(UpperCaseAtoZ(code));
    if (comma == WString::npos) break;
    begin = comma + 1;
  }
  rule->product_codes = codes;
  return true;
}

// One to four numbers of 0 to 65535, separated by dots; the rest are 0.
bool ParseVersion(const WString& text, FileVersion* version) {
  FileVersion parsed;
  size_t part = 0;
  uint32_t number = 0;
  bool digits = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    const char16_t c = i < text.size() ? text[i] : u'.';
    if (c >= u'0' && c <= u'9') {
      number = number * 10 + (c - u'0');
      digits = true;
      if (number > kLargestVersionPart) return false;
      continue;
    }
    if (c != u'.' || !digits || part == 4) return false;
    parsed.parts[part++] = static_cast<uint16_t>(number);
    number = 0;
    digits = false;
  }
  *version = parsed;
  return true;
}

bool ParseFileRule(const WString& value, DetectRule* rule) {
  const size_t at_least = value.find(u">=");
  rule->path = TrimBlanks(value.substr(0, at_least));
  const bool path_reads =
      IsFullPath(rule->path) || (rule->path.size() > 1 && rule->path[0] == u'%');
  if (!path_reads || rule->path.find(u'>') != WString::npos) return false;
  rule->has_version = at_least != WString::npos;
  return !rule->has_version || ParseVersion(TrimBlanks(value.substr(at_least + 2)), &rule->least);
}

bool ParseKeyRule(const WString& value, DetectRule* rule) {
  static const struct {
    const char16_t* root;
    bool view_64, view_32;
  } kRoots[] = {{u"HKLM\\", true, true},
                {u"HKEY_LOCAL_MACHINE\\", true, true},
                {u"HKLM64\\", true, false},
                {u"HKLM32\\", false, true}};
  const WString upper = UpperCaseAtoZ(value);
  for (const auto& form : kRoots) {
    const WString root = form.root;
    if (upper.compare(0, root.size(), root) != 0) continue;
    rule->view_64 = form.view_64;
    rule->view_32 = form.view_32;
    WString below = value.substr(root.size());
    while (!below.empty() && below.back() == u'\\') below.pop_back();
    if (below.empty() || below[0] == u'\\' || below.find(u"\\\\") != WString::npos) return false;
    rule->path = below;
    return true;
  }
  return false;
}

}  // namespace

const char16_t* DetectKeyName(DetectKind kind) {
  switch (kind) {
    case DetectKind::kMsi: return KeyName(Key::kDetectMsi);
    case DetectKind::kFile: return KeyName(Key::kDetectFile);
    case DetectKind::kKey: return KeyName(Key::kDetectKey);
  }
  return u"";
}

bool IsFullPath(const WString& path) {
  const bool drive = path.size() >= 3 && UpperAtoZ(path[0]) >= u'A' && UpperAtoZ(path[0]) <= u'Z' &&
                     path[1] == u':' && path[2] == u'\\';
  const bool share =
      path.size() >= 5 && path.compare(0, 2, u"\\\\") == 0 && path.find(u'\\', 3) != WString::npos;
  return drive || share;
}

bool ParseDetectRule(DetectKind kind, const WString& value, DetectRule* rule) {
  rule->kind = kind;
  rule->written = DetectKeyName(kind) + (u"=" + value);
  switch (kind) {
    case DetectKind::kMsi: return ParseProductCodes(value, rule);
    case DetectKind::kFile: return ParseFileRule(value, rule);
    case DetectKind::kKey: return ParseKeyRule(value, rule);
  }
  return false;
}

bool ParseWrittenRule(const WString& written, DetectRule* rule) {
  const size_t equals = written.find(u'=');
  for (DetectKind kind : kKinds) {
    if (written.compare(0, equals, DetectKeyName(kind)) == 0) {
      return ParseDetectRule(kind, written.substr(equals + 1), rule);
    }
  }
  return false;
}

DetectRules ReadDetectRules(const WString& app_section, const RunContext& context,
                            Platform& platform) {
  DetectRules read;
  for (DetectKind kind : kKinds) {
    const WString value = ReadProfileValue(app_section, DetectKeyName(kind), context.InputIniPath,
                                           platform, platform);
    if (value.empty()) continue;
    DetectRule rule;
    if (ParseDetectRule(kind, value, &rule)) {
      read.rules.push_back(rule);
    } else {
      read.unread.push_back(rule.written);
    }
  }
  return read;
}

namespace {

bool AtLeast(const FileVersion& version, const FileVersion& least) {
  for (int i = 0; i < 4; ++i) {
    if (version.parts[i] != least.parts[i]) return version.parts[i] > least.parts[i];
  }
  return true;
}

// The machine's own program folders, as a 64-bit program names them: the
// 32-bit program on 64-bit Windows would expand them to the 32-bit ones
// while the file check looks at the real folders, and never see a 64-bit
// application. %ProgramFiles(x86)% names the 32-bit folder.
constexpr char16_t kWindowsKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr struct {
  const char16_t* name;
  const char16_t* value;
} kMachineFolders[] = {{u"%PROGRAMFILES%", u"ProgramFilesDir"},
                       {u"%COMMONPROGRAMFILES%", u"CommonFilesDir"}};

// False when a folder the path names cannot be read: the rule cannot be checked.
bool ExpandMachineFolders(WString* path, MachineRegistry& registry) {
  for (const auto& folder : kMachineFolders) {
    const WString name = folder.name;
    WString value;
    bool read = false;
    for (size_t at = UpperCaseAtoZ(*path).find(name); at != WString::npos;
         at = UpperCaseAtoZ(*path).find(name, at + value.size())) {
      if (!read && !registry.ReadMachineValue(kWindowsKey, folder.value, &value)) return false;
      read = true;
      path->replace(at, name.size(), value);
    }
  }
  return true;
}

}  // namespace

bool ExpandRulePath(const DetectRule& rule, InstalledState& state, MachineRegistry& registry,
                    WString* path) {
  *path = rule.path;
  if (path->find(u'%') == WString::npos) return true;
  if (!ExpandMachineFolders(path, registry)) return false;
  *path = state.ExpandEnvironment(*path);
  return true;
}

namespace {

bool FileRuleHolds(const DetectRule& rule, InstalledState& state, MachineRegistry& registry) {
  WString path;
  if (!ExpandRulePath(rule, state, registry, &path)) return false;
  if (!IsFullPath(path) || !state.NativeFileExists(path)) return false;
  FileVersion version;
  return !rule.has_version ||
         (state.NativeFileVersion(path, &version) && AtLeast(version, rule.least));
}

// A rule of the list that does not hold, or null when all do; `held`
// gathers what held, for the record.
const DetectRule* FirstUnheld(const DetectRules& detect, Platform& platform, WString* held) {
  for (const DetectRule& rule : detect.rules) {
    WString this_held;
    if (!DetectRuleHolds(rule, platform, platform, &this_held)) return &rule;
    *held += (held->empty() ? u"" : u" and ") + this_held;
  }
  return nullptr;
}

// Whether the run counts the ended installer a success, and whether that
// success waits for a restart.
bool EndedWell(const AppExitRules& exit_rules, const LaunchResult& result,
               const RunContext& context, bool* waits_for_restart) {
  *waits_for_restart = false;
  if (result.outcome != LaunchOutcome::Finished) return false;
  if (context.LogExitCodes != 1) return true;
  const ExitVerdict verdict = JudgeExitCode(result.exit_code, exit_rules.success_codes);
  *waits_for_restart =
      verdict == ExitVerdict::kRebootRequired || verdict == ExitVerdict::kRebootStarted;
  return verdict != ExitVerdict::kFailure;
}

}  // namespace

bool DetectRuleHolds(const DetectRule& rule, InstalledState& state, MachineRegistry& registry,
                     WString* held) {
  *held = rule.written;
  switch (rule.kind) {
    case DetectKind::kMsi:
      for (const WString& code : rule.product_codes) {
        if (!state.IsProductInstalled(code)) continue;
        *held = DetectKeyName(rule.kind) + (u"=" + code);
        return true;
      }
      return false;
    case DetectKind::kFile: return FileRuleHolds(rule, state, registry);
    case DetectKind::kKey:
      return (rule.view_64 && state.LocalMachineKeyExists(rule.path, RegistryView::k64Bit)) ||
             (rule.view_32 && state.LocalMachineKeyExists(rule.path, RegistryView::k32Bit));
  }
  return false;
}

bool InstalledAlready(const DetectRules& detect, const WString& app_section, RunContext& context,
                      Platform& platform) {
  for (const WString& unread : detect.unread) {
    WriteLogRecord(context, LogRecord::kDetectRuleUnread, {{unread, app_section}});
  }
  WString held;
  if (detect.rules.empty() || FirstUnheld(detect, platform, &held) != nullptr) return false;
  WriteLogRecord(context, LogRecord::kInstalledAlready, {{app_section, held}});
  return true;
}

void CheckInstalledAfter(const DetectRules& detect, const AppExitRules& exit_rules,
                         const LaunchResult& result, RunContext& context, Platform& platform) {
  bool waits_for_restart = false;
  if (detect.rules.empty() || !EndedWell(exit_rules, result, context, &waits_for_restart)) return;
  WString held;
  const DetectRule* unheld = FirstUnheld(detect, platform, &held);
  if (unheld == nullptr) return;
  WriteLogRecord(context,
                 waits_for_restart ? LogRecord::kDetectAfterRestart : LogRecord::kInstalledNothing,
                 {{unheld->written}});
}

void CheckInstalledAfterRestart(const WString& app_section, RunContext& context,
                                Platform& platform) {
  const DetectRules detect = ReadDetectRules(app_section, context, platform);
  if (detect.rules.empty()) return;
  WString held;
  const DetectRule* unheld = FirstUnheld(detect, platform, &held);
  if (unheld == nullptr) {
    WriteLogRecord(context, LogRecord::kInstalledAfterRestart, {{app_section, held}});
  } else {
    WriteLogRecord(context, LogRecord::kNothingAfterRestart, {{app_section, unheld->written}});
  }
}

}  // namespace quill
