#include "run/command_line.h"

namespace quill {

std::string CutCommandTail(const std::string& command_line) {
  size_t at = 0;
  const size_t size = command_line.size();
  if (size > 0 && command_line[0] == '"') {
    at = command_line.find('"', 1);
    at = (at == std::string::npos) ? size : at + 1;
  } else {
    while (at < size && static_cast<unsigned char>(command_line[at]) > 0x20) ++at;
  }
  while (at < size && command_line[at] != '\0' &&
         static_cast<unsigned char>(command_line[at]) <= 0x20) {
    ++at;
  }
  return command_line.substr(at);
}

bool IsUsageRequest(const WString& argument) { return argument == u"/?" || argument == u"?"; }

int ResolveInputIni(const WString& argument, RunContext& context, FileSystem& files) {
  const WString current = files.CurrentDirectory(kCurrentDirectoryChars);
  const size_t colon = current.find(u':');
  context.BaseDrive = (colon == WString::npos) ? WString() : current.substr(0, colon + 1);

  // A share's path (\\server\share\...) is whole as it is; with the drive
  // before it, it would name nothing.
  const bool is_share = argument.size() >= 2 && argument[0] == u'\\' && argument[1] == u'\\';
  const bool has_drive = argument.find(u':') != WString::npos;
  context.InputIniPath = has_drive || is_share ? argument : context.BaseDrive + argument;

  return files.GetAttributes(context.InputIniPath) != kInvalidFileAttributes ? 1 : 0;
}

}  // namespace quill
