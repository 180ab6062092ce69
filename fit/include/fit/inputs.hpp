// inputs: what a fit pass is built from: the fit grid, the response with its mask, the solar
// spectra with their sun-angle keys and the solar selection, the wavelength calibration and the
// line table (the block NORMAL and the slide positions beside it).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "fit/settings.hpp"
#include "fts/header.hpp"
#include "fts/textio.hpp"

namespace fit {

// ---------------------------------------------------------------------------------------------
// The fit grid: N points at w(i) = W1 + (i - 1) SMP, on the slide scale of the data.

struct Grid {
  double W1 = 0.0;  // first and last wavenumber, as fetched (snapped to the data's points)
  double W2 = 0.0;
  double SMP = 0.0;  // sampling interval
  int32_t N = 0;     // points
  std::array<double, kMaxPoints> w{};

  // Sets N points from W1 on at interval SMP.
  void set(double first, double last, double interval, int32_t points);
  std::span<const double> points() const { return std::span<const double>(w).first(N); }
};

// The points and elements that loading W1 .. W2 of a spectrum would bring, and where they lie:
// the nearest points I1 and I2 to the two ends (halves away from zero), their positions and the
// interval, worked out from the header alone, before anything is read.
struct Section {
  bool defined = false;  // the header has a sampling interval (known unit, non-zero, finite)
  double SMP = 0.0;      // interval
  double W1P = 0.0;      // positions of the first and last point
  double W2P = 0.0;
  int64_t points = 0;    // I2 - I1 + 1
  int64_t elements = 0;  // points, twice the points for complex data
};
Section section_of(const fts::Header& HDR, double W1, double W2);

// ---------------------------------------------------------------------------------------------
// Response and mask.

struct Response {
  std::array<float, kMaxPoints> r{};  // on the grid, 0 at masked points, divided by the mean
  float mean = 1.0f;                  // mean of the non-zero values (1 without a curve)
  int32_t masked = 0;                 // masked points
  bool curve = false;                 // a response curve was loaded
  bool mask = false;                  // a mask file was opened
  std::string curve_file;             // names as answered (64 characters)
  std::string mask_file;
};

// A response curve loaded as it stands in its file: the points covering the fit range with a
// margin of 8 on each side, described by their array header.
struct ResponseCurve {
  static constexpr int32_t kElements = 65536;  // largest section held
  fts::Header AHDR;
  std::array<float, kElements> values{};
};

// Loads the first scan of the scan file NAME (unit 7) as a response curve over W1 .. W2. False,
// with nothing loaded, when the file cannot be opened (the opener's message lines are written),
// its first scan cannot be read, does not cover W1 .. W2 or cannot be loaded. The unit is closed.
bool load_response_curve(const std::string& name, double W1, double W2, ResponseCurve& curve);

// The response on the grid W: for each point in order, the mask intervals read from MASK (null:
// no mask) are passed while the point lies above the current one; a point inside the current
// interval (ends included) is masked (r = 0), any other takes the curve's value at its wavenumber
// (null: 1.0). Reading ends, and masking stops, at the end of MASK or at a record that is not two
// numbers. Returns the number of masked points.
int32_t response_on_grid(std::span<const double> W, fts::textio::LineSource* mask,
                         const ResponseCurve* curve, std::span<float> r);

// ---------------------------------------------------------------------------------------------
// Solar spectra.

struct SolarSet {
  std::array<std::array<float, kMaxPoints>, kMaxSolar> spectrum{};  // on the grid
  std::array<int32_t, kMaxSolar> key{};  // sun angle of each spectrum, arc-seconds
  int32_t count = 0;
  bool loaded = false;
  std::string file;         // name as answered
  bool typed_site = false;  // the site was typed in, not taken from each scan
  int32_t latitude = 0;     // typed site: arc-seconds (+N, +W) and metres
  int32_t longitude = 0;
  int32_t altitude = 0;

  std::span<const int32_t> keys() const { return std::span<const int32_t>(key).first(count); }
};

// Loads up to 11 spectra from the scan file open on unit 8, from its first scan on, each
// resampled onto GRID, with its key from item 218. Loading stops at the end of the file, at a
// scan that cannot be read or loaded, or at a spectrum that does not cover the fit range whole.
void load_solar_spectra(const Grid& grid, SolarSet& solar);

// A typed latitude, longitude (degrees) or altitude (metres) in whole arc-seconds or metres:
// trunc(value * FACTOR + 0.5) in 32-bit arithmetic, toward zero, held within the 32-bit range.
int32_t whole_units(float value, float factor);

// The spectrum (1 .. count) for sun angle ANGLE among spectra of keys KEYS, given the previous
// selection PREVIOUS (0 when there was none):
// - below the smallest key the spectrum of the smallest key, above the largest that of the
//   largest (the first spectrum carrying it);
// - otherwise the pairs k, k + 1 in order: for every pair with KEYS(k+1) <= ANGLE < KEYS(k), k
//   when ANGLE is at least as close to KEYS(k) as to KEYS(k+1), else k + 1 (later pairs win);
// - when no pair brackets ANGLE (an angle equal to the largest key, keys out of order) the
//   previous selection stays; with none, or one beyond COUNT, the spectrum of the nearest key
//   (the first of equals).
// Returns 0 only for an empty KEYS.
int32_t select_solar(int32_t angle, std::span<const int32_t> keys, int32_t previous);

// ---------------------------------------------------------------------------------------------
// Wavelength calibration.

struct Calibration {
  std::array<double, 5> c = {1.0, 0.0, 0.0, 0.0, 0.0};  // slide-wavenumber polynomial
  bool opened = false;  // a calibration file was opened in this pass
  std::string file;     // name as answered (64 characters)
};

// Reads up to five coefficients into C as one free-format record: reading stops at the fifth
// value, at the end of SOURCE or at a value that cannot be read; coefficients not read keep
// their values.
void read_calibration(fts::textio::LineSource& source, std::array<double, 5>& c);

// ---------------------------------------------------------------------------------------------
// Line table.

// The shared block of the population routine: term values relative to the first line, strengths
// (normalised) and the count of lines.
struct Normal {
  std::array<float, kMaxRecords> E{};
  std::array<float, kMaxRecords> S{};
  int32_t L = 0;
};

struct LineTable {
  Normal NORMAL;
  std::array<double, kMaxRecords> position{};        // slide positions p(j)
  std::string file = std::string(kNameLength, ' ');  // name of the line parameter file
  bool initial_state = false;                        // Boltzmann state: initial, else final
};

// Reads the line parameter file from SOURCE into TABLE: at most 2000 records of six values
// (true wavenumber, initial and final term values, strength, two integers); a record of strength
// 0 is read and skipped; reading ends at the end of SOURCE or at a record that cannot be read.
// Positions are the slide wavenumbers under calibration C; term values are those of the chosen
// state relative to the first line; the strengths are normalised to a mean of 1 (RENORM).
void read_line_table(fts::textio::LineSource& source, std::span<const double, 5> c,
                     LineTable& table);

}  // namespace fit
