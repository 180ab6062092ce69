// Tests of the sampling kernels: single values, cell polynomials, kernel tables, accuracy on
// sinusoids, ramps and constants, and positions near or beyond the ends of the data.
#include "fts/ftssmprm.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

namespace {

using fts::CR4VAL;
using fts::SR4VAL;

constexpr double kExact = 0.0;
constexpr double kRounding = 1e-6;  // two paths to one result that differ only in rounding

// The kernel tables, rows j = 1..8: S c0..c3 then D c0..c3, for orders 0, 1, 2.
constexpr float kRows[3][8][8] = {
    {
        {-6.1849394e-05f, 0.00026652767f, 6.3720756e-05f, -0.0005643483f, -1.0030012e-05f,
         0.0001328559f, -0.0002923232f, -0.00033687937f},
        {0.0005867961f, -0.0026241988f, 0.00024830925f, 0.0034606708f, 5.6478435e-05f,
         -0.001000408f, 0.00273809f, 0.0016115824f},
        {-0.0029631061f, 0.013574105f, -0.0042018294f, -0.010812088f, -7.6353535e-05f,
         0.0035595414f, -0.012233933f, -0.00382995f},
        {0.010535894f, -0.048995614f, 0.02205189f, 0.021587934f, -0.0005788896f, -0.0066648875f,
         0.035041656f, 0.005482741f},
        {-0.029768428f, 0.139316f, -0.07398788f, -0.028191682f, 0.0046771932f, -0.0012491186f,
         -0.069727615f, -0.0046414803f},
        {0.07288926f, -0.33855918f, 0.18261659f, 0.02189056f, -0.022517081f, 0.06805164f,
         0.08940574f, 0.0018466924f},
        {-0.17406595f, 0.7637828f, -0.26830012f, -0.007376142f, 0.10658421f, -0.41273156f,
         -0.056970023f, 0.0f},
        {0.6228473f, -0.52676034f, 0.14151138f, 0.0f, -1.2344422f, 0.93852454f, 0.0f, 0.0f},
    },
    {
        {0.00060692173f, -0.000923179f, 0.0006776778f, -0.000891097f, 7.3636324e-06f,
         -0.00015855567f, 0.0008906763f, -0.0023652264f},
        {-0.005720482f, 0.008455085f, -0.0043838583f, 0.0033956645f, -8.3120576e-05f, 0.0014443491f,
         -0.005001364f, 0.011313683f},
        {0.028725777f, -0.041579045f, 0.01716386f, -0.005777213f, 0.00050857436f, -0.007877928f,
         0.016638016f, -0.0268835f},
        {-0.10153517f, 0.14363283f, -0.052046284f, 0.005457576f, -0.0022545042f, 0.03302355f,
         -0.046672214f, 0.03847903f},
        {0.28444043f, -0.38658884f, 0.12600407f, -0.0022907928f, 0.008316185f, -0.11867672f,
         0.13169861f, -0.03257002f},
        {-0.684167f, 0.84036297f, -0.22575465f, 0.0f, -0.028827183f, 0.40319508f, -0.38409314f,
         0.012956907f},
        {1.5335165f, -1.16597f, 0.2571563f, 0.0f, 0.11557529f, -1.521579f, 0.89780784f, 0.0f},
        {-1.055866f, 0.60260487f, -0.11877549f, 0.0f, -1.2451369f, 3.1525214f, -1.4058245f, 0.0f},
    },
    {
        {0.0006029326f, -0.002524543f, 0.00057027896f, 0.0022570798f, -0.000104312414f,
         -0.00075346546f, 0.0036671695f, -0.0021652924f},
        {-0.005696433f, 0.024081063f, -0.008644546f, -0.013431875f, 0.0016042427f, 0.0030942678f,
         -0.021236252f, 0.004155381f},
        {0.028649125f, -0.121166475f, 0.053575996f, 0.040158946f, -0.011450847f, -0.00050406676f,
         0.07558461f, -0.004298813f},
        {-0.101368785f, 0.4239956f, -0.20658194f, -0.075112306f, 0.05578631f, -0.05213418f,
         -0.18581651f, 0.0028214187f},
        {0.28417465f, -1.1497636f, 0.564056f, 0.090513f, -0.21817863f, 0.32124066f, 0.31600416f,
         0.0f},
        {-0.6838503f, 2.5100198f, -1.0665957f, -0.064953096f, 0.77677226f, -1.2815799f,
         -0.34817898f, 0.0f},
        {1.5332522f, -3.4891374f, 1.2428122f, 0.020589795f, -3.004172f, 3.3184595f, 0.1970821f,
         0.0f},
        {-1.0557626f, 1.8044928f, -0.5791997f, 0.0f, 6.260504f, -5.350443f, 0.0f, 0.0f},
    },
};

// The single-value method written out directly: cell n, offset t, h = t^2 (32-bit), pairs
// (n-8+j, n+9-j), sums E and O from 0 over j = 1..8, combined by order.
float reference_value(const std::vector<float>& x, double pos, int order) {
  const int n = static_cast<int>(pos);
  const double t = pos - n - 0.5;
  auto sample = [&](int k) { return x[static_cast<std::size_t>(k - 1)]; };
  if (order == 0 && t < -0.4999999) return sample(n);
  if (order == 0 && t > 0.4999999) return sample(n + 1);
  const float tf = static_cast<float>(t);
  const float h = tf * tf;
  float e = 0.0f;
  float o = 0.0f;
  for (int j = 1; j <= 8; ++j) {
    const float lower = sample(n - 8 + j);
    const float upper = sample(n + 9 - j);
    const float* c = kRows[order][j - 1];
    e += (lower + upper) * (c[0] + h * (c[1] + h * (c[2] + h * c[3])));
    o += (lower - upper) * (c[4] + h * (c[5] + h * (c[6] + h * c[7])));
  }
  return order == 1 ? e * tf + o : e + tf * o;
}

// Pseudo-random samples in [-1, 1), the same on every run.
std::vector<float> noise(std::size_t n, unsigned seed) {
  std::vector<float> x(n);
  unsigned s = seed;
  for (float& v : x) {
    s = s * 1664525u + 1013904223u;
    v = static_cast<float>(s >> 8) / 8388608.0f - 1.0f;
  }
  return x;
}

float single(const std::vector<float>& x, double pos, int order) {
  return SR4VAL(x, pos, order);
}

}  // namespace

TEST(SingleValues, FollowTheKernelSumsExactly) {
  const auto x = noise(64, 7);
  for (int order = 0; order <= 2; ++order) {
    for (double pos = 10.0; pos < 50.0; pos += 0.173) {
      SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos);
      EXPECT_EQ(single(x, pos, order), reference_value(x, pos, order));
    }
  }
}

TEST(SingleValues, ReturnSamplesExactlyAtAndWithinATenthOfAMillionthOfSamplePositions) {
  const auto x = noise(64, 11);
  constexpr double kPositions[] = {20.0, 20.0 + 0.9e-7, 20.0 - 0.9e-7, 20.0 - 0.2e-7};
  for (double pos : kPositions) {
    SCOPED_TRACE(pos);
    EXPECT_EQ(single(x, pos, 0), x[19]);
  }
  // Half-way between samples 20 and 21: the kernel sum over the pairs around the cell's middle.
  EXPECT_EQ(single(x, 20.5, 0), reference_value(x, 20.5, 0));
  EXPECT_NE(single(x, 20.5, 0), x[19]);
}

TEST(SingleValues, DerivativesNeverSnapToSamples) {
  const auto x = noise(64, 13);
  for (int order = 1; order <= 2; ++order) {
    EXPECT_EQ(single(x, 20.0, order), reference_value(x, 20.0, order));
  }
}

TEST(KernelTables, AreTheOnesTheCellPolynomialsExpose) {
  // A unit impulse at the lower sample of pair j gives a_j = d_j = 1 and all other pairs 0, so
  // the cell polynomials are row j of the kernel (swapped for order 1).
  constexpr int kCell = 20;
  for (int order = 0; order <= 2; ++order) {
    for (int j = 1; j <= 8; ++j) {
      SCOPED_TRACE(testing::Message() << "order " << order << " pair " << j);
      std::vector<float> x(40, 0.0f);
      x[kCell - 8 + j - 1] = 1.0f;
      std::array<float, 4> pe{};
      std::array<float, 4> po{};
      if (order == 0) fts::D0PLR2(x, kCell, pe, po);
      if (order == 1) fts::D1PLR2(x, kCell, pe, po);
      if (order == 2) fts::D2PLR2(x, kCell, pe, po);
      const auto& sums = order == 1 ? po : pe;
      const auto& differences = order == 1 ? pe : po;
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sums[i], kRows[order][j - 1][i]);
        EXPECT_EQ(differences[i], kRows[order][j - 1][4 + i]);
      }
    }
  }
}

TEST(KernelTables, ReproduceAConstantFromTheirSumColumn) {
  float sum = 0.0f;
  for (const auto& row : kRows[0]) sum += row[0];
  EXPECT_NEAR(sum, 0.5, 1e-7);
}

TEST(Interpolation, ReproducesSinusoidsOfPeriodFourSamplesOrLonger) {
  struct Case {
    double period;
    double phase;
  };
  constexpr Case kCases[] = {{4.0, 0.3}, {4.0, 1.1},  {5.0, 0.0},
                             {8.0, 2.0}, {16.0, 0.7}, {64.0, 0.2}};
  // Worst errors for amplitude 1 by derivative order: the kernel's accuracy and 32-bit rounding.
  constexpr double kTolerance[3] = {1.5e-6, 5e-6, 1.5e-5};
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "period " << c.period << " phase " << c.phase);
    const double w = 2.0 * std::numbers::pi / c.period;
    std::vector<float> x(100);
    for (int k = 1; k <= 100; ++k) x[k - 1] = static_cast<float>(std::sin(w * k + c.phase));
    for (double pos = 10.0; pos < 90.0; pos += 0.0137) {
      const double a = w * pos + c.phase;
      EXPECT_NEAR(single(x, pos, 0), std::sin(a), kTolerance[0]) << pos;
      EXPECT_NEAR(single(x, pos, 1), w * std::cos(a), kTolerance[1]) << pos;
      EXPECT_NEAR(single(x, pos, 2), -w * w * std::sin(a), kTolerance[2]) << pos;
    }
  }
}

TEST(Interpolation, GivesTheSlopeOfARampAndNoCurvature) {
  std::vector<float> x(60);
  for (int k = 1; k <= 60; ++k) x[k - 1] = static_cast<float>(k);
  for (double pos = 20.0; pos < 21.0; pos += 0.001) {
    SCOPED_TRACE(pos);
    EXPECT_NEAR(single(x, pos, 0), pos, 1e-5);
    EXPECT_NEAR(single(x, pos, 1), 1.0, 2e-5);
    EXPECT_NEAR(single(x, pos, 2), 0.0, 5e-5);
  }
}

TEST(Interpolation, GivesAConstantAndNearZeroDerivativesOnAConstantArray) {
  constexpr float kLevels[] = {1.0f, -3.0f, 1000.0f};
  for (float level : kLevels) {
    SCOPED_TRACE(level);
    const std::vector<float> x(40, level);
    const double scale = std::fabs(level);
    for (double pos = 10.0; pos < 30.0; pos += 0.0371) {
      // The kernel reproduces a constant to about 1e-7; 32-bit sums add a few units in the last
      // place.
      EXPECT_NEAR(single(x, pos, 0), level, 5e-7 * scale) << pos;
      EXPECT_NEAR(single(x, pos, 1), 0.0, 1e-6 * scale) << pos;
      EXPECT_NEAR(single(x, pos, 2), 0.0, 3e-6 * scale) << pos;
    }
  }
}

TEST(Interpolation, GivesZeroForADerivativeOrderOtherThanZeroOneOrTwo) {
  const auto x = noise(40, 3);
  const auto z = noise(80, 3);
  for (int order : {-1, 3, 100}) {
    SCOPED_TRACE(order);
    EXPECT_EQ(SR4VAL(x, 20.3, order), 0.0f);
    EXPECT_EQ(CR4VAL(z, 20.3, order), std::complex<float>(0.0f, 0.0f));
  }
}

TEST(ComplexInterpolation, TreatsRealAndImaginaryPartsSeparately) {
  const auto re = noise(40, 21);
  const auto im = noise(40, 22);
  std::vector<float> both(80);
  std::vector<float> real_only(80, 0.0f);
  for (std::size_t k = 0; k < 40; ++k) {
    both[2 * k] = re[k];
    both[2 * k + 1] = im[k];
    real_only[2 * k] = re[k];
  }
  for (int order = 0; order <= 2; ++order) {
    for (double pos = 10.0; pos < 30.0; pos += 0.29) {
      SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos);
      const std::complex<float> v = CR4VAL(both, pos, order);
      EXPECT_EQ(v.real(), SR4VAL(re, pos, order));
      EXPECT_EQ(v.imag(), SR4VAL(im, pos, order));
      EXPECT_EQ(CR4VAL(real_only, pos, order), std::complex<float>(SR4VAL(re, pos, order), 0.0f));
    }
  }
}

TEST(CellPolynomials, AgreeWithSingleValuesUpToRounding) {
  const auto x = noise(64, 5);
  std::vector<float> z(128);
  for (std::size_t k = 0; k < 64; ++k) {
    z[2 * k] = x[k];
    z[2 * k + 1] = -0.5f * x[63 - k];
  }
  for (int order = 0; order <= 2; ++order) {
    for (int cell = 10; cell < 50; cell += 7) {
      std::array<float, 4> pe{};
      std::array<float, 4> po{};
      std::array<std::complex<float>, 4> cpe{};
      std::array<std::complex<float>, 4> cpo{};
      if (order == 0) fts::D0PLR2(x, cell, pe, po), fts::D0PLC2(z, cell, cpe, cpo);
      if (order == 1) fts::D1PLR2(x, cell, pe, po), fts::D1PLC2(z, cell, cpe, cpo);
      if (order == 2) fts::D2PLR2(x, cell, pe, po), fts::D2PLC2(z, cell, cpe, cpo);
      for (double f = 0.01; f < 1.0; f += 0.049) {
        const double pos = cell + f;
        SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos);
        EXPECT_NEAR(fts::PLVLR2(pe, po, pos), SR4VAL(x, pos, order), kRounding);
        const std::complex<float> v = fts::PLVLC2(cpe, cpo, pos);
        const std::complex<float> want = CR4VAL(z, pos, order);
        EXPECT_NEAR(v.real(), want.real(), kRounding);
        EXPECT_NEAR(v.imag(), want.imag(), kRounding);
      }
    }
  }
}

TEST(CellPolynomials, DoNotSnapOntoSamplesButComeWithinTheKernelAccuracy) {
  const auto x = noise(64, 9);
  std::array<float, 4> pe{};
  std::array<float, 4> po{};
  fts::D0PLR2(x, 20, pe, po);
  const float at_sample = fts::PLVLR2(pe, po, 20.0);
  EXPECT_NE(at_sample, x[19]);
  EXPECT_NEAR(at_sample, x[19], 2e-4);
}

TEST(DataEnds, CountSamplesOutsideTheArrayAsZero) {
  // The same 30 samples alone and with 20 zeros on each side.
  const auto x = noise(30, 17);
  std::vector<float> padded(70, 0.0f);
  std::copy(x.begin(), x.end(), padded.begin() + 20);
  std::vector<float> z(60);
  std::vector<float> zpadded(140, 0.0f);
  for (std::size_t k = 0; k < 30; ++k) {
    z[2 * k] = x[k];
    z[2 * k + 1] = x[29 - k];
    zpadded[2 * (k + 20)] = x[k];
    zpadded[2 * (k + 20) + 1] = x[29 - k];
  }
  constexpr double kPositions[] = {0.5, 1.0, 3.3, 7.9, 8.0, 22.6, 23.0, 29.9, 31.2, 40.0};
  for (int order = 0; order <= 2; ++order) {
    for (double pos : kPositions) {
      SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos);
      EXPECT_EQ(SR4VAL(x, pos, order), SR4VAL(padded, pos + 20, order));
      EXPECT_EQ(CR4VAL(z, pos, order), CR4VAL(zpadded, pos + 20, order));
    }
    std::array<float, 4> pe{};
    std::array<float, 4> po{};
    std::array<float, 4> ppe{};
    std::array<float, 4> ppo{};
    fts::D0PLR2(x, 2, pe, po);
    fts::D0PLR2(padded, 22, ppe, ppo);
    EXPECT_EQ(pe, ppe);
    EXPECT_EQ(po, ppo);
  }
}

TEST(DataEnds, FarPositionsGiveZeroAndPositionsThatAreNotFiniteGiveNotANumber) {
  const auto x = noise(40, 19);
  const auto z = noise(80, 19);
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kFar[] = {1e12, -1e12, 3e9 + 0.25, -40.0};
  constexpr double kNotFinite[] = {kInf, -kInf, std::numeric_limits<double>::quiet_NaN()};
  for (int order = 0; order <= 2; ++order) {
    for (double pos : kFar) {
      SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos);
      EXPECT_EQ(SR4VAL(x, pos, order), 0.0f);
      EXPECT_EQ(CR4VAL(z, pos, order), std::complex<float>(0.0f, 0.0f));
    }
    for (double pos : kNotFinite) {
      SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos);
      EXPECT_TRUE(std::isnan(SR4VAL(x, pos, order)));
      EXPECT_TRUE(std::isnan(CR4VAL(z, pos, order).real()));
    }
  }
}
