#include "runner/exit_codes.h"

#include <algorithm>
#include <string>

#include "base/ascii.h"
#include "base/trim.h"

namespace quill {

namespace {

// One item of a list, its blanks already cut.
bool ParseOneCode(const WString& item, uint32_t* code) {
  const bool hex = item.size() > 2 && item[0] == u'0' && (item[1] == u'x' || item[1] == u'X');
  const bool negative = !hex && !item.empty() && item[0] == u'-';
  const size_t from = hex ? 2 : negative ? 1 : 0;
  if (item.size() == from) return false;
  const uint64_t base = hex ? 16 : 10;
  const uint64_t most = negative ? 0x80000000ull : 0xFFFFFFFFull;
  uint64_t value = 0;
  for (size_t i = from; i < item.size(); ++i) {
    const int digit = HexDigit(item[i]);
    if (digit < 0 || static_cast<uint64_t>(digit) >= base) return false;
    value = value * base + static_cast<uint64_t>(digit);
    if (value > most) return false;
  }
  *code = static_cast<uint32_t>(negative ? (0x100000000ull - value) & 0xFFFFFFFFull : value);
  return true;
}

}  // namespace

const std::vector<uint32_t>& DefaultSuccessCodes() {
  static const std::vector<uint32_t> codes = {0, 1707, kRebootRequiredCode, kRebootStartedCode};
  return codes;
}

bool ParseExitCodes(const WString& text, std::vector<uint32_t>* codes) {
  std::vector<uint32_t> read;
  size_t at = 0;
  for (;;) {
    const size_t comma = std::min(text.find(u',', at), text.size());
    size_t from = at;
    size_t to = comma;
    while (from < to && IsBlank(text[from])) ++from;
    while (to > from && IsBlank(text[to - 1])) --to;
    uint32_t code = 0;
    if (!ParseOneCode(text.substr(from, to - from), &code)) return false;
    read.push_back(code);
    if (comma == text.size()) break;
    at = comma + 1;
  }
  *codes = read;
  return true;
}

ExitVerdict JudgeExitCode(uint32_t code, const std::vector<uint32_t>& success_codes) {
  if (std::find(success_codes.begin(), success_codes.end(), code) == success_codes.end()) {
    return ExitVerdict::kFailure;
  }
  if (code == kRebootRequiredCode) return ExitVerdict::kRebootRequired;
  if (code == kRebootStartedCode) return ExitVerdict::kRebootStarted;
  return ExitVerdict::kSuccess;
}

const char16_t* ExitVerdictWords(ExitVerdict verdict) {
  switch (verdict) {
    case ExitVerdict::kSuccess: return u"success";
    case ExitVerdict::kRebootRequired: return u"success, reboot required";
    case ExitVerdict::kRebootStarted: return u"success, reboot started";
    case ExitVerdict::kFailure: return u"failure";
    case ExitVerdict::kBusyTriedAgain: return u"busy, tried again";
  }
  return u"failure";
}

WString ExitCodeText(uint32_t code) {
  const std::string digits = std::to_string(code);
  return WString(digits.begin(), digits.end());
}

}  // namespace quill
