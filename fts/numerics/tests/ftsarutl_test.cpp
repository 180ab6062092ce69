// Unit tests of the array operation families, member by member over the four element types.
#include "fts/ftsarutl.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numeric>
#include <vector>

namespace fts {
namespace {

constexpr double kExact = 0.0;

// The members of each family for one element type, so that one typed test covers all four.
template <class T>
struct Family;
template <>
struct Family<int16_t> {
  static constexpr auto SRFIL = SRFIL0, SRZER = SRZER0, SRADD = SRADD0, SRSUB = SRSUB0;
  static constexpr auto SCFIL = SCFIL0, SCZER = SCZER0, SCADD = SCADD0, SCSUB = SCSUB0;
  static constexpr auto VRMOV = VRMOV0, VCMOV = VCMOV0;
  static constexpr auto MXMN = MXMNI2, NORM = NORMI2;
  static constexpr auto ARROT = ARROT0, ACROT = ACROT0;
};
template <>
struct Family<int32_t> {
  static constexpr auto SRFIL = SRFIL1, SRZER = SRZER1, SRADD = SRADD1, SRSUB = SRSUB1;
  static constexpr auto SCFIL = SCFIL1, SCZER = SCZER1, SCADD = SCADD1, SCSUB = SCSUB1;
  static constexpr auto VRMOV = VRMOV1, VCMOV = VCMOV1;
  static constexpr auto MXMN = MXMNI4, NORM = NORMI4;
  static constexpr auto ARROT = ARROT1, ACROT = ACROT1;
};
template <>
struct Family<float> {
  static constexpr auto SRFIL = SRFIL2, SRZER = SRZER2, SRADD = SRADD2, SRSUB = SRSUB2;
  static constexpr auto SCFIL = SCFIL2, SCZER = SCZER2, SCADD = SCADD2, SCSUB = SCSUB2;
  static constexpr auto VRMOV = VRMOV2, VCMOV = VCMOV2;
  static constexpr auto MXMN = MXMNR4, NORM = NORMR4;
  static constexpr auto ARROT = ARROT2, ACROT = ACROT2;
};
template <>
struct Family<double> {
  static constexpr auto SRFIL = SRFIL3, SRZER = SRZER3, SRADD = SRADD3, SRSUB = SRSUB3;
  static constexpr auto SCFIL = SCFIL3, SCZER = SCZER3, SCADD = SCADD3, SCSUB = SCSUB3;
  static constexpr auto VRMOV = VRMOV3, VCMOV = VCMOV3;
  static constexpr auto MXMN = MXMNR8, NORM = NORMR8;
  static constexpr auto ARROT = ARROT3, ACROT = ACROT3;
};

template <class T>
std::vector<T> iota_vector(int n) {
  std::vector<T> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<T>(i + 1);
  return v;
}

template <class T>
class ArrayFamilyTest : public ::testing::Test {};
using ElementTypes = ::testing::Types<int16_t, int32_t, float, double>;
TYPED_TEST_SUITE(ArrayFamilyTest, ElementTypes);

// Strided ranges over an array of 10 elements, with the elements each one visits.
struct RangeCase {
  int32_t i1, i2, inc;
  std::initializer_list<int32_t> visited;
};
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
const RangeCase kRanges[] = {
    {1, 10, 3, {1, 4, 7, 10}},
    {1, 10, 4, {1, 5, 9}},
    {10, 1, -3, {10, 7, 4, 1}},
    {5, 4, 1, {}},  // empty
    {3, 3, 1, {3}},
    {2, 9, -1, {}},  // runs away from I2
    {1, 10, 0, {}},  // no increment
    {1, 11, 1, {}},  // past the end: nothing
    {0, 4, 1, {}},   // before the start: nothing
    {10, -2, -3, {}},
    {1, 10, 5, {1, 6}},
    {1, 14, 5, {}},  // 1, 6, 11: the last one is outside
    {kMin, kMax, 1, {}},
    {1, kMax, kMax, {1}},  // one element; I2 - I1 + INC overflows 32 bits
    {kMax, kMax, 1, {}},
    {kMax, kMin, kMin, {}},
};

bool visits(const RangeCase& c, int32_t i) {
  return std::find(c.visited.begin(), c.visited.end(), i) != c.visited.end();
}

// ---------------------------------------------------------------------------------------------
// Strided ranges, fills and zeros.

TYPED_TEST(ArrayFamilyTest, FillAndZeroTouchExactlyTheElementsOfTheRange) {
  using T = TypeParam;
  for (const RangeCase& c : kRanges) {
    SCOPED_TRACE(::testing::Message() << c.i1 << ", " << c.i2 << ", " << c.inc);
    std::vector<T> filled(10, T(0));
    Family<T>::SRFIL(filled, c.i1, c.i2, c.inc, T(5));
    std::vector<T> zeroed(10, T(9));
    Family<T>::SRZER(zeroed, c.i1, c.i2, c.inc);
    for (int32_t i = 1; i <= 10; ++i) {
      const size_t k = static_cast<size_t>(i - 1);
      EXPECT_EQ(filled[k], visits(c, i) ? T(5) : T(0)) << "element " << i;
      EXPECT_EQ(zeroed[k], visits(c, i) ? T(0) : T(9)) << "element " << i;
    }
  }
}

TYPED_TEST(ArrayFamilyTest, ComplexFillAndZeroTouchBothPartsOfEachPair) {
  using T = TypeParam;
  struct Case {
    int32_t i1, i2, inc;
    size_t storage;
    std::initializer_list<int32_t> positions;  // storage positions written
  };
  const Case kCases[] = {
      {2, 3, 1, 8, {3, 4, 5, 6}},
      {1, 4, 1, 8, {1, 2, 3, 4, 5, 6, 7, 8}},
      {4, 1, -3, 8, {7, 8, 1, 2}},
      {1, 5, 1, 9, {}},  // complex element 5 would need storage 10
      {3, 2, 1, 8, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.i1 << ", " << c.i2 << ", " << c.inc);
    std::vector<T> filled(c.storage, T(0));
    Family<T>::SCFIL(filled, c.i1, c.i2, c.inc, {T(7), T(8)});
    std::vector<T> zeroed(c.storage, T(9));
    Family<T>::SCZER(zeroed, c.i1, c.i2, c.inc);
    for (int32_t p = 1; p <= static_cast<int32_t>(c.storage); ++p) {
      const size_t k = static_cast<size_t>(p - 1);
      const bool written =
          std::find(c.positions.begin(), c.positions.end(), p) != c.positions.end();
      EXPECT_EQ(filled[k], written ? (p % 2 == 1 ? T(7) : T(8)) : T(0)) << "position " << p;
      EXPECT_EQ(zeroed[k], written ? T(0) : T(9)) << "position " << p;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Sums.

TYPED_TEST(ArrayFamilyTest, AddAndSubtractChangeOnlyTheRange) {
  using T = TypeParam;
  std::vector<T> added = iota_vector<T>(10);
  std::vector<T> subtracted = iota_vector<T>(10);
  Family<T>::SRADD(added, 2, 8, 3, T(3));
  Family<T>::SRSUB(subtracted, 8, 2, -3, T(3));
  const std::vector<T> base = iota_vector<T>(10);
  for (size_t k = 0; k < 10; ++k) {
    const bool in_range = k == 1 || k == 4 || k == 7;
    EXPECT_EQ(added[k], in_range ? T(base[k] + 3) : base[k]) << "element " << k + 1;
    EXPECT_EQ(subtracted[k], in_range ? T(base[k] - 3) : base[k]) << "element " << k + 1;
  }
}

TYPED_TEST(ArrayFamilyTest, ComplexAddAndSubtractWorkPartByPart) {
  using T = TypeParam;
  std::vector<T> a = iota_vector<T>(6);  // (1, 2), (3, 4), (5, 6)
  Family<T>::SCADD(a, 2, 3, 1, {T(10), T(20)});
  EXPECT_EQ(a, (std::vector<T>{T(1), T(2), T(13), T(24), T(15), T(26)}));
  Family<T>::SCSUB(a, 1, 3, 2, {T(1), T(2)});
  EXPECT_EQ(a, (std::vector<T>{T(0), T(0), T(13), T(24), T(14), T(24)}));
}

TEST(SraddTest, IntegerSumsWrapAround) {
  std::vector<int16_t> s16 = {32767, -32768, 5};
  SRADD0(s16, 1, 2, 1, 1);
  EXPECT_EQ(s16, (std::vector<int16_t>{-32768, -32767, 5}));
  SRSUB0(s16, 3, 3, 1, -32768);  // -(-32768) wraps to -32768 before the addition
  EXPECT_EQ(s16[2], -32763);
  std::vector<int32_t> s32 = {kMax, 0};
  SRADD1(s32, 1, 1, 1, 1);
  SRSUB1(s32, 2, 2, 1, kMin);
  EXPECT_EQ(s32, (std::vector<int32_t>{kMin, kMin}));
  std::vector<int32_t> c32 = {kMax, kMin};
  SCADD1(c32, 1, 1, 1, {1, -1});
  EXPECT_EQ(c32, (std::vector<int32_t>{kMin, kMax}));
}

// ---------------------------------------------------------------------------------------------
// Products and quotients.

TEST(SrmulTest, MultipliesTheRangeByTheScalar) {
  std::vector<float> a = {1, 2, 3, 4};
  SRMUL2(a, 2, 4, 2, 0.5f);
  EXPECT_EQ(a, (std::vector<float>{1, 1, 3, 2}));
  std::vector<double> b = {1, 2, 3};
  SRMUL3(b, 3, 1, -1, -2.0);
  EXPECT_EQ(b, (std::vector<double>{-2, -4, -6}));
}

TEST(ScmulTest, FormsComplexProducts) {
  std::vector<float> a = {1, 2, 1, 2};
  SCMUL2(a, 1, 1, 1, {0, 1});
  EXPECT_EQ(a, (std::vector<float>{-2, 1, 1, 2}));
  std::vector<double> b = {3, -4};
  SCMUL3(b, 1, 1, 1, {2, 0.5});
  EXPECT_EQ(b, (std::vector<double>{8, -6.5}));  // (6 + 2, 1.5 - 8)
}

TEST(SrdivTest, MultipliesByTheReciprocalFormedOnce) {
  std::vector<float> a = {5, 7, 9};
  SRDIV2(a, 1, 3, 1, 3.0f);
  const float r = 1.0f / 3.0f;
  EXPECT_EQ(a[0], 5.0f * r);
  EXPECT_EQ(a[0], 1.66666675f);  // 5/3 rounded directly would be 1.66666663
  EXPECT_EQ(a[1], 7.0f * r);
  EXPECT_EQ(a[2], 9.0f * r);
  std::vector<double> b = {1, -1};
  SRDIV3(b, 1, 2, 1, 0.0);
  EXPECT_EQ(b[0], std::numeric_limits<double>::infinity());
  EXPECT_EQ(b[1], -std::numeric_limits<double>::infinity());
}

TEST(ScdivTest, MultipliesByTheComplexReciprocal) {
  std::vector<float> a = {4, 6, 4, 6};
  SCDIV2(a, 2, 2, 1, {0, 2});
  EXPECT_EQ(a, (std::vector<float>{4, 6, 3, -2}));
  std::vector<double> b = {1, 1};
  SCDIV3(b, 1, 1, 1, {1, 1});
  EXPECT_NEAR(b[0], 1.0, kExact);
  EXPECT_NEAR(b[1], 0.0, kExact);
}

// ---------------------------------------------------------------------------------------------
// Gathers.

TYPED_TEST(ArrayFamilyTest, GatherCopiesTheRangeInItsOrder) {
  using T = TypeParam;
  const std::vector<T> a = iota_vector<T>(10);
  std::vector<T> b(5, T(0));
  Family<T>::VRMOV(a, 10, 1, -4, b);
  EXPECT_EQ(b, (std::vector<T>{T(10), T(6), T(2), T(0), T(0)}));
  std::vector<T> c(7, T(0));
  Family<T>::VCMOV(a, 5, 1, -2, c);  // complex elements 5, 3, 1
  EXPECT_EQ(c, (std::vector<T>{T(9), T(10), T(5), T(6), T(1), T(2), T(0)}));
}

TYPED_TEST(ArrayFamilyTest, GatherIntoAShortTargetMovesNothing) {
  using T = TypeParam;
  const std::vector<T> a = iota_vector<T>(10);
  std::vector<T> b(2, T(0));
  Family<T>::VRMOV(a, 1, 3, 1, b);
  EXPECT_EQ(b, (std::vector<T>{T(0), T(0)}));
  Family<T>::VCMOV(a, 1, 2, 1, b);
  EXPECT_EQ(b, (std::vector<T>{T(0), T(0)}));
  Family<T>::VRMOV(a, 9, 11, 1, b);  // source range outside
  EXPECT_EQ(b, (std::vector<T>{T(0), T(0)}));
}

// ---------------------------------------------------------------------------------------------
// Dot products.

TEST(VrdotTest, SumsInDoubleAndRoundsOnceForFloats) {
  const std::vector<float> a = {1e8f, 1, -1e8f, 1};
  const std::vector<float> b = {1, 1, 1, 1};
  float r = -1;
  VRDOT2(a, b, 1, 3, 1, r);
  EXPECT_EQ(r, 1.0f);  // a float sum would have lost the 1
  const std::vector<double> c = {1, 2, 3, 4, 5};
  const std::vector<double> d = {5, 4, 3, 2, 1};
  double s = -1;
  VRDOT3(c, d, 5, 1, -2, s);
  EXPECT_EQ(s, 5.0 + 9.0 + 5.0);
  VRDOT3(c, std::vector<double>(3, 1.0), 1, 5, 1, s);  // range outside B: empty sum
  EXPECT_EQ(s, 0.0);
}

TEST(VcdotTest, FormsComplexProductsWithoutConjugation) {
  const std::vector<float> a = {1, 2};
  const std::vector<float> b = {3, 4};
  ComplexPair<float> r{};
  VCDOT2(a, b, 1, 1, 1, r);
  EXPECT_EQ(r, (ComplexPair<float>{-5, 10}));
  const std::vector<double> c = {1, 2, 0, 1, 2, 0};
  const std::vector<double> d = {3, 4, 9, 9, 1, 1};
  ComplexPair<double> s{};
  VCDOT3(c, d, 1, 3, 2, s);
  EXPECT_EQ(s, (ComplexPair<double>{-5 + 2, 10 + 2}));
}

// ---------------------------------------------------------------------------------------------
// Extremes.

TEST(MxmnTest, KeepsTheFirstPositionOnTies) {
  struct Case {
    int32_t i1, i2, inc, imax, imin;
  };
  constexpr Case kCases[] = {
      {1, 5, 1, 2, 4},                    // (3, 7, 7, 1, 1)
      {5, 1, -1, 3, 5},                   // visited backwards: the later indices come first
      {2, 3, 1, 2, 2},  {4, 1, 1, 4, 4},  // empty: both I1
      {0, 5, 1, 0, 0},                    // outside: both I1, nothing read
  };
  const std::vector<int32_t> a = {3, 7, 7, 1, 1};
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.i1 << ", " << c.i2 << ", " << c.inc);
    int32_t imax = -9, imin = -9;
    MXMNI4(a, c.i1, c.i2, c.inc, imax, imin);
    EXPECT_EQ(imax, c.imax);
    EXPECT_EQ(imin, c.imin);
  }
}

TYPED_TEST(ArrayFamilyTest, ExtremesAreIndicesIntoTheArray) {
  using T = TypeParam;
  const std::vector<T> a = {T(9), T(-4), T(2), T(8), T(-6), T(5), T(-6)};
  int32_t imax = 0, imin = 0;
  Family<T>::MXMN(a, 2, 7, 1, imax, imin);
  EXPECT_EQ(imax, 4);
  EXPECT_EQ(imin, 5);
  Family<T>::MXMN(a, 2, 7, 5, imax, imin);  // elements 2 and 7
  EXPECT_EQ(imax, 2);
  EXPECT_EQ(imin, 7);
}

// ---------------------------------------------------------------------------------------------
// Normalising shifts.

TEST(NormTest, ShiftsTheLargestMagnitudeToFullScale) {
  const std::vector<int16_t> s16 = {-3, 1000, 17};
  const std::vector<int16_t> negative = {-1000, 999};
  const std::vector<int32_t> s32 = {1000, -1000};
  const std::vector<float> f1 = {0.25f, -0.75f};
  const std::vector<float> f2 = {3.0f, 1.0f};
  const std::vector<double> d = {-3.0, 1e-3};
  const std::vector<int16_t> zeros(4, 0);
  int32_t shift = -99;
  NORMI2(s16, 1, 3, 1, shift);
  EXPECT_EQ(shift, 5);  // 1000 = 0.9765625 * 2^10
  NORMI2(negative, 1, 2, 1, shift);
  EXPECT_EQ(shift, 5);
  NORMI2(zeros, 1, 4, 1, shift);
  EXPECT_EQ(shift, 0);
  NORMI4(s32, 1, 2, 1, shift);
  EXPECT_EQ(shift, 21);
  NORMR4(f1, 1, 2, 1, shift);
  EXPECT_EQ(shift, 0);
  NORMR4(f2, 1, 2, 1, shift);
  EXPECT_EQ(shift, -2);
  NORMR8(d, 2, 1, -1, shift);
  EXPECT_EQ(shift, -2);
}

TEST(NormTest, EmptyRangeTakesElementI1AndARangeOutsideGivesZero) {
  const std::vector<int16_t> a = {1, 1000, 1};
  int32_t shift = -99;
  NORMI2(a, 2, 1, 1, shift);  // empty: A(2) alone
  EXPECT_EQ(shift, 5);
  NORMI2(a, 4, 5, 1, shift);  // outside, and I1 outside too
  EXPECT_EQ(shift, 0);
  NORMI2(a, 2, 9, 1, shift);  // outside: counts as empty, A(2)
  EXPECT_EQ(shift, 5);
}

TYPED_TEST(ArrayFamilyTest, NormalisedMaximumLiesInTheTopBinade) {
  using T = TypeParam;
  const double full =
      std::is_integral_v<T> ? std::ldexp(1.0, static_cast<int>(8 * sizeof(T)) - 1) : 1.0;
  const double top =
      std::is_integral_v<T> ? static_cast<double>(std::numeric_limits<T>::max()) : 1e30;
  for (double m = 1; m <= top; m = m * 3 + 1) {
    SCOPED_TRACE(m);
    const std::vector<T> a = {T(1), static_cast<T>(-m), T(0)};
    int32_t shift = 0;
    Family<T>::NORM(a, 1, 3, 1, shift);
    const double scaled = std::ldexp(std::abs(static_cast<double>(a[1])), shift);
    EXPECT_GE(scaled, full / 2);
    EXPECT_LT(scaled, full);
  }
}

// ---------------------------------------------------------------------------------------------
// Rotations.

TEST(ArrotTest, RotatesTheSegmentSoThatI2ComesFirst) {
  struct Case {
    int32_t i1, i2, i3;
    std::array<float, 10> want;
  };
  constexpr Case kCases[] = {
      {1, 4, 10, {4, 5, 6, 7, 8, 9, 10, 1, 2, 3}}, {3, 5, 9, {1, 2, 5, 6, 7, 8, 9, 3, 4, 10}},
      {1, 1, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, {1, 10, 10, {10, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {5, 3, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},   // I1 >= I2
      {1, 5, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},   // I3 < I2
      {1, 5, 11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},  // outside
      {0, 5, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},   // outside
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.i1 << ", " << c.i2 << ", " << c.i3);
    std::vector<float> a = iota_vector<float>(10);
    ARROT2(a, c.i1, c.i2, c.i3);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), c.want.begin()));
  }
}

TYPED_TEST(ArrayFamilyTest, RotationAgreesWithALeftRotationForEverySegment) {
  using T = TypeParam;
  constexpr int kN = 9;
  for (int32_t i1 = 0; i1 <= kN + 1; ++i1) {
    for (int32_t i2 = 0; i2 <= kN + 1; ++i2) {
      for (int32_t i3 = 0; i3 <= kN + 1; ++i3) {
        SCOPED_TRACE(::testing::Message() << i1 << ", " << i2 << ", " << i3);
        std::vector<T> want = iota_vector<T>(kN);
        if (i1 >= 1 && i1 < i2 && i2 <= i3 && i3 <= kN) {
          std::rotate(want.begin() + (i1 - 1), want.begin() + (i2 - 1), want.begin() + i3);
        }
        std::vector<T> a = iota_vector<T>(kN);
        Family<T>::ARROT(a, i1, i2, i3);
        ASSERT_EQ(a, want);
        // The complex rotation moves pairs of a twice as long array the same way.
        std::vector<T> pairs = iota_vector<T>(2 * kN);
        Family<T>::ACROT(pairs, i1, i2, i3);
        for (size_t k = 0; k < static_cast<size_t>(kN); ++k) {
          ASSERT_EQ(pairs[2 * k], T(2 * want[k] - 1));
          ASSERT_EQ(pairs[2 * k + 1], T(2 * want[k]));
        }
      }
    }
  }
}

TEST(AcrotTest, MovesComplexElementsAsWholePairs) {
  std::vector<float> a = {1, 2, 3, 4, 5, 6, 7, 8};  // a, b, c, d
  ACROT2(a, 1, 3, 4);
  EXPECT_EQ(a, (std::vector<float>{5, 6, 7, 8, 1, 2, 3, 4}));
}

// ---------------------------------------------------------------------------------------------
// Weights.

float ramp(float x) {
  return x;
}
float boxcar(float x) {
  return std::fabs(x) <= 1.0f ? 1.0f : 0.0f;
}

TEST(Vrwgt2Test, MultipliesByTheWindowAtTheNormalisedPosition) {
  std::vector<float> a(9, 2.0f);
  VRWGT2(a, 2, 8, 5, 4, ramp);  // x = (i - 5) * 0.5
  EXPECT_EQ(a, (std::vector<float>{2, -3, -2, -1, 0, 1, 2, 3, 2}));
  std::vector<float> b(9, 1.0f);
  VRWGT2(b, 1, 9, 5, 6, boxcar);  // |i - 5| * (1/3) <= 1 for i = 2 ... 8
  EXPECT_EQ(b, (std::vector<float>{0, 1, 1, 1, 1, 1, 1, 1, 0}));
}

TEST(Vrwgt2Test, LeavesTheArrayAloneForARangeOutsideOrEmpty) {
  std::vector<float> a(5, 1.0f);
  VRWGT2(a, 0, 3, 2, 4, ramp);
  VRWGT2(a, 3, 6, 2, 4, ramp);
  VRWGT2(a, 4, 3, 2, 4, ramp);
  VRWGT2(a, 1, 5, 2, 4, nullptr);
  EXPECT_EQ(a, std::vector<float>(5, 1.0f));
}

}  // namespace
}  // namespace fts
