// ftssums: 64-bit sums split into sixteen partial sums fixed by the element positions.
#include "fts/ftssums.hpp"

#include <cstring>

#include "fts/detail/wide.hpp"

namespace fts {

namespace detail {

const char* wide_build() {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return "avx512f";
  if (__builtin_cpu_supports("avx2")) return "avx2";
#endif
  return "default";
}

}  // namespace detail

namespace split {

namespace {

constexpr std::size_t kP = kPartials;

// Eight 32-bit reals and eight 64-bit reals as vectors of the compiler: each operation works
// element by element, exactly as the scalar operation on each element would. The small helpers
// that pass them are inlined into each build, so the warning about their calling convention
// (which differs between builds) does not apply.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
using Floats = float __attribute__((vector_size(32)));
using Doubles = double __attribute__((vector_size(64)));

// Elements I..I+7 of X, widened to 64 bits.
[[gnu::always_inline]] inline Doubles wide8(const float* x) {
  Floats v;
  std::memcpy(&v, x, sizeof v);
  return __builtin_convertvector(v, Doubles);
}

// The partial sums combined in their fixed order.
[[gnu::always_inline]] inline double combine(double* p) {
  for (std::size_t k = 0; k < 8; ++k) p[k] = p[k] + p[k + 8];
  for (std::size_t k = 0; k < 4; ++k) p[k] = p[k] + p[k + 4];
  for (std::size_t k = 0; k < 2; ++k) p[k] = p[k] + p[k + 2];
  return p[0] + p[1];
}

// The terms of the three sums.
struct Dot {
  static double term(float x, float y, double) {
    return static_cast<double>(x) * static_cast<double>(y);
  }
  [[gnu::always_inline]] static Doubles terms(Doubles x, Doubles y, Doubles) { return x * y; }
};
struct Squares {
  static double term(float x, float, double) {
    return static_cast<double>(x) * static_cast<double>(x);
  }
  [[gnu::always_inline]] static Doubles terms(Doubles x, Doubles, Doubles) { return x * x; }
};
struct ScaledSquares {
  static double term(float x, float, double s) {
    const double t = static_cast<double>(x) * s;
    return t * t;
  }
  [[gnu::always_inline]] static Doubles terms(Doubles x, Doubles, Doubles s) {
    const Doubles t = x * s;
    return t * t;
  }
};

// The partial sums one element after the other (any increments).
template <class Term>
double reference(const float* x, std::ptrdiff_t incx, const float* y, std::ptrdiff_t incy,
                 int32_t n, double s) {
  double p[kP] = {};
  for (int32_t i = 0; i < n; ++i) {
    const float yi = y != nullptr ? y[i * incy] : 0.0f;
    p[static_cast<std::size_t>(i) % kP] += Term::term(x[i * incx], yi, s);
  }
  return combine(p);
}

// The partial sums of contiguous vectors sixteen elements at a time: partial sums 0-7 in one
// vector, 8-15 in another; the last n mod 16 terms one at a time.
template <class Term>
[[gnu::always_inline]] inline double vector_sum(const float* x, const float* y, int32_t n, double s) {
  const Doubles sv = {s, s, s, s, s, s, s, s};
  Doubles p0 = {}, p1 = {};
  const std::size_t count = static_cast<std::size_t>(n > 0 ? n : 0);
  std::size_t i = 0;
  for (; i + kP <= count; i += kP) {
    const Doubles y0 = y != nullptr ? wide8(y + i) : Doubles{};
    const Doubles y1 = y != nullptr ? wide8(y + i + 8) : Doubles{};
    p0 = p0 + Term::terms(wide8(x + i), y0, sv);
    p1 = p1 + Term::terms(wide8(x + i + 8), y1, sv);
  }
  double p[kP];
  std::memcpy(p, &p0, sizeof p0);
  std::memcpy(p + 8, &p1, sizeof p1);
  for (; i < count; ++i) p[i % kP] += Term::term(x[i], y != nullptr ? y[i] : 0.0f, s);
  return combine(p);
}

FTS_WIDE_CLONES double dot_contiguous(const float* x, const float* y, int32_t n) {
  return vector_sum<Dot>(x, y, n, 0.0);
}
FTS_WIDE_CLONES double squares_contiguous(const float* x, int32_t n) {
  return vector_sum<Squares>(x, nullptr, n, 0.0);
}
FTS_WIDE_CLONES double scaled_squares_contiguous(const float* x, int32_t n, double s) {
  return vector_sum<ScaledSquares>(x, nullptr, n, s);
}

}  // namespace

// dot: sum of x(i) y(i), i = 0..N-1, in 64 bits, split into the sixteen partial sums.
// Given:     X, INCX  first element and increment of x
//            Y, INCY  first element and increment of y
//            N        elements (0 or less: the sum is 0)
// Returned:  (value)  the sum
double dot(const float* x, std::ptrdiff_t incx, const float* y, std::ptrdiff_t incy, int32_t n) {
  if (incx == 1 && incy == 1) return dot_contiguous(x, y, n);
  return reference<Dot>(x, incx, y, incy, n, 0.0);
}

// squares: sum of x(i)^2, as dot.
double squares(const float* x, std::ptrdiff_t incx, int32_t n) {
  if (incx == 1) return squares_contiguous(x, n);
  return reference<Squares>(x, incx, nullptr, 0, n, 0.0);
}

// scaled_squares: sum of (x(i) s)^2, as dot; x(i) s is formed in 64 bits.
double scaled_squares(const float* x, std::ptrdiff_t incx, int32_t n, float s) {
  if (incx == 1) return scaled_squares_contiguous(x, n, static_cast<double>(s));
  return reference<ScaledSquares>(x, incx, nullptr, 0, n, static_cast<double>(s));
}

double dot_reference(const float* x, std::ptrdiff_t incx, const float* y, std::ptrdiff_t incy,
                     int32_t n) {
  return reference<Dot>(x, incx, y, incy, n, 0.0);
}
double squares_reference(const float* x, std::ptrdiff_t incx, int32_t n) {
  return reference<Squares>(x, incx, nullptr, 0, n, 0.0);
}
double scaled_squares_reference(const float* x, std::ptrdiff_t incx, int32_t n, float s) {
  return reference<ScaledSquares>(x, incx, nullptr, 0, n, static_cast<double>(s));
}

}  // namespace split
}  // namespace fts
