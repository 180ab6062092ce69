// Tests of the apodisation windows and their line shapes: accuracy against the Bessel form of
// the windows, the closed form and the numerical transform of the line shapes, edge values, and
// the committed window tables against their generator.
#include "fts/ftswtapd.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "fts_testing/run.hpp"

namespace {

using Function = float (*)(float);

constexpr double kFit = 2e-7;  // accuracy of the cubic pieces of the Kaiser-Bessel windows
constexpr double kLastPlace = 0.5 * 5.9604645e-8;  // rounding of a result just below 1 to 32 bits
constexpr double kFloat = 3e-7;  // a few units in the last place of a 32-bit result, relative
// Relative accuracy of a line shape in 32-bit arithmetic: the rounding of its argument, up to
// beta^2 = 222, grows by sqrt(Z)/2 through sinh.
constexpr double kLine = 1e-6;
// Near pi X = beta the rounding of pi X to 32 bits moves Z = beta^2 - (pi X)^2 by up to about
// 2 beta ulp(pi X), and the line shape by a sixth of that.
constexpr double kEdge = 5e-6;

struct Window {
  Function window;
  Function line;
  double beta;   // Kaiser-Bessel parameter as stored (32-bit)
  float inv_i0;  // stored 1/I0(beta)
};
const Window kWindows[] = {
    {fts::R4APD1, fts::R4WND1, 4.499914f, 0.057208735f},
    {fts::R4APD2, fts::R4WND2, 7.2839975f, 0.004558417f},
    {fts::R4APD3, fts::R4WND3, 9.892699f, 0.00039319f},
    {fts::R4APD4, fts::R4WND4, 12.42304f, 3.5187084e-05f},
    {fts::R4APD5, fts::R4WND5, 14.9079685f, 3.217937e-06f},
};

// The Kaiser-Bessel window from the standard library's I0.
double bessel_window(double beta, double x) {
  return std::cyl_bessel_i(0.0, beta * std::sqrt(1.0 - x * x)) / std::cyl_bessel_i(0.0, beta);
}

// sinh(sqrt z)/sqrt z, sin(sqrt -z)/sqrt -z, in 64 bits.
double kb(double z) {
  if (z > 0) return std::sinh(std::sqrt(z)) / std::sqrt(z);
  if (z < 0) return std::sin(std::sqrt(-z)) / std::sqrt(-z);
  return 1.0;
}

// 1/2 integral over -1..1 of WINDOW(x) cos(pi X x) dx by Simpson's rule on 4000 intervals.
double transform(Function window, double X) {
  constexpr int kIntervals = 4000;
  const double h = 1.0 / kIntervals;
  double sum = 0.0;
  for (int i = 0; i <= kIntervals; ++i) {
    const double x = i * h;
    const double weight = (i == 0 || i == kIntervals) ? 1.0 : (i % 2 ? 4.0 : 2.0);
    sum += weight * window(static_cast<float>(x)) * std::cos(std::numbers::pi * X * x);
  }
  return sum * h / 3.0;
}

}  // namespace

TEST(Windows, BoxcarIsOneInsideAndZeroOutside) {
  struct Case {
    float x;
    float want;
  };
  constexpr Case kCases[] = {{0.0f, 1.0f}, {1.0f, 1.0f},       {-1.0f, 1.0f},
                             {0.3f, 1.0f}, {1.0000001f, 0.0f}, {-2.0f, 0.0f}};
  for (const Case& c : kCases) EXPECT_EQ(fts::R4APD0(c.x), c.want) << c.x;
}

TEST(Windows, KaiserBesselWindowsMatchTheBesselFormWithinTheFitAccuracy) {
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(testing::Message() << "window " << k + 1);
    const Window& w = kWindows[k];
    double worst = 0.0;
    for (int i = 0; i < 200000; ++i) {
      const float x = static_cast<float>(i / 200000.0);
      const double want = bessel_window(w.beta, x);
      worst = std::max(worst, std::fabs(w.window(x) - want));
      ASSERT_EQ(w.window(-x), w.window(x)) << x;
    }
    EXPECT_LE(worst, kFit + kLastPlace);
  }
}

TEST(Windows, KaiserBesselWindowsKeepTheirEdgeValueToJustBeyondOne) {
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(testing::Message() << "window " << k + 1);
    const Window& w = kWindows[k];
    EXPECT_NEAR(w.window(0.0f), 1.0, kFit);
    EXPECT_EQ(w.window(1.0f), w.inv_i0);
    EXPECT_EQ(w.window(-1.0f), w.inv_i0);
    EXPECT_EQ(w.window(1.02f), w.inv_i0);
    EXPECT_EQ(w.window(std::nextafter(1.03125f, 0.0f)), w.inv_i0);
    EXPECT_EQ(w.window(1.03125f), 0.0f);
    EXPECT_EQ(w.window(1.04f), 0.0f);
    EXPECT_EQ(w.window(1e30f), 0.0f);
    EXPECT_EQ(w.window(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(w.window(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    // The last piece ends on the edge value.
    EXPECT_NEAR(w.window(std::nextafter(1.0f, 0.0f)), w.inv_i0, kFit);
  }
}

TEST(Windows, StoredParametersAgreeWithTheirDefinitions) {
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(testing::Message() << "window " << k + 1);
    const Window& w = kWindows[k];
    EXPECT_NEAR(w.beta / std::sinh(w.beta) * std::pow(10.0, k + 1), 1.0, 1e-6);
    EXPECT_NEAR(w.inv_i0 * std::cyl_bessel_i(0.0, w.beta), 1.0, kFloat);
  }
}

TEST(LineShapes, KbwindFollowsItsClosedFormsAndBridgesZeroBySeries) {
  constexpr float kArguments[] = {1e-5f, -1e-5f, 2e-5f, -2e-5f, 1e-6f,  -1e-6f, 0.0f,
                                  0.5f,  -0.5f,  20.0f, -20.0f, 222.0f, -500.0f};
  for (float z : kArguments) {
    EXPECT_NEAR(fts::KBWIND(z), kb(z), kLine * std::fabs(kb(z))) << z;
  }
  EXPECT_FLOAT_EQ(fts::KBWIND(1e-5f), 1.0000017f);
  EXPECT_FLOAT_EQ(fts::KBWIND(-1e-5f), 0.9999983f);
  EXPECT_EQ(fts::KBWIND(0.0f), 1.0f);
  EXPECT_EQ(fts::KBWIND(-std::numeric_limits<float>::infinity()), 0.0f);
}

TEST(LineShapes, BoxcarLineShapeIsTheSincFunction) {
  EXPECT_EQ(fts::R4WND0(0.0f), 1.0f);
  EXPECT_NEAR(fts::R4WND0(1.0f), 0.0, 1e-7);
  EXPECT_NEAR(fts::R4WND0(0.5f), 2.0 / std::numbers::pi, 1e-6);
  for (float x = -6.0f; x <= 6.0f; x += 0.0625f) {
    const double want = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
    EXPECT_NEAR(fts::R4WND0(x), want, 2e-7) << x;
    EXPECT_NEAR(fts::R4WND0(x), transform(fts::R4APD0, x), 1e-6) << x;
  }
  EXPECT_TRUE(std::isfinite(fts::R4WND0(1e30f)));
}

TEST(LineShapes, KaiserBesselLineShapesFollowTheirClosedForm) {
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(testing::Message() << "window " << k + 1);
    const Window& w = kWindows[k];
    const double height = std::sinh(w.beta) / w.beta * w.inv_i0;
    EXPECT_NEAR(w.line(0.0f), height, kFloat * height);
    // Across the change of branch at pi X = beta the line shape is continuous.
    const float edge = static_cast<float>(w.beta / std::numbers::pi);
    EXPECT_NEAR(w.line(edge), w.inv_i0, kEdge * w.inv_i0);
    for (float x = edge - 0.01f; x < edge + 0.01f; x += 0.0005f) {
      const double want = kb((w.beta - std::numbers::pi * x) * (w.beta + std::numbers::pi * x));
      EXPECT_NEAR(w.line(x), want * w.inv_i0, kEdge * w.inv_i0) << x;
    }
    for (float x = -10.0f; x <= 10.0f; x += 0.03125f) {
      const double s = std::numbers::pi * x;
      EXPECT_NEAR(w.line(x), kb((w.beta - s) * (w.beta + s)) * w.inv_i0, kLine * height) << x;
    }
    EXPECT_EQ(w.line(std::numeric_limits<float>::infinity()), 0.0f);
  }
}

TEST(LineShapes, AreTheTransformsOfTheirWindows) {
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(testing::Message() << "window " << k + 1);
    const Window& w = kWindows[k];
    for (float x = 0.0f; x <= 8.0f; x += 0.125f) {
      EXPECT_NEAR(w.line(x), transform(w.window, x), 1e-6) << x;
    }
  }
}

TEST(WindowTables, AreWhatTheGeneratorWrites) {
  fts::testing::TempDir dir;
  const auto run = fts::testing::run_program(fts::testing::program("gen_windows"), "", dir.path());
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_TRUE(fts::testing::same_lines(
      fts::testing::read_file(fts::testing::source_path("fts/numerics/src/ftswtapd_tables.inc")),
      run.output));
}
