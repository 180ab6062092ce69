// Tests of the scalar math utilities.
#include "fts/ftsmtutl.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace fts {
namespace {

constexpr float kFloat = 2e-6f;

TEST(CeilingAndFloor, HandleNegativeAndWholeValues) {
  EXPECT_EQ(LTOP(2.0f), 2);
  EXPECT_EQ(LTOP(2.1f), 3);
  EXPECT_EQ(LTOP(-1.5f), -1);
  EXPECT_EQ(LBOT(-1.5f), -2);
  EXPECT_EQ(LBOT(-0.5f), -1);
  EXPECT_EQ(LBOT(0.5f), 0);
  EXPECT_EQ(LDBOT(3.0), 3);
  EXPECT_EQ(LDTOP(-3.0), -3);
  EXPECT_EQ(LDTOP(1e30), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(LDBOT(-1e30), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(LDBOT(std::nan("")), 0);
}

TEST(Logarithms, UseTheRoundedNaturalLogOfTwo) {
  EXPECT_EQ(DLOG2(8.0), std::log(8.0) / static_cast<double>(0.6931472f));
  EXPECT_NEAR(DLOG2(8.0), 3.0, 3.0 * 3e-9);
  EXPECT_NE(DLOG2(8.0), 3.0);
  EXPECT_EQ(ALOG2(8.0f), 3.0f);
}

TEST(BinaryExponent, HalvesAndDoublesIntoHalfToOne) {
  struct Case {
    double x;
    int32_t e;
  };
  constexpr Case kCases[] = {{1.0, 1},  {0.75, 0}, {0.5, 0},     {0.25, -1},
                             {-6.0, 3}, {0.0, 0},  {1e300, 997}, {1e-310, -1029}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.x);
    int32_t e = 99;
    SCALDB(c.x, e);
    EXPECT_EQ(e, c.e);
  }
  int32_t e = 99;
  SCALDB(std::numeric_limits<double>::infinity(), e);  // must end, and treat it like 0
  EXPECT_EQ(e, 0);
  SCALR4(3.0f, e);
  EXPECT_EQ(e, 2);
  SCALI4(std::numeric_limits<int32_t>::min(), e);
  EXPECT_EQ(e, 32);
  SCALI2(int16_t{-32768}, e);
  EXPECT_EQ(e, 16);
}

TEST(PowersOfTwo, BracketTheCount) {
  struct Case {
    int32_t n, min, max;
  };
  constexpr Case kCases[] = {
      {5, 3, 2},  {4, 2, 2}, {1, 0, 0},      {0, 0, 0},
      {-3, 2, 1}, {8, 3, 3}, {1025, 11, 10}, {std::numeric_limits<int32_t>::min(), 31, 31}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(MINPW2(c.n), c.min);
    EXPECT_EQ(MAXPW2(c.n), c.max);
  }
}

TEST(Sinc, ValuesAtZeroAndOne) {
  EXPECT_EQ(SINC0(0.0f), 1.0f);
  EXPECT_NEAR(SINC0(1.0f), 0.0f, kFloat);
  EXPECT_EQ(SINC1(0.0f), 0.0f);
  EXPECT_NEAR(SINC2(0.0f), -3.28987f, 1e-5f);
  EXPECT_NEAR(SINC0(0.5f), 2.0f / std::numbers::pi_v<float>, kFloat);
}

// At |pi X| = 0.01 the series and the closed forms meet within 32-bit rounding.
TEST(Sinc, SeriesAndClosedFormsMeetAtTheSwitch) {
  const double pi = std::numbers::pi;
  for (const float x : {0.0031830f, 0.0031831f, 0.0031832f, -0.0031831f}) {
    SCOPED_TRACE(x);
    const double a = x * pi;
    EXPECT_NEAR(SINC0(x), std::sin(a) / a, 1e-6);
    EXPECT_NEAR(SINC1(x), pi * (a * std::cos(a) - std::sin(a)) / (a * a), 2e-4);
    EXPECT_NEAR(SINC2(x), pi * pi * ((2 - a * a) * std::sin(a) - 2 * a * std::cos(a)) / (a * a * a),
                2e-3);
  }
}

TEST(Complex, AmplitudeAndPhase) {
  EXPECT_EQ(AMP({3.0f, 4.0f}), 5.0f);
  EXPECT_EQ(PHZ({0.0f, 0.0f}), 0.0f);
  EXPECT_NEAR(PHZ({-1.0f, 0.0f}), std::numbers::pi_v<float>, kFloat);
  EXPECT_NEAR(PHZ({0.0f, -1.0f}), -std::numbers::pi_v<float> / 2, kFloat);
}

TEST(Folding, DistanceToTheNearestMultiple) {
  struct Case {
    int32_t i, n, d;
  };
  constexpr Case kCases[] = {{7, 10, 3}, {5, 10, 5},  {-3, 10, 3}, {13, 10, 3},
                             {0, 10, 0}, {-7, 10, 3}, {6, 11, 5}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.i);
    EXPECT_EQ(JPLEAT(c.i, c.n), c.d);
  }
}

}  // namespace
}  // namespace fts
