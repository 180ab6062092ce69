// ftslsq: least-squares solvers (Householder, Givens, NNLS, HFTI) and their covariance.
//
// H12, G1, G2, DIFF, NNLS and HFTI follow C. L. Lawson and R. J. Hanson, Solving Least Squares
// Problems (Prentice-Hall, 1974): the Householder transformation and the Givens rotation, the
// algorithm HFTI (Householder triangularisation with column pivoting and pseudo-rank) and the
// active-set algorithm NNLS for non-negative least squares. COVAR and NNCOVR form (R^T R)^-1
// from the triangular factor these solvers leave, as the same book computes the covariance
// matrix of the solution parameters.
#include "fts/ftslsq.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

#include "fts/detail/wide.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftssums.hpp"
#include "fts/textio.hpp"

namespace fts {

namespace {

// NNLS: a new column must stand out of the solution set by this fraction of its new diagonal.
constexpr float kNnlsFactor = 0.01f;
// HFTI: the updated column lengths are kept while the largest stays above this fraction of the
// largest at the last full computation.
constexpr float kHftiFactor = 0.001f;
// NNLS: a step length that marks "no coefficient reaches 0".
constexpr float kUnlimited = 2.0f;

// A column-major matrix with leading dimension ld, indexed from 1: the one place where the
// 1-based indices of the interfaces become storage offsets.
class Mat1 {
 public:
  Mat1(float* p, int32_t ld) : p_(p), ld_(ld) {}
  float& operator()(int32_t i, int32_t j) const {
    return p_[(static_cast<std::ptrdiff_t>(j) - 1) * ld_ + (i - 1)];
  }
  float* col(int32_t j) const { return &(*this)(1, j); }  // element (1, j)
  float* at(int32_t i, int32_t j) const { return &(*this)(i, j); }

 private:
  float* p_;
  std::ptrdiff_t ld_;
};

// A vector indexed from 1.
template <class T>
class Vec1 {
 public:
  explicit Vec1(T* p) : p_(p) {}
  T& operator()(int32_t i) const { return p_[i - 1]; }
  T* data() const { return p_; }

 private:
  T* p_;
};

double sq(double v) {
  return v * v;
}

// True when POS (an offset from 0) lies inside an array of SIZE elements.
bool inside(std::size_t size, int64_t pos) {
  return pos >= 0 && pos < static_cast<int64_t>(size);
}

// True when an array of SIZE elements holds a ROWS x COLS matrix with leading dimension LD
// (LD >= ROWS >= 1 and COLS >= 1 assumed).
bool holds_matrix(std::size_t size, int32_t ld, int32_t rows, int32_t cols) {
  return inside(size, (static_cast<int64_t>(cols) - 1) * ld + rows - 1);
}

// A Householder transformation ready to be applied: the vector u (element i at u[(i-1)*iue]),
// pivot LPIVOT, range L1..M, the pivot component UP and 1/b, all as H12 defines them.
struct Reflector {
  int32_t lpivot = 0, l1 = 0, m = 0;
  const float* u = nullptr;
  std::ptrdiff_t iue = 1;
  double up = 0, binv = 0;
};

// Sixteen 32-bit reals (and their bits) as vectors of the compiler, lane by lane.
using Floats = float __attribute__((vector_size(64)));
using Bits = uint32_t __attribute__((vector_size(64)));

// The largest of CL and |v(i)|, i < COUNT, of a contiguous vector, in sixteen interleaved lanes
// (the maximum of numbers does not depend on the order of comparison). A NaN element never wins
// a comparison and so is passed over (its NaN then shows in the sum of squares).
FTS_WIDE_CLONES float max_abs_contiguous(const float* v, int32_t count, float cl) {
  const auto larger = [](float c, float e) { return c < e ? e : c; };
  Floats lanes;
  for (int k = 0; k < 16; ++k) lanes[k] = cl;
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    Bits bits;
    std::memcpy(&bits, v + i, sizeof bits);
    const Floats magnitude = reinterpret_cast<Floats>(bits & 0x7FFFFFFFu);
    lanes = lanes < magnitude ? magnitude : lanes;
  }
  for (; i < count; ++i) cl = larger(cl, std::fabs(v[i]));
  for (int k = 0; k < 16; ++k) cl = larger(cl, lanes[k]);
  return cl;
}

// The largest of CL and |u(j)|, j = L1..M.
float max_abs(const float* u, std::ptrdiff_t iue, int32_t l1, int32_t m, float cl) {
  const auto larger = [](float c, float e) { return c < e ? e : c; };
  const int32_t count = m - l1 + 1;
  const float* const v = u + (l1 - 1) * iue;
  if (iue == 1) return max_abs_contiguous(v, count, cl);
  for (int32_t i = 0; i < count; ++i) cl = larger(cl, std::fabs(v[i * iue]));
  return cl;
}

// Steps 1 to 5 of H12 without the vectors: checks the range, builds the transformation (mode 1)
// or takes the one built before (mode 2), and returns true with Q filled in when there is
// something to apply (b < 0).
bool h12_prepare(int32_t mode, int32_t lpivot, int32_t l1, int32_t m, float* u, std::ptrdiff_t iue,
                 float& up, Reflector& q) {
  // Nothing to do for an empty or inverted range.
  if (lpivot <= 0 || lpivot >= l1 || l1 > m) return false;
  if (mode != 1 && mode != 2) return false;
  float* const upiv = u + (lpivot - 1) * iue;
  float cl = std::fabs(*upiv);

  if (mode == 1) {
    // Construct: the largest magnitude scales the sum of squares against overflow.
    cl = max_abs(u, iue, l1, m, cl);
    if (cl <= 0) return false;
    const float clinv = 1.0f / cl;
    double sm = sq(static_cast<double>(*upiv) * clinv);
    sm += split::scaled_squares(u + (l1 - 1) * iue, iue, m - l1 + 1, clinv);
    // The length is taken from the sum rounded to 32 bits.
    cl = cl * std::sqrt(static_cast<float>(sm));
    // The sign opposite to the pivot avoids cancellation in UP.
    if (*upiv > 0) cl = -cl;
    up = *upiv - cl;
    *upiv = cl;
  } else if (cl <= 0) {
    // Apply: a transformation built from a zero vector is the identity.
    return false;
  }

  // b = UP * s must be negative for a proper reflection.
  const double b = static_cast<double>(up) * static_cast<double>(*upiv);
  if (b >= 0) return false;
  q = Reflector{lpivot, l1, m, u, iue, static_cast<double>(up), 1.0 / b};
  return true;
}

// c(i) = c(i) + t u(i) for i < COUNT, in 64 bits and rounded to 32 bits on storing.
FTS_WIDE_CLONES void add_multiple(float* c, const float* u, int32_t count, double t) {
  for (int32_t i = 0; i < count; ++i) {
    c[i] = static_cast<float>(static_cast<double>(c[i]) + t * static_cast<double>(u[i]));
  }
}

// Step 6 of H12 on the NVEC vectors of CPIV: CPIV[v] points at element LPIVOT of vector v, whose
// elements lie ICE apart. Each vector gets exactly the arithmetic of its own H12 call. The
// vectors must not overlap each other or u.
void h12_apply_all(const Reflector& q, float* const* cpiv, int32_t nvec, std::ptrdiff_t ice) {
  const int32_t count = q.m - q.l1 + 1;
  const std::ptrdiff_t off = (q.l1 - q.lpivot) * ice;
  const float* const u1 = q.u + (q.l1 - 1) * q.iue;
  for (int32_t v = 0; v < nvec; ++v) {
    float* const cp = cpiv[v];
    // sm = c(LPIVOT) UP + the sum over L1..M of c(i) u(i), in 64 bits (split sum).
    const double sm = static_cast<double>(*cp) * q.up + split::dot(cp + off, ice, u1, q.iue, count);
    // c += (sm / b) u; a vector with sm exactly 0 is left unchanged.
    if (sm == 0) continue;
    const double t = sm * q.binv;
    *cp = static_cast<float>(*cp + t * q.up);
    float* const c1 = cp + off;
    if (ice == 1 && q.iue == 1) {
      add_multiple(c1, u1, count, t);
    } else {
      for (int32_t i = 0; i < count; ++i) {
        c1[i * ice] = static_cast<float>(c1[i * ice] + t * static_cast<double>(u1[i * q.iue]));
      }
    }
  }
}

// H12 on raw storage, without the storage checks (the callers in this file have checked their
// arrays): element i of vector v of C is c[(i-1)*ice + (v-1)*icv]; the vectors are transformed
// one after the other, exactly as the loop over the vectors reads.
void h12(int32_t mode, int32_t lpivot, int32_t l1, int32_t m, float* u, std::ptrdiff_t iue,
         float& up, float* c, std::ptrdiff_t ice, std::ptrdiff_t icv, int32_t ncv) {
  Reflector q;
  if (!h12_prepare(mode, lpivot, l1, m, u, iue, up, q) || ncv <= 0) return;
  for (int32_t v = 1; v <= ncv; ++v) {
    float* const cpiv = c + ((lpivot - 1) * ice + (v - 1) * icv);
    h12_apply_all(q, &cpiv, 1, ice);
  }
}

// Steps 1 and 2 of the covariance routines on the N x N factor r(i, j) = a(i, col(j)): the
// inverse T of the upper triangle in place, then the upper triangle of T T^T in place.
template <class Col>
void invert_and_square(const Mat1& a, int32_t n, const Col& col) {
  auto r = [&](int32_t i, int32_t j) -> float& { return a(i, col(j)); };

  // Invert R row by row; a zero diagonal element stays 0.
  for (int32_t i = 1; i <= n; ++i) {
    if (r(i, i) != 0) r(i, i) = 1.0f / r(i, i);
  }
  for (int32_t i = 1; i < n; ++i) {
    for (int32_t j = i + 1; j <= n; ++j) {
      double sm = 0;
      for (int32_t l = i; l < j; ++l) sm += static_cast<double>(r(i, l)) * r(l, j);
      r(i, j) = static_cast<float>(-static_cast<double>(r(j, j)) * sm);
    }
  }

  // T T^T: row i of the result needs rows i and below of T, which are still untouched.
  for (int32_t i = 1; i <= n; ++i) {
    for (int32_t j = i; j <= n; ++j) {
      double sm = 0;
      for (int32_t l = j; l <= n; ++l) sm += static_cast<double>(r(i, l)) * r(j, l);
      r(i, j) = static_cast<float>(sm);
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Building blocks.

// H12: construct and/or apply one Householder transformation Q = I + b^-1 u u^T.
// Given:     MODE     1 = construct from U and apply, 2 = apply one built by an earlier call
//            LPIVOT   index of the pivot element
//            L1, M    the transformation zeroes elements L1..M of the pivot vector
//            IUE      storage increment between elements of U
//            ICE      storage increment between elements of one vector of C
//            ICV      storage increment between the first elements of successive vectors of C
//            NCV      number of vectors of C to transform (0 or less: none)
// Given and returned:
//            U        the pivot vector, element i at U[(i-1)*IUE]; mode 1 puts the new pivot
//                     value s in element LPIVOT and leaves u(L1..M) in place
//            UP       pivot component of u (returned by mode 1, given to mode 2)
//            C        the vectors to transform, element i of vector v at
//                     C[(i-1)*ICE + (v-1)*ICV]
// Notes:
// 1. Nothing changes when LPIVOT <= 0, LPIVOT >= L1, L1 > M, MODE is neither 1 nor 2, the vector
//    is zero (mode 1 then leaves UP as it was) or b = UP*s >= 0.
// 2. The sum of squares of mode 1, the inner products of the application and b are 64-bit; the
//    length is taken from the sum rounded to 32 bits; each element is rounded once on storing.
//    The sums over L1..M are split sums (ftssums: sixteen partial sums fixed by the element
//    positions), added to the pivot's term: pivot term + split sum.
// 3. A vector whose inner product with u is exactly 0 is left unchanged.
// 4. U and C may be parts of one array (a column and the columns after it).
// Reference: Lawson and Hanson (1974).
void H12(int32_t MODE, int32_t LPIVOT, int32_t L1, int32_t M, std::span<float> U, int32_t IUE,
         float& UP, std::span<float> C, int32_t ICE, int32_t ICV, int32_t NCV) {
  if (LPIVOT <= 0 || LPIVOT >= L1 || L1 > M || (MODE != 1 && MODE != 2)) return;
  // The pivot vector runs from element LPIVOT to element M; the vectors of C are spanned by the
  // corners of their index box.
  bool fits =
      inside(U.size(), (int64_t{LPIVOT} - 1) * IUE) && inside(U.size(), (int64_t{M} - 1) * IUE);
  if (NCV > 0) {
    for (const int64_t i : {int64_t{LPIVOT}, int64_t{M}}) {
      for (const int64_t v : {int64_t{1}, int64_t{NCV}}) {
        fits = fits && inside(C.size(), (i - 1) * ICE + (v - 1) * ICV);
      }
    }
  }
  if (!fits) STPLOG(1, "H12      01> - VECTOR REACHES BEYOND ITS ARRAY");
  h12(MODE, LPIVOT, L1, M, U.data(), IUE, UP, C.data(), ICE, ICV, NCV);
}

// G1: construct the Givens rotation that zeroes B against A.
// Given:     A, B     the pair to rotate
// Returned:  CTERM    c
//            STERM    s, with c*A + s*B = SIG and -s*A + c*B = 0
//            SIG      sqrt(A^2 + B^2)
// Notes: A and B are taken by value, so SIG may be the caller's A or B. For A = B = 0 the
// rotation is c = 0, s = 1 and SIG = 0.
// Reference: Lawson and Hanson (1974).
void G1(float A, float B, float& CTERM, float& STERM, float& SIG) {
  if (std::fabs(A) > std::fabs(B)) {
    const float xr = B / A;
    const float yr = std::sqrt(1.0f + xr * xr);
    CTERM = std::copysign(1.0f / yr, A);
    STERM = CTERM * xr;
    SIG = std::fabs(A) * yr;
  } else if (B != 0) {
    const float xr = A / B;
    const float yr = std::sqrt(1.0f + xr * xr);
    STERM = std::copysign(1.0f / yr, B);
    CTERM = STERM * xr;
    SIG = std::fabs(B) * yr;
  } else {
    SIG = 0;
    CTERM = 0;
    STERM = 1;
  }
}

// G2: apply a Givens rotation to a pair.
// Given:     CTERM, STERM   the rotation from G1
// Given and returned:
//            X, Y           replaced by (c*X + s*Y, -s*X + c*Y)
// Reference: Lawson and Hanson (1974).
void G2(float CTERM, float STERM, float& X, float& Y) {
  const float xr = CTERM * X + STERM * Y;
  Y = -STERM * X + CTERM * Y;
  X = xr;
}

// DIFF: X - Y in 32 bits.
// Given:     X, Y
// Returned:  X - Y (function value)
// Notes: callers pass a sum "value + small term" as X; the sum is rounded to 32 bits when it
// becomes the argument, so DIFF(v + t, v) is 0 exactly when t is lost in 32-bit storage.
// Reference: Lawson and Hanson (1974).
float DIFF(float X, float Y) {
  return X - Y;
}

// ---------------------------------------------------------------------------------------------
// Solvers.

// NNLS: non-negative least squares, minimise |A x - B| subject to x >= 0.
// Given:     MDA      leading dimension of A (at least M)
//            M, N     rows and columns of A
// Given and returned:
//            A        the M x N design matrix; returned as Q A, the triangular factor of the
//                     solution set in rows 1..k of columns INDEX(1..k)
//            B        the M data; returned as Q B
// Returned:  X        the N coefficients
//            RNORM    Euclidean norm of the final residual
//            W        the dual vector as last computed, 0 for the solution set and for
//                     candidates rejected since; all 0 when the solution set holds M columns
//            INDEX    the solution set (set P) first, then the other columns (set Z)
//            MODE     1 = solved, 2 = M <= 0 or N <= 0 (nothing else touched),
//                     3 = iteration limit reached (the current iterate is returned)
// Given:     ZZ       work array of M elements
// Notes:
// 1. The inner loop may run 3*N times in one call; the next pass writes an empty line and
//    " NNLS QUITTING ON ITERATION COUNT." to standard output and ends the solve with MODE = 3.
//    X is then the last feasible iterate and RNORM the norm of its own residual (not that of
//    the unconstrained solution of the solution set).
// 2. The dual vector, the column norms of the independence test and the residual norm are
//    accumulated in 64 bits and rounded once; everything else is 32-bit. The sums over the rows
//    (the dual vector, the residual norm and those of H12) are split sums (ftssums).
// 3. A storage array too short for MDA, M and N stops the run with a message.
// Reference: Lawson and Hanson (1974), algorithm NNLS.
void NNLS(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<float> B,
          std::span<float> X, float& RNORM, std::span<float> W, std::span<float> ZZ,
          std::span<int32_t> INDEX, int32_t& MODE) {
  MODE = 1;
  if (M <= 0 || N <= 0) {
    MODE = 2;
    return;
  }
  const auto m = static_cast<std::size_t>(M);
  const auto n = static_cast<std::size_t>(N);
  if (MDA < M || !holds_matrix(A.size(), MDA, M, N) || B.size() < m || X.size() < n ||
      W.size() < n || ZZ.size() < m || INDEX.size() < n) {
    STPLOG(1, "NNLS     01> - ARRAYS TOO SHORT FOR MDA, M, N");
  }
  const Mat1 a(A.data(), MDA);
  const Vec1<float> b(B.data());
  const Vec1<float> x(X.data());
  const Vec1<float> w(W.data());
  const Vec1<float> zz(ZZ.data());
  const Vec1<int32_t> index(INDEX.data());

  // Triangular solve on the solution set: R z = zz, z returned in zz(1..nsetp).
  auto solve = [&](int32_t nsetp) {
    int32_t jj = 0;
    for (int32_t ip = nsetp; ip >= 1; --ip) {
      if (ip != nsetp) {
        for (int32_t ii = 1; ii <= ip; ++ii) zz(ii) = zz(ii) - a(ii, jj) * zz(ip + 1);
      }
      jj = index(ip);
      zz(ip) = zz(ip) / a(ip, jj);
    }
  };

  // Step 1: every coefficient 0, every column in set Z.
  int32_t iter = 0;
  const int64_t itmax = 3 * int64_t{N};
  for (int32_t j = 1; j <= N; ++j) {
    x(j) = 0;
    index(j) = j;
  }
  const int32_t iz2 = N;
  int32_t iz1 = 1;
  int32_t nsetp = 0;
  int32_t npp1 = 1;
  float up = 0;

  // Outer loop: bring one more column into the solution set.
  for (;;) {
    // Quit when every column is in P or P has as many columns as there are rows.
    if (iz1 > iz2 || nsetp >= M) break;

    // Step 2: dual vector w = A^T (b - A x) for the columns of Z, from rows npp1..M of the
    // transformed problem.
    for (int32_t iz = iz1; iz <= iz2; ++iz) {
      const int32_t jz = index(iz);
      w(jz) = static_cast<float>(split::dot(a.at(npp1, jz), 1, &b(npp1), 1, M - npp1 + 1));
    }

    // Steps 3 and 4: the column of largest positive dual component that is independent of P
    // and would enter with a positive coefficient.
    int32_t iz = 0;
    int32_t j = 0;
    bool accepted = false;
    for (;;) {
      float wmax = 0;
      int32_t izmax = 0;
      for (int32_t i = iz1; i <= iz2; ++i) {
        const int32_t jw = index(i);
        if (w(jw) > wmax) {
          wmax = w(jw);
          izmax = i;
        }
      }
      // No positive dual component: the Kuhn-Tucker conditions hold.
      if (wmax <= 0) break;
      iz = izmax;
      j = index(iz);

      // Householder transformation that would make column j the next row of R.
      const float asave = a(npp1, j);
      h12(1, npp1, npp1 + 1, M, a.col(j), 1, up, nullptr, 1, 1, 0);
      float unorm = 0;
      if (nsetp != 0) {
        double sm = 0;
        for (int32_t l = 1; l <= nsetp; ++l) sm += sq(a(l, j));
        unorm = static_cast<float>(std::sqrt(sm));
      }
      // Independence test: the new diagonal element must show in 32-bit storage beside the
      // part of the column already spanned by P.
      if (DIFF(unorm + std::fabs(a(npp1, j)) * kNnlsFactor, unorm) > 0) {
        for (int32_t l = 1; l <= M; ++l) zz(l) = b(l);
        h12(2, npp1, npp1 + 1, M, a.col(j), 1, up, zz.data(), 1, 1, 1);
        const float ztest = zz(npp1) / a(npp1, j);
        if (ztest > 0) {
          accepted = true;
          break;
        }
      }
      // Rejected: restore the column and look for another candidate.
      a(npp1, j) = asave;
      w(j) = 0;
    }
    if (!accepted) break;

    // Step 5: move column j from Z to P and transform the rest of the problem.
    for (int32_t l = 1; l <= M; ++l) b(l) = zz(l);
    index(iz) = index(iz1);
    index(iz1) = j;
    ++iz1;
    nsetp = npp1;
    ++npp1;
    Reflector q;
    if (h12_prepare(2, nsetp, npp1, M, a.col(j), 1, up, q)) {
      for (int32_t jz = iz1; jz <= iz2; jz += 4) {
        const int32_t k = std::min(4, iz2 - jz + 1);
        float* group[4];
        for (int32_t t = 0; t < k; ++t) group[t] = a.at(nsetp, index(jz + t));
        h12_apply_all(q, group, k, 1);
      }
    }
    if (nsetp != M) {
      for (int32_t l = npp1; l <= M; ++l) a(l, j) = 0;
    }
    w(j) = 0;
    solve(nsetp);

    // Inner loop: while the unconstrained solution z of P is not feasible, move back towards
    // the feasible point and drop the coefficients that reach 0.
    for (;;) {
      // Step 6.
      ++iter;
      if (iter > itmax) {
        MODE = 3;
        textio::put_line("");
        textio::put_line(" NNLS QUITTING ON ITERATION COUNT.");
        break;
      }
      float alpha = kUnlimited;
      int32_t jj = 0;
      for (int32_t ip = 1; ip <= nsetp; ++ip) {
        const int32_t l = index(ip);
        if (zz(ip) <= 0) {
          const float t = -x(l) / (zz(ip) - x(l));
          if (alpha > t) {
            alpha = t;
            jj = ip;
          }
        }
      }
      // Feasible: z is the new iterate.
      if (alpha == kUnlimited) break;

      // Step 7: interpolate between x and z, as far as feasibility allows.
      for (int32_t ip = 1; ip <= nsetp; ++ip) {
        const int32_t l = index(ip);
        x(l) = x(l) + alpha * (zz(ip) - x(l));
      }
      // Move coefficient i (at position jj of P) back to Z, restoring R by Givens rotations;
      // then any other coefficient of P that is not positive (rounding safeguard).
      int32_t i = index(jj);
      for (;;) {
        x(i) = 0;
        if (jj != nsetp) {
          ++jj;
          for (int32_t jp = jj; jp <= nsetp; ++jp) {
            const int32_t ii = index(jp);
            index(jp - 1) = ii;
            float cc = 0;
            float ss = 0;
            G1(a(jp - 1, ii), a(jp, ii), cc, ss, a(jp - 1, ii));
            a(jp, ii) = 0;
            for (int32_t l = 1; l <= N; ++l) {
              if (l != ii) G2(cc, ss, a(jp - 1, l), a(jp, l));
            }
            G2(cc, ss, b(jp - 1), b(jp));
          }
        }
        npp1 = nsetp;
        --nsetp;
        --iz1;
        index(iz1) = i;
        bool again = false;
        for (jj = 1; jj <= nsetp; ++jj) {
          i = index(jj);
          if (x(i) <= 0) {
            again = true;
            break;
          }
        }
        if (!again) break;
      }
      for (int32_t l = 1; l <= M; ++l) zz(l) = b(l);
      solve(nsetp);
    }
    if (MODE == 3) break;
    for (int32_t ip = 1; ip <= nsetp; ++ip) x(index(ip)) = zz(ip);
  }

  // Step 9: norm of the residual, the part of Q b below the rows of R. After the iteration limit
  // x is not the solution z of P, so the rows of R add their part of Q b - R x.
  double sm = 0;
  if (MODE == 3) {
    for (int32_t i = 1; i <= nsetp; ++i) {
      double t = b(i);
      for (int32_t p = i; p <= nsetp; ++p) t -= static_cast<double>(a(i, index(p))) * x(index(p));
      sm += sq(t);
    }
  }
  if (npp1 <= M) {
    sm += split::squares(&b(npp1), 1, M - npp1 + 1);
  } else {
    for (int32_t j = 1; j <= N; ++j) w(j) = 0;
  }
  RNORM = static_cast<float>(std::sqrt(sm));
}

// HFTI: least squares by Householder triangularisation with column pivoting and pseudo-rank.
// Given:     MDA      leading dimension of A (at least M)
//            M, N     rows and columns of A
//            MDB      leading dimension of B (at least max(M, N))
//            NB       number of right-hand sides (0 or less: factorise only)
//            TAU      absolute tolerance: the pseudo-rank counts the leading diagonal elements
//                     of R whose magnitude exceeds it
// Given and returned:
//            A        the M x N matrix; returned as R in the upper triangle of the first KRANK
//                     rows (further transformed when KRANK < N), the Householder vectors below
//            B        the NB right-hand sides; returned with the solutions in rows 1..N
// Returned:  KRANK    pseudo-rank
//            RNORM    residual norm of each right-hand side
//            H, G     pivot components of the column and row transformations (N elements)
//            IP       IP(j) = the column interchanged with column j at step j, j = 1..min(M, N)
// Notes:
// 1. With min(M, N) = 0 only KRANK (= 0) is set.
// 2. With KRANK < N the solution is the one of minimal length.
// 3. The inner products of the back substitution are 64-bit and each solution element is
//    rounded once; the column lengths and residual norms are accumulated in 64 bits too, as
//    split sums over the rows (ftssums), like the sums of H12.
// 4. A diagonal element that is exactly 0 never counts toward the pseudo-rank, whatever TAU.
// 5. A storage array too short for the dimensions stops the run with a message.
// Reference: Lawson and Hanson (1974), algorithm HFTI.
void HFTI(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<float> B, int32_t MDB,
          int32_t NB, float TAU, int32_t& KRANK, std::span<float> RNORM, std::span<float> H,
          std::span<float> G, std::span<int32_t> IP) {
  const int32_t ldiag = std::min(M, N);
  if (ldiag <= 0) {
    KRANK = 0;
    return;
  }
  const auto n = static_cast<std::size_t>(N);
  const auto nd = static_cast<std::size_t>(ldiag);
  if (MDA < M || !holds_matrix(A.size(), MDA, M, N) || H.size() < n || G.size() < nd ||
      IP.size() < nd) {
    STPLOG(1, "HFTI     01> - ARRAYS TOO SHORT FOR MDA, M, N");
  }
  const int32_t mb = std::max(M, N);
  if (NB > 0 && (MDB < mb || !holds_matrix(B.size(), MDB, mb, NB) ||
                 RNORM.size() < static_cast<std::size_t>(NB))) {
    STPLOG(1, "HFTI     02> - ARRAYS TOO SHORT FOR MDB, NB");
  }
  const Mat1 a(A.data(), MDA);
  const Mat1 b(B.data(), std::max(MDB, 1));
  const Vec1<float> h(H.data());
  const Vec1<float> g(G.data());
  const Vec1<int32_t> ip(IP.data());

  // Step 2: Householder triangularisation with column interchanges.
  float hmax = 0;
  for (int32_t j = 1; j <= ldiag; ++j) {
    int32_t lmax = j;
    bool recompute = true;
    if (j != 1) {
      // Update the squared lengths of the unreduced column parts.
      for (int32_t l = j; l <= N; ++l) {
        h(l) = h(l) - a(j - 1, l) * a(j - 1, l);
        if (h(l) > h(lmax)) lmax = l;
      }
      // Keep the updated lengths while they are not small against the last full computation.
      recompute = !(DIFF(hmax + kHftiFactor * h(lmax), hmax) > 0);
    }
    if (recompute) {
      for (int32_t l = j; l <= N; ++l) {
        h(l) = static_cast<float>(split::squares(a.at(j, l), 1, M - j + 1));
      }
      lmax = j;
      for (int32_t l = j; l <= N; ++l) {
        if (h(l) > h(lmax)) lmax = l;
      }
      hmax = h(lmax);
    }
    // Bring the longest column to position j.
    ip(j) = lmax;
    if (lmax != j) {
      std::swap_ranges(a.col(j), a.col(j) + M, a.col(lmax));
      h(lmax) = h(j);
    }
    // Zero column j below the diagonal; apply the transformation to the N - j columns after it
    // and to the NB columns of B (one pass over both lists, which are independent).
    Reflector q;
    if (h12_prepare(1, j, j + 1, M, a.col(j), 1, h(j), q)) {
      const int32_t ncols = N - j;
      const int32_t nvec = ncols + std::max(NB, 0);
      for (int32_t v = 0; v < nvec; v += 4) {
        const int32_t k = std::min(4, nvec - v);
        float* group[4];
        for (int32_t t = 0; t < k; ++t) {
          group[t] = v + t < ncols ? a.at(j, j + 1 + v + t) : b.at(j, v + t - ncols + 1);
        }
        h12_apply_all(q, group, k, 1);
      }
    }
  }

  // Step 3: pseudo-rank.
  int32_t k = ldiag;
  for (int32_t j = 1; j <= ldiag; ++j) {
    const float d = std::fabs(a(j, j));
    if (!(d > TAU && d != 0)) {
      k = j - 1;
      break;
    }
  }
  const int32_t kp1 = k + 1;

  // Step 4: residual norms.
  for (int32_t jb = 1; jb <= NB; ++jb) {
    const double sm = kp1 <= M ? split::squares(b.at(kp1, jb), 1, M - k) : 0.0;
    RNORM[static_cast<std::size_t>(jb) - 1] = static_cast<float>(std::sqrt(sm));
  }

  // Step 5: rank 0, every solution is 0.
  if (k == 0) {
    for (int32_t jb = 1; jb <= NB; ++jb) {
      for (int32_t i = 1; i <= N; ++i) b(i, jb) = 0;
    }
    KRANK = 0;
    return;
  }

  // Step 6: rank deficient: reduce the first k rows to lower triangular form from the right
  // (row transformations, increment MDA along a row).
  if (k < N) {
    for (int32_t i = k; i >= 1; --i) {
      h12(1, i, kp1, N, a.at(i, 1), MDA, g(i), A.data(), MDA, 1, i - 1);
    }
  }

  for (int32_t jb = 1; jb <= NB; ++jb) {
    // Step 7: back substitution, then the row transformations for the minimal-length solution.
    for (int32_t i = k; i >= 1; --i) {
      double sm = 0;
      for (int32_t j = i + 1; j <= k; ++j) sm += static_cast<double>(a(i, j)) * b(j, jb);
      b(i, jb) = static_cast<float>((b(i, jb) - sm) / a(i, i));
    }
    if (k < N) {
      for (int32_t j = kp1; j <= N; ++j) b(j, jb) = 0;
      for (int32_t i = 1; i <= k; ++i) {
        h12(2, i, kp1, N, a.at(i, 1), MDA, g(i), b.col(jb), 1, MDB, 1);
      }
    }
    // Step 8: undo the column interchanges.
    for (int32_t j = ldiag; j >= 1; --j) {
      if (ip(j) != j) std::swap(b(ip(j), jb), b(j, jb));
    }
  }

  // Step 9.
  KRANK = k;
}

// ---------------------------------------------------------------------------------------------
// Covariance.

// COVAR: unscaled covariance (A^T A)^-1 from the factor left by HFTI.
// Given:     MDA      leading dimension of A (at least N)
//            M        not used
//            N        columns (HFTI must have found KRANK = N)
//            IP       the column interchanges of HFTI, IP(1..N-1)
// Given and returned:
//            A        R in the upper triangle of rows 1..N; returned with the upper triangle
//                     (i <= j) of (A^T A)^-1 in the column order of the original matrix; the
//                     part below the diagonal is kept
// Notes:
// 1. A zero diagonal element of R is left 0 and never divided by.
// 2. The sums are accumulated in 64 bits and each element is rounded once.
// 3. An interchange IP(i) < i is undone as the same symmetric swap of rows and columns i and
//    IP(i); an IP(i) outside 1..N or a storage array too short stops the run with a message.
// Reference: Lawson and Hanson (1974), covariance of the solution parameters.
void COVAR(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<const int32_t> IP) {
  static_cast<void>(M);
  if (N <= 0) return;
  if (MDA < N || !holds_matrix(A.size(), MDA, N, N) ||
      IP.size() < static_cast<std::size_t>(N - 1)) {
    STPLOG(1, "COVAR    01> - ARRAYS TOO SHORT FOR MDA, N");
  }
  for (int32_t i = 1; i < N; ++i) {
    const int32_t kk = IP[static_cast<std::size_t>(i) - 1];
    if (kk < 1 || kk > N) STPLOG(1, "COVAR    02> - PIVOT INDEX OUT OF RANGE");
  }
  const Mat1 a(A.data(), MDA);

  // Steps 1 and 2: R^-1, then R^-1 R^-T.
  invert_and_square(a, N, [](int32_t j) { return j; });

  // Step 3: undo the column interchanges, last first, as symmetric swaps of the upper triangle.
  for (int32_t i = N - 1; i >= 1; --i) {
    const int32_t kk = IP[static_cast<std::size_t>(i) - 1];
    if (kk == i) continue;
    const int32_t lo = std::min(i, kk);
    const int32_t hi = std::max(i, kk);
    std::swap(a(lo, lo), a(hi, hi));
    for (int32_t l = 1; l < lo; ++l) std::swap(a(l, lo), a(l, hi));
    for (int32_t l = lo + 1; l < hi; ++l) std::swap(a(lo, l), a(l, hi));
    for (int32_t l = hi + 1; l <= N; ++l) std::swap(a(lo, l), a(hi, l));
  }
}

// NNCOVR: unscaled covariance of the solution set from the factor left by NNLS.
// Given:     MDA      leading dimension of A (at least N)
//            M        not used
//            N        size of the solution set
//            INDEX    the columns of the solution set, INDEX(1..N), as left by NNLS
// Given and returned:
//            A        R in r(i, j) = a(i, INDEX(j)), i <= j <= N; returned with r(i, j) = the
//                     unscaled covariance of x(INDEX(i)) and x(INDEX(j))
// Notes:
// 1. A zero diagonal element of R is left 0 and never divided by.
// 2. The sums are accumulated in 64 bits and each element is rounded once.
// 3. A column INDEX(j) outside the storage or a storage array too short stops the run with a
//    message.
void NNCOVR(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<const int32_t> INDEX) {
  static_cast<void>(M);
  if (N <= 0) return;
  if (MDA < N || INDEX.size() < static_cast<std::size_t>(N)) {
    STPLOG(1, "NNCOVR   01> - ARRAYS TOO SHORT FOR MDA, N");
  }
  for (int32_t j = 1; j <= N; ++j) {
    const int32_t col = INDEX[static_cast<std::size_t>(j) - 1];
    if (col < 1 || !holds_matrix(A.size(), MDA, N, col)) {
      STPLOG(1, "NNCOVR   02> - COLUMN INDEX OUT OF RANGE");
    }
  }
  const Mat1 a(A.data(), MDA);
  invert_and_square(a, N, [&](int32_t j) { return INDEX[static_cast<std::size_t>(j) - 1]; });
}

}  // namespace fts
