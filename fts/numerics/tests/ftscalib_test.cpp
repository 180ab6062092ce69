// ftscalib_test: high-pass filter, blackbody radiance and wavenumber scale, checked independently.
#include "fts/ftscalib.hpp"

#include <gtest/gtest.h>
#include <unistd.h>
#include "fts_testing/stops.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace fts {
namespace {

constexpr double kFloatRel = 1.2e-7;  // 32-bit result: one unit in the last place, relative
constexpr double kDoubleRel = 1e-14;  // 64-bit polynomial: a few roundings, relative
constexpr double kLoose = 1e-4;       // physical constants known to 5 or 6 digits
constexpr double kResponse = 0.002;   // filter gain measured on a finite record

using fts::testing::log_to_stderr;

// ---------------------------------------------------------------------------------------------
// HPBUTT.

// The filter written out of place: each section makes a new array from the previous one, with
// the backward sections run on a reversed copy.
std::vector<float> reference_filter(std::vector<float> x, int32_t order, float tc) {
  const float pi = 3.1415927f;
  const float wc = std::tan(pi / tc);
  const int32_t np = order / 2;
  for (int32_t section = 0; section < np; ++section) {
    const int32_t k = 2 * section + 1;
    const float s = std::sin(static_cast<float>(k) * (pi / static_cast<float>(4 * np)));
    const float e = 1.0f / (1.0f + wc * (2.0f * s + wc));
    const float g = 2.0f * (wc * wc - 1.0f) * e;
    const float h = (1.0f + wc * (wc - 2.0f * s)) * e;
    const bool backwards = section % 2 == 1;
    if (backwards) std::reverse(x.begin(), x.end());
    std::vector<float> y(x.size());
    for (std::size_t n = 0; n < x.size(); ++n) {
      const float x1 = n >= 1 ? x[n - 1] : x[0];
      const float x2 = n >= 2 ? x[n - 2] : x[0];
      const float y1 = n >= 1 ? y[n - 1] : 0.0f;
      const float y2 = n >= 2 ? y[n - 2] : 0.0f;
      y[n] = e * (x[n] - 2.0f * x1 + x2) - g * y1 - h * y2;
    }
    if (backwards) std::reverse(y.begin(), y.end());
    x = y;
  }
  return x;
}

// Least-squares fit of c0 + c1 t + a sin(2 pi f t) + b cos(2 pi f t) to y(lo..hi-1), t = n:
// returns (c0, c1, amplitude).
std::array<double, 3> fit_line_and_sinusoid(const std::vector<float>& y, double f, int lo, int hi) {
  // Normal equations for the four functions, solved by Gaussian elimination.
  double g[4][5] = {};
  for (int n = lo; n < hi; ++n) {
    const double t = n;
    const double phi[4] = {1, t, std::sin(2 * std::numbers::pi * f * t),
                           std::cos(2 * std::numbers::pi * f * t)};
    for (int p = 0; p < 4; ++p) {
      for (int q = 0; q < 4; ++q) g[p][q] += phi[p] * phi[q];
      g[p][4] += phi[p] * y[static_cast<std::size_t>(n)];
    }
  }
  for (int c = 0; c < 4; ++c) {
    for (int r = c + 1; r < 4; ++r) {
      const double m = g[r][c] / g[c][c];
      for (int k = c; k < 5; ++k) g[r][k] -= m * g[c][k];
    }
  }
  double x[4];
  for (int r = 3; r >= 0; --r) {
    double s = g[r][4];
    for (int k = r + 1; k < 4; ++k) s -= g[r][k] * x[k];
    x[r] = s / g[r][r];
  }
  return {x[0], x[1], std::hypot(x[2], x[3])};
}

TEST(HPBUTT, RoundsTheOrderToAMultipleOfFourAndWritesItBack) {
  struct Case {
    int32_t order, used;
  };
  constexpr Case kCases[] = {
      {0, 0}, {1, 0},   {2, 4},   {3, 4},  {4, 4},  {5, 4},   {6, 8},
      {9, 8}, {10, 12}, {13, 12}, {-1, 0}, {-3, 0}, {-6, -4}, {2147483647, 2147483644}};
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << "NORDER " << k.order);
    std::vector<float> data = {1, 2, 3};
    int32_t order = k.order;
    HPBUTT(data, 0, 20, order);  // no samples: only the order is worked out
    EXPECT_EQ(order, k.used);
    int32_t again = order;
    HPBUTT(data, 0, 20, again);
    EXPECT_EQ(again, order) << "the rounding is idempotent";
  }
}

TEST(HPBUTT, LeavesTheDataAloneBelowOrderFour) {
  for (const int32_t wanted : {1, 0, -4}) {
    std::vector<float> data = {1, -2, 5, 7};
    int32_t order = wanted;
    HPBUTT(data, 4, 10, order);
    EXPECT_EQ(data, (std::vector<float>{1, -2, 5, 7})) << wanted;
  }
}

TEST(HPBUTT, RunsItsSectionsAlternatelyForwardsAndBackwards) {
  std::vector<float> data(300);
  for (std::size_t n = 0; n < data.size(); ++n) {
    const auto t = static_cast<double>(n);
    data[n] = static_cast<float>(std::sin(0.37 * t) + 0.002 * t * t);
  }
  for (const int32_t wanted : {3, 8, 12}) {
    SCOPED_TRACE(::testing::Message() << "NORDER " << wanted);
    std::vector<float> filtered = data;
    int32_t order = wanted;
    HPBUTT(filtered, static_cast<int32_t>(filtered.size()), 25, order);
    const std::vector<float> expected = reference_filter(data, order, 25);
    EXPECT_EQ(filtered, expected);
    EXPECT_EQ(filtered.back(), 0.0f);  // the last pass is backwards and starts there
  }
}

TEST(HPBUTT, TurnsAConstantIntoZeros) {
  std::vector<float> data(64, 3.25f);
  int32_t order = 8;
  HPBUTT(data, 64, 16, order);
  EXPECT_EQ(data, std::vector<float>(64, 0.0f));
}

TEST(HPBUTT, SetsASingleSampleToZero) {
  std::vector<float> data = {42, 7};
  int32_t order = 4;
  HPBUTT(data, 1, 16, order);
  EXPECT_EQ(data, (std::vector<float>{0, 7}));  // samples beyond NPTS are not touched
}

TEST(HPBUTT, HasTheButterworthGainAtEveryFrequency) {
  // |H(f)|^2 = 1 / (1 + (tan(pi/TC) / tan(pi f))^(2 NORDER)): 1/sqrt(2) at the cut-off 1/TC.
  struct Case {
    int32_t order;
    double ratio;  // frequency over cut-off
  };
  constexpr Case kCases[] = {{4, 1}, {8, 1}, {4, 0.5}, {4, 2}, {8, 2}, {4, 4}, {8, 0.7}};
  constexpr int kPoints = 4096;
  constexpr float kTc = 40;
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << "order " << k.order << ", f/fc " << k.ratio);
    const double f = k.ratio / kTc;
    std::vector<float> data(kPoints);
    for (int n = 0; n < kPoints; ++n) {
      data[static_cast<std::size_t>(n)] =
          static_cast<float>(std::sin(2 * std::numbers::pi * f * n + 0.3));
    }
    int32_t order = k.order;
    HPBUTT(data, kPoints, kTc, order);
    const double ratio = std::tan(std::numbers::pi / kTc) / std::tan(std::numbers::pi * f);
    const double gain = 1 / std::sqrt(1 + std::pow(ratio, 2 * k.order));
    const auto fit = fit_line_and_sinusoid(data, f, kPoints / 4, 3 * kPoints / 4);
    EXPECT_NEAR(fit[2], gain, kResponse);
  }
}

TEST(HPBUTT, RemovesASlowRampUnderAFastSinusoid) {
  constexpr int kPoints = 2048;
  std::vector<float> data(kPoints);
  for (int n = 0; n < kPoints; ++n) {
    data[static_cast<std::size_t>(n)] =
        static_cast<float>(0.01 * n + 5 + std::sin(2 * std::numbers::pi * n / 8));
  }
  int32_t order = 4;
  HPBUTT(data, kPoints, 64, order);
  const auto fit = fit_line_and_sinusoid(data, 1.0 / 8, kPoints / 4, 3 * kPoints / 4);
  EXPECT_NEAR(fit[0], 0.0, kResponse);            // level
  EXPECT_NEAR(fit[1] * kPoints, 0.0, kResponse);  // slope over the record
  EXPECT_NEAR(fit[2], 1.0, kResponse);            // the sinusoid passes
}

TEST(HPBUTTDeathTest, StopsWhenNptsExceedsTheArray) {
  const auto call = [] {
    std::vector<float> data(10);
    int32_t order = 4;
    HPBUTT(data, 11, 5, order);
  };
  EXPECT_EXIT(
      {
        log_to_stderr();
        call();
      },
      ::testing::ExitedWithCode(0), "^ #HPBUTT   01> - ARRAY SHORTER THAN NPTS\n#ERROR\n$");
}

// ---------------------------------------------------------------------------------------------
// BBPHOT and BBWATT.

// Planck's law in 64 bits with the system's 32-bit constants, e^x - 1 from expm1.
constexpr double kC2 = 1.438786f;
constexpr double kTwoC = 5.995849e+10f;
constexpr double kTwoHc2 = 1.191062e-12f;
double planck_photons(double nu, double t) {
  return kTwoC * nu * nu / std::expm1(kC2 * nu / t);
}
double planck_watts(double nu, double t) {
  return kTwoHc2 * nu * nu * nu / std::expm1(kC2 * nu / t);
}

TEST(BBPHOT, FollowsPlancksLaw) {
  struct Case {
    double nu;
    float t;
  };
  constexpr Case kCases[] = {{1000, 300}, {6000, 1000}, {16000, 5800}, {20000, 1000},
                             {100, 3000}, {10, 3000},   {1, 300},      {0.5, 77}};
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << "nu " << k.nu << ", T " << k.t);
    const double photons = planck_photons(k.nu, k.t);
    const double watts = planck_watts(k.nu, k.t);
    EXPECT_NEAR(BBPHOT(k.nu, k.t), photons, kFloatRel * photons);
    EXPECT_NEAR(BBWATT(k.nu, k.t), watts, kFloatRel * watts);
  }
}

TEST(BBPHOT, IsZeroAtZeroTemperature) {
  EXPECT_EQ(BBPHOT(1000, 0), 0.0f);
  EXPECT_EQ(BBWATT(1000, 0), 0.0f);
}

TEST(BBPHOT, AgreesAcrossTheSwitchToTheSeries) {
  // x = c2 nu / T at 0.03 (series) and one 32-bit step above it (exponential).
  constexpr float kT = 300;
  const double at = 0.03 * kT / kC2;
  const double above = at * (0.0300000012 / 0.03);
  ASSERT_LE(static_cast<float>(kC2 * at / kT), 0.03f);
  ASSERT_GT(static_cast<float>(kC2 * above / kT), 0.03f);
  for (const double nu : {at, above}) {
    SCOPED_TRACE(::testing::Message() << "nu " << nu);
    EXPECT_NEAR(BBPHOT(nu, kT), planck_photons(nu, kT), kFloatRel * planck_photons(nu, kT));
    EXPECT_NEAR(BBWATT(nu, kT), planck_watts(nu, kT), kFloatRel * planck_watts(nu, kT));
  }
  EXPECT_NEAR(BBWATT(above, kT), BBWATT(at, kT), 2 * kFloatRel * BBWATT(at, kT));
}

TEST(BBWATT, MatchesTheRadianceFromTheSiConstants) {
  // h, c and k of the SI (exact since 2019), in W, cm and K.
  constexpr double kH = 6.62607015e-34, kC = 2.99792458e10, kK = 1.380649e-23;
  for (const double nu : {500.0, 1000.0, 3000.0, 6000.0}) {
    const double t = 1000;
    const double expected = 2 * kH * kC * kC * nu * nu * nu / std::expm1(kH * kC * nu / (kK * t));
    EXPECT_NEAR(BBWATT(nu, 1000), expected, kLoose * expected) << nu;
    EXPECT_NEAR(BBPHOT(nu, 1000), expected / (kH * kC * nu), kLoose * expected / (kH * kC * nu))
        << nu;
  }
}

// ---------------------------------------------------------------------------------------------
// SLDWV, SLDWVD, TRUWV, TRUWVD.

constexpr std::array<double, 5> kIdentity = {1, 0, 0, 0, 0};
// A dispersion in which every term moves the slide scale near 6000 cm-1.
constexpr std::array<double, 5> kDispersion = {1.0002, 3600, 2.16e10, 2.3e-13, 2.57e-21};

double slide_direct(const std::array<double, 5>& c, double w) {
  return c[0] * w + c[1] / w + c[2] / (w * w * w) + c[3] * w * w * w + c[4] * std::pow(w, 5);
}
double slope_direct(const std::array<double, 5>& c, double w) {
  return c[0] - c[1] / (w * w) - 3 * c[2] / std::pow(w, 4) + 3 * c[3] * w * w +
         5 * c[4] * std::pow(w, 4);
}

TEST(SLDWV, IsTheIdentityForUnitDispersion) {
  for (const double w : {1.0, 1234.5, 6000.0, -3.0}) EXPECT_EQ(SLDWV(kIdentity, w), w);
}

TEST(SLDWV, EvaluatesTheDispersionPolynomial) {
  for (const double w : {4000.0, 5500.0, 6000.0, 7300.0, 9000.0}) {
    SCOPED_TRACE(::testing::Message() << "w " << w);
    const double s = slide_direct(kDispersion, w);
    EXPECT_NEAR(SLDWV(kDispersion, w), s, kDoubleRel * s);
    const double d = slope_direct(kDispersion, w);
    EXPECT_NEAR(SLDWVD(kDispersion, w), d, kDoubleRel * d);
    const double h = 1e-2;
    const double numeric = (SLDWV(kDispersion, w + h) - SLDWV(kDispersion, w - h)) / (2 * h);
    EXPECT_NEAR(SLDWVD(kDispersion, w), numeric, 1e-9 * d);
  }
}

TEST(TRUWV, InvertsTheSlideScale) {
  for (const double w : {4000.0, 5500.0, 6000.0, 7300.0, 9000.0}) {
    SCOPED_TRACE(::testing::Message() << "w " << w);
    const double s = SLDWV(kDispersion, w);
    EXPECT_NEAR(TRUWV(kDispersion, s), w, 1e-10 * w);
    EXPECT_NEAR(SLDWV(kDispersion, TRUWV(kDispersion, s)), s, 1e-10 * s);
  }
}

TEST(TRUWV, ReturnsAPositiveSlideUnchangedForUnitDispersion) {
  for (const double s : {0.5, 6000.0, 1e6}) EXPECT_EQ(TRUWV(kIdentity, s), s);
}

TEST(TRUWVD, IsTheReciprocalOfTheSlope) {
  for (const double s : {4000.0, 6001.5, 8000.0}) {
    SCOPED_TRACE(::testing::Message() << "s " << s);
    const double w = TRUWV(kDispersion, s);
    EXPECT_NEAR(TRUWVD(kDispersion, s) * SLDWVD(kDispersion, w), 1.0, kDoubleRel);
    const double h = 1e-2;
    const double numeric = (TRUWV(kDispersion, s + h) - TRUWV(kDispersion, s - h)) / (2 * h);
    EXPECT_NEAR(TRUWVD(kDispersion, s), numeric, 1e-8);
  }
  EXPECT_EQ(TRUWVD(kIdentity, 6000), 1.0);
}

TEST(TRUWVDeathTest, StopsTheRunWhenNewtonFails) {
  struct Case {
    const char* what;
    std::array<double, 5> coef;
    double slide;
  };
  const Case kCases[] = {
      {"slide 0", kDispersion, 0},
      {"slide 0, unit dispersion", kIdentity, 0},
      {"negative slide", kIdentity, -6000},
      {"no dispersion at all", {0, 0, 0, 0, 0}, 6000},
  };
  for (const Case& k : kCases) {
    SCOPED_TRACE(k.what);
    const auto call = [&k] { TRUWV(k.coef, k.slide); };
    EXPECT_EXIT(
        {
          log_to_stderr();
          call();
        },
        ::testing::ExitedWithCode(0), "^ #TRUWV  01> - FAILURE TO CONVERGE\n#ERROR\n$");
  }
  const auto derivative = [] { TRUWVD(kIdentity, -6000); };
  EXPECT_EXIT(
      {
        log_to_stderr();
        derivative();
      },
      ::testing::ExitedWithCode(0), "^ #TRUWV  01> - FAILURE TO CONVERGE\n#ERROR\n$");
}

}  // namespace
}  // namespace fts
