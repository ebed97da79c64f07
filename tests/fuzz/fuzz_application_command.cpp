// The command line of one application section: "%LANG%" put in place from
// the language folders, and the program part quoted for the platform. The
// provider builds the section's values and the machine's folders and files
// from pieces that matter to these rules.
#include <string>
#include <vector>

#include "base/profile_value.h"
#include "fake_platform.h"
#include "fuzz_support.h"
#include "runner/application_command.h"

using quill::WString;
using quill::fuzz::Check;

namespace {

const std::vector<WString> kPieces = {
    u"%LANG%", u"%LANG%", u"%lang%", u"%LANG", u"%",      u"LANG%",  u" ",         u"  ", u"\t",
    u"\\",     u"x",      u"a b",    u"US",    u"SP",     u"12",     u"02",        u"37", u"16",
    u".exe",   u"setup",  u"/s",     u"C:",    u"\u00E9", u"\u03A9", u"\U0001D518", u"..", u"/"};
const std::vector<WString> kCodes = {u"",   u"12",     u"02",  u"37",       u"16",
                                     u"US", u"%LANG%", u"a b", u"..\\..\\x", u"."};

// Every occurrence of `from`, left to right, found in `text` as it was.
WString SplitAndJoin(const WString& text, const WString& from, const WString& to) {
  WString result;
  size_t at = 0;
  for (size_t found; (found = text.find(from, at)) != WString::npos; at = found + from.size()) {
    result += text.substr(at, found - at) + to;
  }
  return result + text.substr(at);
}

// Put under AppPath, it would name something other than one entry there.
bool LeavesTheFolder(const WString& code) {
  for (char16_t c : code) {
    if (c < 0x20 || WString(u"\\/:*?\"<>|").find(c) != WString::npos) return true;
  }
  return !code.empty() && code.find_first_not_of(u". ") == WString::npos;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool HasBlank(const WString& text) {
  return text.find(u' ') != WString::npos || text.find(u'\t') != WString::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  quill::FakePlatform platform;
  quill::RunContext context;
  context.InputIniPath = u"C:\\in.ini";
  context.LanguageCode = data.ConsumeBool()
                             ? kCodes[data.ConsumeIntegralInRange<size_t>(0, kCodes.size() - 1)]
                             : quill::fuzz::FromPieces(data, kPieces, 3);
  const WString app_path = u"C:\\" + quill::fuzz::FromPieces(data, kPieces, 8);
  const WString app_switches = quill::fuzz::FromPieces(data, kPieces, 40);
  const WString global_switches = quill::fuzz::FromPieces(data, kPieces, 8);
  platform.AddIniFile(context.InputIniPath, u"[App]\nAppPath=" + app_path + u"\nAppSwitches=" +
                                                app_switches + u"\nGlobalSwitches=" +
                                                global_switches + u"\n");
  auto read = [&](const char16_t* key) {
    return quill::ReadProfileValue(u"App", key, context.InputIniPath, platform, platform);
  };
  const WString path = read(u"AppPath");
  const WString switches = read(u"AppSwitches");
  const WString global = read(u"GlobalSwitches");
  const WString so_far = path + u"\\";
  for (const WString& folder : {context.LanguageCode, WString(u"US"), WString(u"SP")}) {
    if (data.ConsumeBool()) platform.AddDirectory(so_far + folder);
  }
  // Files that the switches, cut at a blank, may name.
  for (size_t end = 0; end <= switches.size(); ++end) {
    if ((end == switches.size() || IsBlank(switches[end])) &&
        data.ConsumeIntegralInRange(0, 3) == 0) {
      platform.AddFile(so_far + switches.substr(0, end) + (data.ConsumeBool() ? u".exe" : u""), "");
    }
  }

  const quill::ApplicationCommand command =
      quill::BuildApplicationCommand(u"App", context, platform);
  Check(command.app_path == path, "AppPath is never touched");
  if (path.empty()) {
    Check(command.command_line.empty(), "no AppPath: skipped");
    return 0;
  }
  Check(command.command_line.empty() || command.command_line == so_far + command.switches,
        "AppPath, a backslash and the switches");

  WString expected = switches;
  bool skipped = false;
  if (switches.find(u"%LANG%") != WString::npos) {
    const WString& code = context.LanguageCode;
    const char16_t* fallback =
        (code == u"02" || code == u"37") ? u"US" : (code == u"16" ? u"SP" : nullptr);
    if (!LeavesTheFolder(code) && platform.Exists(so_far + code)) {
      expected = SplitAndJoin(switches, u"%LANG%", code);
    } else if (fallback != nullptr && platform.Exists(so_far + fallback)) {
      expected = SplitAndJoin(switches, u"%LANG%", fallback);
    } else {
      expected = global;  // unchanged, "%LANG%" and all
      skipped = global.empty();
    }
  }
  Check(skipped == command.command_line.empty(), "skipped only without language and fallback");
  if (skipped) return 0;
  Check(command.switches == expected, "each \"%LANG%\" of the switches, and only there");

  WString same = switches;
  quill::ReplaceAll(same, u"%LANG%", u"%LANG%");
  Check(same == switches, "replacing a text by itself changes nothing");

  const WString handed = quill::ProcessCommandLine(command, platform);
  if (!HasBlank(path)) {
    Check(handed == command.command_line, "without a blank in AppPath, as built");
    return 0;
  }
  // The program part, AppPath and more, in quotation marks: the platform's
  // search cannot stop inside AppPath.
  const size_t close = handed.find(u'"', 1);
  Check(!handed.empty() && handed[0] == u'"' && close != WString::npos, "the program is quoted");
  Check(close >= 1 + so_far.size(), "the whole AppPath is in the quotes");
  Check(close + 1 == handed.size() || IsBlank(handed[close + 1]),
        "the quotes end at a blank of the switches or at their end");
  Check(handed.substr(1, close - 1) + handed.substr(close + 1) == command.command_line,
        "nothing but the quotes is added");
  return 0;
}
