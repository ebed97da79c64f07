#ifndef QUILL_PLATFORM_WHOLE_COPIES_H_
#define QUILL_PLATFORM_WHOLE_COPIES_H_

// Why: the run log is copied to a folder that others read while it is
// written, often on a share that may stop answering, from a PC that may be
// restarted or killed in the middle. A copy written under its own name would
// be seen, and left, half written; so the bytes go to a temporary file in
// the target's folder, are put on its disk, and the temporary is renamed over
// the target in one step (replace and write through). A reader sees the old
// copy or the new one. A share that does not answer can hold a file call for
// minutes, so the caller waits for the work only up to a bound. The tests
// give each outcome on demand.
#include <cstdint>

#include "platform/wide_string.h"

namespace quill {

enum class CopyFailure {
  kNone,
  kSourceUnreadable,  // the file to copy cannot be opened or read
  kFolderMissing,     // the target's folder, or the share, cannot be found
  kAccessDenied,
  kInUse,  // the temporary or the target is open elsewhere
  kDiskFull,
  kNetwork,      // the share went away or answered with an error
  kPathTooLong,  // the temporary's name is past what the system takes
  kTimedOut,     // the work did not end within the bound
  kOther,        // the system's error number tells
};

struct CopyOutcome {
  CopyFailure failure = CopyFailure::kNone;
  uint32_t system_error = 0;  // for kOther
};

class WholeCopies {
 public:
  virtual ~WholeCopies() = default;

  // Copies `from` to `temporary` (made anew, over any one a cut copy left),
  // flushes it, then renames it over `to`. On a failure before the rename the
  // temporary is removed where it can be. Past `time_limit_ms` it gives
  // kTimedOut and leaves the work to end, or not, by itself.
  virtual CopyOutcome CopyWhole(const WString& from, const WString& temporary, const WString& to,
                                uint32_t time_limit_ms) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_WHOLE_COPIES_H_
