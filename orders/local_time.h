// Local time stamps for the user data files: ISO 8601 with the offset from
// UTC, read from a clock that tests replace.
#ifndef TALIQ_ORDERS_LOCAL_TIME_H_
#define TALIQ_ORDERS_LOCAL_TIME_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace taliq {

struct LocalTime {
  std::int64_t unixSeconds = 0;  // seconds since 1970-01-01T00:00:00Z
  int utcOffsetMinutes = 0;      // local time minus UTC (+480 for UTC+8)
};

using Clock = std::function<LocalTime()>;

// The system clock and the system's time zone.
LocalTime SystemLocalTime();
inline Clock SystemClock() { return SystemLocalTime; }

// "2026-12-10T04:05:06+08:00": the local wall time and its offset.
std::string FormatLocalTime(LocalTime time);

// Whether `text` has the form FormatLocalTime writes (a real date, hours
// 00-23, minutes and seconds 00-59, offset within +-23:59).
bool IsLocalTimeText(std::string_view text);

}  // namespace taliq

#endif  // TALIQ_ORDERS_LOCAL_TIME_H_
