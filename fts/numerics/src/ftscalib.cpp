// ftscalib: calibration helpers: high-pass filter, blackbody radiance, slide and true wavenumbers.
#include "fts/ftscalib.hpp"

#include <cmath>
#include <cstddef>
#include <limits>

#include "fts/ftsiface.hpp"

namespace fts {

namespace {

constexpr float kPi = 3.1415927f;           // pi as a 32-bit float
constexpr float kC2 = 1.438786f;            // second radiation constant hc/k, cm K
constexpr float kTwoC = 5.995849e+10f;      // 2c, cm s-1 (photon radiance)
constexpr float kTwoHc2 = 1.191062e-12f;    // 2hc^2, W cm2 sr-1 (power radiance)
constexpr float kSeriesLimit = 0.03f;       // x = c2 nu / T up to which (e^x - 1)/x is a series
constexpr double kNewtonTolerance = 1e-10;  // TRUWV: relative size of the last correction
constexpr int32_t kNewtonSteps = 10;        // TRUWV: steps allowed

// Largest number of filter sections whose order 2 np still fits a 32-bit integer (even, so the
// order stays a multiple of 4).
constexpr int32_t kMaxSections = (std::numeric_limits<int32_t>::max() / 2 - 1) / 2 * 2;

// One second-order high-pass section run over COUNT samples starting at FIRST, STEP apart:
// y(n) = e (x(n) - 2 x(n-1) + x(n-2)) - g y(n-1) - h y(n-2), started with x(n-1) = x(n-2) = the
// first sample and y(n-1) = y(n-2) = 0, so the first output is 0.
void hp_section(float* first, std::ptrdiff_t step, int32_t count, float e, float g, float h) {
  float x1 = *first;
  float x2 = x1;
  float y1 = 0;
  float y2 = 0;
  for (int32_t n = 0; n < count; ++n) {
    float& sample = first[n * step];
    const float x0 = sample;
    const float y0 = e * (x0 - 2.0f * x1 + x2) - g * y1 - h * y2;
    sample = y0;
    x2 = x1;
    x1 = x0;
    y2 = y1;
    y1 = y0;
  }
}

// 1 + (x/2)(1 + (x/3)(1 + x/4)): (e^x - 1)/x to within x^4/120, in 32 bits.
float expm1_over_x(float x) {
  return 1.0f + (x / 2.0f) * (1.0f + (x / 3.0f) * (1.0f + x / 4.0f));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// High-pass filter.

// HPBUTT: Butterworth high-pass filter of even order, applied in place.
// Given:     NPTS     number of samples
//            TC       time constant in sample intervals (cut-off 1/TC cycles per sample)
// Given and returned:
//            DATA     the samples DATA(1..NPTS), returned filtered
//            NORDER   order wanted; returned as the order used, 2*np with np = NORDER/2 made
//                     even (0, 1 -> 0; 2..5 -> 4; 6..9 -> 8; ...)
// Notes:
// 1. The filter is np second-order sections from the bilinear transform with the cut-off
//    pre-warped, wc = tan(pi/TC); section k (k = 1, 3, 5, ... < NORDER) has its poles at the
//    angle k pi/(2 NORDER). The sections run alternately forwards and backwards over the data,
//    as many each way, so the phase shifts cancel.
// 2. Every pass starts from rest with the first sample as its history, so the first output
//    sample of a pass is 0 and a constant array becomes all zeros.
// 3. An order of 0 or less leaves DATA unchanged. An order too large for its doubled value to
//    fit 32 bits is held at 2147483644.
// 4. All arithmetic is 32-bit. NPTS beyond the array stops the run with a message.
// Reference: A. V. Oppenheim and R. W. Schafer, Digital Signal Processing (Prentice-Hall,
// 1975): Butterworth filters designed by the bilinear transformation.
void HPBUTT(std::span<float> DATA, int32_t NPTS, float TC, int32_t& NORDER) {
  // Pre-warped cut-off.
  const float wc = std::tan(kPi / TC);

  // Order rounding, written back.
  int32_t np = NORDER / 2;
  if (np % 2 != 0) ++np;
  if (np > kMaxSections) np = kMaxSections;
  NORDER = 2 * np;

  if (NPTS > 0 && static_cast<std::size_t>(NPTS) > DATA.size()) {
    STPLOG(1, "HPBUTT   01> - ARRAY SHORTER THAN NPTS");
  }
  if (NORDER <= 0 || NPTS <= 0) return;

  // One pass per section, alternating in direction.
  const float step = kPi / static_cast<float>(4 * int64_t{np});
  bool forwards = true;
  for (int32_t k = 1; k < NORDER; k += 2) {
    const float s = std::sin(static_cast<float>(k) * step);
    const float e = 1.0f / (1.0f + wc * (2.0f * s + wc));
    const float g = 2.0f * (wc * wc - 1.0f) * e;
    const float h = (1.0f + wc * (wc - 2.0f * s)) * e;
    if (forwards) {
      hp_section(DATA.data(), 1, NPTS, e, g, h);
    } else {
      hp_section(DATA.data() + (NPTS - 1), -1, NPTS, e, g, h);
    }
    forwards = !forwards;
  }
}

// ---------------------------------------------------------------------------------------------
// Blackbody radiance.

// BBPHOT: Planck photon radiance of a blackbody per unit wavenumber.
// Given:     WAVNUM   wavenumber nu, cm-1
//            TEMP     temperature T, K
// Returned:  photons s-1 cm-2 sr-1 per cm-1 (function value), 0 for T = 0
// Notes: with x = c2 nu/T, the radiance is 2c nu^2/(e^x - 1); for x <= 0.03 (x rounded to
// 32 bits) (e^x - 1)/x comes from its series, giving (T/c2)(2c nu)/q. The constants are 32-bit
// values; the arithmetic with nu is 64-bit and the result is rounded to 32 bits.
// Reference: Planck's radiation law, M. Planck, Annalen der Physik 4, 553 (1901).
float BBPHOT(double WAVNUM, float TEMP) {
  if (TEMP == 0) return 0;
  const double x = static_cast<double>(kC2) * WAVNUM / TEMP;
  const float x32 = static_cast<float>(x);
  if (x32 <= kSeriesLimit) {
    const double q = expm1_over_x(x32);
    return static_cast<float>(static_cast<double>(TEMP) / kC2 * (kTwoC * WAVNUM) / q);
  }
  return static_cast<float>(kTwoC * (WAVNUM * WAVNUM) / (std::exp(x) - 1.0));
}

// BBWATT: Planck radiance of a blackbody per unit wavenumber, in watts.
// Given:     WAVNUM   wavenumber nu, cm-1
//            TEMP     temperature T, K
// Returned:  W cm-2 sr-1 per cm-1 (function value), 0 for T = 0
// Notes: as BBPHOT with 2hc^2 nu^3/(e^x - 1), and (T/c2)(2hc^2 nu^2)/q from the series.
// Reference: as BBPHOT.
float BBWATT(double WAVNUM, float TEMP) {
  if (TEMP == 0) return 0;
  const double x = static_cast<double>(kC2) * WAVNUM / TEMP;
  const float x32 = static_cast<float>(x);
  if (x32 <= kSeriesLimit) {
    const double q = expm1_over_x(x32);
    return static_cast<float>(static_cast<double>(TEMP) / kC2 * (kTwoHc2 * (WAVNUM * WAVNUM)) / q);
  }
  return static_cast<float>(kTwoHc2 * (WAVNUM * WAVNUM * WAVNUM) / (std::exp(x) - 1.0));
}

// ---------------------------------------------------------------------------------------------
// Slide and true wavenumbers.

// SLDWV: slide wavenumber of a true wavenumber.
// Given:     COEF     dispersion coefficients c1..c5
//            WAVNUM   true wavenumber w, cm-1 (not 0)
// Returned:  s(w) = c1 w + c2/w + c3/w^3 + c4 w^3 + c5 w^5 (function value)
double SLDWV(std::span<const double, 5> COEF, double WAVNUM) {
  const double w2 = WAVNUM * WAVNUM;
  return WAVNUM * (COEF[0] + (COEF[1] + COEF[2] / w2) / w2 + w2 * (COEF[3] + COEF[4] * w2));
}

// SLDWVD: derivative of the slide wavenumber with respect to the true wavenumber.
// Given:     COEF     dispersion coefficients c1..c5
//            WAVNUM   true wavenumber w, cm-1 (not 0)
// Returned:  ds/dw = c1 - c2/w^2 - 3 c3/w^4 + 3 c4 w^2 + 5 c5 w^4 (function value)
double SLDWVD(std::span<const double, 5> COEF, double WAVNUM) {
  const double w2 = WAVNUM * WAVNUM;
  return COEF[0] - (COEF[1] + 3.0 * COEF[2] / w2) / w2 + w2 * (3.0 * COEF[3] + 5.0 * COEF[4] * w2);
}

// TRUWV: true wavenumber of a slide wavenumber, by Newton's method.
// Given:     COEF     dispersion coefficients c1..c5
//            SLIDE    slide wavenumber s, cm-1
// Returned:  w with s(w) = SLIDE (function value)
// Notes:
// 1. Starts from w = SLIDE/c1; converged when the residual d = SLIDE - s(w) of a step satisfies
//    |d| <= 1e-10 w with the corrected w (so a negative w never converges).
// 2. When 10 steps do not converge, or the iterate is exactly 0, the run stops through STPLOG
//    with "TRUWV  01> - FAILURE TO CONVERGE".
double TRUWV(std::span<const double, 5> COEF, double SLIDE) {
  double w = SLIDE / COEF[0];
  bool converged = false;
  for (int32_t n = 0; n < kNewtonSteps && !converged; ++n) {
    if (w == 0) break;
    const double d = SLIDE - SLDWV(COEF, w);
    w = w + d / SLDWVD(COEF, w);
    converged = std::fabs(d) <= kNewtonTolerance * w;
  }
  if (!converged) STPLOG(1, "TRUWV  01> - FAILURE TO CONVERGE");
  return w;
}

// TRUWVD: derivative of the true wavenumber with respect to the slide wavenumber.
// Given:     COEF     dispersion coefficients c1..c5
//            SLIDE    slide wavenumber s, cm-1
// Returned:  dw/ds = 1/(ds/dw) at w = TRUWV(COEF, SLIDE) (function value)
// Notes: stops the run as TRUWV does when the inversion fails.
double TRUWVD(std::span<const double, 5> COEF, double SLIDE) {
  const double w = TRUWV(COEF, SLIDE);
  return 1.0 / SLDWVD(COEF, w);
}

}  // namespace fts
