// ftssmprm: sampling kernels: interpolation of single points with derivatives (the VL routines,
// SR4VAL, CR4VAL) and the cell polynomials (the PL routines, PLVLR2, PLVLC2).
//
// A position POS is a 64-bit sample coordinate: sample k of DATA lies at POS = k. Real data are
// 32-bit floats; complex data are pairs of 32-bit floats (real part, imaginary part), complex
// sample k occupying DATA(2k-1) and DATA(2k). The 16 samples POS-7 ... POS+8 around the cell are
// used; samples outside DATA count as 0, so positions near or beyond the ends are safe.
#pragma once

#include <complex>
#include <cstdint>
#include <span>

namespace fts {

// ---------------------------------------------------------------------------------------------
// Single values: derivative order 0, 1, 2 with respect to POS, in sample units.

float D0VLR2(std::span<const float> DATA, double POS);  // value of real data
float D1VLR2(std::span<const float> DATA, double POS);  // first derivative of real data
float D2VLR2(std::span<const float> DATA, double POS);  // second derivative of real data
std::complex<float> D0VLC2(std::span<const float> DATA, double POS);  // value of complex data
std::complex<float> D1VLC2(std::span<const float> DATA, double POS);  // first derivative
std::complex<float> D2VLC2(std::span<const float> DATA, double POS);  // second derivative

// Value (IDERIV 0) or derivative (1, 2) at POS of real or complex data; 0 for any other IDERIV.
float SR4VAL(std::span<const float> DATA, double POS, int32_t IDERIV);
std::complex<float> CR4VAL(std::span<const float> DATA, double POS, int32_t IDERIV);

// ---------------------------------------------------------------------------------------------
// Cell polynomials: the two cubics in h = t^2 of one sample cell, evaluated as PEVEN(h) +
// t PODD(h) with t = POS - trunc(POS) - 0.5.

void D0PLR2(std::span<const float> DATA, int32_t CELL, std::span<float, 4> PEVEN,
            std::span<float, 4> PODD);  // order 0, real data
void D1PLR2(std::span<const float> DATA, int32_t CELL, std::span<float, 4> PEVEN,
            std::span<float, 4> PODD);  // order 1, real data
void D2PLR2(std::span<const float> DATA, int32_t CELL, std::span<float, 4> PEVEN,
            std::span<float, 4> PODD);  // order 2, real data
void D0PLC2(std::span<const float> DATA, int32_t CELL, std::span<std::complex<float>, 4> PEVEN,
            std::span<std::complex<float>, 4> PODD);  // order 0, complex data
void D1PLC2(std::span<const float> DATA, int32_t CELL, std::span<std::complex<float>, 4> PEVEN,
            std::span<std::complex<float>, 4> PODD);  // order 1, complex data
void D2PLC2(std::span<const float> DATA, int32_t CELL, std::span<std::complex<float>, 4> PEVEN,
            std::span<std::complex<float>, 4> PODD);  // order 2, complex data

// Evaluates cell polynomials at POS (real and complex coefficients).
float PLVLR2(std::span<const float, 4> PEVEN, std::span<const float, 4> PODD, double POS);
std::complex<float> PLVLC2(std::span<const std::complex<float>, 4> PEVEN,
                           std::span<const std::complex<float>, 4> PODD, double POS);

// ---------------------------------------------------------------------------------------------
// Shared by the sampling routines.

// Sample cell of POS: POS truncated toward zero. A position beyond the 32-bit range, or one that
// is not a number, gives the most negative cell, whose samples lie outside every array.
inline int32_t sample_cell(double POS) {
  if (POS > -2147483649.0 && POS < 2147483648.0) return static_cast<int32_t>(POS);
  return INT32_MIN;
}

}  // namespace fts
