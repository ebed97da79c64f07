#include "runner/hash_list.h"

#include <initializer_list>
#include <string>
#include <vector>
#include "base/ini_keys.h"
#include "base/settings_reader.h"

#include "base/ascii.h"
#include "base/profile_value.h"
#include "base/trim.h"
#include "base/utf.h"
#include "log/run_log.h"
#include "runner/application_command.h"

namespace quill {

namespace {

constexpr size_t kHexDigits = 64;

// sha256sum writes "\\" for a backslash and "\n" for a line feed in a name
// and marks the line with a leading backslash; a Windows name holds no
// line feed, so only the first is taken back.
bool Unescape(const std::string& escaped, std::string* path) {
  path->clear();
  for (size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '\\') {
      *path += escaped[i];
    } else if (i + 1 < escaped.size() && escaped[i + 1] == '\\') {
      *path += '\\';
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

// One line without its line end: the hash in lower case and the path.
bool ReadLine(std::string line, std::string* sha256, std::string* path) {
  const bool escaped = !line.empty() && line[0] == '\\';
  if (escaped) line.erase(0, 1);
  if (line.size() < kHexDigits + 3) return false;
  sha256->clear();
  for (size_t i = 0; i < kHexDigits; ++i) {
    const int value = HexDigit(static_cast<unsigned char>(line[i]));
    if (value < 0) return false;
    *sha256 += "0123456789abcdef"[value];
  }
  if (line[kHexDigits] != ' ' || (line[kHexDigits + 1] != ' ' && line[kHexDigits + 1] != '*')) {
    return false;
  }
  const std::string rest = line.substr(kHexDigits + 2);
  if (!escaped) {
    *path = rest;
    return true;
  }
  return Unescape(rest, path);
}

bool IsBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

void Enter(ParsedHashList& list, const WString& key, const std::string& sha256, int32_t number) {
  const auto found = list.by_path.find(key);
  if (found == list.by_path.end()) {
    list.by_path[key] = ListedHash{sha256, number};
  } else if (found->second.sha256 != sha256) {
    found->second.sha256.clear();  // which line holds? neither: fail closed
  }
}

// "C:x" is relative to drive C's own current folder, which the list's
// folder is not: such a line does not read.
WString ListedPath(const WString& path, const WString& list_folder) {
  const bool drive_relative = path.size() >= 2 && path[1] == u':' && !IsFullWindowsPath(path);
  return drive_relative ? WString() : FullWindowsPath(path, list_folder);
}

}  // namespace

WString CurrentFolder(FileSystem& files) { return files.CurrentDirectory(kLongestPathChars); }

ParsedHashList ParseHashList(const std::string& bytes, const WString& list_folder) {
  ParsedHashList list;
  const size_t bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  int32_t number = 0;
  for (size_t begin = bom; begin < bytes.size();) {
    size_t end = bytes.find('\n', begin);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(begin, end - begin);
    begin = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (IsBlankLine(line)) continue;
    std::string sha256;
    std::string path;
    const WString full = ReadLine(line, &sha256, &path) && path.find('\0') == std::string::npos
                             ? ListedPath(FromUtf8(path), list_folder)
                             : WString();
    if (full.empty()) {
      list.unread_lines.push_back(number);
      continue;
    }
    Enter(list, PathKey(full), sha256, number);
  }
  return list;
}

void ReadHashList(RunContext& context, Platform& platform) {
  const WString value = ReadSetting(Key::kHashList, context, platform, platform);
  if (value.empty()) return;
  // Only the platform knows the folder of "D:in.ini" (drive D's own
  // current folder); a relative list taken from anywhere else is refused.
  const WString ini = platform.FullPath(context.InputIniPath);
  const WString folder =
      IsFullWindowsPath(ini) ? ParentFolder(FullWindowsPath(ini, WString())) : WString();
  ReadHashListFile(value, FullWindowsPath(value, folder), context, platform);
}

namespace {

// A list Windows would not open as the file it names: not full ("D:x",
// "\\srv\..\l") or a device (NUL, CON.txt), which reads as nothing.
bool IsListFile(const WString& path) {
  return IsResolvedFullPath(path) && !LeavesItsFolder(path.substr(path.find_last_of(u'\\') + 1));
}

}  // namespace

void ReadHashListFile(const WString& given, const WString& list_path, RunContext& context,
                      Platform& platform) {
  // Never empty while the key is given: an empty one would switch the check off.
  context.HashList = IsListFile(list_path) ? list_path : given;
  std::string bytes;
  if (!IsListFile(list_path) || !platform.ReadFileBytes(context.HashList, &bytes)) {
    WriteLogRecord(context, LogRecord::kHashListUnread, {{context.HashList}});
    return;
  }
  ParsedHashList list = ParseHashList(bytes, ParentFolder(context.HashList));
  for (int32_t line : list.unread_lines) {
    WriteLogRecord(context, LogRecord::kHashListLineUnread, {{context.HashList}, line});
  }
  context.ListedHashes = std::move(list.by_path);
  context.HashListRead = true;
}

std::string HexDigest(const std::string& digest) {
  std::string hex;
  for (unsigned char byte : digest) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 15];
  }
  return hex;
}

namespace {

// The program as the platform takes it from an unquoted or quoted first token.
WString ProgramToken(const WString& handed, size_t* after) {
  if (!handed.empty() && handed[0] == u'"') {
    const size_t close = handed.find(u'"', 1);
    *after = close == WString::npos ? handed.size() : close + 1;
    return handed.substr(1, (close == WString::npos ? handed.size() : close) - 1);
  }
  size_t end = 0;
  while (end < handed.size() && !IsBlank(handed[end])) ++end;
  *after = end;
  return handed.substr(0, end);
}

WString WithExtension(const WString& program) {
  const size_t slash = program.find_last_of(u"\\/");
  const size_t dot = program.rfind(u'.');
  const bool has = dot != WString::npos && (slash == WString::npos || dot > slash);
  return has ? program : program + u".exe";
}

bool IsSystemMsiexec(const WString& program, const WString& system_folder) {
  if (system_folder.empty()) return false;
  const WString key = PathKey(program);
  const WString windows = ParentFolder(system_folder);
  for (const WString& folder : {system_folder, windows + u"\\SysWOW64", windows + u"\\Sysnative"}) {
    if (key == PathKey(FullWindowsPath(u"msiexec.exe", folder))) return true;
  }
  return false;
}

bool IsOption(const WString& word, const char16_t* name) {
  if (word.size() < 2 || (word[0] != u'/' && word[0] != u'-')) return false;
  return UpperCaseAtoZ(word.substr(1)) == UpperCaseAtoZ(name);
}

// The items of a ";" list; a transform's "@" or "|" says where it is kept,
// and one starting ":" lies inside the package.
void AddItems(const WString& list, std::vector<WString>* files) {
  size_t begin = 0;
  while (begin <= list.size()) {
    size_t end = list.find(u';', begin);
    if (end == WString::npos) end = list.size();
    WString item = list.substr(begin, end - begin);
    begin = end + 1;
    if (!item.empty() && (item[0] == u'@' || item[0] == u'|')) item.erase(0, 1);
    if (!item.empty() && item[0] != u':') files->push_back(item);
  }
}

bool IsBracedWord(const WString& word) {
  return !word.empty() && word.front() == u'{' && word.back() == u'}';
}

bool IsOneOf(const WString& word, std::initializer_list<const char16_t*> names) {
  for (const char16_t* name : names) {
    if (IsOption(word, name)) return true;
  }
  return false;
}

// "/q" with its level and marks: /qn, /qb-, /qb!, /qn+ ...
bool IsQuietOption(const WString& word) {
  if (word.size() < 2 || (word[0] != u'/' && word[0] != u'-')) return false;
  const WString rest = UpperCaseAtoZ(word.substr(1));
  if (rest[0] != u'Q') return false;
  size_t at = 1;
  if (at < rest.size() && WString(u"NBRF").find(rest[at]) != WString::npos) ++at;
  return rest.find_first_not_of(u"+-!", at) == WString::npos;
}

// "/l" with its log's letters (/l*v, /lie+!); the next word is the log.
bool IsLogOption(const WString& word) {
  if (IsOption(word, u"log")) return true;
  if (word.size() < 2 || (word[0] != u'/' && word[0] != u'-')) return false;
  const WString rest = UpperCaseAtoZ(word.substr(1));
  return rest[0] == u'L' && rest.find_first_not_of(u"IWEARUCMOPVX+!*", 1) == WString::npos;
}

bool IsProperty(const WString& word) {
  const size_t equals = word.find(u'=');
  return equals != WString::npos && equals > 0 && word[0] != u'/' && word[0] != u'-';
}

// What msiexec is told to install from. Every word must be one this check
// knows: another option may install, remove or load what no list vouches
// for (/a, /x, /f, /j, /y DLL, "/iC:\x.msi" glued), and is `*refused`.
std::vector<WString> MsiexecFiles(const std::vector<WString>& words, WString* refused) {
  std::vector<WString> files;
  for (size_t i = 0; i < words.size() && refused->empty(); ++i) {
    const WString& word = words[i];
    const bool has_next = i + 1 < words.size();
    if (IsOneOf(word, {u"i", u"package", u"p", u"update"})) {
      if (!has_next) *refused = word;
      if (has_next && IsBracedWord(words[i + 1])) *refused = word + u" " + words[i + 1];
      if (has_next) AddItems(words[++i], &files);
    } else if (IsLogOption(word)) {
      if (!has_next) *refused = word;
      ++i;  // the log is an output
    } else if (IsProperty(word)) {
      const WString property = UpperCaseAtoZ(word.substr(0, word.find(u'=')));
      if (property == u"TRANSFORMS" || property == u"PATCH")
        AddItems(word.substr(word.find(u'=') + 1), &files);
    } else if (!IsQuietOption(word) && !IsOneOf(word, {u"quiet", u"passive", u"norestart",
                                                       u"forcerestart", u"promptrestart"})) {
      *refused = word;
    }
  }
  if (refused->empty() && files.empty()) *refused = u"msiexec";
  return files;
}

}  // namespace

std::vector<WString> CommandWords(const WString& text) {
  std::vector<WString> words;
  WString word;
  bool quoted = false;
  bool started = false;
  for (char16_t c : text) {
    if (c == u'"') {
      quoted = !quoted;
      started = true;
    } else if (IsBlank(c) && !quoted) {
      if (started) words.push_back(word);
      word.clear();
      started = false;
    } else {
      word += c;
      started = true;
    }
  }
  if (started) words.push_back(word);
  return words;
}

std::vector<WString> InstallerFiles(const WString& handed, const WString& current_folder,
                                    const WString& system_folder, WString* refused) {
  refused->clear();
  size_t after = 0;
  const WString token = WithExtension(ProgramToken(handed, &after));
  // Windows searches for a program not named by a full path, the running
  // program's own folder first: which file starts is not this one's to say.
  if (!IsFullWindowsPath(token)) return {token};
  const WString program = FullWindowsPath(token, current_folder);
  if (!IsSystemMsiexec(program, system_folder)) return {program.empty() ? token : program};
  std::vector<WString> files = MsiexecFiles(CommandWords(handed.substr(after)), refused);
  if (!refused->empty()) return {program};
  for (WString& file : files) {
    const WString full = FullWindowsPath(file, current_folder);
    if (!full.empty()) file = full;
  }
  return files;
}

bool StartsSystemMsiexec(const WString& handed, const WString& current_folder,
                         const WString& system_folder) {
  const WString program = StartedProgram(handed, current_folder);
  return !program.empty() && IsSystemMsiexec(program, system_folder);
}

WString StartedProgram(const WString& handed, const WString& current_folder) {
  size_t after = 0;
  const WString token = WithExtension(ProgramToken(handed, &after));
  return IsFullWindowsPath(token) ? FullWindowsPath(token, current_folder) : WString();
}

namespace {

WString Wide(const std::string& ascii) { return WString(ascii.begin(), ascii.end()); }

// Why `path` may not be started; empty when it is listed, matches and is
// now held in `held`.
WString Verify(const WString& path, const RunContext& context, HeldFiles& files,
               std::vector<HeldFile>* held, int32_t* line) {
  if (!context.HashListRead) return u"the hash list cannot be read";
  if (!IsResolvedFullPath(path)) return u"not a full path, so Windows would search for it";
  const auto found = context.ListedHashes.find(PathKey(path));
  if (found == context.ListedHashes.end()) return u"not in the list";
  if (found->second.sha256.empty()) return u"listed twice with different hashes";
  const WString expected = u"expected " + Wide(found->second.sha256);
  std::string digest;
  HeldFile file = 0;
  switch (files.HoldAndHash(path, &digest, &file)) {
    case HoldResult::kCannotOpen: return expected + u", cannot be opened";
    case HoldResult::kCannotHash: return expected + u", cannot be hashed";
    case HoldResult::kThroughLink: return expected + u", reached through a junction or link";
    case HoldResult::kHeld: break;
  }
  held->push_back(file);
  const std::string found_hex = HexDigest(digest);
  if (found_hex != found->second.sha256) return expected + u", found " + Wide(found_hex);
  *line = found->second.line;
  return WString();
}

WString MsiexecRefusal(const WString& refused) {
  if (refused == u"msiexec") return u"msiexec is told no package or patch to check";
  return u"msiexec is told \"" + refused + u"\", which the list does not check";
}

bool VerifyAll(const WString& handed, RunContext& context, Platform& platform,
               std::vector<HeldFile>* held) {
  for (const FileCheck& check : CheckInstallerFiles(handed, context, platform, held)) {
    if (!check.why.empty()) {
      WriteLogRecord(context, LogRecord::kNotVerified, {{check.file, check.why}});
      return false;
    }
    WriteLogRecord(context, LogRecord::kVerified, {{check.file}, check.line});
  }
  return true;
}

}  // namespace

std::vector<FileCheck> CheckInstallerFiles(const WString& handed, const RunContext& context,
                                           Platform& platform, std::vector<HeldFile>* held) {
  std::vector<FileCheck> checks;
  WString refused;
  for (const WString& path :
       InstallerFiles(handed, CurrentFolder(platform), platform.SystemFolder(), &refused)) {
    FileCheck check;
    check.file = path;
    check.why = refused.empty() ? Verify(path, context, platform, held, &check.line)
                                : MsiexecRefusal(refused);
    checks.push_back(check);
    if (!check.why.empty()) break;
  }
  return checks;
}

LaunchResult LaunchVerified(const WString& handed, const LaunchLimits& limits, RunContext& context,
                            Platform& platform) {
  if (context.HashList.empty()) return LaunchAndWait(handed, limits, platform);
  std::vector<HeldFile> held;
  LaunchResult result;  // a failed launch unless every file was verified
  if (VerifyAll(handed, context, platform, &held)) {
    CommitRunLog(context);
    // The file checked is the file started: by its path (Windows would
    // take "inst" over the "inst.exe" checked), and from the held handle.
    CheckedProgram program;
    program.path = StartedProgram(handed, CurrentFolder(platform));
    program.held = !StartsSystemMsiexec(handed, CurrentFolder(platform), platform.SystemFolder());
    if (program.held) program.file = held.front();
    result = LaunchAndWait(handed, limits, platform, &program);
    if (result.not_held_file) {
      WriteLogRecord(context, LogRecord::kNotVerified,
                     {{program.path, u"the process started does not run from the file checked"}});
    }
  }
  // An installer still running may read its files later (msiexec reads its
  // package after it has started): they stay held until the program ends.
  if (result.outcome == LaunchOutcome::TimedOut) return result;
  for (HeldFile file : held) platform.ReleaseHeld(file);
  return result;
}

}  // namespace quill
