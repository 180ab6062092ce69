// driver: the fit of one scan and the state carried between scans.
#include "fit/driver.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fit/timing.hpp"
#include "fts/ftscalib.hpp"
#include "fts/ftssun.hpp"

namespace fit {

namespace {

constexpr float kOverflow = 1.0e26f;   // a normalisation sum this large overflows the model
constexpr float kSolarStart = 0.6f;    // starting solar amplitude, times the response mean
constexpr double kDayMs = 86400000.0;  // milliseconds of a day

// A double rounded to 32 bits; a magnitude beyond the float range becomes an infinity.
float rounded(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) return std::numeric_limits<float>::infinity();
  if (v < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

// V cut toward zero and held within the 32-bit range (0 for a value that is not a number).
int32_t truncated(double v) {
  if (std::isnan(v)) return 0;
  constexpr double kLo = std::numeric_limits<int32_t>::min();
  constexpr double kHi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::trunc(v), kLo, kHi));
}

bool overflowed(float N1, float N2) {
  return std::fabs(N1) >= kOverflow || std::fabs(N2) >= kOverflow;
}

}  // namespace

// layout_matches: whether a later scan of a pass lies on the pass's grid.
bool layout_matches(int64_t points, double interval, double first, double last, const Grid& grid,
                    const Carried& state) {
  return points == grid.N && interval == state.interval && first == state.first && last == grid.W2;
}

// scan_time: the time of a scan.
// Given:     AHDR     header with the acquisition begin (QQIBDY, QQIBMS) and end (QQIEDY,
//                     QQIEMS)
// Returned:  day      trunc(mid), mid = ((QQIBDY + QQIBMS/86400000) + (QQIEDY +
//                     QQIEMS/86400000)) * 0.5 in days (64-bit)
//            hours    (mid - day) * 24, rounded to 32 bits
//            ms       trunc((mid - day) * 24 * 3600000)
void scan_time(const fts::Header& AHDR, int32_t& day, float& hours, int32_t& ms) {
  const double begin = AHDR(fts::QQIBDY) + AHDR(fts::QQIBMS) / kDayMs;
  const double end = AHDR(fts::QQIEDY) + AHDR(fts::QQIEMS) / kDayMs;
  const double mid = (begin + end) * 0.5;
  day = truncated(mid);
  const double fraction = mid - day;
  hours = static_cast<float>(fraction * 24.0);
  ms = truncated(fraction * 24.0 * 3600000.0);
}

Driver::Driver()
    : A_(kMaxPoints, 0.0f),
      D_(kMaxPoints, 0.0f),
      copy_(kMaxPoints, 0.0f),
      residual_(kMaxPoints, 0.0f) {}

// fit: the fit of one scan.
// Given:     pass      grid, response (its mean and masked count), solar spectra, calibration
//            table     the lines
//            settings  starting TFAC, tolerance, iteration limit, BINLIM
// Given and returned:
//            filter    the order becomes the one the filter used
//            state     the carried state: starting values, reference layout, reset flag, solar
//                      selection; updated by an accepted scan and by a failed one (reset flag)
//            scan      the scan; its spectrum is divided by its gains, and where the response is
//                      0 it is set to 0 when the lists are rebuilt
// Returned:  (value)   the outcome
// Notes:
// 1. Steps: time; with solar spectra the sun angle (SUN), the solar term on and a spectrum
//    selected; gain; TFAC from the state (the settings' after a failed scan); NORMA; the lists
//    reused (same window, resolution, interval and first wavenumber as the reference, no reset,
//    not the first scan of the pass: the last fitted values start) or rebuilt (starting values
//    by NNLS of the band, and the solar, column); then Gauss-Newton iterations of BI, TFAC (and
//    SA) by HFTI of the band, derivative (and solar) columns against the residual.
// 2. An iteration ends the fit, in this order: norm overflow; a zero BI, TFAC or SA; a
//    correction that leaves a parameter not finite; no convergence within the iteration limit
//    (the limit test follows the convergence test); converged with SA <= 0; no degrees of
//    freedom; rank below the column count; errors not finite; SA unreliable (sSA/SA >= 1) or
//    T <= 0. With the solar term on every one of these, but the zero test, first restarts the
//    iterations once without it, from the settings' TFAC.
// 3. Every failure sets the reset flag. An accepted scan stores its layout as the reference,
//    its BI, TFAC (and SA with the solar term on) as the last fitted values and the pass's range
//    as the range of the last converged scan.
Outcome Driver::fit(const Pass& pass, const LineTable& table, const Settings& settings,
                    Filter& filter, Carried& state, Scan& scan) {
  Outcome out;
  const int32_t N = pass.grid.N;
  const auto n = static_cast<std::size_t>(N);
  const float mean = pass.response.mean;
  const std::span<float> y = std::span<float>(scan.y).first(n);
  const std::span<const float> r = std::span<const float>(pass.response.r).first(n);
  const std::span<const float> E = table.NORMAL.E;
  const auto fail = [&](Result result) {
    state.reset = true;
    out.result = result;
    return out;
  };

  // Time, and with solar spectra the sun angle and the solar spectrum.
  int32_t ms = 0;
  scan_time(scan.AHDR, out.values.day, out.values.hours, ms);
  bool solar_on = false;
  if (pass.solar.loaded) {
    const SolarSet& s = pass.solar;
    const fts::Header& h = scan.AHDR;
    const int32_t lat = s.typed_site ? s.latitude : h(fts::kSiteLatitude);
    const int32_t lon = s.typed_site ? s.longitude : h(fts::kSiteLongitude);
    const int32_t alt = s.typed_site ? s.altitude : h(fts::kSiteAltitude);
    int32_t az = 0, east = 0, shadow = 0;
    fts::SUN(out.values.day, ms, lat, lon, alt, az, out.values.sun_angle, east, shadow);
    solar_on = true;
    state.solar = select_solar(out.values.sun_angle, s.keys(), state.solar);
  }
  int32_t ncol = solar_on ? 3 : 2;
  const std::span<const float> solar =
      pass.solar.loaded
          ? std::span<const float>(pass.solar.spectrum[static_cast<std::size_t>(state.solar - 1)])
                .first(n)
          : std::span<const float>();

  // Filter time constant in points, gain, starting TFAC and populations.
  const float tc = filter.on ? rounded(filter.time_constant / scan.interval) : 0.0f;
  GANSCL(y, scan.AHDR, N);
  float TFAC = state.reset ? settings.TFAC : state.TFAC;
  float N1 = 1.0f, N2 = 1.0f;
  NORMA(table.NORMAL, N1, N2, P_, TFAC);
  float normed = TFAC;  // the TFAC of the populations in P_
  if (overflowed(N1, N2)) return fail(Result::overflow);

  // Starting values: from the last scan with its lists, or by NNLS with lists built anew.
  const fts::Header& h = scan.AHDR;
  const bool reuse = !scan.first_of_pass && !state.reset && h(fts::QQAPOD) == state.QQAPOD &&
                     h(fts::QQRESL) == state.QQRESL && scan.interval == state.interval &&
                     scan.first == state.first;
  float BI0 = 0.0f, SA0 = 0.0f;
  float s1 = 1.0f, s2 = 1.0f, s3 = 1.0f;
  if (reuse) {
    BI0 = state.BI;
    SA0 = state.SA;
  } else {
    if (!line_shape_defined(h)) return fail(Result::line_shape_undefined);
    const Stopwatch watch(TimeSplit::rebuild, TimeSplit::iterations);
    out.rebuilt = true;
    m_.clear(N, ModelMatrix::kColumns);
    const std::span<float> band = m_.column(1).first(n);
    const std::span<float> sun = m_.column(2).first(n);
    for (std::size_t i = 0; i < n; ++i) {
      if (r[i] == 0.0f) y[i] = 0.0f;
      copy_[i] = y[i];
      if (solar_on) sun[i] = r[i] * solar[i];
    }
    lists_.build(h, settings.BINLIM, pass.grid.points(), table, pass.cal.c, P_,
                 std::span<float>(A_).first(n));
    for (std::size_t i = 0; i < n; ++i) band[i] = r[i] * A_[i] / N1;
    if (filter.on) {
      fts::HPBUTT(copy_, N, tc, filter.order);
      fts::HPBUTT(band, N, tc, filter.order);
      if (solar_on) fts::HPBUTT(sun, N, tc, filter.order);
    }
    SCALE(band, N, s1);
    if (solar_on) SCALE(sun, N, s2);
    std::array<float, ModelMatrix::kColumns> X{};
    if (m_.nnls(N, ncol - 1, copy_, X) == 1) {
      BI0 = X[0] / s1;
      if (solar_on) {
        SA0 = X[1] / s2;
        if (SA0 == 0.0f) {
          SA0 = kSolarStart * mean;
          solar_on = false;
          ncol = 2;
        }
      }
    } else {
      BI0 = mean;
      SA0 = kSolarStart * mean;
    }
  }
  if (BI0 == 0.0f) BI0 = mean;
  float BI = BI0;
  float SA = solar_on ? SA0 : 0.0f;
  float sBI = 0.0f, sTFAC = 0.0f, sSA = 0.0f;
  float sicor = 0.0f;
  int32_t iter = 0;

  // The restart without the solar term, from the settings' temperature.
  const auto drop_solar = [&] {
    solar_on = false;
    ncol = 2;
    iter = 0;
    BI = BI0;
    TFAC = settings.TFAC;
    SA = 0.0f;
    sSA = 0.0f;
    sicor = 0.0f;
    out.converged = false;
  };

  // Gauss-Newton iterations.
  const std::span<float> band = m_.column(1).first(n);
  const std::span<float> der = m_.column(2).first(n);
  const std::span<float> sun = m_.column(3).first(n);
  const std::span<float> e = std::span<float>(residual_).first(n);
  const std::span<float> A = std::span<float>(A_).first(n);
  const std::span<float> D = std::span<float>(D_).first(n);
  const float tol = settings.tolerance;
  for (;;) {
    out.iterations = iter;
    out.solar_on = solar_on;
    state.reset = false;
    if (TFAC != normed) {
      NORMA(table.NORMAL, N1, N2, P_, TFAC);
      normed = TFAC;
    }
    if (overflowed(N1, N2)) {
      if (!solar_on) return fail(Result::overflow);
      drop_solar();
      continue;
    }

    // Columns and residual from the stored lists, and their lengths.
    const Terms terms{BI, SA, N1, N2};
    const std::span<const float> s = solar_on ? solar : std::span<const float>();
    if (filter.on) {
      lists_.columns(terms, P_, E, r, y, s, A, D, band, der, sun, e, nullptr);
      fts::HPBUTT(band, N, tc, filter.order);
      fts::HPBUTT(der, N, tc, filter.order);
      if (solar_on) fts::HPBUTT(sun, N, tc, filter.order);
      fts::HPBUTT(e, N, tc, filter.order);
      SCALE(band, N, s1);
      SCALE(der, N, s2);
      if (solar_on) SCALE(sun, N, s3);
    } else {
      std::array<double, 3> squares{};
      lists_.columns(terms, P_, E, r, y, s, A, D, band, der, sun, e, &squares);
      scale_by(band, N, squares[0], s1);
      scale_by(der, N, squares[1], s2);
      if (solar_on) scale_by(sun, N, squares[2], s3);
    }

    // Corrections.
    int32_t KRANK = 0;
    float RNORM = 0.0f;
    {
      const Stopwatch watch(TimeSplit::least_squares, TimeSplit::iterations);
      m_.hfti(N, ncol, residual_, KRANK, RNORM);
    }
    const float dBI = residual_[0] / s1;
    const float dTFAC = residual_[1] / s2;
    const float dSA = solar_on ? residual_[2] / s3 : 0.0f;
    sicor = dSA;
    out.KRANK = KRANK;
    if (BI == 0.0f || TFAC == 0.0f || (solar_on && SA == 0.0f)) {
      out.BI = BI;
      out.TFAC = TFAC;
      out.sicor = sicor;
      return fail(Result::zero_parameter);
    }
    const float rel1 = std::fabs(dBI / BI);
    const float rel2 = std::fabs(dTFAC / TFAC);
    const float rel3 = solar_on ? std::fabs(dSA / SA) : tol;
    BI += dBI;
    TFAC += dTFAC;
    if (solar_on) SA += dSA;
    ++iter;
    out.iterations = iter;

    // A correction that is not a number, or leaves a parameter infinite, is a failure.
    if (!std::isfinite(BI) || !std::isfinite(TFAC) || !std::isfinite(SA)) {
      if (!solar_on) return fail(Result::not_finite);
      drop_solar();
      continue;
    }

    // Convergence, then the iteration limit.
    if (rel1 > tol || rel2 > tol || rel3 > tol) {
      if (iter < settings.max_iterations) continue;
      if (!solar_on) return fail(Result::iteration_limit);
      drop_solar();
      continue;
    }
    if (solar_on && SA <= 0.0f) {
      drop_solar();
      continue;
    }
    out.converged = true;

    // Statistics.
    sBI = sTFAC = sSA = 0.0f;
    const int64_t freedom = int64_t{N} - KRANK - pass.response.masked;
    if (freedom <= 0) {
      if (!solar_on) return fail(Result::no_freedom);
      drop_solar();
      continue;
    }
    const float v = std::fabs(RNORM * RNORM / static_cast<float>(freedom));
    if (KRANK < ncol) {
      if (!solar_on) return fail(Result::rank_deficient);
      drop_solar();
      continue;
    }
    {
      const Stopwatch watch(TimeSplit::least_squares, TimeSplit::iterations);
      m_.covar(ncol);
    }
    sBI = std::sqrt(std::fabs(m_.variance(1) * v)) / s1;
    sTFAC = std::sqrt(std::fabs(m_.variance(2) * v)) / s2;
    if (solar_on) sSA = std::sqrt(std::fabs(m_.variance(3) * v)) / s3;
    const float rms = std::sqrt(v);
    const float T = kC2 / TFAC;
    const float sT = T * sTFAC / TFAC;
    FitValues fv = out.values;
    fv.BIn = BI / mean;
    fv.sBIn = sBI / mean;
    fv.rmsn = rms / mean;
    fv.SAn = solar_on ? SA / mean : 0.0f;
    fv.sSAn = solar_on ? sSA / mean : 0.0f;
    fv.T = T;
    fv.sT = sT;
    const bool finite = std::isfinite(fv.BIn) && std::isfinite(fv.sBIn) && std::isfinite(fv.rmsn) &&
                        std::isfinite(fv.SAn) && std::isfinite(fv.sSAn) && std::isfinite(T) &&
                        std::isfinite(sT);
    if (!finite) {
      if (!solar_on) return fail(Result::not_finite);
      drop_solar();
      continue;
    }

    // Acceptance of the solar term.
    if (solar_on && !(SA > 0.0f && sSA / SA < 1.0f && T > 0.0f)) {
      drop_solar();
      continue;
    }

    // Accepted.
    out.values = fv;
    state.QQAPOD = h(fts::QQAPOD);
    state.QQRESL = h(fts::QQRESL);
    state.interval = scan.interval;
    state.first = scan.first;
    state.BI = BI;
    state.TFAC = TFAC;
    if (solar_on) state.SA = SA;
    state.W1 = pass.grid.W1;
    state.W2 = pass.grid.W2;
    out.result = Result::converged;
    return out;
  }
}

}  // namespace fit
