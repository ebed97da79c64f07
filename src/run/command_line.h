#ifndef QUILL_RUN_COMMAND_LINE_H_
#define QUILL_RUN_COMMAND_LINE_H_

// From the process's command line to the input INI file.
#include <string>

#include "base/run_context.h"
#include "platform/file_system.h"
#include "platform/wide_string.h"

namespace quill {

constexpr size_t kCurrentDirectoryChars = 260;

// The command tail: what follows the program name and the bytes up to 0x20
// after it. A quoted program name runs to the next quote; an unquoted one to
// the first byte of 0x20 or less.
std::string CutCommandTail(const std::string& command_line);

// True for "/?" and "?", the requests for the usage box.
bool IsUsageRequest(const WString& argument);

// Sets BaseDrive and InputIniPath from the trimmed argument (the current
// drive before one without a colon, but for a share's); 1 when the input
// file (or a directory) exists at that path, 0 otherwise.
int ResolveInputIni(const WString& argument, RunContext& context, FileSystem& files);

}  // namespace quill

#endif  // QUILL_RUN_COMMAND_LINE_H_
