#ifndef QUILL_RUNNER_LOG_COPY_H_
#define QUILL_RUNNER_LOG_COPY_H_

// The whole log copied to the fleet's folder at every end of a run
// ([Settings] LogCopy=PATH): each PC's own file, whole or absent, so that a
// report over the folder reads every PC as its own log does. Without the key
// nothing here reads, writes or copies anything.
#include <cstdint>
#include <vector>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

// What the copy's temporary name adds to the copy's own: a report passes
// over it, and the next copy writes over one a cut copy left.
extern const char16_t kLogCopyPartSuffix[];
// A share that does not answer holds the run no longer than this.
constexpr uint32_t kLogCopySeconds = 60;


// The copy's path for a trimmed LogCopy value: its variables expanded as
// the running program sees them. Empty, with `why` the reason in words,
// for a value that must not be used: a variable that is not set (every PC
// without it would write one file) or a path that is not full (a restart
// starts the run from another folder).
WString LogCopyTarget(const WString& value, InstalledState& environment, WString* why);

// The cause a copy failed of, in the log's words.
WString CopyFailureWords(const CopyOutcome& outcome);

// Reads LogCopy once the log is open; tells a value that is not used.
void ReadLogCopy(RunContext& context, Platform& platform);

// The log closed, then copied where LogCopy says. A copy that fails is told
// in the log itself, which is closed again; the next run copies it whole.
void CloseAndCopyRunLog(RunContext& context, Platform& platform);

}  // namespace quill

#endif  // QUILL_RUNNER_LOG_COPY_H_
