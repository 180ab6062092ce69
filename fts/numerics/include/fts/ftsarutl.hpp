// ftsarutl: array operation families: fill, add, scale, gather, dot, extremes, shifts, rotations.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace fts {

// Type digits: 0 = int16_t, 1 = int32_t, 2 = float, 3 = double (I2, I4, R4, R8 in MXMN and NORM).
//
// Strided range: the 1-based elements I1, I1+INC, I1+2*INC, ... up to I2 (down to I2 when INC < 0),
// n = (I2 - I1 + INC) div INC of them; nothing is processed when n <= 0 or INC = 0. In the C
// routines the indices count complex elements: complex element k is storage A(2k-1), A(2k).
//
// Bounds: a range that does not lie wholly inside the span it is given is processed as an empty
// range (nothing is read or written, outputs as for an empty range); so is a gather whose
// target is too short.

// A complex value: real part, imaginary part.
template <class T>
using ComplexPair = std::array<T, 2>;

// A window function of a normalised position (VRWGT2).
using WeightFunction = float (*)(float);

// ---------------------------------------------------------------------------------------------
// Fill and zero.

void SRFIL0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, int16_t S);  // a = S
void SRFIL1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t S);
void SRFIL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S);
void SRFIL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S);

// a = S (both parts)
void SCFIL0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int16_t> S);
void SCFIL1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int32_t> S);
void SCFIL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S);
void SCFIL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S);

void SRZER0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC);  // a = 0
void SRZER1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC);
void SRZER2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC);
void SRZER3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC);

void SCZER0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC);  // a = (0, 0)
void SCZER1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC);
void SCZER2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC);
void SCZER3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC);

// ---------------------------------------------------------------------------------------------
// Add and subtract a scalar (integers wrap on overflow).

void SRADD0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, int16_t S);  // a = a + S
void SRADD1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t S);
void SRADD2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S);
void SRADD3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S);

// a = a + S (part by part)
void SCADD0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int16_t> S);
void SCADD1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int32_t> S);
void SCADD2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S);
void SCADD3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S);

void SRSUB0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, int16_t S);  // a = a + (-S)
void SRSUB1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t S);
void SRSUB2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S);
void SRSUB3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S);

// a = a + (-S) (part by part)
void SCSUB0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int16_t> S);
void SCSUB1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int32_t> S);
void SCSUB2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S);
void SCSUB3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S);

// ---------------------------------------------------------------------------------------------
// Multiply and divide by a scalar (division multiplies by the reciprocal, formed once).

void SRMUL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S);  // a = S * a
void SRMUL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S);
void SCMUL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S);
void SCMUL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S);
void SRDIV2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S);  // a = a * (1/S)
void SRDIV3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S);
void SCDIV2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S);
void SCDIV3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S);

// ---------------------------------------------------------------------------------------------
// Gather a strided range into B(1), B(2), ...

void VRMOV0(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int16_t> B);
void VRMOV1(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int32_t> B);
void VRMOV2(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, std::span<float> B);
void VRMOV3(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, std::span<double> B);
void VCMOV0(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int16_t> B);
void VCMOV1(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int32_t> B);
void VCMOV2(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, std::span<float> B);
void VCMOV3(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, std::span<double> B);

// ---------------------------------------------------------------------------------------------
// Dot products over the same strided range of A and B, summed in double.

void VRDOT2(std::span<const float> A, std::span<const float> B, int32_t I1, int32_t I2, int32_t INC,
            float& RESULT);
void VRDOT3(std::span<const double> A, std::span<const double> B, int32_t I1, int32_t I2,
            int32_t INC, double& RESULT);
void VCDOT2(std::span<const float> A, std::span<const float> B, int32_t I1, int32_t I2, int32_t INC,
            ComplexPair<float>& RESULT);  // no conjugation
void VCDOT3(std::span<const double> A, std::span<const double> B, int32_t I1, int32_t I2,
            int32_t INC, ComplexPair<double>& RESULT);

// ---------------------------------------------------------------------------------------------
// Positions of the largest and smallest element (first position on ties; I1 for an empty range).

void MXMNI2(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN);
void MXMNI4(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN);
void MXMNR4(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN);
void MXMNR8(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN);

// ---------------------------------------------------------------------------------------------
// Normalising shift: 2^ISHIFT brings the largest magnitude into [2^14, 2^15) (I2),
// [2^30, 2^31) (I4) or [0.5, 1) (R4, R8); 0 when it is 0.

void NORMI2(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT);
void NORMI4(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT);
void NORMR4(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT);
void NORMR8(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT);

// ---------------------------------------------------------------------------------------------
// Rotation of A(I1...I3) in place so that A(I2) comes first (ACROT: complex elements).

void ARROT0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t I3);
void ARROT1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t I3);
void ARROT2(std::span<float> A, int32_t I1, int32_t I2, int32_t I3);
void ARROT3(std::span<double> A, int32_t I1, int32_t I2, int32_t I3);
void ACROT0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t I3);
void ACROT1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t I3);
void ACROT2(std::span<float> A, int32_t I1, int32_t I2, int32_t I3);
void ACROT3(std::span<double> A, int32_t I1, int32_t I2, int32_t I3);

// ---------------------------------------------------------------------------------------------
// Weighting: A(i) = FUNC((i - ICENT) * 2/NWIDTH) * A(i) for i = I1 ... I2.

void VRWGT2(std::span<float> A, int32_t I1, int32_t I2, int32_t ICENT, int32_t NWIDTH,
            WeightFunction FUNC);

}  // namespace fts
