// Tests of the forward model's line shapes: values of the closed forms, the stored 1/I0(beta),
// continuity where the argument changes sign, unit area, and agreement with the scan library's
// own 32-bit line shape of a spectrum header.
#include "fts_forward/line_shape.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fts/ftshdutl.hpp"
#include "fts/ftsuser1.hpp"
#include "fts_forward/scans.hpp"

namespace {

namespace fw = fts::forward;

constexpr double kClose = 1e-12;   // double evaluation of a closed form
constexpr double kStored = 1e-6;   // relative: the library's 1/I0(beta), stored to 5-8 digits
constexpr double kArea = 1e-4;     // truncated sums of the slowly decaying boxcar tails
constexpr double kLibrary = 2e-6;  // relative to the peak: the library's 32-bit line shape

// The library's stored 1/I0(beta) of windows 1 to 5.
constexpr double kInverseI0[] = {0.057208735, 0.004558417, 0.00039319, 3.5187084e-05, 3.217937e-06};

}  // namespace

TEST(LineShape, ClosedFormValues) {
  struct Case {
    int32_t window;
    double x;
    double want;
  };
  const double b1 = fw::kaiser_bessel_beta(1);
  const Case kCases[] = {
      {0, 0.0, 1.0},
      {0, 0.5, 2.0 / std::numbers::pi},
      {0, -0.5, 2.0 / std::numbers::pi},
      {0, 1.0, 0.0},
      {0, 2.5, 1.0 / (2.5 * std::numbers::pi)},
      {1, 0.0, std::sinh(b1) / b1 * fw::inverse_i0(1)},
      {1, b1 / std::numbers::pi, fw::inverse_i0(1)},  // the argument is 0: the series value 1
      {6, 0.0, 0.0},                                  // no such window
      {-1, 0.0, 0.0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << "window " << c.window << " at " << c.x);
    EXPECT_NEAR(fw::line_shape(c.window, c.x), c.want, kClose);
  }
}

TEST(LineShape, InverseI0MatchesTheStoredConstantsAndTheHeightAtTheCentre) {
  for (int32_t k = 1; k < fw::kWindowCount; ++k) {
    SCOPED_TRACE(k);
    const double inv = kInverseI0[k - 1];
    EXPECT_NEAR(fw::inverse_i0(k) / inv, 1.0, kStored);
    // beta/sinh(beta) = 10^-k, so the height at the centre is 10^k/I0(beta).
    const double b = fw::kaiser_bessel_beta(k);
    EXPECT_NEAR(b / std::sinh(b) * std::pow(10.0, k), 1.0, 1e-6);
  }
  EXPECT_EQ(fw::inverse_i0(0), 1.0);
}

TEST(LineShape, IsContinuousWhereTheArgumentChangesSign) {
  for (int32_t k = 1; k < fw::kWindowCount; ++k) {
    SCOPED_TRACE(k);
    const double x0 = fw::kaiser_bessel_beta(k) / std::numbers::pi;
    for (double dx : {1e-10, 1e-8, 1e-7, 1e-5}) {
      const double below = fw::line_shape(k, x0 - dx);
      const double above = fw::line_shape(k, x0 + dx);
      // The slope there is -(pi^2 x0/3) / I0(beta) per unit of X.
      const double slope = -std::numbers::pi * std::numbers::pi * x0 / 3.0 * fw::inverse_i0(k);
      EXPECT_NEAR(above - below, 2 * dx * slope, 1e-3 * std::fabs(2 * dx * slope) + 1e-15);
    }
  }
}

TEST(LineShape, EveryWindowDrawsALineOfUnitArea) {
  // The line shape is band-limited (the transform of a window of finite width), so sampled at
  // half a resolution element its sum times the step is its integral, up to the truncated tails.
  constexpr double kRes = 0.8;
  constexpr double kStep = 0.5 * kRes;
  constexpr int kHalf = 20000;
  for (int32_t k = 0; k < fw::kWindowCount; ++k) {
    SCOPED_TRACE(k);
    double area = 0;
    for (int i = -kHalf; i <= kHalf; ++i)
      area += fw::instrument_line_shape(k, kRes, (i + 0.25) * kStep) * kStep;
    EXPECT_NEAR(area, 1.0, kArea);
    EXPECT_NEAR(fw::instrument_line_shape(k, kRes, 0.0), fw::line_shape(k, 0.0) / kRes, kClose);
  }
}

TEST(LineShape, AgreesWithTheScanLibraryForAHeaderOfEachWindow) {
  fw::Axis axis;
  ASSERT_TRUE(fw::make_axis(6000.0, 6100.0, 0.25, 0.7, 0, 16, axis));
  for (int32_t k = 0; k < fw::kWindowCount; ++k) {
    SCOPED_TRACE(k);
    axis.window = k;
    fts::Header hdr;
    fw::put_axis(hdr, axis);
    const double res = fw::axis_resolution(axis);
    const double peak = fw::instrument_line_shape(k, res, 0.0);
    for (double offset = -12.0; offset <= 12.0; offset += 0.137) {
      SCOPED_TRACE(offset);
      EXPECT_NEAR(fw::instrument_line_shape(k, res, offset), fts::SPTAPV(hdr, offset),
                  kLibrary * peak);
    }
  }
}
