#include "runner/exit_settings.h"

#include <cstdint>

#include "base/profile_value.h"
#include "log/run_log.h"
#include "runner/exit_codes.h"

namespace quill {

namespace {

WString Read(const WString& section, const char16_t* key, const RunContext& context,
             Platform& platform) {
  return ReadProfileValue(section, key, context.InputIniPath, platform, platform);
}

void TellUnread(RunContext& context, const WString& key, const WString& value,
                const WString& section) {
  WriteLogRecord(context, LogRecord::kExitCodesUnread, {{key + u"=" + value, section}});
}

// A count setting; its default stays when it is not given or does not
// read, and its bound is taken, and told, when it is past it.
void ReadCount(RunContext& context, Platform& platform, const char16_t* key, int32_t most,
               int32_t* count) {
  const WString value = Read(u"Settings", key, context, platform);
  if (value.empty()) return;
  int32_t whole = 0;
  if (!ParseBoundedCount(value, INT32_MAX, &whole)) {
    TellUnread(context, key, value, u"Settings");
    return;
  }
  *count = whole > most ? most : whole;
  if (whole > most) {
    WriteLogRecord(context, LogRecord::kExitSettingClamped,
                   {{WString(key) + u"=" + value, u"Settings"}, most});
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
  if (Read(u"Settings", u"LogExitCodes", context, platform) != u"1") return;
  context.LogExitCodes = 1;
  context.BusyCodes = {kBusyCode};
  context.BusyRetryPause = kDefaultBusyRetryPause;
  const WString busy = Read(u"Settings", u"BusyCodes", context, platform);
  if (!busy.empty() && !ParseExitCodes(busy, &context.BusyCodes)) {
    TellUnread(context, u"BusyCodes", busy, u"Settings");
  }
  ReadCount(context, platform, u"BusyRetries", kMostBusyRetries, &context.BusyRetries);
  ReadCount(context, platform, u"BusyRetryPause", kLongestBusyRetryPause, &context.BusyRetryPause);
}

AppExitRules ReadAppExitRules(const WString& app_section, const RunContext& context,
                              Platform& platform) {
  AppExitRules rules;
  rules.section = app_section;
  rules.success_codes = DefaultSuccessCodes();
  if (context.LogExitCodes != 1) return rules;
  const WString listed = Read(app_section, u"SuccessCodes", context, platform);
  if (!listed.empty() && !ParseExitCodes(listed, &rules.success_codes)) {
    rules.unread = u"SuccessCodes=" + listed;
  }
  return rules;
}

}  // namespace quill
