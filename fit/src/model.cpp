// model: populations and normalisations, gain correction, the coefficient lists of the band
// model and the model columns built from them.
#include "fit/model.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "fts/detail/wide.hpp"
#include "fts/ftscalib.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftssums.hpp"
#include "fts/ftsuser1.hpp"

namespace fit {

namespace {

// Sixteen 32-bit floats handled as one vector of the compiler: the lanes of a group of points.
// Each operation works lane by lane, exactly as the scalar operation on each lane would.
using Lanes = float __attribute__((vector_size(64)));

// One group of the sums: its coefficients C (kLanes per line), the populations P and term values
// E of its lines from its first line on.
struct Group {
  const float* c;
  const float* p;
  const float* e;
  std::size_t lines;
};

// Lines K0..K1-1 of group G added to its sums A and D, lane by lane in line order.
[[gnu::always_inline]] inline void add_lines(const Group& g, std::size_t k0, std::size_t k1,
                                             Lanes& a, Lanes& d) {
  constexpr std::size_t kLanes = sizeof(Lanes) / sizeof(float);
  for (std::size_t k = k0; k < k1; ++k) {
    Lanes ck;
    std::memcpy(&ck, g.c + k * kLanes, sizeof ck);
    const Lanes t = ck * g.p[k];
    a = a + t;
    d = d + t * g.e[k];
  }
}

// The sums of group G (points I0 + 1 ..) stored into A and D, the points up to N.
[[gnu::always_inline]] inline void store_sums(std::size_t i0, std::size_t n, const Lanes& a,
                                              const Lanes& d, float* A, float* D) {
  constexpr std::size_t kLanes = sizeof(Lanes) / sizeof(float);
  if (i0 + kLanes <= n) {
    std::memcpy(A + i0, &a, sizeof a);
    std::memcpy(D + i0, &d, sizeof d);
    return;
  }
  for (std::size_t l = 0; i0 + l < n; ++l) {
    A[i0 + l] = a[l];
    D[i0 + l] = d[l];
  }
}

// The group sums of sums_by_group: GROUPS groups, group g of (OFFSET[g+1] - OFFSET[g])/kLanes
// lines from line FIRST[g], kLanes coefficients per line from COEF + OFFSET[g], for N points.
// Two groups are summed side by side, so that the additions of one fill the waits of the other.
FTS_WIDE_CLONES void group_sums(std::size_t groups, const int32_t* first, const std::size_t* offset,
                                const float* coef, const float* P, const float* E, std::size_t n,
                                float* A, float* D) {
  constexpr std::size_t kLanes = sizeof(Lanes) / sizeof(float);
  const auto group = [&](std::size_t g) {
    return Group{coef + offset[g], P + first[g], E + first[g],
                 (offset[g + 1] - offset[g]) / kLanes};
  };
  std::size_t g = 0;
  for (; g + 2 <= groups; g += 2) {
    const Group g0 = group(g), g1 = group(g + 1);
    const std::size_t both = std::min(g0.lines, g1.lines);
    Lanes a0 = {}, d0 = {}, a1 = {}, d1 = {};
    for (std::size_t k = 0; k < both; ++k) {
      add_lines(g0, k, k + 1, a0, d0);
      add_lines(g1, k, k + 1, a1, d1);
    }
    add_lines(g0, both, g0.lines, a0, d0);
    add_lines(g1, both, g1.lines, a1, d1);
    store_sums(g * kLanes, n, a0, d0, A, D);
    store_sums((g + 1) * kLanes, n, a1, d1, A, D);
  }
  if (g < groups) {
    Lanes a = {}, d = {};
    const Group g0 = group(g);
    add_lines(g0, 0, g0.lines, a, d);
    store_sums(g * kLanes, n, a, d, A, D);
  }
}

// Division by a divisor shared by many elements: by its 64-bit reciprocal (quotient), or by the
// division itself for a divisor that is a NaN.
struct ByReciprocal {
  double inv;
  float operator()(float x) const { return quotient(x, inv); }
};
struct ByDivision {
  float d;
  float operator()(float x) const { return x / d; }
};

// ARR(1..N) divided by NORM (the second half of scale_by).
FTS_WIDE_CLONES void divide(float* arr, std::size_t n, float norm) {
  if (std::isnan(norm)) {
    for (std::size_t i = 0; i < n; ++i) arr[i] = arr[i] / norm;
    return;
  }
  const double inv = reciprocal(norm);
  for (std::size_t i = 0; i < n; ++i) arr[i] = quotient(arr[i], inv);
}

constexpr float kExponentLimit = 88.0f;  // a larger Boltzmann exponent drops the line

// A double rounded to 32 bits; a magnitude beyond the float range becomes an infinity of its
// sign.
float rounded(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) return std::numeric_limits<float>::infinity();
  if (v < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

// N limited to the elements of ARR.
std::size_t used(std::span<const float> arr, int32_t N) {
  return std::min(static_cast<std::size_t>(std::max(N, 0)), arr.size());
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The four array routines.

// NORMA: populations of the lines and their normalisation sums.
// Given:     NORMAL   term values E, strengths S and count L of the lines
//            TFAC     temperature parameter c2/T
// Returned:  POP      POP(j) = exp(x), x = -TFAC E(j), rounded to 32 bits; 0 where x > 88
//            N1, N2   sum S(j) POP(j) and sum E(j) S(j) POP(j) over the L lines, summed in 64
//                     bits and stored as 32-bit; a sum of 0 (or -0) is returned as 1
// Notes: with no lines both sums are 1. POP holds at least L elements.
void NORMA(const Normal& NORMAL, float& N1, float& N2, std::span<float> POP, float TFAC) {
  const auto L =
      std::min({static_cast<std::size_t>(std::max(NORMAL.L, 0)), POP.size(), NORMAL.E.size()});
  double s1 = 0.0;
  double s2 = 0.0;
  for (std::size_t j = 0; j < L; ++j) {
    const float x = -TFAC * NORMAL.E[j];
    const float p =
        x > kExponentLimit ? 0.0f : static_cast<float>(std::exp(static_cast<double>(x)));
    POP[j] = p;
    s1 += static_cast<double>(NORMAL.S[j]) * static_cast<double>(p);
    s2 += static_cast<double>(NORMAL.E[j]) * static_cast<double>(NORMAL.S[j]) *
          static_cast<double>(p);
  }
  N1 = rounded(s1);
  N2 = rounded(s2);
  if (N1 == 0.0f) N1 = 1.0f;
  if (N2 == 0.0f) N2 = 1.0f;
}

// RENORM: divide an array by the mean of its non-zero elements.
// Given:     N        elements used
// Given and returned:
//            ARR      ARR(1..N), each divided by AMEAN (zeros stay 0)
// Returned:  AMEAN    sum/count of the non-zero elements (64-bit sum, stored as 32-bit); 1 when
//                     there are none or the mean is 0
void RENORM(std::span<float> ARR, int32_t N, float& AMEAN) {
  const std::span<float> a = ARR.first(used(ARR, N));
  double sum = 0.0;
  int64_t count = 0;
  for (const float x : a) {
    if (x != 0.0f) {
      sum += static_cast<double>(x);
      ++count;
    }
  }
  AMEAN = count > 0 ? rounded(sum / static_cast<double>(count)) : 0.0f;
  if (AMEAN == 0.0f) AMEAN = 1.0f;
  for (float& x : a) x = x / AMEAN;
}

// SCALE: divide an array by its Euclidean length.
// Given:     N        elements used
// Given and returned:
//            ARR      ARR(1..N), each divided by ANORM
// Returned:  ANORM    square root of the sum of squares (64-bit, stored as 32-bit); 1 for 0
void SCALE(std::span<float> ARR, int32_t N, float& ANORM) {
  scale_by(ARR, N, sum_of_squares(ARR, N), ANORM);
}

// sum_of_squares: the first step of SCALE.
// Returned:  (value)  sum of ARR(i)^2, i = 1..N, in 64 bits as a split sum (ftssums: sixteen
//                     partial sums fixed by the element positions, the same on every machine)
double sum_of_squares(std::span<const float> ARR, int32_t N) {
  return fts::split::squares(ARR.data(), 1, static_cast<int32_t>(used(ARR, N)));
}

// scale_by: the second step of SCALE.
// Given:     N        elements used
//            SUM      their sum of squares
// Given and returned:
//            ARR      ARR(1..N), each divided by ANORM
// Returned:  ANORM    square root of SUM stored as 32-bit; 1 for 0
void scale_by(std::span<float> ARR, int32_t N, double SUM, float& ANORM) {
  ANORM = rounded(std::sqrt(SUM));
  if (ANORM == 0.0f) ANORM = 1.0f;
  divide(ARR.data(), used(ARR, N), ANORM);
}

// GANSCL: correct data for the gain settings of their scan.
// Given:     HDR      header with the gains QQGAN1, QQGAN2, QQGAN3
//            N        elements used
// Given and returned:
//            ARR      ARR(1..N), divided by G when G > 1
// Notes: each gain below 1 counts as 1; G is their product as a 32-bit real.
void GANSCL(std::span<float> ARR, const fts::Header& HDR, int32_t N) {
  double product = 1.0;
  for (const int32_t item : {fts::QQGAN1, fts::QQGAN2, fts::QQGAN3}) {
    product *= static_cast<double>(std::max(HDR(item), 1));
  }
  const float G = rounded(product);
  if (!(G > 1.0f)) return;
  for (float& x : ARR.first(used(ARR, N))) x = x / G;
}

// line_shape_defined: whether a spectrum's header gives it a line shape.
// Given:     AHDR     header of the spectrum
// Returned:  (value)  QQAPOD is a window 0-5 and the resolution (SPTRES) is finite and above 0
bool line_shape_defined(const fts::Header& AHDR) {
  const int32_t window = AHDR(fts::QQAPOD);
  if (window < 0 || window > 5) return false;
  double res = 0.0;
  fts::SPTRES(AHDR, res);
  return res > 0.0 && std::isfinite(res);
}

// ---------------------------------------------------------------------------------------------
// Coefficient lists.

CoefficientLists::CoefficientLists() {
  first_.reserve(kMaxPoints);
  offset_.reserve(kMaxPoints + 1);
  coef_.reserve(std::size_t{kMaxPoints} * 16);
}

// build: the coefficient lists of every grid point.
// Given:     AHDR     array header of the data: window, resolution
//            BINLIM   the line shape is cut at its BINLIM-th zero, HW = SPTAPN(AHDR, BINLIM)
//            W        grid wavenumbers w(1..N), ascending, slide scale
//            table    lines (positions p ascending, strengths S), count L
//            c        calibration c1..c5
//            P        populations of the lines at the current TFAC
// Returned:  A        A(i) = sum of c(i,k) P over the in-window lines of point i, 32-bit, in order
// Notes:
// 1. For point i the search runs j = f, f+1, ..., L with k counting entries: a line below the
//    window (p - w < -HW) discards the entries so far; the first line above it (p - w > HW) ends
//    the search and keeps its entry, coefficient 0; a line inside (ends included) gets
//    c = S(j) SPTAPV(AHDR, p - w) J rounded to 32 bits, J = SLDWVD(c, TRUWV(c, w)), and the
//    first such line becomes the search start f for this point and the next.
// 2. A point keeps max(k, 1) entries from line f on (one entry of coefficient 0 when none lies
//    inside its window); with no lines at all its list is empty, naming no line.
// 3. TRUWV stops the run when it cannot invert the calibration.
void CoefficientLists::build(const fts::Header& AHDR, int32_t BINLIM, std::span<const double> W,
                             const LineTable& table, std::span<const double, 5> c,
                             std::span<const float> P, std::span<float> A) {
  const auto N = W.size();
  points_ = static_cast<int32_t>(N);
  first_.assign(N, 0);
  offset_.assign(N + 1, 0);
  coef_.clear();

  double HW = 0.0;
  fts::SPTAPN(AHDR, BINLIM, HW);
  const auto L = static_cast<std::size_t>(std::max(table.NORMAL.L, 0));
  std::size_t f = 0;  // search start (line index from 0)

  for (std::size_t i = 0; i < N; ++i) {
    const double w = W[i];
    const double J = fts::SLDWVD(c, fts::TRUWV(c, w));
    const std::size_t start = coef_.size();
    std::size_t k = 0;
    bool found = false;
    float a = 0.0f;
    for (std::size_t j = f; j < L; ++j) {
      ++k;
      coef_.push_back(0.0f);
      const double dw = table.position[j] - w;
      if (dw < -HW) {
        // Below the window: the entries so far are discarded.
        k = 0;
        coef_.resize(start);
        continue;
      }
      // Above the window: the search ends, this entry stays with coefficient 0.
      if (dw > HW) break;
      if (!found) {
        found = true;
        f = j;
      }
      const float sv = table.NORMAL.S[j] * fts::SPTAPV(AHDR, dw);
      const float cik = rounded(static_cast<double>(sv) * J);
      coef_.back() = cik;
      a = a + cik * P[j];
    }
    if (L > 0 && k == 0) coef_.push_back(0.0f);
    first_[i] = static_cast<int32_t>(f);
    offset_[i + 1] = coef_.size();
    A[i] = a;
  }
  build_groups(table);
}

// sums: the per-point sums of the stored lists.
// Given:     P        populations of the lines
//            E        term values of the lines
// Returned:  A, D     A(i) = sum c P and D(i) = sum c P E over the list of point i, each term
//                     (c P, then c P E) added in 32 bits in list order
// Notes: the points are taken kLanes at a time (sums_by_group) when the lists are grouped,
//        with the same result bit for bit as one point at a time (sums_by_point).
void CoefficientLists::sums(std::span<const float> P, std::span<const float> E, std::span<float> A,
                            std::span<float> D) const {
  if (grouped_) {
    sums_by_group(P, E, A, D);
  } else {
    sums_by_point(P, E, A, D);
  }
}

void CoefficientLists::sums_by_point(std::span<const float> P, std::span<const float> E,
                                     std::span<float> A, std::span<float> D) const {
  const float* coef = coef_.data();
  for (std::size_t i = 0; i < static_cast<std::size_t>(points_); ++i) {
    const float* p = P.data() + first_[i];
    const float* e = E.data() + first_[i];
    const std::size_t n = offset_[i + 1] - offset_[i];
    const float* ci = coef + offset_[i];
    float a = 0.0f;
    float d = 0.0f;
    for (std::size_t k = 0; k < n; ++k) {
      const float t = ci[k] * p[k];
      a = a + t;
      d = d + t * e[k];
    }
    A[i] = a;
    D[i] = d;
  }
}

// build_groups: the lists of kLanes neighbouring points side by side.
// Notes:
// 1. Group g holds points kLanes g + 1 .. kLanes (g + 1) over lines group_first_ .. the last line
//    any of them holds; lane l of line j is the coefficient of point kLanes g + l + 1 for line j,
//    or 0 where the line lies before or after that point's list. Missing points of the last
//    group have no entries.
// 2. A lane's sum then takes zeros before its first term and after its last. Adding c P = +0
//    to a sum that starts at +0, and c P E = +0 or -0 to any sum, changes nothing, as long as
//    P and E are finite: with a term value that is not (a line table built from absurd numbers)
//    the lists are not grouped.
void CoefficientLists::build_groups(const LineTable& table) {
  grouped_ = false;
  group_first_.clear();
  group_offset_.assign(1, 0);
  group_coef_.clear();
  const auto L = static_cast<std::size_t>(std::max(table.NORMAL.L, 0));
  for (std::size_t j = 0; j < L; ++j) {
    if (!std::isfinite(table.NORMAL.E[j])) return;
  }
  const auto n = static_cast<std::size_t>(points_);
  for (std::size_t g0 = 0; g0 < n; g0 += kLanes) {
    const std::size_t g1 = std::min(g0 + kLanes, n);
    std::size_t lo = std::numeric_limits<std::size_t>::max(), hi = 0;
    for (std::size_t i = g0; i < g1; ++i) {
      const std::size_t count = offset_[i + 1] - offset_[i];
      if (count == 0) continue;
      lo = std::min(lo, static_cast<std::size_t>(first_[i]));
      hi = std::max(hi, static_cast<std::size_t>(first_[i]) + count);
    }
    if (lo > hi) lo = hi = 0;
    const std::size_t start = group_coef_.size();
    group_coef_.resize(start + (hi - lo) * kLanes, 0.0f);
    for (std::size_t i = g0; i < g1; ++i) {
      const std::size_t lane = i - g0;
      const std::size_t skip = static_cast<std::size_t>(first_[i]) - lo;
      for (std::size_t k = offset_[i]; k < offset_[i + 1]; ++k) {
        group_coef_[start + (skip + k - offset_[i]) * kLanes + lane] = coef_[k];
      }
    }
    group_first_.push_back(static_cast<int32_t>(lo));
    group_offset_.push_back(group_coef_.size());
  }
  grouped_ = true;
}

// sums_by_group: the sums of kLanes points at a time, each lane in its own list order.
// Notes: the lanes are a vector of the compiler (element by element 32-bit arithmetic, exactly
//        the scalar operations of each lane).
void CoefficientLists::sums_by_group(std::span<const float> P, std::span<const float> E,
                                     std::span<float> A, std::span<float> D) const {
  static_assert(sizeof(Lanes) == kLanes * sizeof(float));
  group_sums(group_first_.size(), group_first_.data(), group_offset_.data(), group_coef_.data(),
             P.data(), E.data(), static_cast<std::size_t>(points_), A.data(), D.data());
}

// ---------------------------------------------------------------------------------------------
// Columns.

namespace {

// X, or 0 where the response R is 0 (a masked point): selected by a bit mask rather than a
// branch, so that the compiler can take several points at a time.
inline float zero_where_masked(float x, float r) {
  const uint32_t keep = r != 0.0f ? 0xFFFFFFFFu : 0u;
  return std::bit_cast<float>(std::bit_cast<uint32_t>(x) & keep);
}

// The points of model_columns, with the solar term when S is given; DIV divides by N1.
template <class Div>
[[gnu::always_inline]] inline void band_loop(std::size_t n, const float* __restrict a,
                                             const float* __restrict d, const float* __restrict r,
                                             const float* __restrict y, const float* __restrict s,
                                             float* __restrict b, float* __restrict der,
                                             float* __restrict q, float* __restrict e, Div div,
                                             float BI, float SA, float ratio) {
  if (s == nullptr) {
    for (std::size_t i = 0; i < n; ++i) {
      const float bi = div(r[i] * a[i]);
      b[i] = bi;
      der[i] = BI * r[i] * (div(ratio * a[i]) - div(d[i]));
      e[i] = zero_where_masked(y[i] - BI * bi, r[i]);
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      const float bi = div(r[i] * a[i]);
      b[i] = bi;
      der[i] = BI * r[i] * (div(ratio * a[i]) - div(d[i]));
      const float qi = r[i] * s[i];
      q[i] = qi;
      e[i] = zero_where_masked(y[i] - BI * bi - SA * qi, r[i]);
    }
  }
}

FTS_WIDE_CLONES void band_points(std::size_t n, const float* a, const float* d, const float* r,
                                 const float* y, const float* s, float* b, float* der, float* q,
                                 float* e, float N1, float BI, float SA, float ratio) {
  if (std::isnan(N1)) {
    band_loop(n, a, d, r, y, s, b, der, q, e, ByDivision{N1}, BI, SA, ratio);
  } else {
    band_loop(n, a, d, r, y, s, b, der, q, e, ByReciprocal{reciprocal(N1)}, BI, SA, ratio);
  }
}

}  // namespace

// model_columns: the columns and the residual of one iteration.
// Given:     t        BI, SA, N1, N2
//            A, D     per-point sums
//            r        response on the grid (0 at masked points)
//            y        observed spectrum
//            solar    selected solar spectrum on the grid; empty without the solar term
// Returned:  B        band column r A/N1
//            DER      derivative column BI r ((N2/N1) A/N1 - D/N1)
//            Q        solar column r s (untouched without the solar term)
//            E        residual y - BI B - SA Q, 0 where r = 0
// Notes: every point is independent of the others (the loops are written for the compiler to
//        take several points at a time; each value is computed exactly as written).
void model_columns(const Terms& t, std::span<const float> A, std::span<const float> D,
                   std::span<const float> r, std::span<const float> y, std::span<const float> solar,
                   std::span<float> B, std::span<float> DER, std::span<float> Q,
                   std::span<float> E) {
  const float ratio = t.N2 / t.N1;
  const bool with_solar = !solar.empty();
  band_points(A.size(), A.data(), D.data(), r.data(), y.data(), with_solar ? solar.data() : nullptr,
              B.data(), DER.data(), with_solar ? Q.data() : nullptr, E.data(), t.N1, t.BI, t.SA,
              ratio);
}

// columns: the columns and residual of one iteration, straight from the stored lists.
// Given:     t        BI, SA, N1, N2
//            P, E     populations and term values of the lines
//            r, y     response and observed spectrum; solar as in model_columns
// Returned:  A, D     the per-point sums (sums)
//            B, DER, Q, RES as model_columns gives them
//            squares  when given: the sums of squares of B, DER and Q (0 without the solar
//                     term), each in 64 bits as a split sum (sum_of_squares)
void CoefficientLists::columns(const Terms& t, std::span<const float> P, std::span<const float> E,
                               std::span<const float> r, std::span<const float> y,
                               std::span<const float> solar, std::span<float> A, std::span<float> D,
                               std::span<float> B, std::span<float> DER, std::span<float> Q,
                               std::span<float> RES, std::array<double, 3>* squares) const {
  const auto n = static_cast<std::size_t>(points_);
  sums(P, E, A, D);
  model_columns(t, A.first(n), D.first(n), r, y, solar, B, DER, Q, RES);
  if (squares == nullptr) return;
  *squares = {sum_of_squares(B, points_), sum_of_squares(DER, points_),
              solar.empty() ? 0.0 : sum_of_squares(Q, points_)};
}

}  // namespace fit
