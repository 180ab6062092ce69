// Tests of the unit texts.
#include "fts/ftsunits.hpp"

#include <gtest/gtest.h>

#include "fts_testing/stops.hpp"

namespace fts {
namespace {

// A superscript of X, as carried inside unit texts.
std::string sup(const std::string& x) {
  return std::string{kEscape, 'J'} + x + kEscape + 'L';
}

Header spectrum_header(int32_t yun, int32_t ypw, int32_t xun) {
  Header h;
  h(QQDKND) = 1;
  h(QQDYUN) = yun;
  h(QQDYPW) = ypw;
  h(QQDXUN) = xun;
  return h;
}

TEST(BaseUnits, TablesByCode) {
  UnitText u;
  YBASUN(2, u);
  EXPECT_EQ(u.text, "PHOTONS/CM" + sup("2") + "-SEC-SR");
  EXPECT_EQ(u.text.size(), 22u);
  EXPECT_EQ(u.atomic, 0);
  YBASUN(3, u);
  EXPECT_EQ(u.text.size(), 16u);
  EXPECT_EQ(u.atomic, 0);
  YBASUN(9, u);
  EXPECT_EQ(u.text, "*");
  EXPECT_EQ(u.atomic, 1);
  SBASUN(1, u);
  EXPECT_EQ(u.text, "CM" + sup("-1"));
  EXPECT_EQ(u.text.size(), 8u);
  SBASUN(3, u);
  EXPECT_EQ(u.text, "*");
  IBASUN(2, u);
  EXPECT_EQ(u.text, "SEC");
  XBASUN(0, u);
  EXPECT_EQ(u.text, "SMP");
}

TEST(Fractions, ReduceAndSign) {
  struct Case {
    int32_t n, d;
    const char* text;
    int32_t atomic;
  };
  constexpr Case kCases[] = {{2, 4, "1/2", 0},   {-2, 1, "-2", 0}, {3, 3, "1", 1},
                             {12, 1, "*", 1},    {0, 5, "0", 1},   {5, 0, "*", 1},
                             {2, -3, "-2/3", 0}, {-4, -2, "2", 1}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    UnitText u;
    FRCSTR(c.n, c.d, u);
    EXPECT_EQ(u.text, c.text);
    EXPECT_EQ(u.atomic, c.atomic);
  }
  EXPECT_EQ(I4GCD(12, -18), 6);
  UnitText u;
  INTSTR(10, u);
  EXPECT_EQ(u.text, "*");
}

TEST(Combinations, ProductsQuotientsAndPowers) {
  const UnitText one{"1", 1}, volts{"VOLTS", 1}, scm{"SCM", 1}, ratio{"A/B", 0};
  UnitText u;
  UNTMUL(ratio, scm, u);
  EXPECT_EQ(u.text, "(A/B)-SCM");
  EXPECT_EQ(u.atomic, 0);
  UNTMUL(one, scm, u);
  EXPECT_EQ(u.text, "SCM");
  UNTMUL(one, one, u);
  EXPECT_EQ(u.text, "1");
  UNTDIV(volts, UnitText{"VOLTS  ", 1}, u);  // equal with blank padding
  EXPECT_EQ(u.text, "1");
  UNTDIV(one, ratio, u);
  EXPECT_EQ(u.text, "1/(A/B)");
  EXPECT_EQ(u.atomic, 0);
  UNTDIV(volts, one, u);
  EXPECT_EQ(u.text, "VOLTS");
  UNTEXP(ratio, 1, 2, u);
  EXPECT_EQ(u.text, "(A/B)" + sup("1/2"));
  EXPECT_EQ(u.atomic, 1);
  UNTEXP(volts, 0, 1, u);
  EXPECT_EQ(u.text, "1");
  u = scm;
  UNTEXP(volts, 1, 0, u);  // no denominator: the output is left alone
  EXPECT_EQ(u.text, "SCM");
  UNTEXP(volts, 2, 2, u);
  EXPECT_EQ(u.text, "VOLTS");
}

TEST(DataUnits, FromHeaderCodes) {
  UnitText u;
  Header ifg;
  ifg(QQDYUN) = 1;
  DUNITS(ifg, 1, u);
  EXPECT_EQ(u.text, "VOLTS");
  EXPECT_EQ(u.atomic, 1);

  DUNITS(spectrum_header(3, 0, 1), 1, u);
  EXPECT_EQ(u.text, "(WATTS/CM" + sup("2") + "-SR)-SCM");
  EXPECT_EQ(u.atomic, 0);

  Header cal = spectrum_header(1, 0, 1);
  cal(QQDRAT) = 1;
  cal(QQCYUN) = 1;
  cal(QQCXUN) = 1;
  DUNITS(cal, 1, u);
  EXPECT_EQ(u.text, "1");

  Header square;
  square(QQDYUN) = 1;
  square(QQDYPW) = 1;
  DUNITS(square, 2, u);
  EXPECT_EQ(u.text, "VOLTS");
  DUNITS(ifg, 2, u);
  EXPECT_EQ(u.text, "VOLTS" + sup("1/2"));

  Header negative;
  negative(QQDYUN) = 1;
  negative(QQDYPW) = -2;
  DUNITS(negative, 1, u);
  EXPECT_EQ(u.text, "*");

  // A power item at the top of the 32-bit range (only a header made in memory holds one) is no
  // power either, and its "+ 1" does not overflow.
  Header top = spectrum_header(1, 0, 1);
  top(QQDYPW) = 2147483647;
  DUNITS(top, 1, u);
  EXPECT_EQ(u.text, "*");
  top(QQDYPW) = 0;
  top(QQDRAT) = 1;
  top(QQCYPW) = 2147483647;
  DUNITS(top, 1, u);
  EXPECT_EQ(u.text, "*");
}

TEST(Superscripts, MarkersAreReplaced) {
  std::string text = "CM" + sup("2");
  int32_t len = static_cast<int32_t>(text.size());
  DEFSSC(text, len, " ", " ");
  EXPECT_EQ(text.substr(0, static_cast<std::size_t>(len)), "CM 2 ");
  EXPECT_EQ(len, 5);
  EXPECT_EQ(text.size(), 7u);  // blank-padded to its former size

  UnitText u{"CM" + sup("2"), 1};
  DEFSSC(u, "^", " ");
  EXPECT_EQ(u.text, "CM^2 ");

  // An escape followed by another escape keeps one and stays open; an unknown letter is kept
  // with its escape; an escape at the very end is dropped.
  std::string odd = std::string("A") + kEscape + kEscape + "J" + kEscape + "X" + kEscape;
  len = static_cast<int32_t>(odd.size());
  DEFSSC(odd, len, "<", ">");
  EXPECT_EQ(odd.substr(0, static_cast<std::size_t>(len)),
            std::string("A") + kEscape + "<" + kEscape + "X");

  std::string grow = sup("2");
  len = static_cast<int32_t>(grow.size());
  DEFSSC(grow, len, "<sup>", "</sup>");
  EXPECT_EQ(grow, "<sup>2</sup>");  // a longer result is kept whole
  EXPECT_EQ(len, 12);
}

TEST(SuperscriptsDeathTest, ALengthBeyondTheTextStopsTheRun) {
  const auto replace = [] {
    std::string text = "CM";
    int32_t len = 3;
    DEFSSC(text, len, " ", " ");
  };
  FTS_EXPECT_STOP(replace(), "^ #DEFSSC   01> - LENGTH BEYOND THE TEXT\n#ERROR\n$");
}

}  // namespace
}  // namespace fts
