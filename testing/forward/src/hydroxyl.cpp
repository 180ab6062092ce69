// hydroxyl: the rotational lines of a vibration-rotation band of OH X2Pi from molecular
// constants.
#include "fts_forward/hydroxyl.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace fts::forward {

namespace {

// Equilibrium constants of OH X2Pi_i, cm-1 (Huber and Herzberg 1979).
constexpr double kOmegaE = 3737.761;
constexpr double kOmegaExE = 84.8813;
constexpr double kOmegaEyE = 0.5409;
constexpr double kOmegaEzE = -0.02263;
constexpr double kBe = 18.9108;
constexpr double kAlphaE = 0.7242;
constexpr double kDe = 19.38e-4;
constexpr double kA = -139.21;

constexpr double kWeakest = 1e-6;  // lines weaker than this part of the strongest are left out

// Factorials 0! .. 99! in double (exact up to 22!, then to the last place).
const std::array<double, 100>& factorials() {
  static const std::array<double, 100> table = [] {
    std::array<double, 100> f{};
    f[0] = 1.0;
    for (std::size_t n = 1; n < f.size(); ++n) f[n] = f[n - 1] * static_cast<double>(n);
    return f;
  }();
  return table;
}

double factorial(int32_t n) {
  return factorials()[static_cast<std::size_t>(n)];
}

// The substates of a level of component I at J: the amplitudes (c32, c12) of Omega = 3/2 and
// Omega = 1/2 in it, from the 2 x 2 Hamiltonian in the case (a) basis (x = J + 1/2):
//   H(3/2, 3/2) = A/2 + B (x^2 - 2),  H(1/2, 1/2) = -A/2 + B x^2,  H(3/2, 1/2) = -B sqrt(x^2 - 1),
// whose lower eigenvalue is the F1 term and the upper one the F2 term (without distortion).
struct Mixing {
  double c32 = 0.0;
  double c12 = 0.0;
};

Mixing mixing(const HydroxylLevel& level, int32_t i, double j) {
  const double x = j + 0.5;
  // J = 1/2 has no Omega = 3/2 substate: F2 is pure Omega = 1/2.
  if (x * x - 1.0 <= 0.0) return Mixing{0.0, 1.0};
  const double h11 = 0.5 * level.a + level.b * (x * x - 2.0);
  const double h22 = -0.5 * level.a + level.b * x * x;
  const double h12 = -level.b * std::sqrt(x * x - 1.0);
  const double mean = 0.5 * (h11 + h22);
  const double half = std::hypot(0.5 * (h11 - h22), h12);
  const double e = i == 1 ? mean - half : mean + half;
  // (H11 - E) c32 + H12 c12 = 0.
  const double c32 = h12;
  const double c12 = e - h11;
  const double norm = std::hypot(c32, c12);
  return Mixing{c32 / norm, c12 / norm};
}

// True when component I exists at J.
bool exists(int32_t i, double j) {
  return (i == 1 && j >= 1.5) || (i == 2 && j >= 0.5);
}

// Twice a half-integer J.
int32_t twice(double j) {
  return static_cast<int32_t>(std::lround(2.0 * j));
}

// The case (a) amplitude of a parallel transition between substates Omega (given doubled) of
// J' and J'': (-1)^(J' - Omega) sqrt((2J'+1)(2J''+1)) (J' 1 J''; -Omega 0 Omega).
double case_a_amplitude(double ju, double jl, int32_t two_omega) {
  const int32_t tju = twice(ju);
  const int32_t tjl = twice(jl);
  const int32_t phase = (tju - two_omega) / 2;
  const double sign = phase % 2 == 0 ? 1.0 : -1.0;
  return sign * std::sqrt((tju + 1.0) * (tjl + 1.0)) *
         wigner_3j(tju, 2, tjl, -two_omega, 0, two_omega);
}

}  // namespace

HydroxylLevel hydroxyl_level(int32_t v) {
  const double x = v + 0.5;
  HydroxylLevel level;
  level.g = kOmegaE * x - kOmegaExE * x * x + kOmegaEyE * x * x * x + kOmegaEzE * x * x * x * x;
  level.b = kBe - kAlphaE * x;
  level.d = kDe;
  level.a = kA;
  return level;
}

double hydroxyl_term(const HydroxylLevel& level, int32_t i, double j) {
  if (!exists(i, j)) return std::numeric_limits<double>::quiet_NaN();
  const double x = j + 0.5;
  const double y = level.a / level.b;
  const double root = 0.5 * std::sqrt(4.0 * x * x + y * (y - 4.0));
  if (i == 1) return level.b * (x * x - 1.0 - root) - level.d * std::pow(j, 4);
  return level.b * (x * x - 1.0 + root) - level.d * std::pow(j + 1.0, 4);
}

double wigner_3j(int32_t tj1, int32_t tj2, int32_t tj3, int32_t tm1, int32_t tm2, int32_t tm3) {
  // Selection: m's sum to 0, |m| <= j with j - m integral, the triangle rule.
  if (tm1 + tm2 + tm3 != 0) return 0.0;
  for (auto [tj, tm] : {std::pair{tj1, tm1}, std::pair{tj2, tm2}, std::pair{tj3, tm3}})
    if (tj < 0 || std::abs(tm) > tj || (tj + tm) % 2 != 0) return 0.0;
  if (tj3 < std::abs(tj1 - tj2) || tj3 > tj1 + tj2 || (tj1 + tj2 + tj3) % 2 != 0) return 0.0;
  if ((tj1 + tj2 + tj3) / 2 + 1 >= static_cast<int32_t>(factorials().size())) return 0.0;
  // Racah's formula, with every factorial argument a whole number.
  const int32_t a = (tj1 + tj2 - tj3) / 2;
  const int32_t b = (tj1 - tj2 + tj3) / 2;
  const int32_t c = (-tj1 + tj2 + tj3) / 2;
  const double triangle =
      factorial(a) * factorial(b) * factorial(c) / factorial((tj1 + tj2 + tj3) / 2 + 1);
  const double root = std::sqrt(triangle * factorial((tj1 + tm1) / 2) * factorial((tj1 - tm1) / 2) *
                                factorial((tj2 + tm2) / 2) * factorial((tj2 - tm2) / 2) *
                                factorial((tj3 + tm3) / 2) * factorial((tj3 - tm3) / 2));
  const int32_t k1 = (tj3 - tj2 + tm1) / 2;  // k + k1 >= 0
  const int32_t k2 = (tj3 - tj1 - tm2) / 2;  // k + k2 >= 0
  const int32_t k3 = a;                      // k <= k3
  const int32_t k4 = (tj1 - tm1) / 2;        // k <= k4
  const int32_t k5 = (tj2 + tm2) / 2;        // k <= k5
  double sum = 0.0;
  for (int32_t k = std::max({0, -k1, -k2}); k <= std::min({k3, k4, k5}); ++k) {
    const double term = 1.0 / (factorial(k) * factorial(k + k1) * factorial(k + k2) *
                               factorial(k3 - k) * factorial(k4 - k) * factorial(k5 - k));
    sum += k % 2 == 0 ? term : -term;
  }
  const int32_t phase = (tj1 - tj2 - tm3) / 2;
  return (phase % 2 == 0 ? 1.0 : -1.0) * root * sum;
}

double hydroxyl_line_strength(const HydroxylLevel& upper, int32_t iu, double ju,
                              const HydroxylLevel& lower, int32_t il, double jl) {
  if (!exists(iu, ju) || !exists(il, jl) || std::fabs(ju - jl) > 1.0) return 0.0;
  const Mixing mu = mixing(upper, iu, ju);
  const Mixing ml = mixing(lower, il, jl);
  const double amplitude =
      mu.c32 * ml.c32 * case_a_amplitude(ju, jl, 3) + mu.c12 * ml.c12 * case_a_amplitude(ju, jl, 1);
  return amplitude * amplitude;
}

std::vector<Line> hydroxyl_band(int32_t v_upper, int32_t v_lower, double j_max) {
  const HydroxylLevel up = hydroxyl_level(v_upper);
  const HydroxylLevel lo = hydroxyl_level(v_lower);
  const double origin = up.g - lo.g;
  const double up_lowest = hydroxyl_term(up, 1, 1.5);
  const double lo_lowest = hydroxyl_term(lo, 1, 1.5);
  std::vector<Line> lines;
  for (int32_t iu = 1; iu <= 2; ++iu) {
    for (double ju = 0.5; ju <= j_max; ju += 1.0) {
      if (!exists(iu, ju)) continue;
      for (int32_t il = 1; il <= 2; ++il) {
        for (double jl = ju - 1.0; jl <= ju + 1.0; jl += 1.0) {
          if (!exists(il, jl)) continue;
          const double s = hydroxyl_line_strength(up, iu, ju, lo, il, jl);
          if (s <= 0.0) continue;
          Line line;
          const double eu = hydroxyl_term(up, iu, ju);
          const double el = hydroxyl_term(lo, il, jl);
          line.wavenumber = origin + eu - el;
          line.initial_term = eu - up_lowest;
          line.final_term = el - lo_lowest;
          line.strength = s * std::pow(line.wavenumber / origin, 3);
          line.label1 = twice(jl);
          line.label2 = 100 * static_cast<int32_t>(std::lround(ju - jl + 2.0)) + 10 * iu + il;
          lines.push_back(line);
        }
      }
    }
  }
  // The weakest lines go.
  double strongest = 0.0;
  for (const Line& line : lines) strongest = std::max(strongest, line.strength);
  std::erase_if(lines, [&](const Line& line) { return line.strength < kWeakest * strongest; });
  return sorted_lines(lines);
}

}  // namespace fts::forward
