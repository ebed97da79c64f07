#ifndef QUILL_RUNNER_EXIT_RECORD_H_
#define QUILL_RUNNER_EXIT_RECORD_H_

// The exit record after an ended installer's result record, and whether a
// busy installer is tried again: the log stays a true account, each try
// with its own records.
#include <cstdint>

#include "base/run_context.h"
#include "runner/exit_settings.h"
#include "runner/launch.h"

namespace quill {

// Judges the code of a finished launch and writes its record, then commits
// the log; nothing while exit codes are not asked for. True when
// the code is a busy one and try number `tried` may be followed by another.
bool TellExitCode(RunContext& context, AppExitRules& rules, const LaunchResult& result,
                  int32_t tried);

}  // namespace quill

#endif  // QUILL_RUNNER_EXIT_RECORD_H_
