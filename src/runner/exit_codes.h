#ifndef QUILL_RUNNER_EXIT_CODES_H_
#define QUILL_RUNNER_EXIT_CODES_H_

// What an installer's exit code says, when the input INI file asks: a run
// that treats every ended process as finished cannot see the commonest way
// an installation fails.
#include <cstdint>
#include <vector>

#include "platform/wide_string.h"

namespace quill {

enum class ExitVerdict { kSuccess, kRebootRequired, kRebootStarted, kFailure, kBusyTriedAgain };

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

}  // namespace quill

#endif  // QUILL_RUNNER_EXIT_CODES_H_
