#include "platform/win32/win32_api.h"

#include "platform/win32/win32_platform.h"

namespace quill {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;          // FILETIME counts 100 ns
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
// The largest count whose FILETIME still fits the signed 64-bit range the
// conversions accept.
constexpr int64_t kLargestSeconds = INT64_MAX / kTicksPerSecond - kSecondsFrom1601To1970;

uint64_t TicksOf(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTimeOf(uint64_t ticks) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

}  // namespace

int64_t Win32Platform::Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<int64_t>(TicksOf(now) / kTicksPerSecond) - kSecondsFrom1601To1970;
}

bool Win32Platform::ToLocalTime(int64_t seconds, LocalTime* local) {
  if (seconds < 0 || seconds > kLargestSeconds) return false;
  const FILETIME utc_file = FileTimeOf(static_cast<uint64_t>(seconds + kSecondsFrom1601To1970) *
                                       static_cast<uint64_t>(kTicksPerSecond));
  SYSTEMTIME utc;
  SYSTEMTIME here;
  if (!FileTimeToSystemTime(&utc_file, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &here)) {
    return false;
  }
  // The weekday of the local date is not promised by the zone conversion;
  // a round trip through FILETIME computes it.
  FILETIME here_file;
  if (!SystemTimeToFileTime(&here, &here_file) || !FileTimeToSystemTime(&here_file, &here)) {
    return false;
  }
  local->year = here.wYear;
  local->month = here.wMonth;
  local->day = here.wDay;
  local->weekday = here.wDayOfWeek;
  local->hour = here.wHour;
  local->minute = here.wMinute;
  local->second = here.wSecond;
  return true;
}

}  // namespace quill
