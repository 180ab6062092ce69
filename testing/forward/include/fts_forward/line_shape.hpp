// line_shape: the closed-form instrument line shapes of the six apodisation windows, in double
// precision, by code of their own.
//
// Window 0 is the boxcar, windows 1 to 5 are Kaiser-Bessel windows of increasing strength. The
// line shape of window k as a function of X, the offset from the line centre in resolution
// elements, is the transform of the window over -1..1 scaled so that the boxcar has height 1:
//   L_0(X) = sin(pi X)/(pi X),
//   L_k(X) = sinh(sqrt(beta^2 - (pi X)^2))/sqrt(beta^2 - (pi X)^2) / I0(beta)   (k = 1..5),
// (sin of the square root of the negative argument beyond |pi X| = beta). Every L_k has unit
// area. A spectrum of resolution RES (the reciprocal of the maximum path difference) draws a
// line of unit area as L_k(offset/RES)/RES: height 1/RES for the boxcar, the scaling the scan
// library uses for its spectra.
#pragma once

#include <cstdint>

namespace fts::forward {

constexpr int32_t kWindowCount = 6;  // windows 0 .. 5 (header item QQAPOD)

// Kaiser-Bessel parameter beta of window K (1..5) as the scan library stores it; 0 for the
// boxcar and for an unknown window.
double kaiser_bessel_beta(int32_t k);

// 1/I0(beta) of window K, computed from the power series of I0; 1 for the boxcar, 0 for an
// unknown window.
double inverse_i0(int32_t k);

// Line shape L_k(X) of window K at X resolution elements from the centre; 0 for an unknown
// window.
double line_shape(int32_t k, double x);

// Instrument line shape of window K for resolution RES (> 0, in axis units) at OFFSET axis units
// from the line centre: L_k(OFFSET/RES)/RES, a line of unit area.
double instrument_line_shape(int32_t k, double res, double offset);

}  // namespace fts::forward
