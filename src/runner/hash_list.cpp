#include "runner/hash_list.h"

#include "base/ascii.h"
#include "base/profile_value.h"
#include "base/utf.h"
#include "log/run_log.h"
#include "runner/windows_path.h"

namespace quill {

const char16_t kHashListKey[] = u"HashList";

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
                             ? FullWindowsPath(FromUtf8(path), list_folder)
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
  const WString value =
      ReadProfileValue(u"Settings", kHashListKey, context.InputIniPath, platform, platform);
  if (value.empty()) return;
  const WString ini = FullWindowsPath(context.InputIniPath, CurrentFolder(platform));
  ReadHashListFile(FullWindowsPath(value, ParentFolder(ini)), context, platform);
}

void ReadHashListFile(const WString& list_path, RunContext& context, Platform& platform) {
  context.HashList = list_path;
  std::string bytes;
  if (!platform.ReadFileBytes(context.HashList, &bytes)) {
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

}  // namespace quill
