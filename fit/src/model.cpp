// model: populations and normalisations, gain correction, the coefficient lists of the band
// model and the model columns built from them.
#include "fit/model.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fts/ftscalib.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftsuser1.hpp"

namespace fit {

namespace {

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
  const auto L = std::min({static_cast<std::size_t>(std::max(NORMAL.L, 0)), POP.size(),
                           NORMAL.E.size()});
  double s1 = 0.0;
  double s2 = 0.0;
  for (std::size_t j = 0; j < L; ++j) {
    const float x = -TFAC * NORMAL.E[j];
    const float p = x > kExponentLimit ? 0.0f : static_cast<float>(std::exp(static_cast<double>(x)));
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
  const std::span<float> a = ARR.first(used(ARR, N));
  double sum = 0.0;
  for (const float x : a) sum += static_cast<double>(x) * static_cast<double>(x);
  ANORM = rounded(std::sqrt(sum));
  if (ANORM == 0.0f) ANORM = 1.0f;
  for (float& x : a) x = x / ANORM;
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
}

// sums: the per-point sums of the stored lists.
// Given:     P        populations of the lines
//            E        term values of the lines
// Returned:  A, D     A(i) = sum c P and D(i) = sum c P E over the list of point i, each term
//                     (c P, then c P E) added in 32 bits in list order
void CoefficientLists::sums(std::span<const float> P, std::span<const float> E,
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

// ---------------------------------------------------------------------------------------------
// Columns.

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
void model_columns(const Terms& t, std::span<const float> A, std::span<const float> D,
                   std::span<const float> r, std::span<const float> y,
                   std::span<const float> solar, std::span<float> B, std::span<float> DER,
                   std::span<float> Q, std::span<float> E) {
  const std::size_t N = A.size();
  const float ratio = t.N2 / t.N1;
  const bool with_solar = !solar.empty();
  for (std::size_t i = 0; i < N; ++i) {
    const float b = r[i] * A[i] / t.N1;
    B[i] = b;
    DER[i] = t.BI * r[i] * (ratio * A[i] / t.N1 - D[i] / t.N1);
    float e = y[i] - t.BI * b;
    if (with_solar) {
      const float q = r[i] * solar[i];
      Q[i] = q;
      e = e - t.SA * q;
    }
    E[i] = r[i] == 0.0f ? 0.0f : e;
  }
}

}  // namespace fit
