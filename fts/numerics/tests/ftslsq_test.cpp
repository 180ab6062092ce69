// ftslsq_test: least-squares solvers on known answers, edge cases and random optimality checks.
#include "fts/ftslsq.hpp"

#include <gtest/gtest.h>
#include <unistd.h>
#include "fts_testing/stops.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "fts/textio.hpp"

namespace fts {
namespace {

constexpr double kFloat = 1e-6;  // a few 32-bit roundings, relative
constexpr double kLoose = 1e-4;  // a 32-bit solve of a tall or ill-conditioned problem, relative
// Backward error of a 32-bit orthogonal solve, relative to |A| (|A| |x| + |b| + |r|).
constexpr double kBackward = 1e-5;

// ---------------------------------------------------------------------------------------------
// Fixtures and double-precision references.

// A column-major matrix with a leading dimension, indexed from 1. Rows beyond `rows` hold a NaN
// so that any read of them shows in the results.
struct Matrix {
  int32_t rows = 0;
  int32_t cols = 0;
  int32_t ld = 0;
  std::vector<float> v;

  Matrix(int32_t m, int32_t n, int32_t lead = 0)
      : rows(m),
        cols(n),
        ld(std::max({lead, m, 1})),
        v(static_cast<std::size_t>(ld) * static_cast<std::size_t>(std::max(n, 1)),
          std::numeric_limits<float>::quiet_NaN()) {
    for (int32_t j = 1; j <= n; ++j) {
      for (int32_t i = 1; i <= m; ++i) (*this)(i, j) = 0;
    }
  }
  float& operator()(int32_t i, int32_t j) {
    return v[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ld) +
             static_cast<std::size_t>(i - 1)];
  }
  float operator()(int32_t i, int32_t j) const { return const_cast<Matrix&>(*this)(i, j); }
  // Rows beyond `rows` still hold their NaN.
  bool padding_untouched() const {
    for (int32_t j = 1; j <= cols; ++j) {
      for (int32_t i = rows + 1; i <= ld; ++i) {
        if (!std::isnan((*this)(i, j))) return false;
      }
    }
    return true;
  }
};

Matrix from_rows(std::initializer_list<std::initializer_list<float>> rows) {
  const auto m = static_cast<int32_t>(rows.size());
  const auto n = static_cast<int32_t>(rows.begin()->size());
  Matrix a(m, n);
  int32_t i = 1;
  for (const auto& row : rows) {
    int32_t j = 1;
    for (const float value : row) a(i, j++) = value;
    ++i;
  }
  return a;
}

// Repeatable random numbers: the Mersenne twister's output is fixed by the standard, and the
// conversion to reals below is ours, so every platform sees the same problems.
class Rng {
 public:
  explicit Rng(uint32_t seed) : gen_(seed) {}
  double unit() { return static_cast<double>(gen_() >> 8) * 0x1p-24; }  // [0, 1)
  float symmetric() { return static_cast<float>(2 * unit() - 1); }      // [-1, 1)
  float normal() {  // Irwin-Hall: the sum of 12 uniform values, mean 0, variance 1
    double s = -6;
    for (int k = 0; k < 12; ++k) s += unit();
    return static_cast<float>(s);
  }

 private:
  std::mt19937 gen_;
};

double norm(const std::vector<double>& v) {
  double s = 0;
  for (const double e : v) s += e * e;
  return std::sqrt(s);
}

double column_norm(const Matrix& a, int32_t j) {
  double s = 0;
  for (int32_t i = 1; i <= a.rows; ++i) s += static_cast<double>(a(i, j)) * a(i, j);
  return std::sqrt(s);
}

double frobenius(const Matrix& a) {
  double s = 0;
  for (int32_t j = 1; j <= a.cols; ++j) s += column_norm(a, j) * column_norm(a, j);
  return std::sqrt(s);
}

// b - A x in double.
std::vector<double> residual(const Matrix& a, std::span<const float> b, std::span<const float> x) {
  std::vector<double> r(static_cast<std::size_t>(a.rows));
  for (int32_t i = 1; i <= a.rows; ++i) {
    double s = b[static_cast<std::size_t>(i - 1)];
    for (int32_t j = 1; j <= a.cols; ++j) {
      s -= static_cast<double>(a(i, j)) * x[static_cast<std::size_t>(j - 1)];
    }
    r[static_cast<std::size_t>(i - 1)] = s;
  }
  return r;
}

// A^T r in double.
std::vector<double> gradient(const Matrix& a, const std::vector<double>& r) {
  std::vector<double> g(static_cast<std::size_t>(a.cols));
  for (int32_t j = 1; j <= a.cols; ++j) {
    double s = 0;
    for (int32_t i = 1; i <= a.rows; ++i) s += a(i, j) * r[static_cast<std::size_t>(i - 1)];
    g[static_cast<std::size_t>(j - 1)] = s;
  }
  return g;
}

// (A_S^T A_S)^-1 in double for the columns S of A, by Gauss-Jordan with partial pivoting.
std::vector<std::vector<double>> inverse_normal(const Matrix& a, const std::vector<int32_t>& s) {
  const std::size_t n = s.size();
  std::vector<std::vector<double>> g(n, std::vector<double>(2 * n, 0.0));
  for (std::size_t p = 0; p < n; ++p) {
    for (std::size_t q = 0; q < n; ++q) {
      double sum = 0;
      for (int32_t i = 1; i <= a.rows; ++i) sum += static_cast<double>(a(i, s[p])) * a(i, s[q]);
      g[p][q] = sum;
    }
    g[p][n + p] = 1;
  }
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t piv = c;
    for (std::size_t r = c + 1; r < n; ++r) {
      if (std::fabs(g[r][c]) > std::fabs(g[piv][c])) piv = r;
    }
    std::swap(g[c], g[piv]);
    const double d = g[c][c];
    for (auto& e : g[c]) e /= d;
    for (std::size_t r = 0; r < n; ++r) {
      if (r == c) continue;
      const double f = g[r][c];
      for (std::size_t k = 0; k < 2 * n; ++k) g[r][k] -= f * g[c][k];
    }
  }
  std::vector<std::vector<double>> inv(n, std::vector<double>(n));
  for (std::size_t p = 0; p < n; ++p) {
    for (std::size_t q = 0; q < n; ++q) inv[p][q] = g[p][n + q];
  }
  return inv;
}

std::vector<int32_t> all_columns(int32_t n) {
  std::vector<int32_t> s(static_cast<std::size_t>(n));
  std::iota(s.begin(), s.end(), 1);
  return s;
}

// The unconstrained least-squares solution in double, from the normal equations (full rank,
// modest condition only).
std::vector<double> reference_solution(const Matrix& a, std::span<const float> b) {
  const auto inv = inverse_normal(a, all_columns(a.cols));
  std::vector<double> atb(static_cast<std::size_t>(a.cols), 0.0);
  for (int32_t j = 1; j <= a.cols; ++j) {
    for (int32_t i = 1; i <= a.rows; ++i) {
      atb[static_cast<std::size_t>(j - 1)] +=
          static_cast<double>(a(i, j)) * b[static_cast<std::size_t>(i - 1)];
    }
  }
  std::vector<double> x(atb.size(), 0.0);
  for (std::size_t p = 0; p < x.size(); ++p) {
    for (std::size_t q = 0; q < x.size(); ++q) x[p] += inv[p][q] * atb[q];
  }
  return x;
}

// ---------------------------------------------------------------------------------------------
// Calling the solvers on a copy of a problem.

struct NnlsResult {
  Matrix a;
  std::vector<float> b, x, w, zz;
  std::vector<int32_t> index;
  float rnorm = -1;
  int32_t mode = -1;
};

NnlsResult run_nnls(const Matrix& a0, const std::vector<float>& b0) {
  NnlsResult r{a0, b0, {}, {}, {}, {}};
  const auto n = static_cast<std::size_t>(std::max(a0.cols, 1));
  r.x.assign(n, -7.0f);
  r.w.assign(n, -7.0f);
  r.zz.assign(static_cast<std::size_t>(std::max(a0.rows, 1)), 0.0f);
  r.index.assign(n, -7);
  NNLS(r.a.v, r.a.ld, a0.rows, a0.cols, r.b, r.x, r.rnorm, r.w, r.zz, r.index, r.mode);
  return r;
}

struct HftiResult {
  Matrix a;
  Matrix b;
  std::vector<float> rnorm, h, g;
  std::vector<int32_t> ip;
  int32_t krank = -1;
};

// Right-hand sides B0 (one per column, M rows), tolerance TAU.
HftiResult run_hfti(const Matrix& a0, const Matrix& b0, float tau) {
  const int32_t mb = std::max(a0.rows, a0.cols);
  HftiResult r{a0, Matrix(mb, b0.cols, b0.ld), {}, {}, {}, {}};
  for (int32_t jb = 1; jb <= b0.cols; ++jb) {
    for (int32_t i = 1; i <= a0.rows; ++i) r.b(i, jb) = b0(i, jb);
  }
  const auto n = static_cast<std::size_t>(std::max(a0.cols, 1));
  r.rnorm.assign(static_cast<std::size_t>(std::max(b0.cols, 1)), -7.0f);
  r.h.assign(n, 0.0f);
  r.g.assign(n, 0.0f);
  r.ip.assign(n, -7);
  HFTI(r.a.v, r.a.ld, a0.rows, a0.cols, r.b.v, r.b.ld, b0.cols, tau, r.krank, r.rnorm, r.h, r.g,
       r.ip);
  return r;
}

Matrix column(const std::vector<float>& b) {
  Matrix m(static_cast<int32_t>(b.size()), 1);
  for (std::size_t i = 0; i < b.size(); ++i) m(static_cast<int32_t>(i + 1), 1) = b[i];
  return m;
}

std::vector<float> solution(const HftiResult& r, int32_t n, int32_t jb = 1) {
  std::vector<float> x(static_cast<std::size_t>(n));
  for (int32_t j = 1; j <= n; ++j) x[static_cast<std::size_t>(j - 1)] = r.b(j, jb);
  return x;
}

// Scale of the rounding errors of a backward-stable 32-bit solve: |r| + |A| |x| + |b|.
double solve_scale(const Matrix& a, const std::vector<float>& b, const std::vector<float>& x) {
  double xn = 0;
  for (const float e : x) xn += static_cast<double>(e) * e;
  double bn = 0;
  for (const float e : b) bn += static_cast<double>(e) * e;
  return norm(residual(a, b, x)) + frobenius(a) * std::sqrt(xn) + std::sqrt(bn);
}

// The Kuhn-Tucker conditions of a solved NNLS problem: INDEX is a permutation with the positive
// coefficients first; the dual vector W is 0 on the solution set and not positive elsewhere; the
// true gradient A^T (b - A x) vanishes on the solution set and is not positive elsewhere; RNORM
// is the norm of the residual.
void expect_nnls_optimal(const Matrix& a, const std::vector<float>& b, const NnlsResult& r,
                         double tol) {
  ASSERT_EQ(r.mode, 1);
  const int32_t n = a.cols;
  std::vector<int32_t> sorted(r.index.begin(), r.index.begin() + n);
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, all_columns(n)) << "INDEX is not a permutation";
  const auto nsetp = static_cast<int32_t>(
      std::count_if(r.x.begin(), r.x.begin() + n, [](float e) { return e > 0; }));
  const auto rv = residual(a, b, r.x);
  const auto g = gradient(a, rv);
  const double scale = solve_scale(a, b, r.x);
  for (int32_t p = 1; p <= n; ++p) {
    const int32_t j = r.index[static_cast<std::size_t>(p - 1)];
    const auto jj = static_cast<std::size_t>(j - 1);
    const double gtol = tol * column_norm(a, j) * scale;
    SCOPED_TRACE(::testing::Message() << "column " << j << " at position " << p);
    if (p <= nsetp) {
      EXPECT_GT(r.x[jj], 0.0f);
      EXPECT_EQ(r.w[jj], 0.0f);
      EXPECT_LE(std::fabs(g[jj]), gtol);
    } else {
      EXPECT_EQ(r.x[jj], 0.0f);
      EXPECT_LE(r.w[jj], 0.0f);
      EXPECT_LE(g[jj], gtol);
    }
  }
  EXPECT_NEAR(r.rnorm, norm(rv), tol * scale);
}

// Residual orthogonality of an unconstrained solution: A^T (b - A x) = 0, RNORM = |b - A x|.
void expect_hfti_optimal(const Matrix& a, const std::vector<float>& b, const HftiResult& r,
                         double tol) {
  const auto x = solution(r, a.cols);
  const auto rv = residual(a, b, x);
  const auto g = gradient(a, rv);
  const double scale = solve_scale(a, b, x);
  for (int32_t j = 1; j <= a.cols; ++j) {
    SCOPED_TRACE(::testing::Message() << "column " << j);
    EXPECT_LE(std::fabs(g[static_cast<std::size_t>(j - 1)]), tol * column_norm(a, j) * scale);
  }
  EXPECT_NEAR(r.rnorm[0], norm(rv), tol * scale);
}

using fts::testing::log_to_stderr;

// ---------------------------------------------------------------------------------------------
// Random problems: tall matrices up to 4096 x 3, well and ill conditioned, with leading
// dimensions above M now and then.

enum class Kind { well, collinear, badly_scaled, band };

struct Problem {
  Matrix a;
  std::vector<float> b;
  Kind kind;
};

Problem random_problem(Rng& rng, int32_t m, int32_t n, Kind kind, int32_t lead) {
  Problem p{Matrix(m, n, lead), std::vector<float>(static_cast<std::size_t>(m)), kind};
  for (int32_t j = 1; j <= n; ++j) {
    for (int32_t i = 1; i <= m; ++i) {
      switch (kind) {
        case Kind::well:
          p.a(i, j) = rng.symmetric();
          break;
        case Kind::collinear:  // every column close to the first: condition 1e3 .. 1e4
          p.a(i, j) = j == 1 ? rng.symmetric() : p.a(i, 1) + 1e-3f * rng.symmetric();
          break;
        case Kind::badly_scaled:  // column norms spread over six decades
          p.a(i, j) = rng.symmetric() * std::pow(10.0f, static_cast<float>(3 * (j % 3) - 3));
          break;
        case Kind::band: {  // positive overlapping line profiles, as in the band fits
          const double centre = m * (0.25 + 0.25 * (j - 1));
          const double d = (i - centre) / (0.2 * m + 1);
          p.a(i, j) = static_cast<float>(std::exp(-d * d));
          break;
        }
      }
    }
  }
  // Coefficients of mixed sign, so that some constraints are active, plus noise.
  std::vector<float> xt(static_cast<std::size_t>(n));
  for (auto& e : xt) e = rng.normal();
  for (int32_t i = 1; i <= m; ++i) {
    double s = 0;
    for (int32_t j = 1; j <= n; ++j) s += static_cast<double>(p.a(i, j)) * xt[j - 1];
    p.b[static_cast<std::size_t>(i - 1)] = static_cast<float>(s + 0.1 * rng.normal());
  }
  return p;
}

template <class F>
void for_random_problems(uint32_t seed, F&& check) {
  constexpr int32_t kRows[] = {3, 8, 61, 512, 4096};
  constexpr Kind kKinds[] = {Kind::well, Kind::collinear, Kind::badly_scaled, Kind::band};
  Rng rng(seed);
  int count = 0;
  for (int repeat = 0; repeat < 5; ++repeat) {
    for (const int32_t m : kRows) {
      for (int32_t n = 1; n <= 3; ++n) {
        for (const Kind kind : kKinds) {
          const int32_t lead = (count % 3 == 0) ? m + 5 : m;
          const Problem p = random_problem(rng, m, n, kind, lead);
          SCOPED_TRACE(::testing::Message() << "problem " << count << ": " << m << " x " << n
                                            << ", kind " << static_cast<int>(kind));
          check(p);
          ++count;
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// H12.

TEST(H12, BuildsTheReflectionOfAVectorOntoItsPivot) {
  std::vector<float> u = {3, 4, 0};
  float up = 0;
  std::vector<float> c = {3, 4, 0, 1, 0, 0};  // the vector itself, then e1
  H12(1, 1, 2, 3, u, 1, up, c, 1, 3, 2);
  EXPECT_EQ(u[0], -5.0f);  // sign opposite to the pivot
  EXPECT_EQ(up, 8.0f);
  EXPECT_EQ(u[1], 4.0f);  // the rest of u stays in place
  const std::vector<float> expected = {-5, 0, 0, -0.6f, -0.8f, 0};
  for (std::size_t i = 0; i < c.size(); ++i) EXPECT_NEAR(c[i], expected[i], kFloat) << i;
}

TEST(H12, AccumulatesTheLengthIn64Bits) {
  // 4096 squares of 1e-4 are each lost beside 1 in 32-bit sums, not in 64-bit ones.
  std::vector<float> u(4097, 1e-4f);
  u[0] = 1;
  float up = 0;
  H12(1, 1, 2, 4097, u, 1, up, {}, 1, 1, 0);
  EXPECT_NEAR(u[0], -std::sqrt(1.0 + 4096 * 1e-8), 2e-7);
}

TEST(H12, AddressesRowsOfAMatrixThroughTheIncrements) {
  // The same transformation built on a column (increment 1) and on a row (increment = leading
  // dimension) of the transposed matrix gives the same numbers.
  Rng rng(11);
  constexpr int32_t kM = 6, kN = 4, kLd = 9;
  Matrix a(kM, kN), t(kN, kM, kLd);
  for (int32_t i = 1; i <= kM; ++i) {
    for (int32_t j = 1; j <= kN; ++j) t(j, i) = a(i, j) = rng.symmetric();
  }
  float up_col = 0, up_row = 0;
  H12(1, 2, 3, kM, std::span(a.v), 1, up_col, std::span(a.v).subspan(kM), 1, kM, kN - 1);
  H12(1, 2, 3, kM, std::span(t.v), kLd, up_row, std::span(t.v).subspan(1), kLd, 1, kN - 1);
  EXPECT_EQ(up_col, up_row);
  for (int32_t i = 1; i <= kM; ++i) {
    for (int32_t j = 1; j <= kN; ++j) EXPECT_EQ(a(i, j), t(j, i)) << i << "," << j;
  }
  EXPECT_TRUE(t.padding_untouched());
}

TEST(H12, AppliedTwiceRestoresTheVectorAndKeepsItsLength) {
  Rng rng(5);
  std::vector<float> u(50), c(50);
  for (auto& e : u) e = rng.symmetric();
  for (auto& e : c) e = rng.symmetric();
  const auto c0 = c;
  float up = 0;
  H12(1, 3, 4, 50, u, 1, up, {}, 1, 1, 0);
  H12(2, 3, 4, 50, u, 1, up, c, 1, 1, 1);
  double n0 = 0, n1 = 0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    n0 += static_cast<double>(c0[i]) * c0[i];
    n1 += static_cast<double>(c[i]) * c[i];
  }
  EXPECT_NEAR(std::sqrt(n1), std::sqrt(n0), kFloat * std::sqrt(n0));
  EXPECT_EQ(c[0], c0[0]);  // elements outside LPIVOT and L1..M are not part of the transform
  EXPECT_EQ(c[1], c0[1]);
  H12(2, 3, 4, 50, u, 1, up, c, 1, 1, 1);
  for (std::size_t i = 0; i < c.size(); ++i) EXPECT_NEAR(c[i], c0[i], kFloat) << i;
}

TEST(H12, ChangesNothingForInvalidRangesOrAZeroVector) {
  struct Case {
    const char* what;
    int32_t mode, lpivot, l1, m;
    float u1;  // first element of the pivot vector
  };
  constexpr Case kCases[] = {
      {"pivot 0", 1, 0, 2, 3, 1},
      {"pivot at L1", 1, 2, 2, 3, 1},
      {"pivot beyond L1", 1, 3, 2, 3, 1},
      {"L1 beyond M", 1, 1, 4, 3, 1},
      {"mode 3", 3, 1, 2, 3, 1},
      {"zero vector, mode 1", 1, 1, 2, 3, 0},
      {"zero vector, mode 2", 2, 1, 2, 3, 0},
  };
  for (const Case& k : kCases) {
    SCOPED_TRACE(k.what);
    std::vector<float> u = {k.u1, k.u1 * 2, k.u1 * 3};
    const auto u0 = u;
    float up = 42;
    std::vector<float> c = {1, 2, 3};
    H12(k.mode, k.lpivot, k.l1, k.m, u, 1, up, c, 1, 3, 1);
    EXPECT_EQ(u, u0);
    EXPECT_EQ(up, 42.0f);
    EXPECT_EQ(c, (std::vector<float>{1, 2, 3}));
  }
}

TEST(H12, Mode2AfterAZeroVectorChangesNothing) {
  std::vector<float> u = {0, 0, 0};
  float up = 0;
  H12(1, 1, 2, 3, u, 1, up, {}, 1, 1, 0);
  std::vector<float> c = {1, 2, 3};
  H12(2, 1, 2, 3, u, 1, up, c, 1, 3, 1);
  EXPECT_EQ(c, (std::vector<float>{1, 2, 3}));
}

TEST(H12DeathTest, StopsWhenTheVectorsReachBeyondTheArray) {
  const auto call = [] {
    std::vector<float> u = {3, 4, 0};
    std::vector<float> c = {1, 2};  // one vector of 3 elements does not fit
    float up = 0;
    H12(1, 1, 2, 3, u, 1, up, c, 1, 3, 1);
  };
  EXPECT_EXIT(
      {
        log_to_stderr();
        call();
      },
      ::testing::ExitedWithCode(0), "^ #H12      01> - VECTOR REACHES BEYOND ITS ARRAY\n#ERROR\n$");
}

// ---------------------------------------------------------------------------------------------
// G1, G2, DIFF.

TEST(G1, BuildsRotationsThatZeroTheSecondElement) {
  struct Case {
    float a, b, c, s, sig;
  };
  constexpr Case kCases[] = {
      {3, 4, 0.6f, 0.8f, 5},   {4, 3, 0.8f, 0.6f, 5},   {-3, 4, -0.6f, 0.8f, 5},
      {3, -4, 0.6f, -0.8f, 5}, {-4, 3, -0.8f, 0.6f, 5}, {0, 2, 0, 1, 2},
      {5, 0, 1, 0, 5},         {0, -2, 0, -1, 2},       {0, 0, 0, 1, 0},
  };
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << "a = " << k.a << ", b = " << k.b);
    float c = -9, s = -9, sig = -9;
    G1(k.a, k.b, c, s, sig);
    EXPECT_NEAR(c, k.c, kFloat);
    EXPECT_NEAR(s, k.s, kFloat);
    EXPECT_NEAR(sig, k.sig, kFloat);
    EXPECT_NEAR(c * k.a + s * k.b, sig, kFloat * 5);
    EXPECT_NEAR(-s * k.a + c * k.b, 0.0f, kFloat * 5);
  }
}

TEST(G1, WritesSigLastSoItMayOverwriteA) {
  float a = 3;
  float c = 0, s = 0;
  G1(a, 4, c, s, a);
  EXPECT_NEAR(a, 5.0f, kFloat);
  EXPECT_NEAR(c, 0.6f, kFloat);
  EXPECT_NEAR(s, 0.8f, kFloat);
}

TEST(G2, RotatesThePairOntoTheFirstAxis) {
  float c = 0, s = 0, sig = 0;
  G1(3, 4, c, s, sig);
  float x = 3, y = 4;
  G2(c, s, x, y);
  EXPECT_NEAR(x, 5.0f, kFloat);
  EXPECT_NEAR(y, 0.0f, kFloat);
}

TEST(DIFF, TellsWhetherATermSurvives32BitStorage) {
  struct Case {
    float value, term, expected;
  };
  constexpr Case kCases[] = {
      {1.0f, 1e-8f, 0.0f},      // lost
      {1.0f, 1e-7f, 0x1p-23f},  // one unit in the last place
      {100.0f, 1e-6f, 0.0f},    // lost
      {0.0f, 1e-30f, 1e-30f},   // everything survives beside 0
  };
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << k.value << " + " << k.term);
    EXPECT_EQ(DIFF(k.value + k.term, k.value), k.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// NNLS.

TEST(NNLS, DropsACoefficientThatWouldBeNegative) {
  // A straight line through (1,4), (2,3), (3,2), (4,1) has slope -1; with the slope held at 0
  // the best level is the mean 2.5.
  const Matrix a = from_rows({{1, 1}, {1, 2}, {1, 3}, {1, 4}});
  const std::vector<float> b = {4, 3, 2, 1};
  const NnlsResult r = run_nnls(a, b);
  EXPECT_EQ(r.mode, 1);
  EXPECT_NEAR(r.x[0], 2.5f, kFloat);
  EXPECT_EQ(r.x[1], 0.0f);
  EXPECT_NEAR(r.rnorm, std::sqrt(5.0f), kFloat);
  EXPECT_EQ(r.index, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(r.w[0], 0.0f);
  EXPECT_NEAR(r.w[1], -5.0f, kFloat * 5);
  expect_nnls_optimal(a, b, r, kFloat);
}

TEST(NNLS, ReturnsAnAlreadyNonNegativeSolutionUnchanged) {
  const Matrix a = from_rows({{1, 1}, {1, 2}, {1, 3}, {1, 4}});
  const std::vector<float> b = {1.5f, 2.5f, 3.5f, 4.5f};  // 0.5 + t
  const NnlsResult r = run_nnls(a, b);
  EXPECT_EQ(r.mode, 1);
  EXPECT_NEAR(r.x[0], 0.5f, kFloat);
  EXPECT_NEAR(r.x[1], 1.0f, kFloat);
  EXPECT_NEAR(r.rnorm, 0.0f, kFloat * 10);
  EXPECT_EQ(r.w, (std::vector<float>{0, 0}));
  expect_nnls_optimal(a, b, r, kFloat);
}

TEST(NNLS, ReturnsZeroWhenEveryDualComponentIsNotPositive) {
  const Matrix a = from_rows({{1, 2, 0}, {1, 0, 3}, {0, 1, 1}});
  const std::vector<float> b = {-1, -2, -3};
  const NnlsResult r = run_nnls(a, b);
  EXPECT_EQ(r.mode, 1);
  EXPECT_EQ(r.x, (std::vector<float>{0, 0, 0}));
  EXPECT_NEAR(r.rnorm, std::sqrt(14.0f), kFloat);
  EXPECT_EQ(r.index, (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(r.w, (std::vector<float>{-3, -5, -9}));  // A^T b
}

TEST(NNLS, LeavesEverythingAloneWithNoRowsOrColumns) {
  struct Case {
    int32_t m, n;
  };
  constexpr Case kCases[] = {{0, 3}, {3, 0}, {-1, 2}};
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << k.m << " x " << k.n);
    std::vector<float> a(9, 1), b(3, 1), x(3, 7), w(3, 7), zz(3, 7);
    std::vector<int32_t> index(3, 7);
    float rnorm = 7;
    int32_t mode = 0;
    NNLS(a, 3, k.m, k.n, b, x, rnorm, w, zz, index, mode);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(x, (std::vector<float>(3, 7)));
    EXPECT_EQ(rnorm, 7.0f);
    EXPECT_EQ(index, (std::vector<int32_t>(3, 7)));
    EXPECT_EQ(b, (std::vector<float>(3, 1)));
  }
}

TEST(NNLS, StopsTheMainLoopWhenTheSolutionSetHoldsMColumns) {
  // Two rows, three columns: columns 3 and 2 reproduce b exactly.
  const Matrix a = from_rows({{1, 0, 1}, {0, 1, 1}});
  const std::vector<float> b = {1, 2};
  const NnlsResult r = run_nnls(a, b);
  EXPECT_EQ(r.mode, 1);
  EXPECT_EQ(r.x[0], 0.0f);
  EXPECT_NEAR(r.x[1], 1.0f, kFloat);
  EXPECT_NEAR(r.x[2], 1.0f, kFloat);
  EXPECT_EQ(r.rnorm, 0.0f);
  EXPECT_EQ(r.w, (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(r.index, (std::vector<int32_t>{3, 2, 1}));
}

TEST(NNLS, RejectsAColumnThatDuplicatesTheSolutionSet) {
  // Column 2 is column 1 tilted by 1e-6 towards the residual: its dual component is positive
  // once columns 1 and 3 are in, but it stands out of them by less than 32-bit rounding.
  const Matrix a = from_rows({{1, 1, 0}, {0, -1e-6f, 1}, {0, 1e-6f, 0}, {0, 0, 0}});
  const std::vector<float> b = {2, 1, 0.5f, 1};
  const NnlsResult r = run_nnls(a, b);
  EXPECT_EQ(r.mode, 1);
  EXPECT_NEAR(r.x[0], 2.0f, kFloat);
  EXPECT_EQ(r.x[1], 0.0f);
  EXPECT_NEAR(r.x[2], 1.0f, kFloat);
  EXPECT_EQ(r.w[1], 0.0f);  // set to 0 on rejection
  EXPECT_NEAR(r.rnorm, std::sqrt(1.25f), kFloat);
  EXPECT_EQ(r.index, (std::vector<int32_t>{1, 3, 2}));
}

TEST(NNLS, KeepsAnExactDuplicateColumnAtZero) {
  const Matrix a = from_rows({{1, 1}, {2, 2}, {2, 2}});
  const std::vector<float> b = {1, 1, 4};
  const NnlsResult r = run_nnls(a, b);
  EXPECT_EQ(r.mode, 1);
  EXPECT_NEAR(r.x[0], 11.0f / 9.0f, kFloat);
  EXPECT_EQ(r.x[1], 0.0f);
}

TEST(NNLS, QuitsOnTheIterationCountWithAFeasibleIterate) {
  // A 4 x 5 problem found by search that needs 17 passes of the inner loop, above 3 N = 15.
  const Matrix a = from_rows({
      {0.193507358f, -3.33242893f, 0.681733489f, -0.388973325f, -1.53324604f},
      {-0.312721103f, -3.99305344f, 5.0626688f, 0.506078601f, -0.252996325f},
      {-0.195789292f, -0.952948093f, 1.80657327f, 0.0500937141f, -0.0805549175f},
      {-0.61832571f, -0.724022329f, 4.0058279f, 0.143134847f, 0.205138862f},
  });
  const std::vector<float> b = {-3.68402863f, 1.04184949f, 0.893428385f, -1.70803618f};
  textio::CaptureOutput out;
  const NnlsResult r = run_nnls(a, b);
  EXPECT_EQ(out.text(), "\n NNLS QUITTING ON ITERATION COUNT.\n");
  EXPECT_EQ(r.mode, 3);
  for (const float e : r.x) EXPECT_GE(e, 0.0f);
  // RNORM belongs to the iterate returned.
  EXPECT_NEAR(r.rnorm, norm(residual(a, b, r.x)), kFloat * solve_scale(a, b, r.x));
}

TEST(NNLS, NeverTouchesRowsBeyondM) {
  Rng rng(3);
  const Problem p = random_problem(rng, 40, 3, Kind::well, 47);
  const NnlsResult r = run_nnls(p.a, p.b);
  EXPECT_EQ(r.mode, 1);
  EXPECT_TRUE(r.a.padding_untouched());
}

TEST(NNLS, MeetsTheKuhnTuckerConditionsOnRandomProblems) {
  for_random_problems(2024, [](const Problem& p) {
    const NnlsResult r = run_nnls(p.a, p.b);
    expect_nnls_optimal(p.a, p.b, r, kBackward);
    EXPECT_TRUE(r.a.padding_untouched());
  });
}

TEST(NNLS, MeetsTheKuhnTuckerConditionsWithMoreColumnsThanRows) {
  // Wide and square shapes, where the solution set may fill every row.
  Rng rng(99);
  constexpr int32_t kShapes[][2] = {{4, 6}, {6, 6}, {5, 10}, {20, 8}, {12, 12}};
  for (int repeat = 0; repeat < 20; ++repeat) {
    for (const auto& shape : kShapes) {
      const Problem p = random_problem(rng, shape[0], shape[1], Kind::well, shape[0]);
      SCOPED_TRACE(::testing::Message() << shape[0] << " x " << shape[1] << ", repeat " << repeat);
      const NnlsResult r = run_nnls(p.a, p.b);
      if (r.mode == 3) continue;  // rare, and covered above
      expect_nnls_optimal(p.a, p.b, r, kBackward);
    }
  }
}

TEST(NNLSDeathTest, StopsWhenTheArraysAreTooShort) {
  const auto call = [] {
    std::vector<float> a(5), b(3), x(2), w(2), zz(3);
    std::vector<int32_t> index(2);
    float rnorm = 0;
    int32_t mode = 0;
    NNLS(a, 3, 3, 2, b, x, rnorm, w, zz, index, mode);  // 3 x 2 needs 6 elements
  };
  EXPECT_EXIT(
      {
        log_to_stderr();
        call();
      },
      ::testing::ExitedWithCode(0), "^ #NNLS     01> - ARRAYS TOO SHORT FOR MDA, M, N\n#ERROR\n$");
}

// ---------------------------------------------------------------------------------------------
// HFTI.

TEST(HFTI, SolvesAStraightLineFitForSeveralRightHandSides) {
  const Matrix a = from_rows({{1, 1}, {1, 2}, {1, 3}, {1, 4}});
  Matrix b(4, 2);
  const float b1[] = {4.5f, 2.5f, 1.5f, 1.5f};  // 5 - t plus a residual of norm 1
  const float b2[] = {1, 2, 3, 4};              // t
  for (int32_t i = 1; i <= 4; ++i) {
    b(i, 1) = b1[i - 1];
    b(i, 2) = b2[i - 1];
  }
  const HftiResult r = run_hfti(a, b, 0);
  EXPECT_EQ(r.krank, 2);
  EXPECT_NEAR(r.b(1, 1), 5.0f, kFloat * 10);
  EXPECT_NEAR(r.b(2, 1), -1.0f, kFloat * 10);
  EXPECT_NEAR(r.rnorm[0], 1.0f, kFloat);
  EXPECT_NEAR(r.b(1, 2), 0.0f, kFloat * 10);
  EXPECT_NEAR(r.b(2, 2), 1.0f, kFloat * 10);
  EXPECT_NEAR(r.rnorm[1], 0.0f, kFloat * 10);
  EXPECT_EQ(r.ip[0], 2);  // the longer column first
}

TEST(HFTI, SolvesASingleColumnWithOneTransformation) {
  const Matrix a = from_rows({{3}, {4}});
  const HftiResult r = run_hfti(a, column({1, 2}), 0);
  EXPECT_EQ(r.krank, 1);
  EXPECT_EQ(r.ip[0], 1);
  EXPECT_NEAR(r.b(1, 1), 0.44f, kFloat);
  EXPECT_NEAR(r.rnorm[0], 0.4f, kFloat);
  EXPECT_NEAR(std::fabs(r.a(1, 1)), 5.0f, kFloat);
}

TEST(HFTI, GivesTheMinimalLengthSolutionWithFewerRowsThanColumns) {
  const Matrix a = from_rows({{1, 0, 1}, {0, 1, 1}});
  const HftiResult r = run_hfti(a, column({1, 2}), 0);
  EXPECT_EQ(r.krank, 2);
  EXPECT_NEAR(r.b(1, 1), 0.0f, kFloat);
  EXPECT_NEAR(r.b(2, 1), 1.0f, kFloat);
  EXPECT_NEAR(r.b(3, 1), 1.0f, kFloat);
  EXPECT_NEAR(r.rnorm[0], 0.0f, kFloat);
}

TEST(HFTI, SharesTheCoefficientOfTwoIdenticalColumnsEqually) {
  const Matrix a = from_rows({{1, 1, 1}, {1, 1, 2}, {1, 1, 3}, {1, 1, 4}});
  const HftiResult r = run_hfti(a, column({4.5f, 2.5f, 1.5f, 1.5f}), 1e-3f);
  EXPECT_EQ(r.krank, 2);
  EXPECT_NEAR(r.b(1, 1), 2.5f, kFloat * 10);
  EXPECT_NEAR(r.b(2, 1), 2.5f, kFloat * 10);
  EXPECT_NEAR(r.b(1, 1), r.b(2, 1), kFloat);
  EXPECT_NEAR(r.b(3, 1), -1.0f, kFloat * 10);
  EXPECT_NEAR(r.rnorm[0], 1.0f, kFloat);
}

TEST(HFTI, CountsOnlyDiagonalElementsAboveTau) {
  // Orthogonal columns: R has diagonal magnitudes 3, 2, 1e-3 (pivot order 2, 1, 3); a column
  // beyond the pseudo-rank gets coefficient 0 in the minimal-length solution, and each column
  // dropped adds 1 to the squared residual of b = (1, 1, 1, 1).
  struct Case {
    float tau;
    int32_t krank;
  };
  constexpr Case kCases[] = {{0, 3}, {1e-4f, 3}, {2e-3f, 2}, {1.5f, 2}, {2.5f, 1}, {5, 0}};
  const Matrix a = from_rows({{0, 3, 0}, {2, 0, 0}, {0, 0, 1e-3f}, {0, 0, 0}});
  constexpr float kFull[] = {0.5f, 1.0f / 3, 1000};
  constexpr int32_t kPivotPosition[] = {2, 1, 3};
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << "TAU " << k.tau);
    const HftiResult r = run_hfti(a, column({1, 1, 1, 1}), k.tau);
    EXPECT_EQ(r.krank, k.krank);
    for (int32_t j = 1; j <= 3; ++j) {
      const float want = kPivotPosition[j - 1] <= k.krank ? kFull[j - 1] : 0.0f;
      EXPECT_NEAR(r.b(j, 1), want, kFloat * std::max(1.0f, want)) << "x(" << j << ")";
    }
    EXPECT_NEAR(r.rnorm[0], std::sqrt(4.0f - static_cast<float>(k.krank)), kFloat);
  }
}

TEST(HFTI, NeverCountsAZeroDiagonalEvenWithANegativeTau) {
  // Column 1 is half of column 2: the second diagonal element comes out exactly 0.
  const Matrix a = from_rows({{1, 2}, {0, 0}});
  const HftiResult r = run_hfti(a, column({1, 1}), -1);
  EXPECT_EQ(r.krank, 1);
  EXPECT_NEAR(r.b(1, 1), 0.2f, kFloat);
  EXPECT_NEAR(r.b(2, 1), 0.4f, kFloat);
  EXPECT_NEAR(r.rnorm[0], 1.0f, kFloat);
}

TEST(HFTI, SetsOnlyKrankWhenThereIsNoDiagonal) {
  struct Case {
    int32_t m, n;
  };
  constexpr Case kCases[] = {{0, 3}, {3, 0}};
  for (const Case& k : kCases) {
    SCOPED_TRACE(::testing::Message() << k.m << " x " << k.n);
    std::vector<float> a(9, 1), b(3, 5), rnorm(1, 7), h(3, 7), g(3, 7);
    std::vector<int32_t> ip(3, 7);
    int32_t krank = 9;
    HFTI(a, 3, k.m, k.n, b, 3, 1, 0, krank, rnorm, h, g, ip);
    EXPECT_EQ(krank, 0);
    EXPECT_EQ(rnorm[0], 7.0f);
    EXPECT_EQ(b, (std::vector<float>(3, 5)));
    EXPECT_EQ(ip, (std::vector<int32_t>(3, 7)));
  }
}

TEST(HFTI, FactorisesOnlyWithNoRightHandSide) {
  const Matrix a = from_rows({{1, 1}, {1, 2}, {1, 3}});
  Matrix none(3, 0);
  const HftiResult r = run_hfti(a, none, 0);
  EXPECT_EQ(r.krank, 2);
  EXPECT_EQ(r.rnorm[0], -7.0f);
}

TEST(HFTI, AgreesWithTheNormalEquationsOnTallRandomProblems) {
  Rng rng(77);
  for (int repeat = 0; repeat < 30; ++repeat) {
    const Problem p = random_problem(rng, 200, 3, Kind::well, 203);
    const HftiResult r = run_hfti(p.a, column(p.b), 0);
    ASSERT_EQ(r.krank, 3);
    const auto ref = reference_solution(p.a, p.b);
    for (int32_t j = 1; j <= 3; ++j) {
      EXPECT_NEAR(r.b(j, 1), ref[static_cast<std::size_t>(j - 1)], kLoose) << "x(" << j << ")";
    }
    EXPECT_TRUE(r.a.padding_untouched());
  }
}

TEST(HFTI, LeavesTheResidualOrthogonalToTheColumnsOfRandomProblems) {
  for_random_problems(4711, [](const Problem& p) {
    const HftiResult r = run_hfti(p.a, column(p.b), 0);
    ASSERT_EQ(r.krank, p.a.cols);
    expect_hfti_optimal(p.a, p.b, r, kBackward);
    EXPECT_TRUE(r.a.padding_untouched());
  });
}

TEST(HFTI, SolvesEachRightHandSideAsItWouldAlone) {
  Rng rng(8);
  constexpr int32_t kM = 100, kN = 3, kNb = 6;
  const Problem p = random_problem(rng, kM, kN, Kind::well, kM);
  Matrix b(kM, kNb);
  for (int32_t jb = 1; jb <= kNb; ++jb) {
    for (int32_t i = 1; i <= kM; ++i) b(i, jb) = rng.symmetric();
  }
  const HftiResult all = run_hfti(p.a, b, 0);
  for (int32_t jb = 1; jb <= kNb; ++jb) {
    SCOPED_TRACE(::testing::Message() << "right-hand side " << jb);
    Matrix one(kM, 1);
    for (int32_t i = 1; i <= kM; ++i) one(i, 1) = b(i, jb);
    const HftiResult alone = run_hfti(p.a, one, 0);
    for (int32_t j = 1; j <= kN; ++j) EXPECT_EQ(all.b(j, jb), alone.b(j, 1)) << "x(" << j << ")";
    EXPECT_EQ(all.rnorm[static_cast<std::size_t>(jb - 1)], alone.rnorm[0]);
  }
}

TEST(HFTI, FinishesOnDataThatAreNotNumbers) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Matrix a = from_rows({{1, nan}, {inf, 2}, {3, 4}});
  const HftiResult r = run_hfti(a, column({1, nan, 2}), 0);
  EXPECT_GE(r.krank, 0);
  EXPECT_LE(r.krank, 2);
  const NnlsResult s = run_nnls(a, {1, nan, 2});
  EXPECT_TRUE(s.mode == 1 || s.mode == 3);
}

TEST(HFTIDeathTest, StopsWhenTheRightHandSidesDoNotFit) {
  const auto call = [] {
    std::vector<float> a(6, 1), b(5), rnorm(2), h(2), g(2);
    std::vector<int32_t> ip(2);
    int32_t krank = 0;
    HFTI(a, 3, 3, 2, b, 3, 2, 0, krank, rnorm, h, g, ip);  // 2 columns of 3 need 6
  };
  EXPECT_EXIT(
      {
        log_to_stderr();
        call();
      },
      ::testing::ExitedWithCode(0), "^ #HFTI     02> - ARRAYS TOO SHORT FOR MDB, NB\n#ERROR\n$");
}

// ---------------------------------------------------------------------------------------------
// COVAR and NNCOVR.

TEST(COVAR, GivesTheInverseSquareOfASingleColumn) {
  HftiResult r = run_hfti(from_rows({{3}, {4}}), column({1, 2}), 0);
  COVAR(r.a.v, r.a.ld, 2, 1, r.ip);
  EXPECT_NEAR(r.a(1, 1), 0.04f, kFloat);
}

TEST(COVAR, GivesReciprocalSquaredNormsForADiagonalMatrix) {
  const Matrix a = from_rows({{2, 0, 0}, {0, 5, 0}, {0, 0, 3}});
  HftiResult r = run_hfti(a, column({1, 1, 1}), 0);
  ASSERT_EQ(r.krank, 3);
  EXPECT_EQ(r.ip[0], 2);  // pivoting did move the columns
  COVAR(r.a.v, r.a.ld, 3, 3, r.ip);
  const float diagonal[] = {0.25f, 0.04f, 1.0f / 9};
  for (int32_t i = 1; i <= 3; ++i) {
    EXPECT_NEAR(r.a(i, i), diagonal[i - 1], kFloat) << i;
    for (int32_t j = i + 1; j <= 3; ++j) EXPECT_EQ(r.a(i, j), 0.0f) << i << "," << j;
  }
}

TEST(COVAR, ReproducesTheInverseNormalMatrixInTheInputColumnOrder) {
  Rng rng(31);
  int pivoted = 0;
  for (int repeat = 0; repeat < 40; ++repeat) {
    const int32_t n = 1 + repeat % 5;
    const int32_t m = 3 * n + repeat;
    Matrix a(m, n, m + repeat % 3);
    for (int32_t j = 1; j <= n; ++j) {
      // Column scales in a scrambled order, so that HFTI interchanges columns.
      const float scale = std::pow(3.0f, static_cast<float>((j * 7 + repeat) % 5));
      for (int32_t i = 1; i <= m; ++i) a(i, j) = scale * rng.symmetric();
    }
    SCOPED_TRACE(::testing::Message() << m << " x " << n << ", repeat " << repeat);
    HftiResult r = run_hfti(a, column(std::vector<float>(static_cast<std::size_t>(m), 1)), 0);
    ASSERT_EQ(r.krank, n);
    for (int32_t j = 1; j < n; ++j) pivoted += r.ip[static_cast<std::size_t>(j - 1)] != j;
    const Matrix before = r.a;
    COVAR(r.a.v, r.a.ld, m, n, r.ip);
    const auto ref = inverse_normal(a, all_columns(n));
    for (int32_t i = 1; i <= n; ++i) {
      for (int32_t j = 1; j <= n; ++j) {
        const auto ii = static_cast<std::size_t>(i - 1), jj = static_cast<std::size_t>(j - 1);
        if (i <= j) {
          EXPECT_NEAR(r.a(i, j), ref[ii][jj], kLoose * std::sqrt(ref[ii][ii] * ref[jj][jj]))
              << i << "," << j;
        } else {
          EXPECT_EQ(r.a(i, j), before(i, j)) << "below the diagonal " << i << "," << j;
        }
      }
    }
    EXPECT_TRUE(r.a.padding_untouched());
  }
  EXPECT_GT(pivoted, 10);
}

TEST(COVAR, LeavesAZeroDiagonalElementZero) {
  Matrix r = from_rows({{2, 1}, {0, 0}});
  const std::vector<int32_t> ip = {1, 2};
  COVAR(r.v, r.ld, 2, 2, ip);
  EXPECT_EQ(r(2, 2), 0.0f);
  EXPECT_NEAR(r(1, 1), 0.25f, kFloat);
  EXPECT_EQ(r(1, 2), 0.0f);
}

TEST(COVARDeathTest, StopsOnAPivotIndexOutsideTheMatrix) {
  const auto call = [] {
    Matrix r = from_rows({{2, 1}, {0, 1}});
    const std::vector<int32_t> ip = {3, 2};
    COVAR(r.v, r.ld, 2, 2, ip);
  };
  EXPECT_EXIT(
      {
        log_to_stderr();
        call();
      },
      ::testing::ExitedWithCode(0), "^ #COVAR    02> - PIVOT INDEX OUT OF RANGE\n#ERROR\n$");
}

TEST(NNCOVR, GivesTheCovarianceOfTheSolutionSetInIndexOrder) {
  // b = A (2, -1, 1): column 3 enters first, then column 1; column 2 stays out.
  const Matrix a = from_rows({{1, 1, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 1}, {0, 0, 1}});
  const std::vector<float> b = {1, 3, 1, 2, 1};
  NnlsResult r = run_nnls(a, b);
  ASSERT_EQ(r.mode, 1);
  EXPECT_EQ(r.index, (std::vector<int32_t>{3, 1, 2}));
  const auto nsetp =
      static_cast<int32_t>(std::count_if(r.x.begin(), r.x.end(), [](float e) { return e > 0; }));
  ASSERT_EQ(nsetp, 2);
  const std::vector<int32_t> set(r.index.begin(), r.index.begin() + nsetp);
  NNCOVR(r.a.v, r.a.ld, a.rows, nsetp, r.index);
  const auto ref = inverse_normal(a, set);
  for (int32_t i = 1; i <= nsetp; ++i) {
    for (int32_t j = i; j <= nsetp; ++j) {
      const auto ii = static_cast<std::size_t>(i - 1), jj = static_cast<std::size_t>(j - 1);
      EXPECT_NEAR(r.a(i, set[jj]), ref[ii][jj], kFloat * 10) << i << "," << j;
    }
  }
}

TEST(NNCOVR, MatchesTheInverseNormalMatrixOfTheSolutionSetOnRandomProblems) {
  for_random_problems(606, [](const Problem& p) {
    if (p.kind != Kind::well) return;  // the others square a large condition number
    NnlsResult r = run_nnls(p.a, p.b);
    ASSERT_EQ(r.mode, 1);
    const auto nsetp =
        static_cast<int32_t>(std::count_if(r.x.begin(), r.x.end(), [](float e) { return e > 0; }));
    const std::vector<int32_t> set(r.index.begin(), r.index.begin() + nsetp);
    NNCOVR(r.a.v, r.a.ld, p.a.rows, nsetp, r.index);
    const auto ref = inverse_normal(p.a, set);
    for (int32_t i = 1; i <= nsetp; ++i) {
      for (int32_t j = i; j <= nsetp; ++j) {
        const auto ii = static_cast<std::size_t>(i - 1), jj = static_cast<std::size_t>(j - 1);
        EXPECT_NEAR(r.a(i, set[jj]), ref[ii][jj], kLoose * std::sqrt(ref[ii][ii] * ref[jj][jj]))
            << i << "," << j;
      }
    }
  });
}

}  // namespace
}  // namespace fts
