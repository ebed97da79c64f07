// The clock and local time with the machine's zone and daylight-saving
// rules. The test runs with TZ=Europe/Berlin, which Wine turns into the
// Windows zone "W. Europe Standard Time".
#include <cstdlib>
#include <string>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace quill::test {
namespace {

TEST(ClockTest, NowIsTheSystemTimeInSecondsSince1970) {
  Win32Platform platform;
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  const int64_t now = platform.Now();
  // Days since 1970 from the calendar date, independently of FILETIME.
  const int y = utc.wYear - (utc.wMonth <= 2 ? 1 : 0);
  const int era_day = 365 * y + y / 4 - y / 100 + y / 400 +
                      (153 * (utc.wMonth + (utc.wMonth > 2 ? -3 : 9)) + 2) / 5 + utc.wDay - 1;
  const int64_t days = era_day - 719468;
  const int64_t expected = days * 86400 + utc.wHour * 3600 + utc.wMinute * 60 + utc.wSecond;
  EXPECT_LE(expected - now, 2);
  EXPECT_GE(expected - now, -2);
  EXPECT_GT(now, INT64_C(1700000000));
}

TEST(ClockTest, LocalTimeFollowsTheZoneAndItsDaylightSavingRules) {
  const char* zone = std::getenv("TZ");
  if (zone == nullptr || std::string(zone) != "Europe/Berlin") {
    GTEST_SKIP() << "run with TZ=Europe/Berlin";
  }
  const struct {
    int64_t seconds;
    LocalTime local;  // year, month, day, weekday, hour, minute, second
  } cases[] = {
      {1796547903, {2026, 12, 6, 0, 10, 5, 3}},     // winter: UTC+1
      {1784116800, {2026, 7, 15, 3, 14, 0, 0}},     // summer: UTC+2
      {1774745999, {2026, 3, 29, 0, 1, 59, 59}},    // the last second before the change
      {1774746000, {2026, 3, 29, 0, 3, 0, 0}},      // the clocks jump an hour
      {86399, {1970, 1, 2, 5, 0, 59, 59}},          // the local date and weekday, not UTC's
      {0, {1970, 1, 1, 4, 1, 0, 0}},
      {2208988805, {2040, 1, 1, 0, 1, 0, 5}},       // beyond the 32-bit count
  };
  Win32Platform platform;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    LocalTime local;
    ASSERT_TRUE(platform.ToLocalTime(c.seconds, &local));
    EXPECT_EQ(local.year, c.local.year);
    EXPECT_EQ(local.month, c.local.month);
    EXPECT_EQ(local.day, c.local.day);
    EXPECT_EQ(local.weekday, c.local.weekday);
    EXPECT_EQ(local.hour, c.local.hour);
    EXPECT_EQ(local.minute, c.local.minute);
    EXPECT_EQ(local.second, c.local.second);
  }
}

TEST(ClockTest, CountsBefore1970AndBeyondTheCalendarAreRefused) {
  Win32Platform platform;
  for (const int64_t seconds : {INT64_C(-1), INT64_C(-86400), INT64_MIN, INT64_MAX}) {
    SCOPED_TRACE(seconds);
    LocalTime local;
    local.year = 1999;
    EXPECT_FALSE(platform.ToLocalTime(seconds, &local));
    EXPECT_EQ(local.year, 1999) << "left as it was";
  }
}

}  // namespace
}  // namespace quill::test
