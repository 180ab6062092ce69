// line_shape: the closed-form instrument line shapes of the six apodisation windows.
#include "fts_forward/line_shape.hpp"

#include <array>
#include <cmath>
#include <numbers>

namespace fts::forward {

namespace {

// Kaiser-Bessel parameters of windows 1 to 5: beta/sinh(beta) = 10^-k, as stored by the scan
// library (the widths of the line shapes must be the library's).
constexpr std::array<double, kWindowCount> kBeta = {0.0,      4.499914, 7.2839975,
                                                    9.892699, 12.42304, 14.9079685};

// Below this |z| the line shape function is taken from its series (relative error < 1e-20).
constexpr double kSeriesLimit = 1e-6;

bool known(int32_t k) {
  return k >= 0 && k < kWindowCount;
}

// I0(x) from its power series sum over m of (x^2/4)^m / (m!)^2; every term is positive, so the
// sum is accurate to the last place for the arguments used here (x < 15).
double bessel_i0(double x) {
  const double q = 0.25 * x * x;
  double term = 1.0;
  double sum = 1.0;
  for (int m = 1; m < 200; ++m) {
    term *= q / (static_cast<double>(m) * static_cast<double>(m));
    sum += term;
    if (term < 1e-18 * sum) break;
  }
  return sum;
}

// sinh(sqrt z)/sqrt z for z > 0, sin(sqrt -z)/sqrt -z for z < 0, by its series near z = 0.
double sinhc_root(double z) {
  if (std::fabs(z) < kSeriesLimit) return 1.0 + z / 6.0 * (1.0 + z / 20.0);
  if (z > 0) {
    const double s = std::sqrt(z);
    return std::sinh(s) / s;
  }
  const double s = std::sqrt(-z);
  return std::sin(s) / s;
}

// 1/I0(beta) of every window, computed once.
const std::array<double, kWindowCount>& inverse_i0_table() {
  static const std::array<double, kWindowCount> table = [] {
    std::array<double, kWindowCount> t{};
    t[0] = 1.0;
    for (std::size_t k = 1; k < t.size(); ++k) t[k] = 1.0 / bessel_i0(kBeta[k]);
    return t;
  }();
  return table;
}

}  // namespace

double kaiser_bessel_beta(int32_t k) {
  return known(k) ? kBeta[static_cast<std::size_t>(k)] : 0.0;
}

double inverse_i0(int32_t k) {
  return known(k) ? inverse_i0_table()[static_cast<std::size_t>(k)] : 0.0;
}

double line_shape(int32_t k, double x) {
  if (!known(k)) return 0.0;
  const double px = std::numbers::pi * x;
  // The boxcar: sin(pi X)/(pi X).
  if (k == 0) return sinhc_root(-px * px);
  // Kaiser-Bessel: the argument beta^2 - (pi X)^2 as a product, exact near its zero.
  const double beta = kBeta[static_cast<std::size_t>(k)];
  return sinhc_root((beta - px) * (beta + px)) * inverse_i0_table()[static_cast<std::size_t>(k)];
}

double instrument_line_shape(int32_t k, double res, double offset) {
  if (!(res > 0)) return 0.0;
  return line_shape(k, offset / res) / res;
}

}  // namespace fts::forward
