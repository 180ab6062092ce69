// inputs: the fit grid, the response and its mask, the solar spectra and their selection, the
// wavelength calibration and the line table.
#include "fit/inputs.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "fit/model.hpp"
#include "fts/ftscalib.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftssmutl.hpp"
#include "fts/ftsuser1.hpp"
#include "fts/lun.hpp"

namespace fit {

namespace textio = fts::textio;

namespace {

constexpr int32_t kFloat = 2;    // QQDTYP of 32-bit floats
constexpr int32_t kComplex = 2;  // QQDREP of complex data

// The nearest point number to fractional index X, halves away from zero, within the 32-bit
// range; an index that is not a number gives 0 (no point), as the spectrum loader takes it.
int32_t nearest_point(double x) {
  if (std::isnan(x)) return 0;
  constexpr double kLo = std::numeric_limits<int32_t>::min();
  constexpr double kHi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::round(x), kLo, kHi));
}

// Whether W1 .. W2 lies within the range that a spectrum's readers fetch whole.
bool covers(const fts::Header& HDR, double W1, double W2) {
  double R1 = 0.0, R2 = 0.0;
  fts::SPTRNG(HDR, R1, R2);
  return R1 <= W1 && W2 <= R2;
}

// The elements that GETSPT loads for W1 .. W2 (the nearest points widened by 8 on each side),
// from the header alone; -1 when the header gives no sampling interval.
int64_t curve_elements(const fts::Header& HDR, double W1, double W2) {
  const Section s = section_of(HDR, W1, W2);
  if (!s.defined) return -1;
  const int64_t points = s.points + 16;
  return HDR(fts::QQDREP) == kComplex ? 2 * points : points;
}

// Whether a scan's section of W1 .. W2 can be loaded as a ResponseCurve. A section of more
// elements than the curve holds is not, and the line WHAT " TOO LARGE:  n ELEMENTS, AT MOST
// 65536" is written; nor is a spectrum without a sampling interval (no point lies anywhere).
bool curve_fits(const fts::Header& HDR, double W1, double W2, textio::FreeLine what) {
  const int64_t n = curve_elements(HDR, W1, W2);
  if (n < 0) return false;
  if (n <= ResponseCurve::kElements) return true;
  const auto shown =
      static_cast<int32_t>(std::min<int64_t>(n, std::numeric_limits<int32_t>::max()));
  what << " TOO LARGE:" << shown << " ELEMENTS, AT MOST" << ResponseCurve::kElements;
  textio::put_line(what.str());
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Grid and section.

void Grid::set(double first, double last, double interval, int32_t points) {
  W1 = first;
  W2 = last;
  SMP = interval;
  N = std::clamp(points, 0, kMaxPoints);
  for (int32_t i = 0; i < N; ++i)
    w[static_cast<std::size_t>(i)] = W1 + static_cast<double>(i) * SMP;
}

// section_of: what loading a spectrum range would bring, from the header alone.
// Given:     HDR      the scan's header
//            W1, W2   the range asked for on its axis
// Returned:  (value)  the interval, the nearest points I1, I2 to W1, W2 (as the spectrum loader
//                     finds them), their positions, the point count I2 - I1 + 1 and the
//                     element count (twice the points for complex data); defined only when the
//                     header's sampling interval is a finite non-zero number
Section section_of(const fts::Header& HDR, double W1, double W2) {
  Section s;
  double con = 0.0;
  fts::SPTCON(HDR, s.SMP, con);
  s.defined = s.SMP != 0.0 && std::isfinite(s.SMP) && std::isfinite(con);
  if (!s.defined) return s;
  const int32_t i1 = nearest_point(fts::SPTIND(W1, s.SMP, con));
  const int32_t i2 = nearest_point(fts::SPTIND(W2, s.SMP, con));
  s.W1P = fts::SPTWAV(i1, s.SMP, con);
  s.W2P = fts::SPTWAV(i2, s.SMP, con);
  s.points = int64_t{i2} - i1 + 1;
  s.elements = HDR(fts::QQDREP) == kComplex ? 2 * s.points : s.points;
  return s;
}

// ---------------------------------------------------------------------------------------------
// Response and mask.

// load_response_curve: the response curve of a pass.
// Given:     name     the answer to the response question
//            W1, W2   the fit range
// Returned:  curve    the points of the first scan covering W1 .. W2 with 8 points to spare on
//                     each side, as 32-bit floats, and their array header
//            (value)  true when loaded
// Notes: the scan is refused before anything is read when its section holds more elements than
//        CURVE does: the line " RESPONSE TOO LARGE:  n ELEMENTS, AT MOST  65536" is written and
//        the pass runs without a response curve, as after any other failure.
bool load_response_curve(const std::string& name, double W1, double W2, ResponseCurve& curve) {
  int32_t ierr = 0;
  fts::OPFINP(kResponseUnit, name, ierr);
  if (ierr != 0) return false;
  fts::Header hdr;
  int32_t curscn = 1, ieof = 0;
  fts::GETHDR(kResponseUnit, hdr, curscn, 1, ierr, ieof);
  bool loaded = ierr == 0 && ieof == 0 && covers(hdr, W1, W2) &&
                curve_fits(hdr, W1, W2, textio::FreeLine() << " RESPONSE");
  if (loaded) {
    fts::GETSPT(kResponseUnit, hdr, curve.values, curve.AHDR, kFloat, hdr(fts::QQDREP), W1, W2,
                ierr);
    loaded = ierr == 0;
  }
  fts::lun::close(kResponseUnit);
  return loaded;
}

// response_on_grid: the response at every grid point, with the mask.
// Given:     W        grid wavenumbers, ascending
//            mask     the mask file's lines (null: no mask); records of two numbers, the lower
//                     and upper end of an interval, in ascending order
//            curve    the response curve (null: none)
// Returned:  r        r(i) = 0 at a masked point, else the curve at W(i) (SPTR4I), or 1.0
//            (value)  the number of masked points
// Notes: the current interval starts as [0, 0]; while a point lies above it the next one is
//        read, and at the end of the file or a record that is not two numbers masking stops.
//        An interval that ends below the current point is so passed over.
int32_t response_on_grid(std::span<const double> W, textio::LineSource* mask,
                         const ResponseCurve* curve, std::span<float> r) {
  double lower = 0.0, upper = 0.0;
  int32_t masked = 0;
  std::optional<textio::FreeReader> reader;
  if (mask != nullptr) reader.emplace(*mask);
  for (std::size_t i = 0; i < W.size(); ++i) {
    const double w = W[i];
    while (reader && w > upper) {
      if (reader->read(lower, upper) != textio::ReadStatus::ok) reader.reset();
    }
    if (reader && lower <= w && w <= upper) {
      r[i] = 0.0f;
      ++masked;
    } else {
      r[i] = curve != nullptr ? fts::SPTR4I(curve->AHDR, curve->values, w, 0) : 1.0f;
    }
  }
  return masked;
}

// ---------------------------------------------------------------------------------------------
// Solar spectra.

// load_solar_spectra: the solar spectra of a pass.
// Given:     grid     the fit grid
// Given and returned:
//            solar    spectra 1..count on the grid, their keys (item 218), count, loaded
// Notes: 1. GETHDR writes its end-of-file line when the file holds fewer than 11 scans.
//        2. A spectrum whose section would not fit the 65536 elements of a loaded section stops
//           the loading, before anything of it is read, with the line
//           " SOLAR SPECTRUM  k TOO LARGE:  n ELEMENTS, AT MOST  65536".
void load_solar_spectra(const Grid& grid, SolarSet& solar) {
  static ResponseCurve section;  // one section at a time, loaded then resampled
  solar.count = 0;
  solar.loaded = false;
  for (int32_t k = 1; k <= kMaxSolar; ++k) {
    fts::Header hdr;
    int32_t curscn = k, ierr = 0, ieof = 0;
    fts::GETHDR(kSolarUnit, hdr, curscn, k, ierr, ieof);
    if (ierr != 0 || ieof != 0 || !covers(hdr, grid.W1, grid.W2)) break;
    if (!curve_fits(hdr, grid.W1, grid.W2, textio::FreeLine() << " SOLAR SPECTRUM" << k)) break;
    fts::GETSPT(kSolarUnit, hdr, section.values, section.AHDR, kFloat, hdr(fts::QQDREP), grid.W1,
                grid.W2, ierr);
    if (ierr != 0) break;
    double smp = 0.0, con = 0.0;
    fts::SPTCON(section.AHDR, smp, con);
    const auto loaded = static_cast<std::size_t>(
        std::clamp(section.AHDR(fts::QQDSIZ), 0, ResponseCurve::kElements));
    auto& s = solar.spectrum[static_cast<std::size_t>(k - 1)];
    fts::SAMPLE(std::span<const float>(section.values).first(loaded), grid.points(), s, grid.N, con,
                smp, 0, 0);
    solar.key[static_cast<std::size_t>(k - 1)] = hdr(fts::kSunKey);
    solar.count = k;
    solar.loaded = true;
  }
}

// whole_units: a typed site value in whole units.
int32_t whole_units(float value, float factor) {
  const float v = value * factor + 0.5f;
  if (std::isnan(v)) return 0;
  constexpr float kLo = -2147483648.0f;  // the 32-bit range, as floats
  constexpr float kHi = 2147483520.0f;   // the largest float below 2^31
  return static_cast<int32_t>(std::clamp(std::trunc(v), kLo, kHi));
}

// select_solar: the solar spectrum for a sun angle.
int32_t select_solar(int32_t angle, std::span<const int32_t> keys, int32_t previous) {
  const auto count = static_cast<int32_t>(keys.size());
  if (count == 0) return 0;
  const auto key = [&](int32_t k) { return keys[static_cast<std::size_t>(k - 1)]; };
  // The largest and smallest keys: the first spectrum carrying each.
  int32_t largest = 1, smallest = 1;
  for (int32_t k = 2; k <= count; ++k) {
    if (key(k) > key(largest)) largest = k;
    if (key(k) < key(smallest)) smallest = k;
  }
  if (angle < key(smallest)) return smallest;
  if (angle > key(largest)) return largest;
  const auto distance = [&](int32_t k) { return std::llabs(int64_t{angle} - key(k)); };
  int32_t selected = 0;
  for (int32_t k = 1; k < count; ++k) {
    if (key(k + 1) <= angle && angle < key(k)) {
      selected = distance(k) <= distance(k + 1) ? k : k + 1;
    }
  }
  if (selected != 0) return selected;
  if (previous >= 1 && previous <= count) return previous;
  int32_t nearest = 1;
  for (int32_t k = 2; k <= count; ++k) {
    if (distance(k) < distance(nearest)) nearest = k;
  }
  return nearest;
}

// ---------------------------------------------------------------------------------------------
// Calibration and lines.

// read_calibration: the coefficients of a calibration factors file.
void read_calibration(textio::LineSource& source, std::array<double, 5>& c) {
  textio::FreeReader reader(source);
  reader.read(c[0], c[1], c[2], c[3], c[4]);
}

// read_line_table: the lines of a line parameter file.
// Given:     source   the file's lines
//            c        calibration c1..c5 of the slide scale
// Given and returned:
//            table    NORMAL (E, S, L) and the positions, built anew; initial_state chooses the
//                     term values (field 2, else field 3)
// Notes: 1. Term values are differences in 32 bits from the same field of the first accepted
//           line, so the first line has term value 0.
//        2. Records of strength 0 count against the 2000 read but are no lines.
//        3. The strengths are divided by the mean of the non-zero ones (RENORM).
void read_line_table(textio::LineSource& source, std::span<const double, 5> c, LineTable& table) {
  Normal& normal = table.NORMAL;
  normal.L = 0;
  float first_term = 0.0f;
  textio::FreeReader reader(source);
  for (int32_t record = 0; record < kMaxRecords; ++record) {
    double wavenumber = 0.0;
    float initial = 0.0f, final = 0.0f, strength = 0.0f;
    int32_t label1 = 0, label2 = 0;
    if (reader.read(wavenumber, initial, final, strength, label1, label2) !=
        textio::ReadStatus::ok) {
      break;
    }
    if (strength == 0.0f) continue;
    const float term = table.initial_state ? initial : final;
    if (normal.L == 0) first_term = term;
    const auto j = static_cast<std::size_t>(normal.L);
    table.position[j] = fts::SLDWV(c, wavenumber);
    normal.S[j] = strength;
    normal.E[j] = term - first_term;
    ++normal.L;
  }
  float mean = 1.0f;
  RENORM(normal.S, normal.L, mean);
}

}  // namespace fit
