// inputs_test: sections, the mask, the solar selection, typed sites, calibration and line files.
#include "fit/inputs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fts/ftscalib.hpp"
#include "fts/textio.hpp"

namespace fit {
namespace {

using fts::textio::StringLineSource;

constexpr std::array<double, 5> kIdentity = {1.0, 0.0, 0.0, 0.0, 0.0};

// ---------------------------------------------------------------------------------------------
// Sections.

// A spectrum header whose points lie at 1000 + 0.25 (i - 1) cm-1, POINTS of them.
fts::Header axis_header(int32_t points, int32_t rep = 0) {
  fts::Header h;
  h(fts::QQDKND) = 1;
  h(fts::QQDREP) = rep;
  h(fts::QQSSUN) = 1;
  h(fts::QQSSMP) = 1000000;  // 1e-4 cm per count
  h(fts::QQSTSZ) = 40000;    // bin 1/(40000 * 1e-4) = 0.25 cm-1
  h(fts::QQSSLP) = 1;
  h(fts::QQSOFF) = 4000;
  h(fts::QQSLEN) = points;
  return h;
}

TEST(Section, CountsThePointsAndElementsALoadWouldBring) {
  const Section s = section_of(axis_header(10000), 1010.1, 1020.0);
  ASSERT_TRUE(s.defined);
  EXPECT_EQ(s.SMP, 0.25);
  EXPECT_EQ(s.W1P, 1010.0);
  EXPECT_EQ(s.W2P, 1020.0);
  EXPECT_EQ(s.points, 41);
  EXPECT_EQ(s.elements, 41);
  EXPECT_EQ(section_of(axis_header(10000, 2), 1010.1, 1020.0).elements, 82);
  // Two points short of a whole half-point: the nearest points, halves away from zero.
  EXPECT_EQ(section_of(axis_header(10000), 1010.125, 1010.125).W1P, 1010.25);
}

TEST(Section, IsUndefinedWithoutASamplingInterval) {
  fts::Header unknown = axis_header(100);
  unknown(fts::QQSSUN) = 9;
  EXPECT_FALSE(section_of(unknown, 1000.0, 1010.0).defined);
  fts::Header zero = axis_header(100);
  zero(fts::QQSSLP) = 0;
  EXPECT_FALSE(section_of(zero, 1000.0, 1010.0).defined);
}

// ---------------------------------------------------------------------------------------------
// Mask.

TEST(Mask, MasksPointsInsideTheIntervalsReachedInOrder) {
  struct Case {
    const char* name;
    const char* mask;
    std::vector<int> masked;  // masked grid points, w = 1 .. 10
  };
  const Case kCases[] = {
      {"ends included", "2 3\n5 5\n", {2, 3, 5}},
      {"an interval below the point is passed over",
       "2 3\n5 5\n4 4.5\n8 20\n",
       {2, 3, 5, 8, 9, 10}},
      {"intervals on several lines and separated by commas", "2,\n3\n6, 7\n", {2, 3, 6, 7}},
      {"an unreadable line ends masking", "2 3\nnot numbers\n8 9\n", {2, 3}},
      {"an interval below the grid", "-5 0.5\n", {}},
      {"an empty file", "", {}},
  };
  std::vector<double> W;
  for (int i = 1; i <= 10; ++i) W.push_back(i);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    StringLineSource mask(c.mask);
    std::vector<float> r(10, -1.0f);
    const int32_t masked = response_on_grid(W, &mask, nullptr, r);
    EXPECT_EQ(masked, static_cast<int32_t>(c.masked.size()));
    for (int i = 1; i <= 10; ++i) {
      const bool in = std::find(c.masked.begin(), c.masked.end(), i) != c.masked.end();
      EXPECT_EQ(r[static_cast<std::size_t>(i - 1)], in ? 0.0f : 1.0f) << "point " << i;
    }
  }
  std::vector<float> r(10);
  EXPECT_EQ(response_on_grid(W, nullptr, nullptr, r), 0);
  EXPECT_EQ(r, std::vector<float>(10, 1.0f));
}

// ---------------------------------------------------------------------------------------------
// Solar spectra.

TEST(SolarSelection, FollowsTheKeysOfTheSunAngle) {
  struct Case {
    const char* name;
    std::vector<int32_t> keys;
    int32_t angle;
    int32_t previous;
    int32_t expected;
  };
  const std::vector<int32_t> k4 = {3600, 0, -3600, -7200};
  const Case kCases[] = {
      {"below the smallest key", k4, -8000, 2, 4},
      {"above the largest key", k4, 4000, 3, 1},
      {"at the smallest key", k4, -7200, 1, 4},
      {"at a key inside", k4, 0, 1, 2},
      {"nearer the upper key", k4, -1000, 4, 2},
      {"nearer the lower key", k4, -3000, 1, 3},
      {"half way: the upper key", k4, -1800, 4, 2},
      {"at the largest key: the previous selection", k4, 3600, 3, 3},
      {"at the largest key, none before: the nearest key", k4, 3600, 0, 1},
      {"a selection beyond the spectra: the nearest key", k4, 3600, 9, 1},
      {"keys not decreasing: the previous selection", {0, 3600}, 1000, 2, 2},
      {"keys not decreasing, none before: the nearest key", {0, 3600}, 1000, 0, 1},
      {"a later bracketing pair wins", {100, 0, 100, 0}, 50, 0, 3},
      {"one spectrum", {500}, 500, 0, 1},
      {"keys far apart", {2147483647, -2147483647 - 1}, 0, 0, 1},
      {"no spectra", {}, 0, 0, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(select_solar(c.angle, c.keys, c.previous), c.expected);
  }
}

TEST(SolarSite, TypedValuesBecomeWholeUnitsCutTowardZero) {
  EXPECT_EQ(whole_units(-10.3f, 3600.0f), -37079);
  EXPECT_EQ(whole_units(10.3f, 3600.0f), 37080);
  EXPECT_EQ(whole_units(-0.0001f, 3600.0f), 0);
  EXPECT_EQ(whole_units(1234.6f, 1.0f), 1235);
  EXPECT_EQ(whole_units(-1234.6f, 1.0f), -1234);
  EXPECT_EQ(whole_units(1e30f, 3600.0f), 2147483520);
  EXPECT_EQ(whole_units(-1e30f, 3600.0f), -2147483647 - 1);
}

// ---------------------------------------------------------------------------------------------
// Calibration and line files.

TEST(Calibration, ReadsUpToFiveCoefficients) {
  struct Case {
    const char* text;
    std::array<double, 5> expected;
  };
  const Case kCases[] = {
      {"1.0001 2e-3\n", {1.0001, 2e-3, 0.0, 0.0, 0.0}},
      {"1.5\n\n2\n3 4 5 6 7\n", {1.5, 2.0, 3.0, 4.0, 5.0}},
      {"1.5 x 3\n", {1.5, 0.0, 0.0, 0.0, 0.0}},
      {"1.5,,7\n", {1.5, 0.0, 7.0, 0.0, 0.0}},
      {"", {1.0, 0.0, 0.0, 0.0, 0.0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    StringLineSource source(c.text);
    std::array<double, 5> coef = {1.0, 0.0, 0.0, 0.0, 0.0};
    read_calibration(source, coef);
    EXPECT_EQ(coef, c.expected);
  }
}

TEST(LineTable, KeepsLinesOfNonZeroStrengthWithTermValuesOfTheChosenState) {
  const std::string text =
      "6000.5  100.0  10.0  2.0  1 1\n"
      "6001.0  150.0  12.5  0.0  2 2\n"
      "6001.5  230.0  30.0  4.0  3 3\n"
      "6002.0  1e5    1e5   6.0  4.5 4\n"  // field 5 is no integer: reading ends
      "6002.5  300.0  40.0  8.0  5 5\n";
  const std::array<double, 5> c = {1.001, 0.0, 0.0, 0.0, 0.0};
  for (const bool initial : {true, false}) {
    SCOPED_TRACE(initial ? "initial" : "final");
    StringLineSource source(text);
    LineTable t;
    t.initial_state = initial;
    read_line_table(source, c, t);
    ASSERT_EQ(t.NORMAL.L, 2);
    EXPECT_EQ(t.position[0], fts::SLDWV(c, 6000.5));
    EXPECT_EQ(t.position[1], fts::SLDWV(c, 6001.5));
    EXPECT_EQ(t.NORMAL.E[0], 0.0f);
    EXPECT_EQ(t.NORMAL.E[1], initial ? 130.0f : 20.0f);
    EXPECT_EQ(t.NORMAL.S[0], 2.0f / 3.0f);  // strengths divided by their mean, 3
    EXPECT_EQ(t.NORMAL.S[1], 4.0f / 3.0f);
  }
}

TEST(LineTable, ReadsAtMost2000RecordsZeroStrengthsIncluded) {
  std::string text;
  for (int j = 0; j < 2500; ++j) {
    text += std::to_string(5000 + j) + " 0 " + std::to_string(j) + (j % 10 == 0 ? " 0" : " 1") +
            " 0 0\n";
  }
  StringLineSource source(text);
  LineTable t;
  read_line_table(source, kIdentity, t);
  EXPECT_EQ(t.NORMAL.L, 1800);
  EXPECT_EQ(t.position[1799], 6999.0);
  EXPECT_EQ(t.NORMAL.E[0], 0.0f);  // the first accepted line, record 2
  EXPECT_EQ(t.NORMAL.E[1], 1.0f);
}

TEST(LineTable, IsEmptyWhenNoLineHasStrength) {
  StringLineSource source("6000 1 2 0 0 0\n6001 1 2 0 0 0\n");
  LineTable t;
  t.NORMAL.L = 7;
  read_line_table(source, kIdentity, t);
  EXPECT_EQ(t.NORMAL.L, 0);
}

}  // namespace
}  // namespace fit
