#ifndef QUILL_RUN_RUN_SEQUENCE_H_
#define QUILL_RUN_RUN_SEQUENCE_H_

// The body of a run once the input INI file is known.
#include "base/run_context.h"
#include "platform/platform.h"

namespace quill {

// Gives the exit code: 1 when both install passes ran, 0 otherwise.
int RunSequence(RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUN_RUN_SEQUENCE_H_
