// ftsmtutl: small scalar utilities: integer ceiling and floor, base-2 logarithms, binary
// exponents, bracketing powers of two, the sinc function and its derivatives, amplitude and
// phase of a complex value, and index folding.
#pragma once

#include <complex>
#include <cstdint>

namespace fts {

// ---------------------------------------------------------------------------------------------
// Ceiling and floor (a value beyond the 32-bit range saturates; not a number gives 0).

int32_t LTOP(float X);    // smallest integer >= X
int32_t LBOT(float X);    // largest integer <= X
int32_t LDTOP(double X);  // smallest integer >= X
int32_t LDBOT(double X);  // largest integer <= X

// ---------------------------------------------------------------------------------------------
// Logarithms and binary exponents.

double DLOG2(double X);  // ln X / 0.6931472 (ln 2 rounded to 32 bits)
float ALOG2(float X);    // log2 X in 32-bit arithmetic
// IEXP = e with |X| = m * 2^e, 0.5 <= m < 1; 0 for X = 0 (and for a value that is not finite).
void SCALDB(double X, int32_t& IEXP);
void SCALR4(float X, int32_t& IEXP);
void SCALI4(int32_t N, int32_t& IEXP);
void SCALI2(int16_t N, int32_t& IEXP);
int32_t MINPW2(int32_t N);  // smallest p >= 0 with 2^p >= |N|
int32_t MAXPW2(int32_t N);  // largest p >= 0 with 2^p <= |N|; 0 when |N| <= 1

// ---------------------------------------------------------------------------------------------
// sin(pi X)/(pi X) and its first two derivatives, in 32-bit arithmetic.

float SINC0(float X);
float SINC1(float X);
float SINC2(float X);

// ---------------------------------------------------------------------------------------------
// Complex values and index folding.

float AMP(std::complex<float> C);      // sqrt(re^2 + im^2)
float PHZ(std::complex<float> C);      // atan2(im, re) in (-pi, pi]; 0 for (0, 0)
int32_t JPLEAT(int32_t I, int32_t N);  // distance from I to the nearest multiple of N (N > 0)

}  // namespace fts
