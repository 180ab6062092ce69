// ftssmutl: resampling of lists of output points (the SM routines and SAMPLE).
//
// Output point i lies at abscissa XOUT(i), that is at sample coordinate (XOUT(i) - XZERO)/DX,
// where XZERO is the abscissa of the virtual sample 0 and DX the sample spacing. Derivatives are
// per abscissa unit. Complex data and results are pairs of 32-bit floats (real, imaginary).
#pragma once

#include <cstdint>
#include <span>

namespace fts {

// ---------------------------------------------------------------------------------------------
// Resampling a list: OUT(1..NOUT) from DATA at the abscissae XOUT(1..NOUT).

void D0SMR2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX);  // values of real data
void D1SMR2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX);  // first derivatives of real data
void D2SMR2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX);  // second derivatives of real data
void D0SMC2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX);  // values of complex data
void D1SMC2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX);  // first derivatives of complex data
void D2SMC2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX);  // second derivatives of complex data

// Resamples real (ICMPLX 0) or complex (1) data, value (IDERIV 0) or derivative (1, 2).
void SAMPLE(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX, int32_t IDERIV, int32_t ICMPLX);

}  // namespace fts
