// model_test: populations and normalisations, gain correction, coefficient lists and columns.
#include "fit/model.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "fts/ftscalib.hpp"
#include "fts/ftsuser1.hpp"

namespace fit {
namespace {

constexpr float kExact = 0.0f;

Normal normal_of(const std::vector<float>& E, const std::vector<float>& S) {
  Normal n;
  n.L = static_cast<int32_t>(E.size());
  for (std::size_t j = 0; j < E.size(); ++j) {
    n.E[j] = E[j];
    n.S[j] = S[j];
  }
  return n;
}

// ---------------------------------------------------------------------------------------------
// NORMA.

TEST(Norma, ZeroTfacGivesUnitPopulationsAndPlainSums) {
  const Normal n = normal_of({0.0f, 10.0f, 25.5f}, {1.0f, 0.5f, 2.0f});
  std::vector<float> P(3);
  float N1 = 0, N2 = 0;
  NORMA(n, N1, N2, P, 0.0f);
  EXPECT_EQ(P, (std::vector<float>{1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(N1, 3.5f);
  EXPECT_EQ(N2, 56.0f);
}

TEST(Norma, LinesBeyondTheExponentLimitDropOut) {
  // -TFAC E: 88 keeps its line at exp(88), 88.5 drops it.
  const Normal n = normal_of({0.0f, 88.0f, 88.5f}, {1.0f, 1.0f, 1.0f});
  std::vector<float> P(3);
  float N1 = 0, N2 = 0;
  NORMA(n, N1, N2, P, -1.0f);
  EXPECT_EQ(P[0], 1.0f);
  EXPECT_EQ(P[1], static_cast<float>(std::exp(88.0)));
  EXPECT_GT(P[1], 1.6e38f);
  EXPECT_EQ(P[2], 0.0f);
  EXPECT_EQ(N1, static_cast<float>(1.0 + static_cast<double>(P[1])));
}

TEST(Norma, ZeroSumsBecomeOne) {
  std::vector<float> P(2);
  float N1 = 0, N2 = 0;
  NORMA(normal_of({0.0f, 5.0f}, {0.0f, 0.0f}), N1, N2, P, 0.01f);
  EXPECT_EQ(N1, 1.0f);
  EXPECT_EQ(N2, 1.0f);
  NORMA(Normal{}, N1, N2, P, 0.01f);  // no lines
  EXPECT_EQ(N1, 1.0f);
  EXPECT_EQ(N2, 1.0f);
}

TEST(Norma, SumsAreAccumulatedIn64Bits) {
  // In 32 bits 1e8 + 3 - 1e8 would be 0 (and become 1).
  std::vector<float> P(3);
  float N1 = 0, N2 = 0;
  NORMA(normal_of({0.0f, 0.0f, 0.0f}, {1e8f, 3.0f, -1e8f}), N1, N2, P, 0.0f);
  EXPECT_EQ(N1, 3.0f);
  EXPECT_EQ(N2, 1.0f);  // all term values 0
}

// ---------------------------------------------------------------------------------------------
// RENORM, SCALE, GANSCL.

TEST(Renorm, DividesByTheMeanOfTheNonZeroElements) {
  std::vector<float> a = {0.0f, 2.0f, 4.0f, 0.0f};
  float mean = 0;
  RENORM(a, 4, mean);
  EXPECT_EQ(mean, 3.0f);
  EXPECT_EQ(a, (std::vector<float>{0.0f, 2.0f / 3.0f, 4.0f / 3.0f, 0.0f}));
  std::vector<float> zeros(3, 0.0f);
  RENORM(zeros, 3, mean);
  EXPECT_EQ(mean, 1.0f);
  EXPECT_EQ(zeros, std::vector<float>(3, 0.0f));
}

TEST(Scale, DividesByTheLength) {
  std::vector<float> a = {3.0f, 4.0f, 7.0f};
  float norm = 0;
  SCALE(a, 2, norm);  // the third element is not used
  EXPECT_EQ(norm, 5.0f);
  EXPECT_EQ(a, (std::vector<float>{0.6f, 0.8f, 7.0f}));
  std::vector<float> zeros(2, 0.0f);
  SCALE(zeros, 2, norm);
  EXPECT_EQ(norm, 1.0f);
}

TEST(Ganscl, DividesByTheProductOfTheGains) {
  struct Case {
    int32_t g1, g2, g3;
    float expected;  // 6 divided by the product
  };
  constexpr Case kCases[] = {{2, 0, 3, 1.0f}, {1, 1, 1, 6.0f}, {0, -4, 1, 6.0f}, {3, 1, 1, 2.0f}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.g1 << "," << c.g2 << "," << c.g3);
    fts::Header h;
    h(fts::QQGAN1) = c.g1;
    h(fts::QQGAN2) = c.g2;
    h(fts::QQGAN3) = c.g3;
    std::vector<float> a = {6.0f, 6.0f};
    GANSCL(a, h, 1);
    EXPECT_EQ(a[0], c.expected);
    EXPECT_EQ(a[1], 6.0f);
  }
}

// ---------------------------------------------------------------------------------------------
// Line shape, coefficient lists, columns.

// A spectrum header of window WINDOW and resolution 1/(QQRESL * 316400e-10 cm), about 0.316 cm-1.
fts::Header spectrum_header(int32_t window, int32_t resl = 100000) {
  fts::Header h;
  h(fts::QQDKND) = 1;
  h(fts::QQAPOD) = window;
  h(fts::QQRESL) = resl;
  h(fts::QQISUN) = 1;
  h(fts::QQISMP) = 316400;
  h(fts::QQISLP) = 1;
  return h;
}

TEST(LineShape, IsDefinedOnlyForAKnownWindowAndAPositiveResolution) {
  EXPECT_TRUE(line_shape_defined(spectrum_header(0)));
  EXPECT_TRUE(line_shape_defined(spectrum_header(5)));
  EXPECT_FALSE(line_shape_defined(spectrum_header(6)));
  EXPECT_FALSE(line_shape_defined(spectrum_header(-1)));
  EXPECT_FALSE(line_shape_defined(spectrum_header(3, 0)));
  EXPECT_FALSE(line_shape_defined(spectrum_header(3, -100)));
  fts::Header unknown_unit = spectrum_header(3);
  unknown_unit(fts::QQISUN) = 7;
  EXPECT_FALSE(line_shape_defined(unknown_unit));
}

constexpr std::array<double, 5> kIdentity = {1.0, 0.0, 0.0, 0.0, 0.0};

// A table of lines at POSITIONS (slide = true scale), strength 1, term values 10 j.
LineTable table_of(const std::vector<double>& positions) {
  LineTable t;
  t.NORMAL.L = static_cast<int32_t>(positions.size());
  for (std::size_t j = 0; j < positions.size(); ++j) {
    t.position[j] = positions[j];
    t.NORMAL.S[j] = 1.0f;
    t.NORMAL.E[j] = 10.0f * static_cast<float>(j);
  }
  return t;
}

TEST(CoefficientLists, HoldTheInWindowLinesAndTheFirstLineBeyond) {
  const fts::Header h = spectrum_header(0);
  double HW = 0;
  fts::SPTAPN(h, 1, HW);  // one resolution element
  // The largest and smallest positions whose distance from w = 1000 is still within HW.
  const double w = 1000.0;
  double upper = w + HW;
  while (upper - w > HW) upper = std::nextafter(upper, 0.0);
  double lower = w - HW;
  while (w - lower > HW) lower = std::nextafter(lower, 2000.0);
  const LineTable t = table_of({lower - 1.0, std::nextafter(lower, 0.0), lower, w, upper,
                                std::nextafter(upper, 2000.0), w + 5.0});
  const std::vector<float> P(7, 1.0f);
  const std::vector<double> W = {w, w + 2.0, w + 3.0, w + 10.0};
  std::vector<float> A(W.size());
  CoefficientLists lists;
  lists.build(h, 1, W, t, kIdentity, P, A);

  // Point 1: lines 3, 4, 5 inside, line 6 beyond with coefficient 0.
  EXPECT_EQ(lists.first(1), 3);
  ASSERT_EQ(lists.count(1), 4);
  const auto c1 = lists.coefficients(1);
  EXPECT_EQ(c1[0], fts::SPTAPV(h, lower - w));
  EXPECT_EQ(c1[1], fts::SPTAPV(h, 0.0));
  EXPECT_EQ(c1[2], fts::SPTAPV(h, upper - w));
  EXPECT_EQ(c1[3], 0.0f);
  EXPECT_EQ(A[0], c1[0] + c1[1] + c1[2]);
  // Points 2 and 3: no line within reach; one entry of coefficient 0 for the search start.
  for (int32_t i : {2, 3}) {
    EXPECT_EQ(lists.first(i), 3);
    ASSERT_EQ(lists.count(i), 1);
    EXPECT_EQ(lists.coefficients(i)[0], 0.0f);
    EXPECT_EQ(A[static_cast<std::size_t>(i - 1)], 0.0f);
  }
  // Point 4 lies above every line.
  EXPECT_EQ(lists.count(4), 1);
  EXPECT_EQ(lists.coefficients(4)[0], 0.0f);
}

TEST(CoefficientLists, NameNoLineWhenThereAreNone) {
  const std::vector<double> W = {1000.0, 1000.1};
  std::vector<float> A(2, 5.0f);
  CoefficientLists lists;
  lists.build(spectrum_header(3), 10, W, LineTable{}, kIdentity, std::vector<float>{}, A);
  EXPECT_EQ(lists.count(1), 0);
  EXPECT_EQ(lists.count(2), 0);
  EXPECT_EQ(A, (std::vector<float>{0.0f, 0.0f}));
  std::vector<float> D(2, 5.0f);
  lists.sums({}, {}, A, D);
  EXPECT_EQ(D, (std::vector<float>{0.0f, 0.0f}));
}

TEST(CoefficientLists, CarryStrengthLineShapeAndSlopeOfTheSlideScale) {
  const fts::Header h = spectrum_header(3);
  const std::array<double, 5> c = {1.0, 0.0, 0.0, 2e-12, 0.0};
  LineTable t = table_of({1000.05});
  t.NORMAL.S[0] = 0.75f;
  std::vector<float> A(1);
  CoefficientLists lists;
  lists.build(h, 10, std::vector<double>{1000.0}, t, c, std::vector<float>{2.0f}, A);
  const double J = fts::SLDWVD(c, fts::TRUWV(c, 1000.0));
  EXPECT_GT(J, 1.000005);
  const float expected = static_cast<float>(static_cast<double>(0.75f * fts::SPTAPV(h, 0.05)) * J);
  ASSERT_EQ(lists.count(1), 1);
  EXPECT_EQ(lists.coefficients(1)[0], expected);
  EXPECT_EQ(A[0], expected * 2.0f);
}

TEST(CoefficientLists, SumsAddEveryTermIn32BitsInListOrder) {
  // Terms far apart in size: the 32-bit running sum loses the small ones that a wider one keeps.
  const fts::Header h = spectrum_header(0);
  LineTable t = table_of({1000.0, 1000.01, 1000.02, 1000.03});
  std::vector<float> A(1);
  CoefficientLists lists;
  lists.build(h, 3, std::vector<double>{1000.015}, t, kIdentity, std::vector<float>(4, 1.0f), A);
  ASSERT_EQ(lists.count(1), 4);
  // Two terms of 0.8 half a unit of the first each: each is lost in 32 bits, their sum is not.
  const auto c = lists.coefficients(1);
  const float half_ulp = (std::nextafter(c[0], 10.0f) - c[0]) / 2.0f;
  const float small = 0.8f * half_ulp / c[1];
  const std::vector<float> P = {1.0f, small, small, 0.0f};
  const std::vector<float> E = {0.0f, 3.0f, 5.0f, 7.0f};
  std::vector<float> sumA(1), sumD(1);
  lists.sums(P, E, sumA, sumD);
  float a = 0.0f, d = 0.0f;
  double wide = 0.0;
  for (std::size_t k = 0; k < 4; ++k) {
    a = a + c[k] * P[k];
    d = d + c[k] * P[k] * E[k];
    wide += static_cast<double>(c[k] * P[k]);
  }
  EXPECT_EQ(sumA[0], a);
  EXPECT_EQ(sumD[0], d);
  EXPECT_NE(sumA[0], static_cast<float>(wide));
}

TEST(CoefficientLists, SumsOfNeighbouringPointsSideBySideEqualThoseOfEachPointBitForBit) {
  // Lines 0.7 apart with term values of both signs, a grid of 4 n + 3 points running past the
  // last line (empty windows, lists of one zero entry), populations of very different sizes.
  const fts::Header h = spectrum_header(3);
  std::vector<double> positions;
  for (int j = 0; j < 60; ++j) positions.push_back(1000.0 + 0.7 * j + 0.01 * (j % 3));
  LineTable t = table_of(positions);
  for (int j = 0; j < 60; ++j) {
    t.NORMAL.E[static_cast<std::size_t>(j)] = 37.5f * static_cast<float>(j - 20);
    t.NORMAL.S[static_cast<std::size_t>(j)] = 1.0f + 0.1f * static_cast<float>(j % 7);
  }
  std::vector<double> W;
  for (int i = 0; i < 203; ++i) W.push_back(995.0 + 0.27 * i);
  for (const float tfac : {0.0079935165f, -0.02f, 0.2f}) {
    SCOPED_TRACE(tfac);
    std::vector<float> P(kMaxRecords);
    float N1 = 0, N2 = 0;
    NORMA(t.NORMAL, N1, N2, P, tfac);
    std::vector<float> A(W.size());
    CoefficientLists lists;
    lists.build(h, 10, W, t, kIdentity, P, A);
    std::vector<float> A1(W.size()), D1(W.size()), A2(W.size(), -1.0f), D2(W.size(), -1.0f);
    lists.sums_by_point(P, t.NORMAL.E, A1, D1);
    lists.sums(P, t.NORMAL.E, A2, D2);
    for (std::size_t i = 0; i < W.size(); ++i) {
      ASSERT_EQ(std::bit_cast<uint32_t>(A1[i]), std::bit_cast<uint32_t>(A2[i])) << "point " << i;
      ASSERT_EQ(std::bit_cast<uint32_t>(D1[i]), std::bit_cast<uint32_t>(D2[i])) << "point " << i;
    }
    EXPECT_NE(A1[100], 0.0f);
  }
}

TEST(CoefficientLists, SumsSideBySideEqualThoseOfEachPointOnRandomListsBitForBit) {
  // Random line tables: clusters of lines (long lists) between empty stretches (lists of one
  // zero entry), term values around 88 so that at TFAC = -1 some lines drop out and the others
  // reach populations up to exp(88) = 1.65E38, whose products overflow to infinities; points
  // spaced unevenly. Every list is summed both ways and compared bit for bit.
  std::mt19937 rng(1302);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const fts::Header h = spectrum_header(3);
  for (int trial = 0; trial < 12; ++trial) {
    SCOPED_TRACE(testing::Message() << "trial " << trial);
    std::vector<double> positions;
    double at = 1000.0;
    while (positions.size() < 300) {
      const bool cluster = unit(rng) < 0.3;
      const int count = cluster ? 5 + static_cast<int>(unit(rng) * 60) : 1;
      for (int k = 0; k < count && positions.size() < 300; ++k) {
        at += cluster ? 0.02 + 0.1 * unit(rng) : 3.0 + 20.0 * unit(rng);
        positions.push_back(at);
      }
    }
    LineTable t = table_of(positions);
    for (std::size_t j = 0; j < positions.size(); ++j) {
      const double pick = unit(rng);
      t.NORMAL.E[j] = pick < 0.4   ? static_cast<float>(85.0 + 6.0 * unit(rng))
                      : pick < 0.5 ? std::nextafter(88.0f, pick < 0.45 ? 0.0f : 100.0f)
                                   : static_cast<float>(-50.0 + 400.0 * unit(rng));
      t.NORMAL.S[j] = static_cast<float>(std::ldexp(unit(rng), static_cast<int>(unit(rng) * 20)));
    }
    std::vector<double> W;
    for (double w = 995.0; w < at + 5.0 && W.size() < kMaxPoints;) {
      W.push_back(w);
      w += 0.05 + 0.5 * unit(rng);
    }
    for (const float tfac : {-1.0f, 0.0079935165f, 0.3f}) {
      std::vector<float> P(kMaxRecords);
      float N1 = 0, N2 = 0;
      NORMA(t.NORMAL, N1, N2, P, tfac);
      std::vector<float> A(W.size());
      CoefficientLists lists;
      lists.build(h, 10, W, t, kIdentity, P, A);
      std::vector<float> A1(W.size()), D1(W.size()), A2(W.size(), -1.0f), D2(W.size(), -1.0f);
      lists.sums_by_point(P, t.NORMAL.E, A1, D1);
      lists.sums(P, t.NORMAL.E, A2, D2);
      for (std::size_t i = 0; i < W.size(); ++i) {
        ASSERT_EQ(std::bit_cast<uint32_t>(A1[i]), std::bit_cast<uint32_t>(A2[i])) << "point " << i;
        ASSERT_EQ(std::bit_cast<uint32_t>(D1[i]), std::bit_cast<uint32_t>(D2[i])) << "point " << i;
      }
    }
  }
}

TEST(Quotient, EqualsTheDivisionBitForBit) {
  // Divisors (not NaN) and dividends over every binade, both signs, subnormals, zeros, infinities
  // and NaNs; quotients that overflow, underflow into the subnormals or round at their boundary.
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float max = std::numeric_limits<float>::max();
  const float tiny = std::numeric_limits<float>::denorm_min();
  std::vector<float> special = {0.0f,  -0.0f,  1.0f,        -1.0f,       3.0f, 0.1f,
                                inf,   -inf,   nan,         max,         -max, tiny,
                                -tiny, 1e-38f, 0.99999994f, 1.00000012f, 7.0f, 1.0f / 3.0f};
  std::mt19937 rng(13);
  std::uniform_int_distribution<uint32_t> any_bits;
  const auto check = [](float x, float d) {
    if (std::isnan(d)) return;  // left to the division
    const float expected = x / d;
    const float got = quotient(x, reciprocal(d));
    ASSERT_EQ(std::bit_cast<uint32_t>(got), std::bit_cast<uint32_t>(expected)) << x << " / " << d;
  };
  for (const float x : special) {
    for (const float d : special) check(x, d);
  }
  for (int k = 0; k < 2000000; ++k) {
    const float x = std::bit_cast<float>(any_bits(rng));
    const float d = std::bit_cast<float>(any_bits(rng));
    check(x, d);
    // Divisors near 1 and near powers of two, where the reciprocal is most nearly exact.
    check(x, std::bit_cast<float>(0x3F800000u + (any_bits(rng) & 0xFFu)));
    check(x, std::bit_cast<float>((any_bits(rng) & 0xFF800000u) | 0x7FFFFFu));
  }
}

TEST(ModelColumns, FollowTheBandDerivativeSolarAndResidualFormulas) {
  const Terms t{2.0f, 0.5f, 4.0f, 12.0f};
  const std::vector<float> A = {8.0f, 4.0f}, D = {16.0f, 2.0f}, r = {0.5f, 0.0f};
  const std::vector<float> y = {10.0f, 3.0f}, s = {6.0f, 6.0f};
  std::vector<float> B(2), DER(2), Q(2), E(2);
  model_columns(t, A, D, r, y, s, B, DER, Q, E);
  EXPECT_EQ(B[0], 1.0f);                           // 0.5 * 8 / 4
  EXPECT_EQ(DER[0], 2.0f * 0.5f * (6.0f - 4.0f));  // BI r ((N2/N1) A/N1 - D/N1)
  EXPECT_EQ(Q[0], 3.0f);
  EXPECT_EQ(E[0], 10.0f - 2.0f - 1.5f);
  EXPECT_EQ(E[1], kExact);  // masked point
  // Without the solar term the residual has no solar part and Q is left alone.
  std::vector<float> Q2 = {-1.0f, -1.0f};
  model_columns(t, A, D, r, y, {}, B, DER, Q2, E);
  EXPECT_EQ(E[0], 8.0f);
  EXPECT_EQ(Q2[0], -1.0f);
}

}  // namespace
}  // namespace fit
