// Tests of the scan header value: items 1 to 224 and nothing else, in every build.
#include "fts/header.hpp"

#include <gtest/gtest.h>

#include "fts_testing/stops.hpp"

namespace fts {
namespace {

TEST(Header, HoldsItems1To224) {
  Header h;
  h(1) = 7;
  h(kHeaderItems) = -3;
  const Header& c = h;
  EXPECT_EQ(c(1), 7);
  EXPECT_EQ(c(kHeaderItems), -3);
  EXPECT_EQ(h.items().front(), 7);
  EXPECT_EQ(h.items().back(), -3);
}

TEST(HeaderDeathTest, AnItemNumberOutside1To224StopsTheRun) {
  Header h;
  const Header& c = h;
  FTS_EXPECT_STOP(h(0) = 1, "^ #HEADER   01> - ITEM 0 OUTSIDE 1-224\n#ERROR\n$");
  FTS_EXPECT_STOP(h(225) = 1, "^ #HEADER   01> - ITEM 225 OUTSIDE 1-224\n#ERROR\n$");
  FTS_EXPECT_STOP(static_cast<void>(c(-1)), "^ #HEADER   01> - ITEM -1 OUTSIDE 1-224\n#ERROR\n$");
}

}  // namespace
}  // namespace fts
