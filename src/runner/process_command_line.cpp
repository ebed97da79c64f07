#include "runner/process_command_line.h"

#include <vector>

#include "base/trim.h"

namespace quill {

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

}  // namespace quill
