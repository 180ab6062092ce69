// band: a band of rotational lines drawn on a grid of slide wavenumbers.
#include "fts_forward/band.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fts_forward/line_shape.hpp"

namespace fts::forward {

namespace {

constexpr int kNewtonSteps = 50;            // the inversion of the slide scale converges in a few
constexpr double kNewtonTolerance = 1e-15;  // relative size of the last correction

}  // namespace

// ---------------------------------------------------------------------------------------------
// Slide scale.

double Calibration::slide(double w) const {
  const double w2 = w * w;
  return w * (c[0] + (c[1] + c[2] / w2) / w2 + w2 * (c[3] + c[4] * w2));
}

double Calibration::slope(double w) const {
  const double w2 = w * w;
  return c[0] - (c[1] + 3.0 * c[2] / w2) / w2 + w2 * (3.0 * c[3] + 5.0 * c[4] * w2);
}

double Calibration::true_wavenumber(double s) const {
  double w = s / c[0];
  for (int step = 0; step < kNewtonSteps; ++step) {
    const double dw = (s - slide(w)) / slope(w);
    w += dw;
    if (std::fabs(dw) <= kNewtonTolerance * std::fabs(w)) break;
  }
  return w;
}

// ---------------------------------------------------------------------------------------------
// Band.

Band::Band(std::span<const Line> lines, BoltzmannState state, const Calibration& cal,
           const Grid& grid, int32_t window, double res, double reach)
    : grid_(grid) {
  // The table as the fit holds it: lines of non-zero strength in ascending order.
  for (const Line& line : sorted_lines(lines)) {
    if (line.strength == 0.0) continue;
    strength_.push_back(line.strength);
    term_.push_back(term_value(line, state));
    position_.push_back(cal.slide(line.wavenumber));
  }
  // Term values from the lowest one, so that no population overflows.
  if (!term_.empty()) {
    const double lowest = *std::min_element(term_.begin(), term_.end());
    for (double& e : term_) e -= lowest;
  }

  // The slide-scale stretch J at every grid point.
  const int32_t n = std::max<int32_t>(grid_.points, 0);
  std::vector<double> stretch(static_cast<std::size_t>(n));
  for (int32_t i = 1; i <= n; ++i) {
    const double w = grid_.at(i);
    stretch[static_cast<std::size_t>(i - 1)] = cal.slope(cal.true_wavenumber(w));
  }

  // Each line on the grid points within reach of its centre.
  const double half_width = reach > 0 ? reach * res : std::numeric_limits<double>::infinity();
  for (double p : position_) {
    int32_t lo = 0;
    int32_t hi = n - 1;
    if (std::isfinite(half_width) && grid_.interval > 0) {
      const double i_lo = std::ceil((p - half_width - grid_.first) / grid_.interval);
      const double i_hi = std::floor((p + half_width - grid_.first) / grid_.interval);
      lo = static_cast<int32_t>(std::clamp(i_lo, 0.0, static_cast<double>(n)));
      hi = static_cast<int32_t>(std::clamp(i_hi, -1.0, static_cast<double>(n - 1)));
    }
    first_.push_back(lo);
    count_.push_back(std::max(hi - lo + 1, 0));
    offset_.push_back(shape_.size());
    for (int32_t i = lo; i <= hi; ++i) {
      const double w = grid_.at(i + 1);
      shape_.push_back(instrument_line_shape(window, res, w - p) *
                       stretch[static_cast<std::size_t>(i)]);
    }
  }
}

std::vector<double> Band::profile(double temperature) const {
  std::vector<double> y(static_cast<std::size_t>(std::max<int32_t>(grid_.points, 0)), 0.0);
  if (!(temperature > 0.0)) return y;
  // Populations and their strength-weighted sum over every line.
  double norm = 0.0;
  std::vector<double> weight(strength_.size());
  for (std::size_t j = 0; j < strength_.size(); ++j) {
    weight[j] = strength_[j] * std::exp(-kC2 * term_[j] / temperature);
    norm += weight[j];
  }
  if (norm == 0.0) return y;
  for (std::size_t j = 0; j < weight.size(); ++j) {
    const double wj = weight[j] / norm;
    const double* shape = shape_.data() + offset_[j];
    double* out = y.data() + first_[j];
    for (int32_t k = 0; k < count_[j]; ++k) out[k] += wj * shape[k];
  }
  return y;
}

std::vector<double> spectrum(const Band& band, const Terms& terms, std::span<const double> response,
                             std::span<const double> solar) {
  std::vector<double> y = band.profile(terms.temperature);
  for (std::size_t i = 0; i < y.size(); ++i) {
    const double r = i < response.size() ? response[i] : (response.empty() ? 1.0 : 0.0);
    double value = terms.band_intensity * r * y[i];
    if (!solar.empty()) value += terms.solar_amplitude * r * (i < solar.size() ? solar[i] : 0.0);
    y[i] = terms.gain * value;
  }
  return y;
}

}  // namespace fts::forward
