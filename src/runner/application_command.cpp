#include "runner/application_command.h"

#include <algorithm>
#include <string_view>
#include <vector>
#include "base/ini_keys.h"

#include "base/ascii.h"
#include "base/profile_value.h"
#include "base/trim.h"

namespace quill {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool HasDrive(const WString& path) {
  return path.size() >= 2 && IsLetter(path[0]) && path[1] == u':';
}

bool IsUnc(const WString& path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// The part no ".." may climb above: "C:" or "\\server\share".
size_t RootLength(const WString& path) {
  if (HasDrive(path)) return 2;
  if (!IsUnc(path)) return 0;
  size_t seen = 0;
  for (size_t i = 2; i < path.size(); ++i) {
    if (IsSeparator(path[i]) && ++seen == 2) return i;
  }
  return path.size();
}

// "\\server\share" with a name for each.
bool IsGoodShare(const WString& root) {
  const size_t slash = root.find_first_of(u"\\/", 2);
  if (slash == WString::npos) return false;
  const WString server = root.substr(2, slash - 2);
  const WString share = root.substr(slash + 1);
  for (const WString& name : {server, share}) {
    if (name.empty() || name == u"." || name == u"..") return false;
  }
  return true;
}

WString Normalised(const WString& joined) {
  const size_t root_length = RootLength(joined);
  if (IsUnc(joined) && !IsGoodShare(joined.substr(0, root_length))) return WString();
  WString root = joined.substr(0, root_length);
  for (char16_t& c : root) {
    if (c == u'/') c = u'\\';
  }
  std::vector<WString> steps;
  WString step;
  for (size_t i = root_length; i <= joined.size(); ++i) {
    if (i < joined.size() && !IsSeparator(joined[i])) {
      step += joined[i];
      continue;
    }
    if (step == u"..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != u".") {
      steps.push_back(step);
    }
    step.clear();
  }
  WString full = root;
  for (const WString& each : steps) full += u"\\" + each;
  return steps.empty() ? full + u"\\" : full;
}

}  // namespace

WString FullWindowsPath(const WString& path, const WString& folder) {
  if (IsUnc(path) || (HasDrive(path) && path.size() > 2 && IsSeparator(path[2]))) {
    return Normalised(path);
  }
  if (!path.empty() && IsSeparator(path[0])) {
    return Normalised(folder.substr(0, RootLength(folder)) + path);
  }
  // "C:x" is relative to drive C's own current folder, which only the
  // folder given here can stand for when it lies on that drive.
  if (HasDrive(path)) {
    const bool same_drive =
        HasDrive(folder) && PathKey(folder.substr(0, 1)) == PathKey(path.substr(0, 1));
    return same_drive ? Normalised(folder + u"\\" + path.substr(2)) : WString();
  }
  return Normalised(folder + u"\\" + path);
}

bool IsFullWindowsPath(const WString& path) {
  return IsUnc(path) || (HasDrive(path) && path.size() > 2 && IsSeparator(path[2]));
}

bool IsResolvedFullPath(const WString& path) {
  return IsFullWindowsPath(path) && FullWindowsPath(path, WString()) == path;
}

WString PathKey(const WString& full_path) { return UpperCaseAtoZ(full_path); }

WString ParentFolder(const WString& full_path) {
  const size_t slash = full_path.find_last_of(u"\\/");
  return slash == WString::npos ? WString() : full_path.substr(0, slash);
}

const char16_t kLanguagePlaceholder[] = u"%LANG%";

namespace {

bool Exists(const WString& path, FileSystem& files) {
  return files.GetAttributes(path) != kInvalidFileAttributes;
}

// The folder name tried when the language code's own folder is missing.
const char16_t* FallbackFolder(const WString& language_code) {
  if (language_code == u"02" || language_code == u"37") return u"US";
  if (language_code == u"16") return u"SP";
  return nullptr;
}

// CON, NUL, COM1 ...: Windows opens the device under any folder, with any
// extension and blanks after it.
bool NamesADevice(const WString& name) {
  WString stem = UpperCaseAtoZ(name.substr(0, name.find(u'.')));
  while (!stem.empty() && stem.back() == u' ') stem.pop_back();
  if (stem == u"CON" || stem == u"PRN" || stem == u"AUX" || stem == u"NUL") return true;
  const bool numbered = stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9';
  return numbered && (stem.compare(0, 3, u"COM") == 0 || stem.compare(0, 3, u"LPT") == 0);
}

}  // namespace

bool LeavesItsFolder(const WString& name) {
  if (NamesADevice(name)) return true;
  bool only_dots_and_blanks = !name.empty();
  for (char16_t c : name) {
    if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) {
      return true;
    }
    only_dots_and_blanks = only_dots_and_blanks && (c == u'.' || c == u' ');
  }
  return only_dots_and_blanks;
}

void ReplaceAll(WString& text, const WString& from, const WString& to) {
  if (from.empty()) return;
  WString result;
  size_t at = 0;
  for (size_t found; (found = text.find(from, at)) != WString::npos; at = found + from.size()) {
    result.append(text, at, found - at);
    result += to;
  }
  result.append(text, at, WString::npos);
  text = result;
}

int SubstituteLanguage(WString& switches, const WString& command_so_far,
                       const RunContext& context, FileSystem& files) {
  WString folder = context.LanguageCode;
  // A code from the language table that is no folder name (..\..\x, D:\x)
  // would take the installer from outside AppPath: it finds no folder.
  if (LeavesItsFolder(folder) || !Exists(command_so_far + folder, files)) {
    const char16_t* fallback = FallbackFolder(context.LanguageCode);
    if (fallback == nullptr || !Exists(command_so_far + fallback, files)) return 0;
    folder = fallback;
  }
  ReplaceAll(switches, kLanguagePlaceholder, folder);
  return 1;
}

ApplicationCommand BuildApplicationCommand(const WString& app_section,
                                           const RunContext& context, Platform& platform) {
  auto read = [&](const char16_t* key) {
    return ReadProfileValue(app_section, key, context.InputIniPath, platform, platform);
  };
  ApplicationCommand command;
  command.app_path = read(KeyName(Key::kAppPath));
  if (command.app_path.empty()) return command;
  const WString so_far = command.app_path + u"\\";

  WString switches = read(KeyName(Key::kAppSwitches));
  if (switches.find(kLanguagePlaceholder) != WString::npos &&
      !SubstituteLanguage(switches, so_far, context, platform)) {
    switches = read(KeyName(Key::kGlobalSwitches));
    if (switches.empty()) return command;  // skipped: no language folder, no fallback
  }
  command.switches = switches;
  command.command_line = so_far + switches;
  return command;
}

namespace {

bool HasBlank(const WString& text) {
  for (char16_t c : text) {
    if (IsBlank(c)) return true;
  }
  return false;
}

bool HasExtension(const WString& path) {
  const size_t slash = path.rfind(u'\\');
  const size_t dot = path.rfind(u'.');
  return dot != WString::npos && (slash == WString::npos || dot > slash);
}

bool IsFile(const WString& path, FileSystem& files) {
  const uint32_t attributes = files.GetAttributes(path);
  return attributes != kInvalidFileAttributes && !(attributes & kFileAttributeDirectory);
}

bool NamesProgram(const WString& path, FileSystem& files) {
  return IsFile(path, files) || (!HasExtension(path) && IsFile(path + u".exe", files));
}

// Where the program part of the switches may end: each blank, then the end.
std::vector<size_t> ProgramEnds(const WString& switches) {
  std::vector<size_t> ends;
  for (size_t i = 0; i < switches.size(); ++i) {
    if (IsBlank(switches[i])) ends.push_back(i);
  }
  ends.push_back(switches.size());
  return ends;
}

}  // namespace

WString ProcessCommandLine(const ApplicationCommand& command, FileSystem& files) {
  if (!HasBlank(command.app_path)) return command.command_line;

  const WString so_far = command.app_path + u"\\";
  const std::vector<size_t> ends = ProgramEnds(command.switches);
  size_t program_end = ends.front();
  for (size_t end : ends) {
    if (NamesProgram(so_far + command.switches.substr(0, end), files)) {
      program_end = end;
      break;
    }
  }
  return u"\"" + so_far + command.switches.substr(0, program_end) + u"\"" +
         command.switches.substr(program_end);
}

std::vector<WString> NamedVariables(const WString& value) {
  std::vector<WString> names;
  size_t open = value.find(u'%');
  while (open != WString::npos) {
    const size_t close = value.find(u'%', open + 1);
    if (close == WString::npos) break;
    if (close == open + 1) {  // "%%" names nothing; the second may open one
      open = close;
      continue;
    }
    const WString name = value.substr(open + 1, close - open - 1);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    open = value.find(u'%', close + 1);
  }
  return names;
}

}  // namespace quill
