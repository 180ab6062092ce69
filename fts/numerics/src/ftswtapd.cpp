// ftswtapd: apodisation windows (boxcar and five Kaiser-Bessel windows) and their line shapes.
#include "fts/ftswtapd.hpp"

#include <cmath>

namespace fts {

namespace {

// Cubic pieces of windows 1 to 5 (kWindowPieces[k - 1][row][coefficient]).
#include "ftswtapd_tables.inc"

constexpr float kPi = 3.1415927f;  // pi as a 32-bit float

// Kaiser-Bessel parameter beta of windows 1 to 5, and 1/I0(beta); beta / sinh(beta) = 10^-k.
constexpr float kBeta[5] = {4.499914f, 7.2839975f, 9.892699f, 12.42304f, 14.9079685f};
constexpr float kInvI0[5] = {0.057208735f, 0.004558417f, 0.00039319f, 3.5187084e-05f,
                             3.217937e-06f};

static_assert(kWindowPieces[0][33][0] == kInvI0[0] && kWindowPieces[4][33][0] == kInvI0[4],
              "the edge rows of the window tables hold 1/I0(beta)");

// Window K (1..5) at X from its table: 32 cubic pieces on 0 <= |X| < 1, the edge value up to
// |X| < 1.03125, 0 beyond (and for an X that is not a number).
float kaiser_bessel_window(int K, float X) {
  const float x = std::fabs(X) * 32.0f + 1.0f;
  if (!(x < 34.0f)) return 0.0f;
  const int n = static_cast<int>(x);
  const float f = x - static_cast<float>(n);
  const float* c = kWindowPieces[K - 1][n];
  return c[0] + f * (c[1] + f * (c[2] + f * c[3]));
}

// Line shape of window K (1..5) at X: the transform of the window, KBWIND of
// beta^2 - (pi X)^2 scaled by 1/I0(beta).
float kaiser_bessel_line(int K, float X) {
  const float s = X * kPi;
  const float beta = kBeta[K - 1];
  return KBWIND((beta - s) * (s + beta)) * kInvI0[K - 1];
}

}  // namespace

// R4APD0: the boxcar window.
// Given:     X   normalised path difference
// Returned:  1 for |X| <= 1, else 0
float R4APD0(float X) {
  return std::fabs(X) <= 1.0f ? 1.0f : 0.0f;
}

// R4APD1 ... R4APD5: Kaiser-Bessel windows 1 to 5, w(X) = I0(beta sqrt(1 - X^2)) / I0(beta).
// Given:     X   normalised path difference
// Returned:  the window, from 32 cubic pieces over |X| < 1 (within 2e-7 of w before the final
//            rounding to 32 bits); 1/I0(beta) exactly for 1 <= |X| < 1.03125; 0 beyond
// Notes: no Bessel function is evaluated at run time. The tables are made by
//        tools/gen_windows.cpp. Reference: Kaiser and Schafer, IEEE Trans. ASSP 28 (1980) 105.
float R4APD1(float X) {
  return kaiser_bessel_window(1, X);
}
float R4APD2(float X) {
  return kaiser_bessel_window(2, X);
}
float R4APD3(float X) {
  return kaiser_bessel_window(3, X);
}
float R4APD4(float X) {
  return kaiser_bessel_window(4, X);
}
float R4APD5(float X) {
  return kaiser_bessel_window(5, X);
}

// KBWIND: the function from which every line shape is built, in 32-bit arithmetic.
// Given:     Z   argument
// Returned:  sinh(sqrt Z)/sqrt Z for Z > 1e-5, sin(sqrt -Z)/sqrt -Z for Z < -1e-5,
//            1 + Z/6 in between
// Notes: 1. The series bridges the change of branch at Z = 0 without a division by zero.
//        2. For Z = -infinity (a line shape far out in its wings) the limit 0 is returned
//           rather than sin(inf)/inf, which is not a number.
float KBWIND(float Z) {
  if (Z > 1e-5f) {
    const float s = std::sqrt(Z);
    return std::sinh(s) / s;
  }
  if (Z < -1e-5f) {
    const float s = std::sqrt(-Z);
    if (std::isinf(s)) return 0.0f;
    return std::sin(s) / s;
  }
  return 1.0f + Z * 0.16666667f;
}

// R4WND0: line shape of the boxcar window.
// Given:     X   offset from the line centre in unapodised resolution elements
// Returned:  sin(pi X)/(pi X), through KBWIND
float R4WND0(float X) {
  const float s = X * kPi;
  return KBWIND(s * (0.0f - s));
}

// R4WND1 ... R4WND5: line shapes of Kaiser-Bessel windows 1 to 5,
// L(X) = 1/2 integral over -1..1 of w(x) cos(pi X x) dx.
// Given:     X   offset from the line centre in unapodised resolution elements
// Returned:  KBWIND((beta - pi X)(beta + pi X)) / I0(beta): hyperbolic inside |pi X| < beta,
//            trigonometric outside
float R4WND1(float X) {
  return kaiser_bessel_line(1, X);
}
float R4WND2(float X) {
  return kaiser_bessel_line(2, X);
}
float R4WND3(float X) {
  return kaiser_bessel_line(3, X);
}
float R4WND4(float X) {
  return kaiser_bessel_line(4, X);
}
float R4WND5(float X) {
  return kaiser_bessel_line(5, X);
}

}  // namespace fts
