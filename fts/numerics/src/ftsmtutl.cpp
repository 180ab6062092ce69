// ftsmtutl: ceiling and floor, logarithms, binary exponents, powers of two, sinc, amplitude and
// phase, index folding.
#include "fts/ftsmtutl.hpp"

#include <cmath>

#include "fts/detail/numeric.hpp"

namespace fts {

namespace {

constexpr float kPi = 3.1415927f;      // pi as a 32-bit float
constexpr float kPi2 = 9.869604f;      // pi squared as a 32-bit float
constexpr float kSeriesLimit = 0.01f;  // |pi X| up to which the series are used

}  // namespace

int32_t LTOP(float X) {
  return LDTOP(X);
}
int32_t LBOT(float X) {
  return LDBOT(X);
}

int32_t LDTOP(double X) {
  const double a = std::trunc(X);
  return detail::saturate_int32(a < X ? a + 1 : a);
}

int32_t LDBOT(double X) {
  const double a = std::trunc(X);
  return detail::saturate_int32(a <= X ? a : a - 1);
}

double DLOG2(double X) {
  return std::log(X) / static_cast<double>(0.6931472f);
}

float ALOG2(float X) {
  return std::log2(X);
}

void SCALDB(double X, int32_t& IEXP) {
  IEXP = 0;
  double v = std::fabs(X);
  // An infinite value would halve for ever; it is treated like 0.
  if (v == 0 || !std::isfinite(v)) return;
  while (v >= 1) {
    v *= 0.5;
    ++IEXP;
  }
  while (v < 0.5) {
    v *= 2;
    --IEXP;
  }
}

void SCALR4(float X, int32_t& IEXP) {
  SCALDB(static_cast<double>(X), IEXP);
}
void SCALI4(int32_t N, int32_t& IEXP) {
  SCALDB(static_cast<double>(N), IEXP);
}
void SCALI2(int16_t N, int32_t& IEXP) {
  SCALDB(static_cast<double>(N), IEXP);
}

int32_t MINPW2(int32_t N) {
  int64_t i = N < 0 ? -int64_t{N} : N;
  int32_t p = 0;
  while (i > 1) {
    i = (i + 1) / 2;
    ++p;
  }
  return p;
}

int32_t MAXPW2(int32_t N) {
  int64_t i = N < 0 ? -int64_t{N} : N;
  int32_t p = 0;
  while (i > 1) {
    i /= 2;
    ++p;
  }
  return p;
}

float SINC0(float X) {
  const float a = X * kPi;
  if (std::fabs(a) <= kSeriesLimit) return 1.0f - a * a * 0.16666667f;
  return std::sin(a) / a;
}

float SINC1(float X) {
  const float a = X * kPi;
  if (std::fabs(a) <= kSeriesLimit) return kPi * a * (a * a * 0.033333331f - 0.33333334f);
  return kPi * (a * std::cos(a) - std::sin(a)) / (a * a);
}

float SINC2(float X) {
  const float a = X * kPi;
  if (std::fabs(a) <= kSeriesLimit) return kPi2 * (a * a * 0.1f - 0.33333334f);
  return kPi2 * ((2.0f - a * a) * std::sin(a) - 2.0f * a * std::cos(a)) / (a * a * a);
}

float AMP(std::complex<float> C) {
  return std::sqrt(C.real() * C.real() + C.imag() * C.imag());
}

float PHZ(std::complex<float> C) {
  if (C.real() == 0 && C.imag() == 0) return 0.0f;
  return std::atan2(C.imag(), C.real());
}

int32_t JPLEAT(int32_t I, int32_t N) {
  const int32_t q = I / N;
  int32_t r = I - q * N;
  if (r < 0) r += N;
  return 2 * int64_t{r} > N ? N - r : r;
}

}  // namespace fts
