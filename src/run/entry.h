#ifndef QUILL_RUN_ENTRY_H_
#define QUILL_RUN_ENTRY_H_

// Where the program begins, whatever the platform: the real WinMain only
// builds the platform and hands over here.
#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

// The whole program for one command tail; gives the process exit code.
int Run(const WString& command_tail, RunContext& context, Platform& platform);

// Cuts the tail from the process's own 8-bit command line, then runs.
int RunFromCommandLine(RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUN_ENTRY_H_
