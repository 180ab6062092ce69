// Unit tests of the scan header routines: names, merges, texts, calibration, units, axes.
#include "fts/ftshdutl.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace fts {
namespace {

constexpr double kExact = 0.0;
constexpr double kRelative = 1e-15;  // relative tolerance of a few double roundings
constexpr double kIndex = 1e-12;     // point indices found back through an axis position

// A value no accessor computes, to see whether an output was left alone.
constexpr double kUntouched = 42.5;

Header blank_header() {
  Header h;
  INITHD(h);
  return h;
}

// ---------------------------------------------------------------------------------------------
// Names.

TEST(HdrnamTest, NamesEveryKindOfItemAndRejectsNumbersOutside1To224) {
  struct Case {
    int32_t item;
    std::string_view name;
  };
  constexpr Case kCases[] = {
      {-1, "WHAT ?"},  {0, "WHAT ?"},   {225, "WHAT ?"}, {1, "QQDSRC"},   {32, "QQDSRC"},
      {33, "QQRMRK"},  {64, "QQRMRK"},  {65, "QQSYSV"},  {93, "QQISUN"},  {94, "QQBORD"},
      {95, "UNDEFD"},  {128, "UNDEFD"}, {129, "QQFCDY"}, {175, "QQALIA"}, {176, "UNDEFD"},
      {192, "UNDEFD"}, {200, "UNDEFD"}, {218, "UNDEFD"}, {224, "UNDEFD"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.item);
    std::string name = "xxxxxx";
    HDRNAM(name, c.item);
    EXPECT_EQ(name, c.name);
  }
}

TEST(HdrnamTest, EveryNamedItemConstantCarriesItsOwnName) {
  struct Case {
    int32_t item;
    std::string_view name;
  };
  constexpr Case kCases[] = {
      {QQSYSV, "QQSYSV"}, {QQDTYP, "QQDTYP"}, {QQDKND, "QQDKND"}, {QQDREP, "QQDREP"},
      {QQDYUN, "QQDYUN"}, {QQDXUN, "QQDXUN"}, {QQDEVC, "QQDEVC"}, {QQMOTN, "QQMOTN"},
      {QQCDWN, "QQCDWN"}, {QQGAN1, "QQGAN1"}, {QQGAN2, "QQGAN2"}, {QQGAN3, "QQGAN3"},
      {QQTTYP, "QQTTYP"}, {QQTSFT, "QQTSFT"}, {QQPHCR, "QQPHCR"}, {QQAPOD, "QQAPOD"},
      {QQNTRP, "QQNTRP"}, {QQPWGT, "QQPWGT"}, {QQSSUN, "QQSSUN"}, {QQCYUN, "QQCYUN"},
      {QQCXUN, "QQCXUN"}, {QQDYPW, "QQDYPW"}, {QQCYPW, "QQCYPW"}, {QQDINV, "QQDINV"},
      {QQDRAT, "QQDRAT"}, {QQGCOR, "QQGCOR"}, {QQSCOR, "QQSCOR"}, {QQCTYP, "QQCTYP"},
      {QQISUN, "QQISUN"}, {QQBORD, "QQBORD"}, {QQFCDY, "QQFCDY"}, {QQFCMS, "QQFCMS"},
      {QQFLEN, "QQFLEN"}, {QQDSIZ, "QQDSIZ"}, {QQDSCL, "QQDSCL"}, {QQSRCF, "QQSRCF"},
      {QQIBDY, "QQIBDY"}, {QQIBMS, "QQIBMS"}, {QQIEDY, "QQIEDY"}, {QQIEMS, "QQIEMS"},
      {QQIDUR, "QQIDUR"}, {QQADDS, "QQADDS"}, {QQISIZ, "QQISIZ"}, {QQADBT, "QQADBT"},
      {QQADRG, "QQADRG"}, {QQADSB, "QQADSB"}, {QQISMP, "QQISMP"}, {QQISLP, "QQISLP"},
      {QQIOFF, "QQIOFF"}, {QQILEN, "QQILEN"}, {QQICEN, "QQICEN"}, {QQIMOD, "QQIMOD"},
      {QQISUB, "QQISUB"}, {QQIAVG, "QQIAVG"}, {QQTBEG, "QQTBEG"}, {QQTLEN, "QQTLEN"},
      {QQTCEN, "QQTCEN"}, {QQTSIZ, "QQTSIZ"}, {QQRESL, "QQRESL"}, {QQPHSZ, "QQPHSZ"},
      {QQAPAR, "QQAPAR"}, {QQSSMP, "QQSSMP"}, {QQSTSZ, "QQSTSZ"}, {QQSSLP, "QQSSLP"},
      {QQSOFF, "QQSOFF"}, {QQSLEN, "QQSLEN"}, {QQCFA0, "QQCFA0"}, {QQCFA1, "QQCFA1"},
      {QQCFB0, "QQCFB0"}, {QQCFB1, "QQCFB1"}, {QQCFC0, "QQCFC0"}, {QQCFC1, "QQCFC1"},
      {QQCFD0, "QQCFD0"}, {QQCFD1, "QQCFD1"}, {QQCFE0, "QQCFE0"}, {QQCFE1, "QQCFE1"},
      {QQALIA, "QQALIA"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string name;
    HDRNAM(name, c.item);
    EXPECT_EQ(name, c.name);
  }
}

// ---------------------------------------------------------------------------------------------
// Whole headers.

TEST(InithdTest, BlanksBothTextsAndZeroesEveryOtherItem) {
  Header h;
  h.items().fill(-7);
  INITHD(h);
  for (int32_t i = 1; i <= 64; ++i) EXPECT_EQ(h(i), 32) << "item " << i;
  for (int32_t i = 65; i <= 224; ++i) EXPECT_EQ(h(i), 0) << "item " << i;
  std::string source, remark;
  GTDSRC(h, source);
  GTRMRK(h, remark);
  EXPECT_EQ(source, std::string(32, ' '));
  EXPECT_EQ(remark, std::string(32, ' '));
}

TEST(DuphdrTest, CopiesAll224Items) {
  Header a;
  for (int32_t i = 1; i <= kHeaderItems; ++i) a(i) = i * 1000 - 7;
  Header b = blank_header();
  DUPHDR(a, b);
  EXPECT_EQ(b, a);
}

TEST(AddhdrTest, KeepsTheEarlierBeginAndTheLaterEndAndSumsTheCounts) {
  struct Case {
    const char* what;
    int32_t a_begin_day, a_begin_ms, a_end_day, a_end_ms;
    int32_t want_begin_day, want_begin_ms, want_end_day, want_end_ms;
  };
  // The merged header B begins on day 100 at 5000 ms and ends on day 100 at 9000 ms.
  constexpr Case kCases[] = {
      {"A begins 1000 ms earlier", 100, 4000, 100, 9000, 100, 4000, 100, 9000},
      {"equal times change nothing", 100, 5000, 100, 9000, 100, 5000, 100, 9000},
      {"A begins later", 100, 6000, 100, 8000, 100, 5000, 100, 9000},
      {"earlier day, more ms", 99, 80000000, 100, 9000, 99, 80000000, 100, 9000},
      {"A ends 1 ms later", 100, 5000, 100, 9001, 100, 5000, 100, 9001},
      {"A ends on a later day, fewer ms", 100, 5000, 101, 0, 100, 5000, 101, 0},
      {"A ends earlier", 100, 5000, 100, 8999, 100, 5000, 100, 9000},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Header a = blank_header();
    a(QQIBDY) = c.a_begin_day;
    a(QQIBMS) = c.a_begin_ms;
    a(QQIEDY) = c.a_end_day;
    a(QQIEMS) = c.a_end_ms;
    a(QQIDUR) = 250;
    a(QQADDS) = 1;
    a(QQILEN) = 999;  // not merged
    Header b = blank_header();
    b(QQIBDY) = 100;
    b(QQIBMS) = 5000;
    b(QQIEDY) = 100;
    b(QQIEMS) = 9000;
    b(QQIDUR) = 750;
    b(QQADDS) = 1;
    b(QQILEN) = 1000;
    Header want = b;
    want(QQIBDY) = c.want_begin_day;
    want(QQIBMS) = c.want_begin_ms;
    want(QQIEDY) = c.want_end_day;
    want(QQIEMS) = c.want_end_ms;
    want(QQIDUR) = 1000;
    want(QQADDS) = 2;
    ADDHDR(a, b);
    EXPECT_EQ(b, want);
  }
}

TEST(AddhdrTest, SumsWrapAroundIn32Bits) {
  Header a = blank_header();
  Header b = blank_header();
  a(QQIDUR) = std::numeric_limits<int32_t>::max();
  b(QQIDUR) = 1;
  a(QQADDS) = -5;
  b(QQADDS) = 3;
  ADDHDR(a, b);
  EXPECT_EQ(b(QQIDUR), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(b(QQADDS), -2);
}

// ---------------------------------------------------------------------------------------------
// Texts.

TEST(PtdsrcTest, StoresTheCodesOfTheTextCutOrPaddedTo32Characters) {
  struct Case {
    std::string_view text;
    std::string_view stored;  // the 32 characters expected in items 1-32
  };
  constexpr Case kCases[] = {
      {"ABC", "ABC                             "},
      {"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcd", "0123456789ABCDEFGHIJKLMNOPQRSTUV"},
      {"", "                                "},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    Header h = blank_header();
    PTDSRC(h, c.text);
    for (int32_t i = 0; i < 32; ++i) {
      EXPECT_EQ(h(QQDSRC + i), static_cast<unsigned char>(c.stored[static_cast<size_t>(i)]))
          << "item " << QQDSRC + i;
    }
    EXPECT_EQ(h(QQRMRK), ' ');  // the remark is untouched
  }
}

TEST(PtdsrcTest, AbcGivesCodes65To67And29Blanks) {
  Header h = blank_header();
  PTDSRC(h, "ABC");
  EXPECT_EQ(h(1), 65);
  EXPECT_EQ(h(2), 66);
  EXPECT_EQ(h(3), 67);
  for (int32_t i = 4; i <= 32; ++i) EXPECT_EQ(h(i), 32) << "item " << i;
}

TEST(PtrmrkTest, WritesItems33To64OnlyWithCodesUpTo255) {
  Header h = blank_header();
  PTRMRK(h, "X\xE9Y");
  EXPECT_EQ(h(33), 'X');
  EXPECT_EQ(h(34), 0xE9);
  EXPECT_EQ(h(35), 'Y');
  EXPECT_EQ(h(36), ' ');
  for (int32_t i = 1; i <= 32; ++i) EXPECT_EQ(h(i), ' ') << "item " << i;
  EXPECT_EQ(h(65), 0);
}

TEST(GtdsrcTest, ReadsTheLow8BitsAndKeepsTheLengthOfTheText) {
  Header h = blank_header();
  PTDSRC(h, "SOURCE");
  h(7) = 300;  // low 8 bits: 44, a comma
  struct Case {
    size_t size_before;
    std::string_view want;
  };
  constexpr Case kCases[] = {
      {0, "SOURCE,                         "},  // empty: all 32 characters
      {4, "SOUR"},
      {32, "SOURCE,                         "},
      {36, "SOURCE,                             "},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.size_before);
    std::string text(c.size_before, '#');
    GTDSRC(h, text);
    EXPECT_EQ(text, c.want);
  }
}

TEST(GtrmrkTest, ReturnsWhatPtrmrkStored) {
  Header h = blank_header();
  PTRMRK(h, "NIGHT OF 12 MARCH, CLEAR SKY");
  std::string text;
  GTRMRK(h, text);
  EXPECT_EQ(text, "NIGHT OF 12 MARCH, CLEAR SKY    ");
  std::string source;
  GTDSRC(h, source);
  EXPECT_EQ(source, std::string(32, ' '));
}

// ---------------------------------------------------------------------------------------------
// Calibration coefficients.

TEST(PtcalbTest, StoresMantissaAndExponentPairsAndSetsQqscor) {
  struct Case {
    double value;
    int32_t mantissa;
    int32_t exponent;
  };
  constexpr Case kCases[] = {
      {1.0, 1073741824, -30}, {-3.0, -1610612736, -29}, {0.0, 0, 0},
      {0.5, 1073741824, -31}, {1e10, 1250000000, 3},
  };
  std::array<double, 5> cal{};
  for (size_t k = 0; k < 5; ++k) cal[k] = kCases[k].value;
  Header h = blank_header();
  PTCALB(h, cal);
  EXPECT_EQ(h(QQSCOR), 1);
  for (int32_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(h(QQCFA0 + 2 * k), kCases[k].mantissa);
    EXPECT_EQ(h(QQCFA1 + 2 * k), kCases[k].exponent);
  }
  std::array<double, 5> back{};
  GTCALB(h, back);
  for (size_t k = 0; k < 5; ++k) EXPECT_EQ(back[k], cal[k]) << "coefficient " << k + 1;
}

TEST(PtcalbTest, KeepsThirtyOneBitsTruncatedTowardZero) {
  // Round trip over a wide range of magnitudes of both signs.
  for (int p = -1060; p <= 1020; p += 7) {
    for (double f : {0.1, -0.7, 0.999999999999, -0.5000000001}) {
      const double v = std::ldexp(f, p);
      SCOPED_TRACE(v);
      std::array<double, 5> cal = {v, v, v, v, v};
      Header h = blank_header();
      PTCALB(h, cal);
      const int32_t m = h(QQCFA0);
      EXPECT_GE(std::abs(static_cast<int64_t>(m)), int64_t{1} << 30);
      EXPECT_LT(std::abs(static_cast<int64_t>(m)), int64_t{1} << 31);
      std::array<double, 5> back{};
      GTCALB(h, back);
      EXPECT_LE(std::abs(back[0]), std::abs(v));                       // toward zero
      EXPECT_LE(std::abs(v - back[0]), std::ldexp(std::abs(v), -30));  // 31 bits kept
    }
  }
}

TEST(PtcalbTest, StoresZeroForValuesWithoutAPair) {
  const double inf = std::numeric_limits<double>::infinity();
  std::array<double, 5> cal = {inf, -inf, std::numeric_limits<double>::quiet_NaN(), 2.0,
                               std::numeric_limits<double>::denorm_min()};
  Header h = blank_header();
  PTCALB(h, cal);
  for (int32_t k = 0; k < 3; ++k) {
    EXPECT_EQ(h(QQCFA0 + 2 * k), 0) << k;
    EXPECT_EQ(h(QQCFA1 + 2 * k), 0) << k;
  }
  std::array<double, 5> back{};
  GTCALB(h, back);
  EXPECT_EQ(back[3], 2.0);
  EXPECT_EQ(back[4], std::numeric_limits<double>::denorm_min());
}

// ---------------------------------------------------------------------------------------------
// Converter, dates and units.

TEST(CnvarbTest, GivesVoltsPerConverterCount) {
  Header h = blank_header();
  h(QQADBT) = 12;
  h(QQADRG) = 10000000;
  float vpc = 0;
  CNVARB(h, vpc);
  EXPECT_EQ(vpc, 10.0f / 4096.0f);  // 0.00244140625, exact

  // Bits at the ends of the 32-bit range, and a quotient beyond the float range.
  struct Case {
    int32_t bits, range;
    float vpc;
  };
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr Case kCases[] = {
      {-2147483647 - 1, 1, kInf}, {-2147483647 - 1, -1, -kInf}, {2147483647, 1000000, 0.0f},
      {-200, 1000000, kInf},      {-20, 10000000, 10485760.0f},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.bits);
    h(QQADBT) = c.bits;
    h(QQADRG) = c.range;
    CNVARB(h, vpc);
    EXPECT_EQ(vpc, c.vpc);
  }
}

TEST(GtdateTest, WritesTheBeginDateAndTime) {
  Header h = blank_header();
  h(QQIBDY) = 730120;
  h(QQIBMS) = 45296789;
  std::string date, time;
  GTDATE(h, date);
  GTTIME(h, time);
  EXPECT_EQ(date, "01/01/00");
  EXPECT_EQ(time, "12:34:56.789");
}

TEST(DatuniTest, BuildsTheDataUnitTextWithTheCallersSuperscriptMarks) {
  Header interferogram = blank_header();
  interferogram(QQDYUN) = 1;
  Header spectrum = blank_header();
  spectrum(QQDKND) = 1;
  spectrum(QQDYUN) = 3;
  spectrum(QQDXUN) = 1;
  struct Case {
    const Header* hdr;
    int32_t den;
    std::string_view s1, s2, text;
    int32_t atomic;
  };
  const Case kCases[] = {
      {&interferogram, 1, " ", " ", "VOLTS", 1},
      {&interferogram, 2, "^(", ")", "VOLTS^(1/2)", 1},
      {&spectrum, 1, " ", " ", "(WATTS/CM 2 -SR)-SCM", 0},
      {&spectrum, 1, "^", "", "(WATTS/CM^2-SR)-SCM", 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    UnitText u;
    DATUNI(*c.hdr, c.den, c.s1, c.s2, u);
    EXPECT_EQ(u.text, c.text);
    EXPECT_EQ(u.atomic, c.atomic);
  }
}

TEST(SmpuniTest, TakesTheInterferogramOrSpectrumSampleUnit) {
  Header interferogram = blank_header();
  interferogram(QQISUN) = 1;
  interferogram(QQSSUN) = 2;
  Header spectrum = interferogram;
  spectrum(QQDKND) = 1;
  UnitText u;
  SMPUNI(interferogram, " ", " ", u);
  EXPECT_EQ(u.text, "CM");
  SMPUNI(spectrum, "^", "", u);
  EXPECT_EQ(u.text, "HZ");
  spectrum(QQSSUN) = 1;
  SMPUNI(spectrum, "^", "", u);
  EXPECT_EQ(u.text, "CM^-1");
  EXPECT_EQ(u.atomic, 1);
}

TEST(SmpuniTest, LeavesTheTextOfAnotherKindOfDataAsItWas) {
  Header other = blank_header();
  other(QQDKND) = 2;
  UnitText u{"KEEP", 0};
  SMPUNI(other, " ", " ", u);
  EXPECT_EQ(u.text, "KEEP");
  EXPECT_EQ(u.atomic, 0);
}

// ---------------------------------------------------------------------------------------------
// Interferogram axis.

TEST(IntsidTest, CountsTheCentrePointOnBothSides) {
  struct Case {
    int32_t len, cen, nl, nr;
  };
  constexpr Case kCases[] = {{0, 400, 0, 0}, {1000, 400, 401, 600}, {1, 0, 1, 1}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.len);
    Header h = blank_header();
    h(QQILEN) = c.len;
    h(QQICEN) = c.cen;
    int32_t nl = -1, nr = -1;
    INTSID(h, nl, nr);
    EXPECT_EQ(nl, c.nl);
    EXPECT_EQ(nr, c.nr);
  }
}

TEST(IntcntTest, ScalesTheCountByTheSampleUnitAndLeavesUnknownUnitsAlone) {
  struct Case {
    int32_t unit;
    double cnt;
  };
  constexpr Case kCases[] = {
      {0, 6328 * 1e-10}, {1, 6328 * 1e-10}, {2, 6328 * 1e-12}, {3, kUntouched}, {-1, kUntouched}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.unit);
    Header h = blank_header();
    h(QQISUN) = c.unit;
    h(QQISMP) = 6328;
    double cnt = kUntouched;
    INTCNT(h, cnt);
    EXPECT_EQ(cnt, c.cnt);
  }
}

Header interferogram_axis() {
  Header h = blank_header();
  h(QQISUN) = 1;
  h(QQISMP) = 6328;
  h(QQISLP) = 2;
  h(QQIOFF) = 0;
  return h;
}

TEST(IntconTest, GivesSpacingOffsetAndThePositionOfPointZero) {
  const Header h = interferogram_axis();
  double smp = 0, off = kUntouched, con = 0, smp2 = 0;
  INTSMP(h, smp);
  INTOFF(h, off);
  INTCON(h, smp2, con);
  EXPECT_NEAR(smp, 1.2656e-6, 1.2656e-6 * kRelative);
  EXPECT_EQ(off, 0.0);
  EXPECT_EQ(smp2, smp);
  EXPECT_EQ(con, -smp);
  EXPECT_NEAR(INTDIS(1.0, smp, con), 0.0, kExact);
  EXPECT_NEAR(INTDIS(11.0, smp, con), 10 * smp, 10 * smp * kRelative);
  EXPECT_NEAR(INTIND(0.0, smp, con), 1.0, kIndex);
}

TEST(IntconTest, IndexAndPositionAreInverse) {
  Header h = interferogram_axis();
  h(QQIOFF) = -12345;
  double smp = 0, con = 0;
  INTCON(h, smp, con);
  for (double x : {-3.5, 1.0, 2.25, 1000.0, 65536.0}) {
    SCOPED_TRACE(x);
    EXPECT_NEAR(INTIND(INTDIS(x, smp, con), smp, con), x, kIndex * std::abs(x) + kIndex);
  }
}

TEST(IntsmpTest, GivesZeroForAnUnknownSampleUnit) {
  Header h = interferogram_axis();
  h(QQISUN) = 7;
  double smp = kUntouched, off = kUntouched;
  INTSMP(h, smp);
  INTOFF(h, off);
  EXPECT_EQ(smp, 0.0);
  EXPECT_EQ(off, 0.0);
}

// ---------------------------------------------------------------------------------------------
// Spectrum axis.

TEST(SptbinTest, IsTheReciprocalOfTheTransformLength) {
  struct Case {
    int32_t unit, size, smp;
    double bin;
  };
  constexpr Case kCases[] = {
      {1, 8192, 6328, 192.90504503792667},  // 1/(8192 * 6328e-10) cm^-1
      {0, 8192, 6328, 192.90504503792667},
      {2, 1000, 10000, 100000.0},  // 1/(1000 * 1e-8 s) Hz
      {1, 0, 6328, 0.0},           // zero length stays 0
      {1, 8192, 0, 0.0},
      {3, 8192, 6328, kUntouched},  // unknown unit: left alone
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.unit);
    Header h = blank_header();
    h(QQSSUN) = c.unit;
    h(QQSTSZ) = c.size;
    h(QQSSMP) = c.smp;
    double bin = kUntouched;
    SPTBIN(h, bin);
    EXPECT_NEAR(bin, c.bin, c.bin * kRelative);
  }
}

Header spectrum_axis() {
  Header h = blank_header();
  h(QQDKND) = 1;
  h(QQSSUN) = 1;
  h(QQSTSZ) = 8192;
  h(QQSSMP) = 6328;
  h(QQSSLP) = 2;
  h(QQSOFF) = 100;
  h(QQSLEN) = 100;
  return h;
}

TEST(SptconTest, GivesSpacingOffsetAndThePositionOfPointZero) {
  const Header h = spectrum_axis();
  const double bin = 192.90504503792667;
  double smp = 0, off = 0, smp2 = 0, con = 0;
  SPTSMP(h, smp);
  SPTOFF(h, off);
  SPTCON(h, smp2, con);
  EXPECT_NEAR(smp, 2 * bin, 2 * bin * kRelative);
  EXPECT_NEAR(off, 100 * bin, 100 * bin * kRelative);
  EXPECT_EQ(smp2, smp);
  EXPECT_EQ(con, off - smp);
  EXPECT_NEAR(SPTWAV(1.0, smp, con), off, off * kRelative);
  EXPECT_NEAR(SPTIND(off, smp, con), 1.0, kIndex);
  for (double x : {-2.0, 1.5, 50.0, 100.0}) {
    SCOPED_TRACE(x);
    EXPECT_NEAR(SPTIND(SPTWAV(x, smp, con), smp, con), x, kIndex);
  }
}

TEST(SptsmpTest, GivesZeroForAnUnknownSampleUnit) {
  Header h = spectrum_axis();
  h(QQSSUN) = 9;
  double smp = kUntouched, off = kUntouched;
  SPTSMP(h, smp);
  SPTOFF(h, off);
  EXPECT_EQ(smp, 0.0);
  EXPECT_EQ(off, 0.0);
}

TEST(SptrngTest, SpansPoints9ToLengthMinus8) {
  const Header h = spectrum_axis();  // QQSLEN = 100
  double w1 = 0, w2 = 0, smp = 0, con = 0, off = 0;
  SPTRNG(h, w1, w2);
  SPTCON(h, smp, con);
  SPTOFF(h, off);
  EXPECT_EQ(w1, 8.0 * smp + off);
  EXPECT_EQ(w2, 91.0 * smp + off);
  EXPECT_NEAR(SPTIND(w1, smp, con), 9.0, kIndex);
  EXPECT_NEAR(SPTIND(w2, smp, con), 92.0, kIndex);
}

TEST(SptresTest, IsTheReciprocalOfTheResolvingPathLength) {
  Header h = interferogram_axis();
  h(QQRESL) = 4096;
  double res = kUntouched;
  SPTRES(h, res);
  const double want = 1.0 / (4096 * (2 * (6328 * 1e-10)));
  EXPECT_NEAR(res, want, want * kRelative);
  h(QQRESL) = 0;
  SPTRES(h, res);
  EXPECT_EQ(res, 0.0);
}

TEST(SptfwhTest, ScalesTheResolutionByTheWindowFactor) {
  constexpr float kFactor[] = {1.207f, 1.737f, 2.127f, 2.443f, 2.717f, 2.961f};
  Header h = interferogram_axis();
  h(QQRESL) = 4096;
  double res = 0;
  SPTRES(h, res);
  for (int32_t window = 0; window < 6; ++window) {
    SCOPED_TRACE(window);
    h(QQAPOD) = window;
    double fwhm = 0;
    SPTFWH(h, fwhm);
    EXPECT_EQ(fwhm, static_cast<double>(kFactor[window]) * res);
  }
}

TEST(SptfwhTest, LeavesTheWidthAloneForAnUnknownWindow) {
  Header h = interferogram_axis();
  h(QQRESL) = 4096;
  for (int32_t window : {6, 255, -1}) {
    SCOPED_TRACE(window);
    h(QQAPOD) = window;
    double fwhm = kUntouched;
    SPTFWH(h, fwhm);
    EXPECT_EQ(fwhm, kUntouched);
  }
}

}  // namespace
}  // namespace fts
