#ifndef QUILL_PLAN_TEXT_CIVIL_TIME_H_
#define QUILL_PLAN_TEXT_CIVIL_TIME_H_

// Calendar arithmetic without the host's time zone: a plan's clock and a
// log's time stamps are wall-clock times of another machine.
#include <cstdint>

#include "platform/clock.h"

namespace quill::plan {

// Whether a date and a time of day name a real moment, as a Windows clock
// can hold it: years 1601 to 9999, no February 29 outside a leap year, no
// hour past 23. Stamps of logs and dates of options are checked alike.
bool IsRealDate(int year, int month, int day);
bool IsRealTime(int hour, int minute, int second);

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, int month, int day);

// The wall-clock time `seconds` after 1970-01-01 00:00:00, weekday included.
LocalTime CivilFromSeconds(int64_t seconds);

// The other way round; the weekday is not looked at.
int64_t SecondsFromCivil(const LocalTime& time);

}  // namespace quill::plan

#endif  // QUILL_PLAN_TEXT_CIVIL_TIME_H_
