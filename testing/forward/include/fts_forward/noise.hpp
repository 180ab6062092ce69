// noise: Gaussian noise from a seed, the same numbers on every machine.
#pragma once

#include <cstdint>
#include <random>
#include <span>

namespace fts::forward {

// Standard normal deviates by the Box-Muller transform over std::mt19937_64, whose output the
// C++ standard fixes bit for bit (std::normal_distribution is not fixed and differs between
// standard libraries). Uniforms take the top 53 bits of one draw; each pair of uniforms gives
// two deviates, the cosine one first.
class Noise {
 public:
  explicit Noise(uint64_t seed) : engine_(seed) {}

  double next();  // one standard normal deviate
  // Adds SIGMA times a deviate to every value, in order.
  void add(std::span<double> values, double sigma);

 private:
  std::mt19937_64 engine_;
  double spare_ = 0.0;
  bool have_spare_ = false;
};

}  // namespace fts::forward
