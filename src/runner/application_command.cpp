#include "runner/application_command.h"

#include <string_view>

#include "base/ascii.h"
#include "base/profile_value.h"

namespace quill {

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
  command.app_path = read(u"AppPath");
  if (command.app_path.empty()) return command;
  const WString so_far = command.app_path + u"\\";

  WString switches = read(u"AppSwitches");
  if (switches.find(kLanguagePlaceholder) != WString::npos &&
      !SubstituteLanguage(switches, so_far, context, platform)) {
    switches = read(u"GlobalSwitches");
    if (switches.empty()) return command;  // skipped: no language folder, no fallback
  }
  command.switches = switches;
  command.command_line = so_far + switches;
  return command;
}

}  // namespace quill
