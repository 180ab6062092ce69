// Tests of day numbers, calendar dates, weekdays, times of day and their texts.
#include "fts/ftscaldr.hpp"

#include <gtest/gtest.h>

namespace fts {
namespace {

TEST(Calendar, KnownDatesHaveTheirDayNumbersAndWeekdays) {
  struct Case {
    int32_t year, month, day;
    int32_t jday, doy, weekday;
  };
  constexpr Case kCases[] = {
      {2000, 1, 1, 730120, 1, 7},     {1, 1, 1, 1, 1, 2},
      {1900, 3, 1, 693655, 60, 5},    {1600, 3, 1, 584083, 61, 4},
      {2000, 12, 31, 730485, 366, 1}, {-1, 12, 31, 0, 366, 1},
      {-1, 1, 1, -365, 1, 7},         {2024, 3, 5, 738950, 65, 3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.year << "-" << c.month << "-" << c.day);
    int32_t jday = 0, doy = 0, wd = 0, y = 0, m = 0, d = 0;
    GRJUL2(c.year, c.month, c.day, jday);
    EXPECT_EQ(jday, c.jday);
    DATDAY(c.year, c.month, c.day, doy);
    EXPECT_EQ(doy, c.doy);
    ZELLR2(c.year, c.month, c.day, wd);
    EXPECT_EQ(wd, c.weekday);
    ZELLR1(c.year, c.doy, wd);
    EXPECT_EQ(wd, c.weekday);
    JULGR2(c.jday, y, m, d);
    EXPECT_EQ(y, c.year);
    EXPECT_EQ(m, c.month);
    EXPECT_EQ(d, c.day);
    JULGR1(c.jday, y, doy);
    EXPECT_EQ(doy, c.doy);
  }
}

// Every day over long spans, including the years BC: the conversions invert each other, the
// calendar advances one day at a time, and weekdays cycle.
TEST(Calendar, RoundTripsOverLongSpansOfDays) {
  struct Span {
    int32_t first, last;
  };
  constexpr Span kSpans[] = {{-800000, -700000}, {-2000, 2000}, {690000, 800000}};
  for (const Span& s : kSpans) {
    int32_t py = 0, pm = 0, pd = 0, pw = 0;
    JULGR2(s.first - 1, py, pm, pd);
    ZELLR3(s.first - 1, pw);
    for (int32_t n = s.first; n <= s.last; ++n) {
      int32_t y = 0, m = 0, d = 0, back = 0, w = 0;
      JULGR2(n, y, m, d);
      GRJUL2(y, m, d, back);
      ASSERT_EQ(back, n) << y << "-" << m << "-" << d;
      ASSERT_NE(y, 0);
      // Consecutive days: next day of the month, or the first of the next month or year.
      const bool next_day = y == py && m == pm && d == pd + 1;
      const bool next_month = y == py && m == pm + 1 && d == 1;
      const bool next_year =
          m == 1 && d == 1 && pm == 12 && pd == 31 && (y == py + 1 || (py == -1 && y == 1));
      ASSERT_TRUE(next_day || next_month || next_year) << n;
      ZELLR3(n, w);
      ASSERT_EQ(w, pw % 7 + 1);
      py = y;
      pm = m;
      pd = d;
      pw = w;
    }
  }
}

TEST(Calendar, LeapDaysFollowTheGregorianRule) {
  struct Case {
    int32_t year;
    bool leap;
  };
  constexpr Case kCases[] = {{2000, true}, {1900, false}, {2024, true},  {2023, false},
                             {-1, true},   {-5, true},    {-101, false}, {-401, true}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.year);
    int32_t mar1 = 0, feb28 = 0, m = 0, d = 0;
    GRJUL2(c.year, 3, 1, mar1);
    GRJUL2(c.year, 2, 28, feb28);
    EXPECT_EQ(mar1 - feb28, c.leap ? 2 : 1);
    if (c.leap) {
      int32_t feb29 = 0, y = 0;
      GRJUL2(c.year, 2, 29, feb29);
      JULGR2(feb29, y, m, d);
      EXPECT_EQ(y, c.year);
      EXPECT_EQ(m, 2);
      EXPECT_EQ(d, 29);
    }
    DAYDAT(c.leap ? 366 : 365, c.year, m, d);
    EXPECT_EQ(m, 12);
    EXPECT_EQ(d, 31);
  }
}

TEST(TimeOfDay, MillisecondsConvertBothWays) {
  int32_t ms = 0, h = 0, m = 0, s = 0, r = 0;
  TIMEMS(12, 34, 56, 789, ms);
  EXPECT_EQ(ms, 45296789);
  MSTIME(ms, h, m, s, r);
  EXPECT_EQ(h, 12);
  EXPECT_EQ(m, 34);
  EXPECT_EQ(s, 56);
  EXPECT_EQ(r, 789);
  MSTIME(-3723004, h, m, s, r);  // truncating division: every part negative or zero
  EXPECT_EQ(h, -1);
  EXPECT_EQ(m, -2);
  EXPECT_EQ(s, -3);
  EXPECT_EQ(r, -4);
  TIMEMS(999, 0, 0, 0, ms);  // wraps like 32-bit arithmetic
  EXPECT_EQ(ms, static_cast<int32_t>(int64_t{999} * 3600000));
}

TEST(Texts, DatesAndTimesAreWrittenWithAsterisksForBadFields) {
  struct Case {
    int32_t jday;
    const char* text;
  };
  constexpr Case kDates[] = {{730120, "01/01/00"}, {738950, "03/05/24"}, {-365, "01/01/**"}};
  for (const Case& c : kDates) {
    std::string text;
    JULSTR(text, c.jday);
    EXPECT_EQ(text, c.text);
  }
  constexpr Case kTimes[] = {{45296789, "12:34:56.789"},
                             {0, "00:00:00.000"},
                             {-1, "00:00:00.***"},
                             {360000000, "**:00:00.000"}};
  for (const Case& c : kTimes) {
    std::string text;
    MSCSTR(text, c.jday);
    EXPECT_EQ(text, c.text);
  }
  std::string longer(10, '#');
  JULSTR(longer, 730120);
  EXPECT_EQ(longer, "01/01/00##");
}

}  // namespace
}  // namespace fts
