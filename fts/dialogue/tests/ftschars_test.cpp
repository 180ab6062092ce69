// Tests of the fixed-length text helpers, element positions and clock texts.
#include "fts/ftschars.hpp"

#include <gtest/gtest.h>

namespace fts {
namespace {

TEST(Texts, FirstAndLastNonBlank) {
  EXPECT_EQ(KUTR("ABC  "), 3);
  EXPECT_EQ(KUTR("     "), 0);
  EXPECT_EQ(KUTL("  ABC"), 3);
  EXPECT_EQ(KUTL("     "), 6);
  EXPECT_EQ(KUTL(""), 1);
}

TEST(Texts, UpcaseChangesOnlyLetters) {
  std::string s = "abz AZ 09.,;{}~\xe9\xff";
  UPCASE(s);
  EXPECT_EQ(s, "ABZ AZ 09.,;{}~\xe9\xff");
}

TEST(RecordPositions, CountFromOne) {
  struct Case {
    int32_t n, per;
    int32_t rec, pos;
  };
  constexpr Case kCases[] = {{1, 256, 1, 1},     {256, 256, 1, 256}, {257, 256, 2, 1},
                             {128, 128, 1, 128}, {129, 128, 2, 1},   {300, 256, 2, 44}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.n);
    int32_t rec = 0, pos = 0;
    if (c.per == 256) {
      LOCI2(c.n, rec, pos);
    } else {
      LOCI4(c.n, rec, pos);
      int32_t r2 = 0, p2 = 0;
      LOCR4(c.n, r2, p2);
      EXPECT_EQ(r2, rec);
      EXPECT_EQ(p2, pos);
    }
    EXPECT_EQ(rec, c.rec);
    EXPECT_EQ(pos, c.pos);
  }
}

TEST(Clock, TextsOfABrokenDownTime) {
  std::tm t{};
  t.tm_year = 2005 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 21;
  t.tm_min = 7;
  t.tm_sec = 3;
  EXPECT_EQ(detail::date_text(t), "05-Mar-05");
  EXPECT_EQ(detail::time_text(t), "21:07:03");
  t.tm_year = 1999 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 31;
  EXPECT_EQ(detail::date_text(t), "31-Dec-99");
}

TEST(Clock, CurrentTextsHaveTheirShape) {
  std::string date, time;
  DATE(date);
  TIME_(time);
  ASSERT_EQ(date.size(), 9u);
  ASSERT_EQ(time.size(), 8u);
  EXPECT_EQ(date[2], '-');
  EXPECT_EQ(date[6], '-');
  EXPECT_EQ(time[2], ':');
  EXPECT_EQ(time[5], ':');
}

}  // namespace
}  // namespace fts
