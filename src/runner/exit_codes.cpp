#include "runner/exit_codes.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include "base/ini_keys.h"

#include "base/ascii.h"
#include "base/profile_value.h"
#include "base/trim.h"
#include "log/run_log.h"
#include "runner/launch_limits.h"

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
    case ExitVerdict::kEndedAtTimeLimit: return u"ended at its time limit";
  }
  return u"failure";
}

WString ExitCodeText(uint32_t code) {
  const std::string digits = std::to_string(code);
  return WString(digits.begin(), digits.end());
}

namespace {

void TellUnread(RunContext& context, const WString& key, const WString& value,
                const WString& section) {
  WriteLogRecord(context, LogRecord::kExitCodesUnread, {{key + u"=" + value, section}});
}

// A count setting; its default stays when it is not given or does not
// read, and its bound is taken, and told, when it is past it.
void ReadCount(RunContext& context, Platform& platform, Key key, int32_t* count) {
  const WString value = ReadSetting(key, context, platform, platform);
  if (value.empty()) return;
  const int32_t most = MostOf(key);
  int32_t whole = 0;
  if (!ParseBoundedCount(value, INT32_MAX, &whole)) {
    TellUnread(context, KeyName(key), value, kSettingsSection);
    return;
  }
  *count = whole > most ? most : whole;
  if (whole > most) {
    WriteLogRecord(context, LogRecord::kExitSettingClamped,
                   {{KeyName(key) + (u"=" + value), kSettingsSection}, most});
  }
}

}  // namespace

bool ParseBoundedCount(const WString& text, int32_t most, int32_t* count) {
  if (text.empty()) return false;
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
    if (value > most) value = most;
  }
  *count = static_cast<int32_t>(value);
  return true;
}

void ReadExitCodeSettings(RunContext& context, Platform& platform) {
  if (ReadSetting(Key::kLogExitCodes, context, platform, platform) != u"1") return;
  context.LogExitCodes = 1;
  context.BusyCodes = {kBusyCode};
  context.BusyRetryPause = kDefaultBusyRetryPause;
  const WString busy = ReadSetting(Key::kBusyCodes, context, platform, platform);
  if (!busy.empty() && !ParseExitCodes(busy, &context.BusyCodes)) {
    TellUnread(context, KeyName(Key::kBusyCodes), busy, kSettingsSection);
  }
  ReadCount(context, platform, Key::kBusyRetries, &context.BusyRetries);
  ReadCount(context, platform, Key::kBusyRetryPause, &context.BusyRetryPause);
}

AppExitRules ReadAppExitRules(const WString& app_section, const RunContext& context,
                              Platform& platform) {
  AppExitRules rules;
  rules.section = app_section;
  rules.success_codes = DefaultSuccessCodes();
  if (context.LogExitCodes != 1) return rules;
  const WString listed =
      ReadKey(Key::kSuccessCodes, app_section, context.InputIniPath, platform, platform);
  if (!listed.empty() && !ParseExitCodes(listed, &rules.success_codes)) {
    rules.unread = u"SuccessCodes=" + listed;
  }
  return rules;
}

bool TellExitCode(RunContext& context, AppExitRules& rules, const LaunchResult& result,
                  int32_t tried, ExitVerdict* told) {
  if (context.LogExitCodes != 1) return false;
  // Told whatever the outcome: lint promises the log says so.
  if (!rules.unread.empty()) {
    WriteLogRecord(context, LogRecord::kExitCodesUnread, {{rules.unread, rules.section}});
    rules.unread.clear();  // told once, not at every try
  }
  if (result.outcome == LaunchOutcome::TimedOut && result.stop.ended) {
    if (told != nullptr) *told = ExitVerdict::kEndedAtTimeLimit;
    WriteLogRecord(
        context, LogRecord::kExitCode,
        {{ExitCodeText(kEndedAtLimitCode), ExitVerdictWords(ExitVerdict::kEndedAtTimeLimit)}});
  }
  if (result.outcome != LaunchOutcome::Finished) {
    CommitRunLog(context);
    return false;
  }
  const bool busy = std::find(context.BusyCodes.begin(), context.BusyCodes.end(),
                              result.exit_code) != context.BusyCodes.end();
  const bool again = busy && tried <= context.BusyRetries;
  const ExitVerdict verdict =
      again ? ExitVerdict::kBusyTriedAgain : JudgeExitCode(result.exit_code, rules.success_codes);
  if (told != nullptr) *told = verdict;
  WriteLogRecord(context, LogRecord::kExitCode,
                 {{ExitCodeText(result.exit_code), ExitVerdictWords(verdict)}});
  // An installer that restarts the PC itself (1641) may take the program
  // down before the next installer's start commits this; a try again is
  // committed before its pause.
  if (!again) CommitRunLog(context);
  return again;
}

}  // namespace quill
