// numeric: small conversions shared by the library's sources (not part of its interface).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace fts::detail {

// A real as a 32-bit integer, truncated toward zero; beyond the range it saturates, not a number
// gives 0 (a plain conversion would be undefined there).
inline int32_t saturate_int32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// atan(NUM/DEN) placed in its quadrant, in [0, 2 pi): + pi when DEN < 0, + 2 pi when DEN > 0 and
// NUM < 0. Both zero (the direction is undefined) gives 0.
inline double quadrant_atan(double num, double den) {
  if (num == 0.0 && den == 0.0) return 0.0;
  double a = std::atan(num / den);
  if (den < 0.0) {
    a += std::numbers::pi;
  } else if (den > 0.0 && num < 0.0) {
    a += 2.0 * std::numbers::pi;
  }
  return a;
}

// A sine or cosine that rounding may have carried just beyond +-1, brought back into range for
// asin and acos.
inline double clamp_unit(double s) {
  return s > 1.0 ? 1.0 : (s < -1.0 ? -1.0 : s);
}

}  // namespace fts::detail
