#ifndef QUILL_PLATFORM_CLOCK_H_
#define QUILL_PLATFORM_CLOCK_H_

// Why: records carry local time stamps; the tests set the clock and time zone.
#include <cstdint>

namespace quill {

struct LocalTime {
  int year = 0;
  int month = 0;    // 1 to 12
  int day = 0;      // 1 to 31
  int weekday = 0;  // 0 is Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 00:00:00 UTC, on a 64-bit count.
  virtual int64_t Now() = 0;
  // The machine's local time for `seconds`; false for a count it refuses.
  virtual bool ToLocalTime(int64_t seconds, LocalTime* local) = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_CLOCK_H_
