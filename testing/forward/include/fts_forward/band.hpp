// band: a band of rotational lines drawn on a grid of slide wavenumbers, as the instrument sees
// it, in double precision.
//
// The spectrum at grid wavenumber w (slide scale) is
//   y(w) = G * [ BI * r(w) * sum_j S_j P_j ILS(w - p_j) J(w) / sum_j S_j P_j + SA * r(w) * s(w) ]
// with
//   S_j          the line strengths,
//   P_j          exp(-c2 E_j / T), E_j the term value of the chosen Boltzmann state,
//   p_j          the line positions on the slide scale, s(nu_j) for the true wavenumbers nu_j,
//   ILS          the instrument line shape of the window and resolution (line_shape.hpp),
//   J(w)         ds/dnu at the true wavenumber of w: a line of unit strength spread over the
//                true scale covers J times as much of the slide scale,
//   r(w)         the response, s(w) a solar spectrum of amplitude SA, G the gain product.
// The denominator runs over every line of the table, so BI is the band's total intensity (the
// area under the band for r = J = 1). Lines up to a reach far beyond any fit's cut-off (or all
// lines) are summed at every point.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "fts_forward/lines.hpp"

namespace fts::forward {

// The slide wavenumber scale: s(w) = c1 w + c2/w + c3/w^3 + c4 w^3 + c5 w^5 for a true
// wavenumber w (both in cm-1).
struct Calibration {
  std::array<double, 5> c = {1.0, 0.0, 0.0, 0.0, 0.0};

  double slide(double true_wavenumber) const;
  double slope(double true_wavenumber) const;  // ds/dw
  // The true wavenumber of a slide wavenumber (Newton's method from slide/c1; the scale must be
  // monotonic there).
  double true_wavenumber(double slide) const;
};

// Grid point i (from 1) lies at first + (i - 1) * interval.
struct Grid {
  double first = 0.0;
  double interval = 1.0;
  int32_t points = 0;

  double at(int32_t i) const { return first + static_cast<double>(i - 1) * interval; }
};

// Half-width, in resolution elements, of the stretch around a line within which it is drawn.
constexpr double kDefaultReach = 200.0;

// A band on a grid: the line shapes of every line at every grid point within reach, computed
// once; profile() then costs one population per line and one product per point and line.
class Band {
 public:
  // LINES     the line table as the fit reads it (lines of strength 0 are left out; any order)
  // STATE     the state whose term values set the populations
  // CAL       the slide scale of the grid
  // GRID      the grid (slide wavenumbers)
  // WINDOW    apodisation window 0..5, RES the resolution (> 0, slide cm-1)
  // REACH     lines are drawn within REACH resolution elements of their centre; <= 0 draws
  //           every line at every point
  Band(std::span<const Line> lines, BoltzmannState state, const Calibration& cal, const Grid& grid,
       int32_t window, double res, double reach = kDefaultReach);

  const Grid& grid() const { return grid_; }
  int32_t line_count() const { return static_cast<int32_t>(strength_.size()); }
  // Slide position of line j (from 1, in ascending order of wavenumber).
  double position(int32_t j) const { return position_[static_cast<std::size_t>(j - 1)]; }

  // sum_j S_j P_j ILS(w_i - p_j) J(w_i) / sum_j S_j P_j at temperature T (> 0), at every grid
  // point: the band of unit intensity seen through a flat response (all 0 unless T > 0).
  std::vector<double> profile(double temperature) const;

 private:
  Grid grid_;
  std::vector<double> strength_;  // S_j
  std::vector<double> term_;      // E_j relative to the lowest of them
  std::vector<double> position_;  // p_j
  // Line j is drawn on grid points first_[j] .. first_[j] + count_[j] - 1 (from 0) with the
  // values shape_[offset_[j] + k] = ILS(w - p_j) J(w).
  std::vector<int32_t> first_;
  std::vector<int32_t> count_;
  std::vector<std::size_t> offset_;
  std::vector<double> shape_;
};

// The terms of a spectrum besides the band's shape.
struct Terms {
  double temperature = 190.0;    // K
  double band_intensity = 1.0;   // BI
  double solar_amplitude = 0.0;  // SA
  double gain = 1.0;             // G, the product of the scan's three gains
};

// y(w_i) of the model above at every grid point of BAND, noise-free. RESPONSE holds r(w_i) (empty:
// r = 1); SOLAR holds s(w_i) (empty: no solar term). Both have the grid's size when given.
std::vector<double> spectrum(const Band& band, const Terms& terms,
                             std::span<const double> response = {},
                             std::span<const double> solar = {});

}  // namespace fts::forward
