#include "log/time_stamp.h"

#include <string>

namespace quill {

namespace {

const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

WString Ascii(const std::string& text) { return WString(text.begin(), text.end()); }

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
         static_cast<char>('0' + value % 10);
}

}  // namespace

TimeStamp FormatTimeStamp(const LocalTime& local) {
  TimeStamp stamp;
  stamp.time = Ascii(TwoDigits(local.hour) + ":" + TwoDigits(local.minute) + ":" +
                     TwoDigits(local.second));
  const std::string weekday = (local.weekday >= 0 && local.weekday < 7) ? kWeekdays[local.weekday] : "";
  const std::string month = (local.month >= 1 && local.month <= 12) ? kMonths[local.month - 1] : "";
  stamp.date = Ascii(weekday + ", " + month + " " + TwoDigits(local.day) + ", " +
                     std::to_string(local.year));
  return stamp;
}

TimeStamp ReadTimeStamp(Clock& clock) {
  LocalTime local;
  if (!clock.ToLocalTime(clock.Now(), &local)) return TimeStamp();
  return FormatTimeStamp(local);
}

}  // namespace quill
