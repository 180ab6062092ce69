// Tests of free-format reading and writing and of the fixed-width fields.
#include "fts/textio.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace fts::textio {
namespace {

TEST(FreeItem, FloatsFollowTheSixDigitRule) {
  struct Case {
    float value;
    const char* text;
  };
  const Case kCases[] = {
      {180.0f, "  180.000"},       {0.001f, "  1.000000E-03"},    {-3.5f, " -3.50000"},
      {1.0e26f, "  1.000000E+26"}, {0.0f, "  0.00000"},           {123456.7f, "  123457."},
      {0.1f, "  0.100000"},        {0.099999f, "  9.999900E-02"}, {999999.0f, "  999999."},
      {1.0e6f, "  1.000000E+06"},  {-0.25f, " -0.250000"},        {1.0f, "  1.00000"},
      {-0.0f, "  0.00000"},        {-1.5e-7f, " -1.500000E-07"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(free_item(c.value), c.text);
  }
}

TEST(FreeItem, DoublesFollowTheFifteenDigitRule) {
  struct Case {
    double value;
    const char* text;
  };
  const Case kCases[] = {
      {180.0, "  180.000000000000"},
      {0.001, "  1.000000000000000E-003"},
      {-3.5, " -3.50000000000000"},
      {1.0e26, "  1.000000000000000E+026"},
      {0.0, "  0.00000000000000"},
      {123456.7, "  123456.700000000"},
      {1.0e-300, "  1.000000000000000E-300"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(free_item(c.value), c.text);
  }
}

TEST(FreeItem, IntegersAndLogicals) {
  EXPECT_EQ(free_item(int32_t{12}), "  12");
  EXPECT_EQ(free_item(int32_t{-3}), " -3");
  EXPECT_EQ(free_item(int32_t{0}), "  0");
  EXPECT_EQ(free_item(true), " T");
  EXPECT_EQ(free_item(false), " F");
}

TEST(FreeLine, StartsWithOneBlankAndJoinsItemsUnchanged) {
  FreeLine line;
  line << " Files from " << int32_t{1} << " to " << int32_t{20};
  EXPECT_EQ(line.str(), "  Files from   1 to   20");
  EXPECT_EQ((FreeLine() << "ERROR=" << true).str(), " ERROR= T");
}

TEST(Fields, IntegersAreRightAlignedOrAsterisks) {
  EXPECT_EQ(int_field(42, 6), "    42");
  EXPECT_EQ(int_field(-42, 3), "-42");
  EXPECT_EQ(int_field(-420, 3), "***");
  EXPECT_EQ(zero_padded_field(7, 6), "000007");
  EXPECT_EQ(zero_padded_field(-1, 6), "******");
  EXPECT_EQ(zero_padded_field(1000000, 6), "******");
}

TEST(Fields, FixedPointDropsTheLeadingZeroOnlyWhenNeeded) {
  EXPECT_EQ(fixed_field(3.14159, 9, 4), "   3.1416");
  EXPECT_EQ(fixed_field(0.5, 6, 3), " 0.500");
  EXPECT_EQ(fixed_field(0.5, 4, 3), ".500");
  EXPECT_EQ(fixed_field(-0.5, 5, 3), "-.500");
  EXPECT_EQ(fixed_field(12345.0, 9, 4), "*********");
  EXPECT_EQ(fixed_field(21.5, 11, 7), " 21.5000000");
  EXPECT_EQ(fixed_field(9999.4, 7, 0), "  9999.");
}

TEST(Fields, GeneralFormShowsFourSignificantDigits) {
  struct Case {
    float value;
    const char* text;
  };
  const Case kCases[] = {
      {123.456f, "  123.5    "}, {123456.0f, " 1.2346E+05"}, {0.1f, " 0.1000    "},
      {-0.1f, "-0.1000    "},    {9999.4f, "  9999.    "},   {9999.6f, " 9.9996E+03"},
      {0.05f, " 5.0000E-02"},    {-2.5f, " -2.500    "},     {0.0f, "  0.000    "},
      {-0.0f, "  0.000    "},    {-1.0e-20f, "-1.0000E-20"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(general11(c.value), c.text);
    EXPECT_EQ(general11(c.value).size(), 11u);
  }
}

TEST(Fields, NonFiniteValuesAreNamed) {
  EXPECT_EQ(general11(std::numeric_limits<float>::infinity()), "   Infinity");
  EXPECT_EQ(general11(std::nanf("")), "        NaN");
}

TEST(Parsers, AcceptTheNumberForms) {
  int32_t i = 0;
  EXPECT_TRUE(parse_int(" -42 ", i));
  EXPECT_EQ(i, -42);
  EXPECT_TRUE(parse_int("+7", i));
  EXPECT_EQ(i, 7);
  EXPECT_FALSE(parse_int("1.5", i));
  EXPECT_FALSE(parse_int("2147483648", i));
  EXPECT_TRUE(parse_int("-2147483648", i));
  EXPECT_EQ(i, std::numeric_limits<int32_t>::min());
  EXPECT_FALSE(parse_int("", i));
  EXPECT_FALSE(parse_int("-", i));

  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case kCases[] = {
      {"2", true, 2.0},        {"1.5E3", true, 1500.0}, {"-.25", true, -0.25}, {"5.", true, 5.0},
      {"1.5d-2", true, 0.015}, {"1.5+3", true, 1500.0}, {"+3e+1", true, 30.0}, {".", false, 0},
      {"E5", false, 0},        {"1e", false, 0},        {"abc", false, 0},     {"1.2.3", false, 0},
      {"nan", false, 0},       {"inf", false, 0},       {"1e999", false, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    double d = -99;
    float f = -99;
    EXPECT_EQ(parse_double(c.text, d), c.ok);
    if (c.ok) {
      EXPECT_EQ(d, c.value);
    }
    EXPECT_EQ(parse_float(c.text, f), c.ok);
    if (c.ok) {
      EXPECT_EQ(f, static_cast<float>(c.value));
    }
  }
}

TEST(Parsers, FloatsAreReadDirectlyAtSinglePrecision) {
  // 1.00000005960464477539 lies exactly halfway between two floats when read via a double
  // rounded first; a direct conversion rounds the full decimal value.
  float f = 0;
  ASSERT_TRUE(parse_float("1.000000059604644775390625001", f));
  EXPECT_EQ(f, std::nextafter(1.0f, 2.0f));
}

TEST(FreeReader, ReadsValuesAcrossLinesAndIgnoresTheRest) {
  StringLineSource src("1 2.5\n 3, 4 extra\n5\n");
  FreeReader reader(src);
  int32_t a = 0, d = 0, e = 0;
  float b = 0;
  double c = 0;
  EXPECT_EQ(reader.read(a, b, c, d), ReadStatus::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2.5f);
  EXPECT_EQ(c, 3.0);
  EXPECT_EQ(d, 4);
  EXPECT_EQ(reader.read(e), ReadStatus::ok);  // a new record starts at the next line
  EXPECT_EQ(e, 5);
  EXPECT_EQ(reader.read(e), ReadStatus::end);
}

TEST(FreeReader, NullValuesSlashesAndRepeatCounts) {
  StringLineSource src("7,,9\n1 /\n3*2.0\n2*,5\n");
  FreeReader reader(src);
  int32_t a = -1, b = -1, c = -1;
  EXPECT_EQ(reader.read(a, b, c), ReadStatus::ok);
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, 9);
  a = b = c = -1;
  EXPECT_EQ(reader.read(a, b, c), ReadStatus::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, -1);
  double x = 0, y = 0, z = 0;
  EXPECT_EQ(reader.read(x, y, z), ReadStatus::ok);
  EXPECT_EQ(x, 2.0);
  EXPECT_EQ(z, 2.0);
  x = y = z = -1;
  EXPECT_EQ(reader.read(x, y, z), ReadStatus::ok);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(z, 5.0);
}

TEST(FreeReader, ReportsUnreadableValuesAndTheEnd) {
  StringLineSource src("1 x 3\n4\n");
  FreeReader reader(src);
  int32_t a = 0, b = 0, c = 0;
  EXPECT_EQ(reader.read(a, b, c), ReadStatus::bad);
  EXPECT_EQ(reader.read(a, b), ReadStatus::end);
  EXPECT_EQ(a, 4);
  StringLineSource empty("");
  FreeReader none(empty);
  EXPECT_EQ(none.read(a), ReadStatus::end);
}

TEST(FreeReader, DropsCarriageReturns) {
  StringLineSource src("12\r\n");
  FreeReader reader(src);
  int32_t a = 0;
  EXPECT_EQ(reader.read(a), ReadStatus::ok);
  EXPECT_EQ(a, 12);
}

TEST(CaptureOutput, CollectsWhatIsWritten) {
  CaptureOutput capture;
  put(" #PROMPT : ");
  put_line("x");
  EXPECT_EQ(capture.text(), " #PROMPT : x\n");
}

}  // namespace
}  // namespace fts::textio
