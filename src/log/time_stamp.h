#ifndef QUILL_LOG_TIME_STAMP_H_
#define QUILL_LOG_TIME_STAMP_H_

// The time stamp of a record: "09:05:03" and "Sunday, December 06, 2026",
// English names whatever the user's settings, from one reading of the clock.
#include "platform/clock.h"
#include "platform/wide_string.h"

namespace quill {

struct TimeStamp {
  WString time;  // empty when the clock's count has no local time
  WString date;
};

TimeStamp FormatTimeStamp(const LocalTime& local);
TimeStamp ReadTimeStamp(Clock& clock);

}  // namespace quill

#endif  // QUILL_LOG_TIME_STAMP_H_
