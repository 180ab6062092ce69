// Tests of list resampling: the choice between single values and cell polynomials, abscissa
// scaling of derivatives, complex data, arguments that leave the output untouched.
#include "fts/ftssmutl.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "fts/ftssmprm.hpp"

namespace {

using fts::SAMPLE;

constexpr double kRounding = 1e-6;  // two paths to one result that differ only in rounding

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

// Real data resampled at sample coordinates (XZERO 0, DX 1).
std::vector<float> sample_at(const std::vector<float>& x, const std::vector<double>& pos,
                             int order) {
  std::vector<float> out(pos.size(), -99.0f);
  SAMPLE(x, pos, out, static_cast<int32_t>(pos.size()), 0.0, 1.0, order, 0);
  return out;
}

// The cell-polynomial value of order ORDER at POS, built for POS's cell.
float polynomial_value(const std::vector<float>& x, double pos, int order) {
  std::array<float, 4> pe{};
  std::array<float, 4> po{};
  const int32_t cell = fts::sample_cell(pos);
  if (order == 0) fts::D0PLR2(x, cell, pe, po);
  if (order == 1) fts::D1PLR2(x, cell, pe, po);
  if (order == 2) fts::D2PLR2(x, cell, pe, po);
  return fts::PLVLR2(pe, po, pos);
}

}  // namespace

TEST(Resampling, UsesSingleValuesWhenEveryCellHoldsOnePoint) {
  const auto x = noise(80, 1);
  std::vector<double> pos;
  for (double p = 10.25; p < 70.0; p += 1.0) pos.push_back(p);
  pos.push_back(20.0);  // on a sample: order 0 snaps
  for (int order = 0; order <= 2; ++order) {
    const auto out = sample_at(x, pos, order);
    for (std::size_t i = 0; i < pos.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos[i]);
      EXPECT_EQ(out[i], fts::SR4VAL(x, pos[i], order));
    }
  }
}

TEST(Resampling, SwitchesToCellPolynomialsWhileCellsHoldSeveralPoints) {
  // Each point with the method expected for it: V single value, P cell polynomial.
  struct Point {
    double pos;
    char method;
  };
  constexpr Point kPoints[] = {
      {20.3, 'V'}, {21.4, 'V'}, {22.9, 'V'},  // one point per cell
      {30.1, 'V'}, {30.0, 'P'}, {30.7, 'P'},  // the second point of a cell on (30.0: no snap)
      {31.2, 'P'},                            // the cell after a cell with three points
      {32.5, 'V'},                            // a single point after a single point
      {40.5, 'V'}, {40.6, 'P'},               // two points in a cell, out of order
      {33.0, 'P'}, {33.3, 'P'},               // a new cell after a cell with two points
      {20.0, 'P'},                            // the same again (20.0: no snap)
      {50.5, 'V'},                            // a single point after a single point
  };
  const auto x = noise(80, 2);
  std::vector<double> pos;
  for (const Point& p : kPoints) pos.push_back(p.pos);
  for (int order = 0; order <= 2; ++order) {
    const auto out = sample_at(x, pos, order);
    for (std::size_t i = 0; i < pos.size(); ++i) {
      SCOPED_TRACE(testing::Message()
                   << "order " << order << " point " << i + 1 << " at " << pos[i]);
      const float want = kPoints[i].method == 'V' ? fts::SR4VAL(x, pos[i], order)
                                                  : polynomial_value(x, pos[i], order);
      EXPECT_EQ(out[i], want);
    }
  }
}

TEST(Resampling, WithSeveralPointsPerCellEqualsSingleValuesUpToRounding) {
  // A sinusoid of period 4.5 samples on abscissae x = XZERO + k DX, resampled 5 times finer.
  constexpr double kXzero = 1000.0;
  constexpr double kDx = 0.125;
  const double w = 2.0 * std::numbers::pi / 4.5;
  std::vector<float> data(120);
  for (int k = 1; k <= 120; ++k) data[k - 1] = static_cast<float>(std::cos(w * k));
  std::vector<double> xout;
  for (double f = 10.0; f < 110.0; f += 0.2) xout.push_back(kXzero + f * kDx);
  std::vector<float> out(xout.size());
  SAMPLE(data, xout, out, static_cast<int32_t>(xout.size()), kXzero, kDx, 0, 0);
  for (std::size_t i = 0; i < xout.size(); ++i) {
    const double f = (xout[i] - kXzero) * (1.0 / kDx);
    SCOPED_TRACE(f);
    EXPECT_NEAR(out[i], fts::SR4VAL(data, f, 0), kRounding);
    EXPECT_NEAR(out[i], std::cos(w * f), 1.5e-6);
  }
}

TEST(Resampling, ScalesDerivativesToAbscissaUnits) {
  const auto x = noise(80, 3);
  struct Case {
    int order;
    double dx;
    float factor;  // 1/DX or 1/DX^2
  };
  constexpr Case kCases[] = {{0, 0.5, 1.0f}, {1, 0.5, 2.0f}, {2, 0.5, 4.0f}, {1, 2.0, 0.5f}};
  constexpr double kXzero = -3.0;
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "order " << c.order << " DX " << c.dx);
    std::vector<double> xout;
    std::vector<double> pos;
    for (double f = 15.3; f < 60.0; f += 1.7) {
      pos.push_back(f);
      xout.push_back(kXzero + f * c.dx);
    }
    std::vector<float> out(xout.size());
    SAMPLE(x, xout, out, static_cast<int32_t>(xout.size()), kXzero, c.dx, c.order, 0);
    for (std::size_t i = 0; i < pos.size(); ++i) {
      EXPECT_EQ(out[i], fts::SR4VAL(x, pos[i], c.order) * c.factor) << pos[i];
    }
  }
}

TEST(Resampling, OfComplexDataFollowsTheComplexRoutines) {
  const auto z = noise(160, 4);
  const std::vector<double> pos = {20.3, 21.4, 30.1, 30.6, 30.9, 31.2, 35.5};
  for (int order = 0; order <= 2; ++order) {
    std::vector<float> out(2 * pos.size());
    SAMPLE(z, pos, out, static_cast<int32_t>(pos.size()), 0.0, 1.0, order, 1);
    std::vector<float> out_d(2 * pos.size());
    if (order == 0) fts::D0SMC2(z, pos, out_d, static_cast<int32_t>(pos.size()), 0.0, 1.0);
    if (order == 1) fts::D1SMC2(z, pos, out_d, static_cast<int32_t>(pos.size()), 0.0, 1.0);
    if (order == 2) fts::D2SMC2(z, pos, out_d, static_cast<int32_t>(pos.size()), 0.0, 1.0);
    EXPECT_EQ(out, out_d);
    for (std::size_t i = 0; i < pos.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "order " << order << " at " << pos[i]);
      const std::complex<float> want = fts::CR4VAL(z, pos[i], order);
      const double tolerance = i < 3 ? 0.0 : kRounding;  // the first three are single values
      EXPECT_NEAR(out[2 * i], want.real(), tolerance);
      EXPECT_NEAR(out[2 * i + 1], want.imag(), tolerance);
    }
  }
}

TEST(Resampling, LeavesTheOutputUntouchedForArgumentsItCannotHonour) {
  const auto x = noise(80, 5);
  const std::vector<double> xout = {20.5, 21.5, 22.5};
  struct Case {
    const char* what;
    int32_t nout;
    int32_t ideriv;
    int32_t icmplx;
  };
  constexpr Case kCases[] = {
      {"derivative order 3", 3, 3, 0},
      {"derivative order -1", 3, -1, 0},
      {"data kind 2", 3, 0, 2},
      {"no points", 0, 0, 0},
      {"a negative count", -5, 0, 0},
      {"more points than abscissae", 4, 0, 0},
      {"more complex points than the output holds", 2, 0, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<float> out(3, -99.0f);
    SAMPLE(x, xout, out, c.nout, 0.0, 1.0, c.ideriv, c.icmplx);
    EXPECT_EQ(out, std::vector<float>(3, -99.0f));
  }
}

TEST(Resampling, BuildsFreshPolynomialsOnEveryCallEvenInCellZero) {
  // Two points in cell 0, below the data, need the polynomials of cell 0 (samples 1..8 count,
  // the rest are 0), never those of an earlier call or of nothing at all.
  const auto a = noise(40, 6);
  const auto b = noise(40, 7);
  const std::vector<double> pos = {0.2, 0.7, 20.2, 20.4};
  const auto first = sample_at(a, pos, 0);
  const auto second = sample_at(b, pos, 0);
  EXPECT_EQ(first[1], polynomial_value(a, 0.7, 0));
  EXPECT_EQ(second[1], polynomial_value(b, 0.7, 0));
  EXPECT_EQ(second[3], polynomial_value(b, 20.4, 0));
  EXPECT_EQ(sample_at(a, pos, 0), first);
}

TEST(Resampling, WithZeroSpacingGivesNotANumberRatherThanFailing) {
  const auto x = noise(40, 8);
  const std::vector<double> xout = {20.5, 20.5, 21.0};
  for (int order = 0; order <= 2; ++order) {
    std::vector<float> out(3, 0.0f);
    SAMPLE(x, xout, out, 3, 20.5, 0.0, order, 0);
    for (float v : out) EXPECT_TRUE(std::isnan(v)) << "order " << order;
  }
}
