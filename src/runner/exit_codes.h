#ifndef QUILL_RUNNER_EXIT_CODES_H_
#define QUILL_RUNNER_EXIT_CODES_H_

// Exit codes, when the input INI file asks for them: what a code says, the
// keys that ask, and the record after each ended installer.
#include <cstdint>
#include <vector>

#include "base/ini_keys.h"
#include "base/run_context.h"
#include "platform/platform.h"
#include "platform/wide_string.h"
#include "runner/install_pass.h"

namespace quill {

// What an installer's exit code says, when the input INI file asks: a run
// that treats every ended process as finished cannot see the commonest way
// an installation fails.
// An installer ended at its time limit (StopAtTimeLimit=1) has a verdict of
// its own: the code it ended with is the program's, not the installer's.
enum class ExitVerdict {
  kSuccess,
  kRebootRequired,
  kRebootStarted,
  kFailure,
  kBusyTriedAgain,
  kEndedAtTimeLimit
};

constexpr uint32_t kRebootRequiredCode = 3010;
constexpr uint32_t kRebootStartedCode = 1641;
constexpr uint32_t kBusyCode = 1618;

// The codes that mean success when an application names none: 0 and 1707,
// 3010 (a reboot required) and 1641 (a reboot started).
const std::vector<uint32_t>& DefaultSuccessCodes();

// "0, 3010, 0xC0000005": decimal or 0x hex, unsigned 32-bit, or a negative
// decimal as a signed exit code reads. False, and `codes` untouched, when
// any item does not read or the list is empty.
bool ParseExitCodes(const WString& text, std::vector<uint32_t>* codes);

// A listed code is a success; 3010 and 1641 say what the reboot needs.
ExitVerdict JudgeExitCode(uint32_t code, const std::vector<uint32_t>& success_codes);

// The words of the exit record: "success, reboot required".
const char16_t* ExitVerdictWords(ExitVerdict verdict);

// The code as the record writes it: unsigned decimal.
WString ExitCodeText(uint32_t code);

// The keys that ask for exit codes: [Settings] LogExitCodes=1 turns the
// recording on, BusyCodes, BusyRetries and BusyRetryPause bound the tries
// of a busy installer, and an application's SuccessCodes says what success
// is for it. Without LogExitCodes=1 nothing else is read.
constexpr int32_t kMostBusyRetries = MostOf(Key::kBusyRetries);
constexpr int32_t kDefaultBusyRetryPause = 60;
constexpr int32_t kLongestBusyRetryPause = MostOf(Key::kBusyRetryPause);

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

// The exit record after an ended installer's result record, and whether a
// busy installer is tried again: the log stays a true account, each try
// with its own records.
// Judges the code of a finished launch and writes its record, then commits
// the log; nothing while exit codes are not asked for. True when
// the code is a busy one and try number `tried` may be followed by another.
// `told` gets the verdict written, and stays as it is when none is.
bool TellExitCode(RunContext& context, AppExitRules& rules, const LaunchResult& result,
                  int32_t tried, ExitVerdict* told = nullptr);

}  // namespace quill

#endif  // QUILL_RUNNER_EXIT_CODES_H_
