// ftssums_test: the split 64-bit sums, the vector builds against the element-by-element
// reference bit for bit, and the partial sums and their order of combination.
#include "fts/ftssums.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "fts/detail/wide.hpp"

namespace fts::split {
namespace {

uint64_t bits(double v) {
  return std::bit_cast<uint64_t>(v);
}

// Repeatable random reals spread over many orders of magnitude and both signs, with a few zeros
// of both signs, so that the order of the additions shows in the last bits.
std::vector<float> random_reals(std::mt19937_64& rng, std::size_t n) {
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::uniform_int_distribution<int> pick(0, 40);
  std::vector<float> v(n);
  for (float& x : v) {
    const int k = pick(rng);
    x = k == 0   ? 0.0f
        : k == 1 ? -0.0f
                 : static_cast<float>(std::ldexp(mantissa(rng), exponent(rng)));
  }
  return v;
}

TEST(SplitSums, VectorBuildsEqualTheReferenceBitForBit) {
  // Lengths around the multiples of 16 and of the vector widths, up to a full fit range; starts
  // at every offset from an aligned address; increments 1 (vector build) and larger (reference).
  std::mt19937_64 rng(20240613);
  const std::vector<float> x = random_reals(rng, 4096 * 3 + 64);
  const std::vector<float> y = random_reals(rng, 4096 * 3 + 64);
  std::vector<int32_t> lengths = {-1, 0,  1,  2,  3,  7,   8,    9,    15,
                                  16, 17, 31, 32, 33, 100, 1000, 4095, 4096};
  for (const int32_t n : lengths) {
    for (int32_t start = 0; start < 16; start += 3) {
      SCOPED_TRACE(testing::Message() << "n " << n << " start " << start);
      const float* xs = x.data() + start;
      const float* ys = y.data() + 2 * start + 1;
      EXPECT_EQ(bits(dot(xs, 1, ys, 1, n)), bits(dot_reference(xs, 1, ys, 1, n)));
      EXPECT_EQ(bits(squares(xs, 1, n)), bits(squares_reference(xs, 1, n)));
      for (const float s : {1.0f, 0.37f, 1.0e-20f}) {
        EXPECT_EQ(bits(scaled_squares(xs, 1, n, s)), bits(scaled_squares_reference(xs, 1, n, s)));
      }
      if (n <= 4096) {
        EXPECT_EQ(bits(dot(xs, 3, ys, 2, n)), bits(dot_reference(xs, 3, ys, 2, n)));
        EXPECT_EQ(bits(squares(xs, 3, n)), bits(squares_reference(xs, 3, n)));
      }
    }
  }
  std::printf("vector build in use: %s\n", detail::wide_build());
}

TEST(SplitSums, TermsGoToTheirPartialSumsCombinedInTheFixedOrder) {
  // 35 terms: partial sum k holds terms k, k+16 and k+32, each sum from +0 in element order.
  std::mt19937_64 rng(7);
  const std::vector<float> x = random_reals(rng, 35);
  const std::vector<float> y = random_reals(rng, 35);
  double p[16] = {};
  for (std::size_t i = 0; i < x.size(); ++i) {
    p[i % 16] = p[i % 16] + static_cast<double>(x[i]) * static_cast<double>(y[i]);
  }
  double q[8];
  for (int k = 0; k < 8; ++k) q[k] = p[k] + p[k + 8];
  const double r0 = q[0] + q[4], r1 = q[1] + q[5], r2 = q[2] + q[6], r3 = q[3] + q[7];
  const double expected = (r0 + r2) + (r1 + r3);
  EXPECT_EQ(bits(dot(x.data(), 1, y.data(), 1, 35)), bits(expected));
}

TEST(SplitSums, ShortSumsAndSpecialValues) {
  const std::vector<float> a = {3.0f, 4.0f};
  EXPECT_EQ(squares(a.data(), 1, 2), 25.0);
  EXPECT_EQ(squares(a.data(), 1, 0), 0.0);
  EXPECT_FALSE(std::signbit(squares(a.data(), 1, 0)));  // the empty sum is +0
  EXPECT_EQ(scaled_squares(a.data(), 1, 2, 0.5f), 6.25);
  // Products beyond the float range are exact in 64 bits; an infinity or a NaN carries through.
  const float big = std::numeric_limits<float>::max();
  std::vector<float> v(40, 1.0f);
  v[5] = big;
  EXPECT_EQ(squares(v.data(), 1, 40), 39.0 + static_cast<double>(big) * big);
  v[33] = std::numeric_limits<float>::infinity();
  EXPECT_TRUE(std::isinf(squares(v.data(), 1, 40)));
  v[20] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(dot(v.data(), 1, a.data(), 0, 40)));
}

}  // namespace
}  // namespace fts::split
