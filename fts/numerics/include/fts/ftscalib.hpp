// ftscalib: calibration helpers: high-pass filter, blackbody radiance, slide and true wavenumbers.
#pragma once

#include <cstdint>
#include <span>

namespace fts {

// ---------------------------------------------------------------------------------------------
// High-pass filter.

// Butterworth high-pass of DATA(1..NPTS) in place, time constant TC in sample intervals;
// NORDER is rounded to a multiple of 4 and written back.
void HPBUTT(std::span<float> DATA, int32_t NPTS, float TC, int32_t& NORDER);

// ---------------------------------------------------------------------------------------------
// Blackbody radiance per unit wavenumber (WAVNUM in cm-1, TEMP in K).

float BBPHOT(double WAVNUM, float TEMP);  // photons s-1 cm-2 sr-1 per cm-1
float BBWATT(double WAVNUM, float TEMP);  // W cm-2 sr-1 per cm-1

// ---------------------------------------------------------------------------------------------
// Slide and true wavenumbers. COEF holds the dispersion coefficients c1..c5 of
// s(w) = c1 w + c2/w + c3/w^3 + c4 w^3 + c5 w^5.

double SLDWV(std::span<const double, 5> COEF, double WAVNUM);   // slide wavenumber s(w)
double SLDWVD(std::span<const double, 5> COEF, double WAVNUM);  // ds/dw at true WAVNUM
// True wavenumber w with s(w) = SLIDE; stops the run when the Newton iteration fails.
double TRUWV(std::span<const double, 5> COEF, double SLIDE);
double TRUWVD(std::span<const double, 5> COEF, double SLIDE);  // dw/ds at SLIDE

}  // namespace fts
