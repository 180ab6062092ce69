// Tests of the hydroxyl band: 3j symbols, the spin-orbit splitting of the ground level, the line
// strengths in the limits of Hund's cases (a) and (b) and their sum rule, and the lines of a
// Meinel band.
#include "fts_forward/hydroxyl.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

namespace fw = fts::forward;

constexpr double kExact = 1e-13;  // closed forms in double

}  // namespace

TEST(Hydroxyl, ThreeJSymbolsHaveTheirKnownValuesAndAreOrthonormal) {
  struct Case {
    int32_t tj1, tj2, tj3, tm1, tm2, tm3;
    double want;
  };
  const Case kCases[] = {
      {2, 2, 0, 0, 0, 0, -1.0 / std::sqrt(3.0)},
      {1, 1, 2, 1, -1, 0, 1.0 / std::sqrt(6.0)},
      {2, 2, 2, 2, -2, 0, 1.0 / std::sqrt(6.0)},
      {2, 2, 4, 0, 0, 0, std::sqrt(2.0 / 15.0)},
      {2, 2, 2, 0, 0, 0, 0.0},  // odd sum of j's with every m = 0
      {2, 2, 6, 0, 0, 0, 0.0},  // no triangle
      {2, 2, 2, 2, 2, 0, 0.0},  // m's do not sum to 0
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.tj1 << " " << c.tj2 << " " << c.tj3);
    EXPECT_NEAR(fw::wigner_3j(c.tj1, c.tj2, c.tj3, c.tm1, c.tm2, c.tm3), c.want, kExact);
  }
  // sum over j3 of (2 j3 + 1) (j1 1 j3; -m 0 m)^2 = 1.
  for (int32_t tj1 : {3, 7, 21}) {
    for (int32_t tm : {1, 3}) {
      double sum = 0;
      for (int32_t tj3 = tj1 - 2; tj3 <= tj1 + 2; tj3 += 2)
        sum += (tj3 + 1) * std::pow(fw::wigner_3j(tj1, 2, tj3, -tm, 0, tm), 2);
      EXPECT_NEAR(sum, 1.0, kExact) << tj1 << " " << tm;
    }
  }
}

TEST(Hydroxyl, GroundLevelSpinOrbitSplittingIsTheKnownOne) {
  // 2Pi1/2 J = 1/2 lies 126.3 cm-1 above 2Pi3/2 J = 3/2 in v = 0.
  const fw::HydroxylLevel v0 = fw::hydroxyl_level(0);
  EXPECT_NEAR(fw::hydroxyl_term(v0, 2, 0.5) - fw::hydroxyl_term(v0, 1, 1.5), 126.3, 0.1);
  EXPECT_TRUE(std::isnan(fw::hydroxyl_term(v0, 1, 0.5)));
}

TEST(Hydroxyl, LineStrengthsReachTheLimitsOfCasesAAndBAndObeyTheSumRule) {
  // Case (a), |A| >> B: F1 is pure Omega = 3/2, F2 pure Omega = 1/2, and the strengths are the
  // symmetric-top ones, by the lower J: P (J''^2 - W^2)/J'', Q (2J''+1) W^2/(J''(J''+1)),
  // R ((J''+1)^2 - W^2)/(J''+1); satellites vanish.
  const fw::HydroxylLevel a{0.0, 18.0, 0.0, -1e9};
  for (int32_t i : {1, 2}) {
    const double w = i == 1 ? 1.5 : 0.5;
    for (double jl : {2.5, 4.5, 9.5}) {
      SCOPED_TRACE(::testing::Message() << "F" << i << " J'' " << jl);
      EXPECT_NEAR(fw::hydroxyl_line_strength(a, i, jl - 1, a, i, jl), (jl * jl - w * w) / jl, 1e-6);
      EXPECT_NEAR(fw::hydroxyl_line_strength(a, i, jl, a, i, jl),
                  (2 * jl + 1) * w * w / (jl * (jl + 1)), 1e-6);
      EXPECT_NEAR(fw::hydroxyl_line_strength(a, i, jl + 1, a, i, jl),
                  ((jl + 1) * (jl + 1) - w * w) / (jl + 1), 1e-6);
      EXPECT_NEAR(fw::hydroxyl_line_strength(a, i, jl - 1, a, 3 - i, jl), 0.0, 1e-6);
    }
  }
  // Case (b), A = 0: a change of N by 2 is forbidden (F1 is J = N + 1/2, F2 is J = N - 1/2), so
  // the P12 and R21 satellites vanish, and the others are weak against the main branches.
  const fw::HydroxylLevel b{0.0, 18.0, 0.0, 0.0};
  EXPECT_NEAR(fw::hydroxyl_line_strength(b, 1, 9.5, b, 2, 10.5), 0.0, kExact);  // P12
  EXPECT_NEAR(fw::hydroxyl_line_strength(b, 2, 10.5, b, 1, 9.5), 0.0, kExact);  // R21
  EXPECT_LT(fw::hydroxyl_line_strength(b, 1, 10.5, b, 2, 10.5),                 // Q12 / P1
            0.01 * fw::hydroxyl_line_strength(b, 1, 9.5, b, 1, 10.5));
  // Whatever the coupling, an upper level's strengths to every lower level sum to 2 J' + 1.
  const fw::HydroxylLevel up = fw::hydroxyl_level(3);
  const fw::HydroxylLevel lo = fw::hydroxyl_level(1);
  for (int32_t iu : {1, 2}) {
    for (double ju : {1.5, 3.5, 8.5}) {
      double sum = 0;
      for (int32_t il : {1, 2})
        for (double jl = ju - 1; jl <= ju + 1; jl += 1)
          sum += fw::hydroxyl_line_strength(up, iu, ju, lo, il, jl);
      EXPECT_NEAR(sum, 2 * ju + 1, 1e-12) << iu << " " << ju;
    }
  }
}

TEST(Hydroxyl, MeinelBandThreeOneHasItsBranchesWhereTheyBelong) {
  const std::vector<fw::Line> lines = fw::hydroxyl_band(3, 1);
  ASSERT_GT(lines.size(), 100u);
  const fw::HydroxylLevel up = fw::hydroxyl_level(3);
  const fw::HydroxylLevel lo = fw::hydroxyl_level(1);
  const double origin = up.g - lo.g;
  EXPECT_NEAR(origin, 6644.8, 0.1);
  bool found_p1 = false;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const fw::Line& line = lines[k];
    if (k > 0) {
      EXPECT_GE(line.wavenumber, lines[k - 1].wavenumber);
    }
    EXPECT_GE(line.initial_term, 0.0);
    EXPECT_GE(line.final_term, 0.0);
    EXPECT_GT(line.strength, 0.0);
    // Energy balance: the line is the difference of its levels.
    const double jl = line.label1 / 2.0;
    const int32_t branch = line.label2 / 100;  // 1 P, 2 Q, 3 R
    const double ju = jl + branch - 2;
    const int32_t iu = line.label2 / 10 % 10;
    const int32_t il = line.label2 % 10;
    EXPECT_NEAR(line.wavenumber,
                origin + fw::hydroxyl_term(up, iu, ju) - fw::hydroxyl_term(lo, il, jl), 1e-9);
    // P1(2.5), a line of the airglow spectra: from the lowest upper level, near 1.524 micrometres
    // (to the few cm-1 the model promises).
    if (line.label2 == 111 && line.label1 == 5) {
      found_p1 = true;
      EXPECT_EQ(line.initial_term, 0.0);
      EXPECT_NEAR(1e4 / line.wavenumber, 1.524, 0.001);
    }
  }
  EXPECT_TRUE(found_p1);
}
