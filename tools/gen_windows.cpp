// gen_windows: writes the tables of cubic pieces from which the Kaiser-Bessel apodisation windows
// 1 to 5 are evaluated (fts/numerics/src/ftswtapd_tables.inc).
//
// Usage: gen_windows > fts/numerics/src/ftswtapd_tables.inc
//
// Window k is w(X) = I0(beta_k sqrt(1 - X^2)) / I0(beta_k) on |X| <= 1. Row n = 1..32 of its
// table is the best (minimax) cubic in f on segment n, where |X| = (n - 1 + f)/32, 0 <= f < 1,
// found by the Remez exchange in extended precision and rounded to 32-bit floats. Row 33 holds
// the stored edge value 1/I0(beta_k) as a constant; row 0 is unused and zero. The worst error of
// the 32-bit evaluation over a dense grid is written to standard error.
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using Real = long double;

constexpr int kWindows = 5;
constexpr int kSegments = 32;  // cubic pieces on 0 <= |X| < 1
constexpr int kRows = 34;      // row 0 unused, rows 1..32 pieces, row 33 the edge value

// Window parameters as the library stores them (32-bit floats).
constexpr float kBeta[kWindows] = {4.499914f, 7.2839975f, 9.892699f, 12.42304f, 14.9079685f};
constexpr float kInvI0[kWindows] = {0.057208735f, 0.004558417f, 0.00039319f, 3.5187084e-05f,
                                    3.217937e-06f};

// Modified Bessel function I0 from its power series sum ((x/2)^2k / (k!)^2); every term is
// positive, so the sum is accurate to the working precision for the arguments used (x < 16).
Real bessel_i0(Real x) {
  const Real q = x * x / 4;
  Real term = 1;
  Real sum = 1;
  for (int k = 1; k < 500 && term > sum * 1e-24L; ++k) {
    term *= q / (static_cast<Real>(k) * k);
    sum += term;
  }
  return sum;
}

// The window w_k at |X| <= 1.
Real window(int k, Real X) {
  const Real beta = kBeta[k];
  const Real u = std::max<Real>(0, 1 - X * X);
  return bessel_i0(beta * std::sqrt(u)) / bessel_i0(beta);
}

// A 32-bit float as a C++ literal that reads back to the same value.
std::string literal(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
  std::string s = buf;
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s + "f";
}

Real cubic(const std::array<Real, 4>& c, Real f) {
  return c[0] + f * (c[1] + f * (c[2] + f * c[3]));
}

// Solves the 5 x 5 system A z = b (b in column 5) by Gauss-Jordan elimination with partial
// pivoting; the solution replaces column 5.
void solve5(std::array<std::array<Real, 6>, 5>& A) {
  for (int c = 0; c < 5; ++c) {
    int p = c;
    for (int r = c + 1; r < 5; ++r)
      if (std::fabs(A[r][c]) > std::fabs(A[p][c])) p = r;
    std::swap(A[c], A[p]);
    for (int r = 0; r < 5; ++r) {
      if (r == c) continue;
      const Real m = A[r][c] / A[c][c];
      for (int j = c; j < 6; ++j) A[r][j] -= m * A[c][j];
    }
  }
  for (int r = 0; r < 5; ++r) A[r][5] /= A[r][r];
}

// Minimax cubic of g on [0, 1] by the Remez exchange (Powell, Approximation Theory and Methods,
// 1981, ch. 7): solve for the cubic whose error alternates with equal size E on five reference
// points, then move the references to the extrema of the error, until E settles.
template <class G>
std::array<Real, 4> minimax_cubic(G g) {
  constexpr int kGrid = 2048;
  std::array<Real, 5> ref;
  for (int i = 0; i < 5; ++i) ref[i] = 0.5L - 0.5L * std::cos(3.14159265358979323846L * i / 4);
  std::vector<Real> gv(kGrid + 1);
  for (int i = 0; i <= kGrid; ++i) gv[i] = g(static_cast<Real>(i) / kGrid);
  std::array<Real, 4> c{};
  Real last_e = -1;
  for (int iter = 0; iter < 50; ++iter) {
    // Reference system: p(x_i) + (-1)^i E = g(x_i).
    std::array<std::array<Real, 6>, 5> A;
    for (int i = 0; i < 5; ++i) {
      const Real x = ref[i];
      A[i] = {1, x, x * x, x * x * x, (i % 2) ? -1.0L : 1.0L, g(x)};
    }
    solve5(A);
    for (int j = 0; j < 4; ++j) c[j] = A[j][5];
    const Real e = std::fabs(A[4][5]);
    if (std::fabs(e - last_e) <= 1e-6L * e) break;
    last_e = e;
    // New references: the largest error on each run of one sign across the grid, refined by
    // golden-section search between its grid neighbours.
    std::vector<Real> err(kGrid + 1);
    for (int i = 0; i <= kGrid; ++i) err[i] = gv[i] - cubic(c, static_cast<Real>(i) / kGrid);
    std::vector<Real> ext;
    int start = 0;
    for (int i = 1; i <= kGrid + 1; ++i) {
      if (i <= kGrid && (err[i] > 0) == (err[start] > 0)) continue;
      int best = start;
      for (int j = start; j < i; ++j)
        if (std::fabs(err[j]) > std::fabs(err[best])) best = j;
      Real lo = static_cast<Real>(std::max(best - 1, 0)) / kGrid;
      Real hi = static_cast<Real>(std::min(best + 1, kGrid)) / kGrid;
      auto size = [&](Real x) { return std::fabs(g(x) - cubic(c, x)); };
      for (int k = 0; k < 60; ++k) {
        const Real m1 = lo + (hi - lo) * 0.381966L;
        const Real m2 = hi - (hi - lo) * 0.381966L;
        if (size(m1) < size(m2))
          lo = m1;
        else
          hi = m2;
      }
      Real x = (lo + hi) / 2;
      if (best == 0 && size(0) >= size(x)) x = 0;
      if (best == kGrid && size(1) >= size(x)) x = 1;
      ext.push_back(x);
      start = i;
    }
    if (ext.size() != 5) break;  // the error no longer alternates five times: keep the last fit
    for (int i = 0; i < 5; ++i) ref[i] = ext[i];
  }
  return c;
}

// The library's evaluation of a table in 32-bit arithmetic.
float evaluate(const std::array<std::array<float, 4>, kRows>& t, float X) {
  const float x = std::fabs(X) * 32.0f + 1.0f;
  if (!(x < 34.0f)) return 0.0f;
  const int n = static_cast<int>(x);
  const float f = x - static_cast<float>(n);
  const auto& c = t[n];
  return c[0] + f * (c[1] + f * (c[2] + f * c[3]));
}

}  // namespace

int main() {
  std::array<std::array<std::array<float, 4>, kRows>, kWindows> tables{};
  for (int k = 0; k < kWindows; ++k) {
    for (int n = 1; n <= kSegments; ++n) {
      const auto c = minimax_cubic([&](Real f) { return window(k, (n - 1 + f) / kSegments); });
      for (int j = 0; j < 4; ++j) tables[k][n][j] = static_cast<float>(c[j]);
    }
    tables[k][33] = {kInvI0[k], 0.0f, 0.0f, 0.0f};
  }

  std::printf(
      "// Generated by tools/gen_windows.cpp (gen_windows > fts/numerics/src/ftswtapd_tables.inc); "
      "do not "
      "edit.\n"
      "// Cubic pieces of apodisation windows 1 to 5. Row n = 1..32 of window k: the minimax "
      "cubic\n"
      "// c0 + f (c1 + f (c2 + f c3)) of I0(beta_k sqrt(1 - X^2)) / I0(beta_k) on\n"
      "// |X| = (n - 1 + f)/32; row 33: the edge value 1/I0(beta_k); row 0: unused.\n"
      "constexpr float kWindowPieces[%d][%d][4] = {\n",
      kWindows, kRows);
  for (int k = 0; k < kWindows; ++k) {
    std::printf("    // Window %d, beta = %.9g\n    {\n", k + 1, static_cast<double>(kBeta[k]));
    for (int n = 0; n < kRows; ++n) {
      const auto& c = tables[k][n];
      std::printf("        {%s, %s, %s, %s},\n", literal(c[0]).c_str(), literal(c[1]).c_str(),
                  literal(c[2]).c_str(), literal(c[3]).c_str());
    }
    std::printf("    },\n");
  }
  std::printf("};\n");

  // Check: worst error of the 32-bit evaluation against the window over a dense grid.
  for (int k = 0; k < kWindows; ++k) {
    Real worst = 0;
    constexpr int kChecks = 200000;
    for (int i = 0; i <= kChecks; ++i) {
      const float X = static_cast<float>(static_cast<double>(i) / kChecks);
      const Real err = std::fabs(evaluate(tables[k], X) - window(k, X));
      worst = std::max(worst, err);
    }
    std::fprintf(stderr, "window %d: worst error %.3g\n", k + 1, static_cast<double>(worst));
  }
  return 0;
}
