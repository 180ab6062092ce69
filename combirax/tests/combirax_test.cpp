// Unit tests of combirax: the direction filter, the 64-bit weighted sums and the scaled mean.
#include "combirax.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

namespace {

using combirax::add_weighted;
using combirax::scale_mean;
using combirax::takes_direction;

TEST(TakesDirection, TakesScansOfTheChosenDirectionAndThoseRecordedBothWays) {
  struct Case {
    int32_t direction;  // 0 FOR, 1 REV, 2 BOTH
    int32_t motion;     // the scan's QQMOTN
    bool taken;
  };
  constexpr Case kCases[] = {
      {0, 0, true},  {0, 1, false}, {0, 2, true},  // forward
      {1, 0, false}, {1, 1, true},  {1, 2, true},  // reverse
      {2, 0, true},  {2, 1, true},  {2, 2, true},  // both
      {0, 3, false}, {1, 3, false}, {2, 3, true},  // an unknown direction code
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "direction " << c.direction << ", QQMOTN " << c.motion);
    EXPECT_EQ(takes_direction(c.direction, c.motion), c.taken);
  }
}

TEST(AddWeighted, FormsProductsAndSumsIn64Bits) {
  // 2^24 + 1 is not a 32-bit float; a weight of 3 times 2^-30 neither survives 32-bit sums.
  std::vector<double> sum = {16777216.0, 1.0, -5.0};
  const std::vector<float> x = {1.0f, 0x1p-30f, 2.5f};
  add_weighted(sum, x, 3.0f);
  EXPECT_EQ(sum[0], 16777219.0);
  EXPECT_EQ(sum[1], 1.0 + 3.0 * 0x1p-30);
  EXPECT_EQ(sum[2], 2.5);
}

TEST(AddWeighted, LeavesTheSumsBeyondTheScanAlone) {
  std::vector<double> sum = {1.0, 2.0, 3.0};
  const std::vector<float> x = {1.0f};
  add_weighted(std::span<double>(sum).subspan(1, 1), x, 2.0f);
  EXPECT_EQ(sum, (std::vector<double>{1.0, 4.0, 3.0}));
}

TEST(ScaleMean, MultipliesByTheReciprocalRoundedTo32Bits) {
  // 1/3 rounded to a float is 0.3333333432674408: 3 times it rounds back to 1, and 2^24 + 1
  // times it is 5592405.83, which rounds to 5592406 (a plain division would give 5592405.5).
  const std::vector<double> sum = {3.0, 16777217.0, -6.0, 0.0};
  std::vector<float> mean(sum.size());
  scale_mean(sum, 3, mean);
  EXPECT_EQ(mean, (std::vector<float>{1.0f, 5592406.0f, -2.0f, 0.0f}));
}

}  // namespace
