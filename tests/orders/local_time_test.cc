// Local time stamps: the written form for offsets either side of UTC and
// across day, month and year ends, and which texts are accepted as one.
#include "orders/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace taliq {
namespace {

TEST(LocalTimeTest, Format) {
  const struct {
    LocalTime time;
    const char* text;
  } cases[] = {
      {{0, 0}, "1970-01-01T00:00:00+00:00"},
      // 2026-12-09T20:05:06Z seen from UTC+8 is the next day.
      {{1796846706, 480}, "2026-12-10T04:05:06+08:00"},
      {{1796846706, -210}, "2026-12-09T16:35:06-03:30"},
      // New year's eve in UTC is already January in UTC+14.
      {{1798761599, 840}, "2027-01-01T13:59:59+14:00"},
      {{1798761599, -600}, "2026-12-31T13:59:59-10:00"},
      // A leap day, and an instant before 1970.
      {{951782400, 0}, "2000-02-29T00:00:00+00:00"},
      {{-1, 0}, "1969-12-31T23:59:59+00:00"},
      {{-86400, -60}, "1969-12-30T23:00:00-01:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatLocalTime(c.time), c.text)
        << c.time.unixSeconds << " " << c.time.utcOffsetMinutes;
  }
}

TEST(LocalTimeTest, SystemClockTakesTheOffsetFromTheTimeZone) {
  const char* old = std::getenv("TZ");
  const std::string saved = old != nullptr ? old : "";
  // POSIX zone strings give the offset west of UTC.
  const struct {
    const char* tz;
    int offset;
  } cases[] = {{"UTC0", 0}, {"CST-8", 480}, {"NST3:30", -210}, {"XST-5:45", 345}};
  for (const auto& c : cases) {
    ::setenv("TZ", c.tz, 1);
    ::tzset();
    EXPECT_EQ(SystemLocalTime().utcOffsetMinutes, c.offset) << c.tz;
  }
  if (old != nullptr) {
    ::setenv("TZ", saved.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

TEST(LocalTimeTest, SystemClockWritesAValidStamp) {
  const LocalTime now = SystemLocalTime();
  EXPECT_GT(now.unixSeconds, 1700000000);
  EXPECT_LE(now.utcOffsetMinutes, 14 * 60);
  EXPECT_GE(now.utcOffsetMinutes, -12 * 60);
  EXPECT_TRUE(IsLocalTimeText(FormatLocalTime(now)));
}

TEST(LocalTimeTest, AcceptedTexts) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"2026-12-10T04:05:06+08:00", true},
      {"2026-12-10T04:05:06-03:30", true},
      {"2024-02-29T23:59:59+00:00", true},
      {"2023-02-29T12:00:00+00:00", false},  // no leap day that year
      {"2026-04-31T12:00:00+00:00", false},
      {"2026-13-01T12:00:00+00:00", false},
      {"2026-00-01T12:00:00+00:00", false},
      {"2026-12-10T24:00:00+08:00", false},
      {"2026-12-10T04:60:06+08:00", false},
      {"2026-12-10T04:05:06+24:00", false},
      {"2026-12-10T04:05:06Z", false},
      {"2026-12-10 04:05:06+08:00", false},
      {"2026-12-10T04:05:06+0800", false},
      {"2026-12-10T04:05:0x+08:00", false},
      {"2026-12-10T04:05:06+08:00 ", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsLocalTimeText(c.text), c.valid) << c.text;
}

}  // namespace
}  // namespace taliq
