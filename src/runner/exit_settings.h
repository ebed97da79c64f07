#ifndef QUILL_RUNNER_EXIT_SETTINGS_H_
#define QUILL_RUNNER_EXIT_SETTINGS_H_

// The keys that ask for exit codes: [Settings] LogExitCodes=1 turns the
// recording on, BusyCodes, BusyRetries and BusyRetryPause bound the tries
// of a busy installer, and an application's SuccessCodes says what success
// is for it. Without LogExitCodes=1 nothing else is read.
#include <cstdint>
#include <vector>

#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"

namespace quill {

constexpr int32_t kMostBusyRetries = 10;
constexpr int32_t kDefaultBusyRetryPause = 60;
constexpr int32_t kLongestBusyRetryPause = 3600;

// Reads the [Settings] keys into the context; a value that does not read
// is told in the log, and its default used.
void ReadExitCodeSettings(RunContext& context, Platform& platform);

struct AppExitRules {
  WString section;
  std::vector<uint32_t> success_codes;
  WString unread;  // "SuccessCodes=..." when it did not read: told once
};

// An application's rules; only read while LogExitCodes is on.
AppExitRules ReadAppExitRules(const WString& app_section, const RunContext& context,
                              Platform& platform);

// A count of 0 to `most`: digits only, larger values clamped. False when
// it does not read.
bool ParseBoundedCount(const WString& text, int32_t most, int32_t* count);

}  // namespace quill

#endif  // QUILL_RUNNER_EXIT_SETTINGS_H_
