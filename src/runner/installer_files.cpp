#include "runner/installer_files.h"

#include "base/ascii.h"
#include "base/trim.h"
#include "runner/windows_path.h"

namespace quill {

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

bool IsProductCode(const WString& word) {
  return !word.empty() && word.front() == u'{' && word.back() == u'}';
}

// What msiexec is told to install from.
std::vector<WString> MsiexecFiles(const std::vector<WString>& words) {
  std::vector<WString> files;
  for (size_t i = 0; i < words.size(); ++i) {
    const WString& word = words[i];
    const bool takes_next = IsOption(word, u"i") || IsOption(word, u"package") ||
                            IsOption(word, u"p") || IsOption(word, u"update");
    if (takes_next && i + 1 < words.size()) {
      if (!IsProductCode(words[i + 1])) AddItems(words[i + 1], &files);
      ++i;
      continue;
    }
    const size_t equals = word.find(u'=');
    if (equals == WString::npos) continue;
    const WString property = UpperCaseAtoZ(word.substr(0, equals));
    if (property == u"TRANSFORMS" || property == u"PATCH")
      AddItems(word.substr(equals + 1), &files);
  }
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
                                    const WString& system_folder) {
  size_t after = 0;
  const WString token = WithExtension(ProgramToken(handed, &after));
  // Windows searches for a program not named by a full path, the running
  // program's own folder first: which file starts is not this one's to say.
  if (!IsFullWindowsPath(token)) return {token};
  const WString program = FullWindowsPath(token, current_folder);
  if (!IsSystemMsiexec(program, system_folder)) return {program.empty() ? token : program};
  std::vector<WString> files = MsiexecFiles(CommandWords(handed.substr(after)));
  for (WString& file : files) {
    const WString full = FullWindowsPath(file, current_folder);
    if (!full.empty()) file = full;
  }
  return files;
}

}  // namespace quill
