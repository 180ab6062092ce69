// Unit tests of the spectrum scaler: the scaling of the elements and the stop on a failed store.
#include "magnorav.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fts_testing/stops.hpp"

namespace {

using fts::Header;

constexpr float kExact = 0.0f;  // the results are exact, or rounded once as stated

TEST(Scale, RoundsTheDoublePrecisionResultOnceToFloat) {
  struct Case {
    const char* what;
    float x, fact, offs, y;
  };
  // 3 * 0.333333343f - 1 is 2^-25 in double precision; in float arithmetic the product would
  // round to 1 first and give 0.
  constexpr float kThird = 1.0f / 3.0f;
  const Case kCases[] = {
      {"the stored 4096 at exponent 3 is 1.0: 2*1+1", 1.0f, 2.0f, 1.0f, 3.0f},
      {"factor 1 and offset 0 keep the value", 0.1f, 1.0f, 0.0f, 0.1f},
      {"one rounding of factor times value plus offset", kThird, 3.0f, -1.0f, 0x1p-25f},
      {"a negative factor", -2.5f, -2.0f, 0.5f, 5.5f},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<float> a = {c.x};
    magnorav::scale(a, 0, c.fact, c.offs);
    EXPECT_NEAR(a[0], c.y, kExact);
  }
}

TEST(Scale, AddsTheOffsetToTheRealPartsOfComplexPointsOnly) {
  struct Case {
    int32_t rep;
    std::vector<float> y;
  };
  const std::vector<float> x = {1, 2, 3, 4, 5, 6};
  const Case kCases[] = {
      {0, {3, 5, 7, 9, 11, 13}},  // real: every element
      {1, {3, 5, 7, 9, 11, 13}},  // imaginary: every element
      {2, {3, 4, 7, 8, 11, 12}},  // complex: every point scaled, offset on the real parts
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.rep);
    std::vector<float> a = x;
    magnorav::scale(a, c.rep, 2.0f, 1.0f);
    EXPECT_EQ(a, c.y);
  }
}

TEST(SpectrumElements, CountsBothPartsOfComplexPoints) {
  Header hdr;
  hdr(fts::QQSLEN) = 40000;
  EXPECT_EQ(magnorav::spectrum_elements(hdr), 40000);
  hdr(fts::QQDREP) = 2;
  EXPECT_EQ(magnorav::spectrum_elements(hdr), 80000);
  hdr(fts::QQSLEN) = 2147483647;
  EXPECT_EQ(magnorav::spectrum_elements(hdr), 4294967294);
}

// The store refuses an array header that is no spectrum; the run stops with the program's line.
TEST(StoreSpectrum, StopsTheRunWhenTheSpectrumCannotBeStored) {
  Header hdr, ahdr;
  ahdr(fts::QQDKND) = 0;
  const std::vector<float> array(16);
  FTS_EXPECT_STOP(
      magnorav::store_spectrum(hdr, array, ahdr, 0.0, 1.0),
      " #PUTSPT   01> - ARRAY NOT SPECTRUM\n # ERROR ON WRITE TO OUTPUT FILE\n#ERROR\n");
}

}  // namespace
