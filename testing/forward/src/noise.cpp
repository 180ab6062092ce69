// noise: Gaussian noise from a seed, the same numbers on every machine.
#include "fts_forward/noise.hpp"

#include <cmath>
#include <numbers>

namespace fts::forward {

double Noise::next() {
  if (have_spare_) {
    have_spare_ = false;
    return spare_;
  }
  // u1 in (0, 1], so that its logarithm is finite; u2 in [0, 1).
  constexpr double kScale = 0x1.0p-53;
  const double u1 = static_cast<double>((engine_() >> 11) + 1) * kScale;
  const double u2 = static_cast<double>(engine_() >> 11) * kScale;
  const double radius = std::sqrt(-2.0 * std::log(u1));
  const double angle = 2.0 * std::numbers::pi * u2;
  spare_ = radius * std::sin(angle);
  have_spare_ = true;
  return radius * std::cos(angle);
}

void Noise::add(std::span<double> values, double sigma) {
  for (double& v : values) v += sigma * next();
}

}  // namespace fts::forward
