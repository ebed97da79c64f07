#include "run/entry.h"

#include "base/trim.h"
#include "run/command_line.h"
#include "run/run_sequence.h"
#include "run/usage.h"
#include "runner/restarts.h"

namespace quill {

int Run(const WString& command_tail, RunContext& context, Platform& platform) {
  WString argument = command_tail;
  Trim(argument, platform);
  if (argument.empty()) return 0;
  if (IsUsageRequest(argument)) {
    ShowUsage(platform);
    return 0;
  }
  if (!ResolveInputIni(argument, context, platform)) {
    ForgetUnreadableDeployment(context, platform);
    return 0;
  }
  return RunSequence(context, platform);
}

int RunFromCommandLine(RunContext& context, Platform& platform) {
  const std::string tail = CutCommandTail(platform.CommandLine8());
  return Run(platform.AnsiToWide(tail), context, platform);
}

}  // namespace quill
