// ftssums: 64-bit sums split into sixteen partial sums fixed by the element positions.
#include "fts/ftssums.hpp"

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

// The partial sums combined in their fixed order (inlined into each build: a call out of a wide
// build would leave the wide registers in use for the code that follows).
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
};
struct Squares {
  static double term(float x, float, double) {
    return static_cast<double>(x) * static_cast<double>(x);
  }
};
struct ScaledSquares {
  static double term(float x, float, double s) {
    const double t = static_cast<double>(x) * s;
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

// The partial sums of contiguous vectors sixteen elements at a time, the sixteen side by side
// (the compiler takes them as few vectors as the processor allows); the last n mod 16 terms one
// at a time.
template <class Term>
[[gnu::always_inline]] inline double vector_sum(const float* x, const float* y, int32_t n,
                                                double s) {
  double p[kP] = {};
  const std::size_t count = static_cast<std::size_t>(n > 0 ? n : 0);
  std::size_t i = 0;
  if (y != nullptr) {
    for (; i + kP <= count; i += kP) {
      for (std::size_t k = 0; k < kP; ++k) p[k] += Term::term(x[i + k], y[i + k], s);
    }
  } else {
    for (; i + kP <= count; i += kP) {
      for (std::size_t k = 0; k < kP; ++k) p[k] += Term::term(x[i + k], 0.0f, s);
    }
  }
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
