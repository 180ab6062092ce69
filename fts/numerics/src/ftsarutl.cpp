// ftsarutl: array operation families: fill, add, scale, gather, dot, extremes, shifts, rotations.
#include "fts/ftsarutl.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "fts/ftsmtutl.hpp"

namespace fts {

namespace {

// A strided range resolved against the array it addresses: COUNT elements (0 = nothing to do)
// from the 0-based element FIRST in steps of STEP, in the caller's order. LOW is the 0-based
// element with the smallest index of the range, for operations where the order does not matter.
struct Range {
  std::ptrdiff_t first = 0;
  std::ptrdiff_t step = 1;
  std::ptrdiff_t count = 0;
  std::ptrdiff_t low = 0;
};

// The range I1, I1+INC, ... (1-based) over an array of SIZE elements. A range with INC = 0, with
// no elements, or with an element outside 1..SIZE resolves to COUNT = 0.
Range resolve(int32_t I1, int32_t I2, int32_t INC, std::size_t size) {
  Range r;
  if (INC == 0) return r;
  // Element count, (I2 - I1 + INC) div INC truncated toward zero, in 64 bits.
  const int64_t n = (int64_t{I2} - I1 + INC) / INC;
  if (n <= 0) return r;
  const int64_t last = I1 + (n - 1) * int64_t{INC};
  const int64_t lo = std::min<int64_t>(I1, last);
  const int64_t hi = std::max<int64_t>(I1, last);
  if (lo < 1 || hi > static_cast<int64_t>(size)) return r;
  r.first = static_cast<std::ptrdiff_t>(I1 - 1);
  r.step = INC;
  r.count = static_cast<std::ptrdiff_t>(n);
  r.low = static_cast<std::ptrdiff_t>(lo - 1);
  return r;
}

// Number of complex elements (pairs) in a storage array.
std::size_t pairs(std::size_t storage) {
  return storage / 2;
}

// Applies OP to every element of the range, lowest index first; a unit stride runs as a plain
// contiguous loop that the compiler can vectorise.
template <class T, class Op>
void for_each_real(std::span<T> a, const Range& r, Op op) {
  T* p = a.data() + r.low;
  const std::ptrdiff_t n = r.count;
  const std::ptrdiff_t step = r.step < 0 ? -r.step : r.step;
  if (step == 1) {
    for (std::ptrdiff_t i = 0; i < n; ++i) op(p[i]);
  } else {
    for (std::ptrdiff_t i = 0; i < n; ++i) op(p[i * step]);
  }
}

// Applies OP(re, im) to every complex element of the range (indices in pairs).
template <class T, class Op>
void for_each_complex(std::span<T> a, const Range& r, Op op) {
  T* p = a.data() + 2 * r.low;
  const std::ptrdiff_t n = r.count;
  const std::ptrdiff_t step = 2 * (r.step < 0 ? -r.step : r.step);
  for (std::ptrdiff_t i = 0; i < n; ++i) op(p[i * step], p[i * step + 1]);
}

// Sum and negation in the element type; integers wrap around on overflow.
template <class T>
T plus(T a, T b) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
  } else {
    return static_cast<T>(a + b);
  }
}
template <class T>
T minus(T s) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return static_cast<int32_t>(0u - static_cast<uint32_t>(s));
  } else {
    return static_cast<T>(-s);
  }
}

// --- Elementwise families on real and on complex elements.

template <class T>
void fill_real(std::span<T> a, int32_t i1, int32_t i2, int32_t inc, T s) {
  for_each_real(a, resolve(i1, i2, inc, a.size()), [s](T& x) { x = s; });
}
template <class T>
void fill_complex(std::span<T> a, int32_t i1, int32_t i2, int32_t inc, ComplexPair<T> s) {
  for_each_complex(a, resolve(i1, i2, inc, pairs(a.size())), [s](T& re, T& im) {
    re = s[0];
    im = s[1];
  });
}

template <class T>
void add_real(std::span<T> a, int32_t i1, int32_t i2, int32_t inc, T s) {
  for_each_real(a, resolve(i1, i2, inc, a.size()), [s](T& x) { x = plus(x, s); });
}
template <class T>
void add_complex(std::span<T> a, int32_t i1, int32_t i2, int32_t inc, ComplexPair<T> s) {
  for_each_complex(a, resolve(i1, i2, inc, pairs(a.size())), [s](T& re, T& im) {
    re = plus(re, s[0]);
    im = plus(im, s[1]);
  });
}

template <class T>
void mul_real(std::span<T> a, int32_t i1, int32_t i2, int32_t inc, T s) {
  for_each_real(a, resolve(i1, i2, inc, a.size()), [s](T& x) { x = s * x; });
}
// (sr*ar - si*ai, si*ar + sr*ai), in the element type.
template <class T>
void mul_complex(std::span<T> a, int32_t i1, int32_t i2, int32_t inc, ComplexPair<T> s) {
  const T sr = s[0];
  const T si = s[1];
  for_each_complex(a, resolve(i1, i2, inc, pairs(a.size())), [sr, si](T& re, T& im) {
    const T ar = re;
    const T ai = im;
    re = sr * ar - si * ai;
    im = si * ar + sr * ai;
  });
}

// --- Gathers.

template <class T>
void gather_real(std::span<const T> a, int32_t i1, int32_t i2, int32_t inc, std::span<T> b) {
  const Range r = resolve(i1, i2, inc, a.size());
  if (r.count > static_cast<std::ptrdiff_t>(b.size())) return;
  const T* p = a.data() + r.first;
  T* q = b.data();
  if (r.step == 1) {
    for (std::ptrdiff_t i = 0; i < r.count; ++i) q[i] = p[i];
  } else {
    for (std::ptrdiff_t i = 0; i < r.count; ++i) q[i] = p[i * r.step];
  }
}
template <class T>
void gather_complex(std::span<const T> a, int32_t i1, int32_t i2, int32_t inc, std::span<T> b) {
  const Range r = resolve(i1, i2, inc, pairs(a.size()));
  if (2 * r.count > static_cast<std::ptrdiff_t>(b.size())) return;
  const T* p = a.data() + 2 * r.first;
  T* q = b.data();
  for (std::ptrdiff_t i = 0; i < r.count; ++i) {
    q[2 * i] = p[2 * i * r.step];
    q[2 * i + 1] = p[2 * i * r.step + 1];
  }
}

// --- Dot products, summed in double in the order of the range.

template <class T>
double dot_real(std::span<const T> a, std::span<const T> b, int32_t i1, int32_t i2, int32_t inc) {
  const Range r = resolve(i1, i2, inc, std::min(a.size(), b.size()));
  double sum = 0;
  for (std::ptrdiff_t i = 0; i < r.count; ++i) {
    const std::ptrdiff_t j = r.first + i * r.step;
    sum += static_cast<double>(a[j]) * static_cast<double>(b[j]);
  }
  return sum;
}
template <class T>
ComplexPair<double> dot_complex(std::span<const T> a, std::span<const T> b, int32_t i1, int32_t i2,
                                int32_t inc) {
  const Range r = resolve(i1, i2, inc, pairs(std::min(a.size(), b.size())));
  double sr = 0;
  double si = 0;
  for (std::ptrdiff_t i = 0; i < r.count; ++i) {
    const std::ptrdiff_t j = 2 * (r.first + i * r.step);
    const double ar = a[j], ai = a[j + 1];
    const double br = b[j], bi = b[j + 1];
    sr += ar * br - ai * bi;
    si += ar * bi + ai * br;
  }
  return {sr, si};
}

// --- Extremes and the normalising shift.

template <class T>
void extreme_positions(std::span<const T> a, int32_t i1, int32_t i2, int32_t inc, int32_t& imax,
                       int32_t& imin) {
  imax = i1;
  imin = i1;
  const Range r = resolve(i1, i2, inc, a.size());
  if (r.count == 0) return;
  T vmax = a[r.first];
  T vmin = vmax;
  std::ptrdiff_t jmax = r.first;
  std::ptrdiff_t jmin = r.first;
  // Strict comparisons: on ties the first position visited stays.
  for (std::ptrdiff_t i = 0; i < r.count; ++i) {
    const std::ptrdiff_t j = r.first + i * r.step;
    const T v = a[j];
    if (v > vmax) {
      vmax = v;
      jmax = j;
    }
    if (v < vmin) {
      vmin = v;
      jmin = j;
    }
  }
  imax = static_cast<int32_t>(jmax + 1);
  imin = static_cast<int32_t>(jmin + 1);
}

// The shift for full scale 2^BITS: BITS - e, with e the binary exponent (SCALDB) of the largest
// magnitude of the range; 0 when that magnitude is 0.
// Notes: the largest and smallest values are found with the same strict comparisons, from the
// same start, as extreme_positions, so the magnitude is that of A(IMAX) and A(IMIN) of the MXMN
// routine; the loop keeps values only, which lets the compiler vectorise it. For an empty range
// both are A(I1) (when I1 lies inside the array; otherwise the magnitude counts as 0).
template <class T>
int32_t normalising_shift(std::span<const T> a, int32_t i1, int32_t i2, int32_t inc, int32_t bits) {
  const Range r = resolve(i1, i2, inc, a.size());
  T vmax{};
  T vmin{};
  if (r.count > 0) {
    vmax = a[r.first];
    vmin = vmax;
    const T* p = a.data() + r.low;
    const std::ptrdiff_t step = r.step < 0 ? -r.step : r.step;
    // Order does not change the extreme values, so the range runs from its low end.
    if (step == 1) {
      for (std::ptrdiff_t i = 0; i < r.count; ++i) {
        vmax = p[i] > vmax ? p[i] : vmax;
        vmin = p[i] < vmin ? p[i] : vmin;
      }
    } else {
      for (std::ptrdiff_t i = 0; i < r.count; ++i) {
        const T v = p[i * step];
        vmax = v > vmax ? v : vmax;
        vmin = v < vmin ? v : vmin;
      }
    }
  } else if (i1 >= 1 && static_cast<std::size_t>(i1) <= a.size()) {
    vmax = a[static_cast<std::size_t>(i1 - 1)];
    vmin = vmax;
  }
  const double m =
      std::max(std::abs(static_cast<double>(vmax)), std::abs(static_cast<double>(vmin)));
  if (m == 0) return 0;
  int32_t e = 0;
  SCALDB(m, e);
  return bits - e;
}

// --- Rotation by block swaps.

// Rotates the 1-based elements I1..I3 of A left so that element I2 comes first; nothing when
// I1 >= I2 or I3 < I2, or when I1..I3 does not lie inside A.
// Reference: the block-swap rotation (Gries and Mills, "Swapping sections", Cornell TR 81-452,
// 1981): swap the shorter block into place, then rotate what is left.
template <class T>
void rotate_left(std::span<T> a, int64_t i1, int64_t i2, int64_t i3) {
  if (i1 >= i2 || i3 < i2) return;
  if (i1 < 1 || i3 > static_cast<int64_t>(a.size())) return;
  // 0-based from here on.
  std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i1 - 1);
  std::ptrdiff_t k = static_cast<std::ptrdiff_t>(i2 - 1);
  std::ptrdiff_t i = static_cast<std::ptrdiff_t>(i3 - 1);
  while (j < k && i >= k) {
    if (k - j < i - k) {
      // Left block shorter: swap it forward until k passes i.
      const std::ptrdiff_t m = (i - j + 1) % (k - j);
      while (k <= i) std::swap(a[static_cast<std::size_t>(j++)], a[static_cast<std::size_t>(k++)]);
      k = i - m + 1;
    } else {
      // Right block not longer: swap it backward until k falls below j.
      --k;
      const std::ptrdiff_t m = (i - j + 1) % (i - k);
      while (k >= j) std::swap(a[static_cast<std::size_t>(k--)], a[static_cast<std::size_t>(i--)]);
      k = j + m;
    }
  }
}

}  // namespace

// SRFIL0-3: fill a strided range with a scalar.
// Given:     I1, I2, INC  strided range (1-based)
//            S            value
// Given and returned:
//            A            every element of the range = S
void SRFIL0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, int16_t S) {
  fill_real(A, I1, I2, INC, S);
}
void SRFIL1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t S) {
  fill_real(A, I1, I2, INC, S);
}
void SRFIL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S) {
  fill_real(A, I1, I2, INC, S);
}
void SRFIL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S) {
  fill_real(A, I1, I2, INC, S);
}

// SCFIL0-3: fill a strided range of complex elements with a complex scalar.
// Given:     I1, I2, INC  strided range, in complex elements
//            S            value (real, imaginary)
// Given and returned:
//            A            storage A(2k-1), A(2k) of every complex element k of the range = S
void SCFIL0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int16_t> S) {
  fill_complex(A, I1, I2, INC, S);
}
void SCFIL1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int32_t> S) {
  fill_complex(A, I1, I2, INC, S);
}
void SCFIL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S) {
  fill_complex(A, I1, I2, INC, S);
}
void SCFIL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S) {
  fill_complex(A, I1, I2, INC, S);
}

// SRZER0-3: zero a strided range.
// Given:     I1, I2, INC  strided range (1-based)
// Given and returned:
//            A            every element of the range = 0
void SRZER0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_real<int16_t>(A, I1, I2, INC, 0);
}
void SRZER1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_real<int32_t>(A, I1, I2, INC, 0);
}
void SRZER2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_real<float>(A, I1, I2, INC, 0);
}
void SRZER3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_real<double>(A, I1, I2, INC, 0);
}

// SCZER0-3: zero a strided range of complex elements.
// Given:     I1, I2, INC  strided range, in complex elements
// Given and returned:
//            A            every complex element of the range = (0, 0)
void SCZER0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_complex<int16_t>(A, I1, I2, INC, {0, 0});
}
void SCZER1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_complex<int32_t>(A, I1, I2, INC, {0, 0});
}
void SCZER2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_complex<float>(A, I1, I2, INC, {0, 0});
}
void SCZER3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC) {
  fill_complex<double>(A, I1, I2, INC, {0, 0});
}

// SRADD0-3: add a scalar to a strided range.
// Given:     I1, I2, INC  strided range (1-based)
//            S            value added
// Given and returned:
//            A            a = a + S for every element of the range
// Notes: integer sums wrap around on overflow; float sums are rounded to the element type.
void SRADD0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, int16_t S) {
  add_real(A, I1, I2, INC, S);
}
void SRADD1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t S) {
  add_real(A, I1, I2, INC, S);
}
void SRADD2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S) {
  add_real(A, I1, I2, INC, S);
}
void SRADD3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S) {
  add_real(A, I1, I2, INC, S);
}

// SCADD0-3: add a complex scalar to a strided range of complex elements.
// Given:     I1, I2, INC  strided range, in complex elements
//            S            value added (real, imaginary)
// Given and returned:
//            A            a = a + S part by part for every complex element of the range
void SCADD0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int16_t> S) {
  add_complex(A, I1, I2, INC, S);
}
void SCADD1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int32_t> S) {
  add_complex(A, I1, I2, INC, S);
}
void SCADD2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S) {
  add_complex(A, I1, I2, INC, S);
}
void SCADD3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S) {
  add_complex(A, I1, I2, INC, S);
}

// SRSUB0-3: subtract a scalar from a strided range.
// Given:     I1, I2, INC  strided range (1-based)
//            S            value subtracted
// Given and returned:
//            A            a = a + (-S) for every element of the range
// Notes: S is negated first (in the element type, wrapping for integers), then added.
void SRSUB0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, int16_t S) {
  add_real(A, I1, I2, INC, minus(S));
}
void SRSUB1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t S) {
  add_real(A, I1, I2, INC, minus(S));
}
void SRSUB2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S) {
  add_real(A, I1, I2, INC, minus(S));
}
void SRSUB3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S) {
  add_real(A, I1, I2, INC, minus(S));
}

// SCSUB0-3: subtract a complex scalar from a strided range of complex elements.
// Given:     I1, I2, INC  strided range, in complex elements
//            S            value subtracted (real, imaginary)
// Given and returned:
//            A            a = a + (-S) part by part for every complex element of the range
void SCSUB0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int16_t> S) {
  add_complex(A, I1, I2, INC, {minus(S[0]), minus(S[1])});
}
void SCSUB1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<int32_t> S) {
  add_complex(A, I1, I2, INC, {minus(S[0]), minus(S[1])});
}
void SCSUB2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S) {
  add_complex(A, I1, I2, INC, {minus(S[0]), minus(S[1])});
}
void SCSUB3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S) {
  add_complex(A, I1, I2, INC, {minus(S[0]), minus(S[1])});
}

// SRMUL2-3: multiply a strided range by a scalar.
// Given:     I1, I2, INC  strided range (1-based)
//            S            factor
// Given and returned:
//            A            a = S*a for every element of the range, in the element type
void SRMUL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S) {
  mul_real(A, I1, I2, INC, S);
}
void SRMUL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S) {
  mul_real(A, I1, I2, INC, S);
}

// SCMUL2-3: multiply a strided range of complex elements by a complex scalar.
// Given:     I1, I2, INC  strided range, in complex elements
//            S            factor (sr, si)
// Given and returned:
//            A            a = (sr*ar - si*ai, si*ar + sr*ai) for every complex element
void SCMUL2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S) {
  mul_complex(A, I1, I2, INC, S);
}
void SCMUL3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S) {
  mul_complex(A, I1, I2, INC, S);
}

// SRDIV2-3: divide a strided range by a scalar.
// Given:     I1, I2, INC  strided range (1-based)
//            S            divisor
// Given and returned:
//            A            a = a*r with r = 1/S formed once in the element type
// Notes: the result is a*(1/S), not a/S; S = 0 gives infinite values by the float rules.
void SRDIV2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, float S) {
  mul_real(A, I1, I2, INC, 1.0f / S);
}
void SRDIV3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, double S) {
  mul_real(A, I1, I2, INC, 1.0 / S);
}

// SCDIV2-3: divide a strided range of complex elements by a complex scalar.
// Given:     I1, I2, INC  strided range, in complex elements
//            S            divisor (sr, si)
// Given and returned:
//            A            a = a*r (complex product) with r = (c*sr, -c*si), c = 1/(sr^2 + si^2),
//                         r formed once in the element type
void SCDIV2(std::span<float> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<float> S) {
  const float c = 1.0f / (S[0] * S[0] + S[1] * S[1]);
  mul_complex(A, I1, I2, INC, {c * S[0], -(c * S[1])});
}
void SCDIV3(std::span<double> A, int32_t I1, int32_t I2, int32_t INC, ComplexPair<double> S) {
  const double c = 1.0 / (S[0] * S[0] + S[1] * S[1]);
  mul_complex(A, I1, I2, INC, {c * S[0], -(c * S[1])});
}

// VRMOV0-3: gather a strided range into a contiguous vector.
// Given:     A            array
//            I1, I2, INC  strided range (1-based)
// Returned:  B            B(1), B(2), ... = the elements of the range in order
// Notes: nothing is moved when B is shorter than the range.
void VRMOV0(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int16_t> B) {
  gather_real(A, I1, I2, INC, B);
}
void VRMOV1(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int32_t> B) {
  gather_real(A, I1, I2, INC, B);
}
void VRMOV2(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, std::span<float> B) {
  gather_real(A, I1, I2, INC, B);
}
void VRMOV3(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, std::span<double> B) {
  gather_real(A, I1, I2, INC, B);
}

// VCMOV0-3: gather a strided range of complex elements into a contiguous vector.
// Given:     A            array of complex elements
//            I1, I2, INC  strided range, in complex elements
// Returned:  B            complex elements 1, 2, ... of B = those of the range in order
// Notes: nothing is moved when B is shorter than the range.
void VCMOV0(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int16_t> B) {
  gather_complex(A, I1, I2, INC, B);
}
void VCMOV1(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, std::span<int32_t> B) {
  gather_complex(A, I1, I2, INC, B);
}
void VCMOV2(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, std::span<float> B) {
  gather_complex(A, I1, I2, INC, B);
}
void VCMOV3(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, std::span<double> B) {
  gather_complex(A, I1, I2, INC, B);
}

// VRDOT2-3: dot product over a strided range.
// Given:     A, B         arrays
//            I1, I2, INC  strided range (1-based), the same indices in both arrays
// Returned:  RESULT       sum of A(i)*B(i), products and sum in double from 0, in the order of
//                         the range; VRDOT2 rounds the sum to 32 bits
// Notes: the range must lie inside both arrays; otherwise it counts as empty (RESULT = 0).
void VRDOT2(std::span<const float> A, std::span<const float> B, int32_t I1, int32_t I2, int32_t INC,
            float& RESULT) {
  RESULT = static_cast<float>(dot_real(A, B, I1, I2, INC));
}
void VRDOT3(std::span<const double> A, std::span<const double> B, int32_t I1, int32_t I2,
            int32_t INC, double& RESULT) {
  RESULT = dot_real(A, B, I1, I2, INC);
}

// VCDOT2-3: complex dot product (without conjugation) over a strided range.
// Given:     A, B         arrays of complex elements
//            I1, I2, INC  strided range, in complex elements
// Returned:  RESULT       sum of A(i)*B(i) as complex products, formed and summed in double;
//                         VCDOT2 rounds both parts to 32 bits
void VCDOT2(std::span<const float> A, std::span<const float> B, int32_t I1, int32_t I2, int32_t INC,
            ComplexPair<float>& RESULT) {
  const ComplexPair<double> s = dot_complex(A, B, I1, I2, INC);
  RESULT = {static_cast<float>(s[0]), static_cast<float>(s[1])};
}
void VCDOT3(std::span<const double> A, std::span<const double> B, int32_t I1, int32_t I2,
            int32_t INC, ComplexPair<double>& RESULT) {
  RESULT = dot_complex(A, B, I1, I2, INC);
}

// MXMNI2, MXMNI4, MXMNR4, MXMNR8: positions of the extremes of a strided range.
// Given:     A            array
//            I1, I2, INC  strided range (1-based)
// Returned:  IMAX         index into A of the largest element
//            IMIN         index into A of the smallest element
// Notes: 1. Both start at I1, also for an empty range; only a strictly greater (smaller) value
//           replaces the current one, so on ties the first position visited is kept.
//        2. A range outside A counts as empty: IMAX = IMIN = I1.
void MXMNI2(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN) {
  extreme_positions(A, I1, I2, INC, IMAX, IMIN);
}
void MXMNI4(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN) {
  extreme_positions(A, I1, I2, INC, IMAX, IMIN);
}
void MXMNR4(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN) {
  extreme_positions(A, I1, I2, INC, IMAX, IMIN);
}
void MXMNR8(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, int32_t& IMAX,
            int32_t& IMIN) {
  extreme_positions(A, I1, I2, INC, IMAX, IMIN);
}

// NORMI2, NORMI4, NORMR4, NORMR8: the normalising shift of a strided range.
// Given:     A            array
//            I1, I2, INC  strided range (1-based)
// Returned:  ISHIFT       15 - e (NORMI2), 31 - e (NORMI4), -e (NORMR4, NORMR8), with e the
//                         binary exponent of the largest magnitude m of the range
//                         (m = f*2^e, 0.5 <= f < 1); 0 when m = 0
// Notes: multiplying by 2^ISHIFT brings m into [2^14, 2^15), [2^30, 2^31) or [0.5, 1).
void NORMI2(std::span<const int16_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT) {
  ISHIFT = normalising_shift(A, I1, I2, INC, 15);
}
void NORMI4(std::span<const int32_t> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT) {
  ISHIFT = normalising_shift(A, I1, I2, INC, 31);
}
void NORMR4(std::span<const float> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT) {
  ISHIFT = normalising_shift(A, I1, I2, INC, 0);
}
void NORMR8(std::span<const double> A, int32_t I1, int32_t I2, int32_t INC, int32_t& ISHIFT) {
  ISHIFT = normalising_shift(A, I1, I2, INC, 0);
}

// ARROT0-3: rotate a segment in place.
// Given:     I1, I2, I3   segment I1..I3 (1-based) and the element that is to come first
// Given and returned:
//            A            A(I1..I3) rotated left by I2 - I1 positions
// Notes: nothing happens when I1 >= I2, I3 < I2, or the segment does not lie inside A. No work
//        storage is used.
void ARROT0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, I1, I2, I3);
}
void ARROT1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, I1, I2, I3);
}
void ARROT2(std::span<float> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, I1, I2, I3);
}
void ARROT3(std::span<double> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, I1, I2, I3);
}

// ACROT0-3: rotate a segment of complex elements in place.
// Given:     I1, I2, I3   segment and first element, in complex elements
// Given and returned:
//            A            as ARROT on the storage elements 2*I1-1, 2*I2-1, 2*I3, so that the
//                         pairs move together
void ACROT0(std::span<int16_t> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, 2 * int64_t{I1} - 1, 2 * int64_t{I2} - 1, 2 * int64_t{I3});
}
void ACROT1(std::span<int32_t> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, 2 * int64_t{I1} - 1, 2 * int64_t{I2} - 1, 2 * int64_t{I3});
}
void ACROT2(std::span<float> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, 2 * int64_t{I1} - 1, 2 * int64_t{I2} - 1, 2 * int64_t{I3});
}
void ACROT3(std::span<double> A, int32_t I1, int32_t I2, int32_t I3) {
  rotate_left(A, 2 * int64_t{I1} - 1, 2 * int64_t{I2} - 1, 2 * int64_t{I3});
}

// VRWGT2: weight a range by a window function.
// Given:     I1, I2   range (1-based, step 1)
//            ICENT    index of the window centre
//            NWIDTH   window width in points
//            FUNC     window function of the normalised position, nonzero on [-1, 1]
//                     (R4APD0 ... R4APD5)
// Given and returned:
//            A        A(i) = FUNC(x)*A(i), x = (i - ICENT)*w, w = 2/NWIDTH, all 32-bit
// Notes: nothing happens when I1 > I2, the range does not lie inside A, or FUNC is null;
//        NWIDTH = 0 follows the float rules (infinite w).
void VRWGT2(std::span<float> A, int32_t I1, int32_t I2, int32_t ICENT, int32_t NWIDTH,
            WeightFunction FUNC) {
  const Range r = resolve(I1, I2, 1, A.size());
  if (r.count == 0 || FUNC == nullptr) return;
  const float w = 2.0f / static_cast<float>(NWIDTH);
  for (std::ptrdiff_t k = 0; k < r.count; ++k) {
    const int64_t i = int64_t{I1} + k;
    const float x = static_cast<float>(i - ICENT) * w;
    float& a = A[static_cast<std::size_t>(r.first + k)];
    a = FUNC(x) * a;
  }
}

}  // namespace fts
