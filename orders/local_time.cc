#include "orders/local_time.h"

#include <cstdio>
#include <ctime>

namespace taliq {
namespace {

// Days from 1970-01-01 to the given date of the proleptic Gregorian
// calendar, and back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, int* m, int* d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = yoe + era * 400 + (*m <= 2);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

bool Digits(std::string_view text, std::size_t pos, std::size_t count, int* value) {
  *value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

LocalTime SystemLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  // The broken-down local time read as if it were UTC, minus the instant.
  const std::int64_t wall =
      DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * 86400 +
      local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return LocalTime{static_cast<std::int64_t>(now),
                   static_cast<int>(FloorDiv(wall - static_cast<std::int64_t>(now), 60))};
}

std::string FormatLocalTime(LocalTime time) {
  const std::int64_t wall = time.unixSeconds + std::int64_t{time.utcOffsetMinutes} * 60;
  const std::int64_t days = FloorDiv(wall, 86400);
  const std::int64_t second = wall - days * 86400;
  std::int64_t year;
  int month, day;
  CivilFromDays(days, &year, &month, &day);
  const int offset = time.utcOffsetMinutes < 0 ? -time.utcOffsetMinutes : time.utcOffsetMinutes;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                static_cast<long long>(year), month, day, static_cast<int>(second / 3600),
                static_cast<int>(second / 60 % 60), static_cast<int>(second % 60),
                time.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return buffer;
}

bool IsLocalTimeText(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS+HH:MM
  if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || (text[19] != '+' && text[19] != '-') || text[22] != ':') {
    return false;
  }
  int year, month, day, hour, minute, second, offsetHours, offsetMinutes;
  if (!Digits(text, 0, 4, &year) || !Digits(text, 5, 2, &month) || !Digits(text, 8, 2, &day) ||
      !Digits(text, 11, 2, &hour) || !Digits(text, 14, 2, &minute) ||
      !Digits(text, 17, 2, &second) || !Digits(text, 20, 2, &offsetHours) ||
      !Digits(text, 23, 2, &offsetMinutes)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59 ||
      offsetHours > 23 || offsetMinutes > 59) {
    return false;
  }
  // The day exists when it survives the round trip through the day count.
  std::int64_t y;
  int m, d;
  CivilFromDays(DaysFromCivil(year, month, day), &y, &m, &d);
  return y == year && m == month && d == day;
}

}  // namespace taliq
