// fit_model: prints the fitted model of one scan of a data file at given fit values, computed by
// the fit module itself (fit/): the data divided by the gains, the model, the residual, its band
// and solar terms and the mask, point by point on the fit grid, for plotting a spectrum beside its
// fit.
//
// Usage: fit_model --data FILE --scan N --from W1 --to W2 --lines FILE [--state I|F]
//                  [--response FILE] [--mask FILE] [--calib FILE] [--solar FILE] [--binlim N]
//                  (--values FITFILE | --temperature T --intensity BI [--solar-amplitude SA])
//
// The inputs are those of the fit run (the answers to its questions); the fit values are typed,
// or taken from the fit values file of the run: the first line with the scan's time. The grid is
// the scan's own (W1 .. W2 narrowed to what it gives and snapped to its points), as in the first
// scan of a pass. A fit with the high-pass filter is not modelled.
//
// Output (standard output): comment lines starting with "#" (the scan, its time, the values, the
// response mean, the points and the masked ones, the rms of the residual as the fit values file
// shows it), then one line per grid point: wavenumber, data / gains, model, residual, band term,
// solar term, 1 for a masked point (where the fit sees neither data nor model: the model, the
// residual and both terms are 0 there), else 0. Exit status 0; 1 when an input cannot be read,
// with a message on standard error after the library's message lines, if any; 2 for a bad command
// line.
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fit/driver.hpp"
#include "fit/inputs.hpp"
#include "fit/model.hpp"
#include "fit/settings.hpp"
#include "fts/ftscaldr.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftssun.hpp"
#include "fts/ftsuser1.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"

namespace {

constexpr const char* kUsage =
    R"(usage: fit_model --data FILE --scan N --from W1 --to W2 --lines FILE [--state I|F]
                 [--response FILE] [--mask FILE] [--calib FILE] [--solar FILE] [--binlim N]
                 (--values FITFILE | --temperature T --intensity BI [--solar-amplitude SA])

Prints the model of scan N of the data file FILE at the given fit values, computed by the fit
module as kelvoras and kelvorn compute it, with the inputs of their run: the data file, the fit
range, the response, mask, solar spectra, calibration and line parameter files, the Boltzmann
state (I, the default, or F) and BINLIM (10). The values are typed (T in K, the band intensity
and the solar amplitude as the fit values file shows them, divided by the response mean) or
taken from the run's fit values file, from its first line with the scan's time.

One line per point of the fit grid: wavenumber, data / gains, model, residual, band term, solar
term, masked (1, else 0; the fit sees neither data nor model at a masked point).
)";

constexpr int32_t kFloat = 2;
constexpr int32_t kSpectrum = 1;
constexpr double kHoursMatch = 5e-7;  // hours of a fit values line within this are the scan's

struct Options {
  std::string data, lines, response, mask, calib, solar, values;
  int32_t scan = 0;
  std::optional<double> from, to, temperature, intensity, solar_amplitude;
  bool initial = true;
  int32_t binlim = fit::Settings{}.BINLIM;
};

bool number(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool whole(const std::string& text, int32_t lo, int32_t hi, int32_t& value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || errno != 0 || v < lo || v > hi) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// The command line into O; an empty string, else what is wrong with it.
std::string parse(int argc, char** argv, Options& o) {
  const std::map<std::string, std::string*> files = {
      {"data", &o.data},   {"lines", &o.lines}, {"response", &o.response}, {"mask", &o.mask},
      {"calib", &o.calib}, {"solar", &o.solar}, {"values", &o.values}};
  const std::map<std::string, std::optional<double>*> reals = {
      {"from", &o.from},
      {"to", &o.to},
      {"temperature", &o.temperature},
      {"intensity", &o.intensity},
      {"solar-amplitude", &o.solar_amplitude}};
  for (int i = 1; i < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 || i + 1 >= argc) return "bad argument \"" + arg + "\"";
    const std::string name = arg.substr(2);
    const std::string value = argv[i + 1];
    double x = 0.0;
    if (const auto f = files.find(name); f != files.end()) {
      *f->second = value;
    } else if (const auto r = reals.find(name); r != reals.end()) {
      if (!number(value, x)) return "bad value \"" + value + "\" of " + arg;
      *r->second = x;
    } else if (name == "scan") {
      if (!whole(value, 1, 2147483647, o.scan)) return "bad scan number \"" + value + "\"";
    } else if (name == "binlim") {
      if (!whole(value, 1, 1000, o.binlim)) return "bad BINLIM \"" + value + "\"";
    } else if (name == "state") {
      if (value != "I" && value != "i" && value != "F" && value != "f")
        return "the state is I or F, not \"" + value + "\"";
      o.initial = value == "I" || value == "i";
    } else {
      return "unknown option \"" + arg + "\"";
    }
  }
  if (o.data.empty() || o.lines.empty() || o.scan == 0 || !o.from || !o.to)
    return "--data, --scan, --from, --to and --lines are needed";
  if (o.values.empty() && (!o.temperature || !o.intensity))
    return "the values are needed: --values, or --temperature and --intensity";
  if (o.temperature && !(*o.temperature > 0.0)) return "the temperature must be above 0 K";
  return "";
}

// The fit values of a scan as the fit values file shows them.
struct Values {
  double T = 0.0, BI = 0.0, SA = 0.0;
};

// The values of the first line of the fit values file PATH at day DAY and HOURS (either layout).
std::optional<Values> values_at(const std::string& path, int32_t day, float hours,
                                std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read the fit values file " + path;
    return std::nullopt;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> v;
    std::string field;
    double x = 0.0;
    while (fields >> field) v.push_back(number(field, x) ? x : NAN);
    if (v.size() != 7 && v.size() != 10) continue;
    if (v[0] != day || !(std::fabs(v[1] - hours) < kHoursMatch)) continue;
    const bool long_layout = v.size() == 10;
    const Values values{v[4], v[2], long_layout ? v[6] : 0.0};
    if (!std::isfinite(values.T) || !std::isfinite(values.BI) || !std::isfinite(values.SA)) {
      error = "the line of the scan's time in " + path + " holds no number where a value stands";
      return std::nullopt;
    }
    return values;
  }
  error = "no line of " + path + " has the scan's time";
  return std::nullopt;
}

// Opens the existing text file NAME on UNIT; false when it cannot be opened.
bool open_text(int32_t unit, const std::string& name) {
  int32_t ios = 0;
  fts::lun::open_text(unit, name, fts::lun::Status::old_file, ios);
  return ios == 0;
}

// The library's log lines of the run so far (its notes, such as the end of a solar spectra file
// of fewer than 11 spectra, and its messages), kept off the model's lines.
fts::textio::CaptureOutput* library_log = nullptr;

// A failure: the library's lines and MESSAGE on standard error.
int fail(const std::string& message) {
  std::fputs(library_log->text().c_str(), stderr);
  std::fprintf(stderr, "fit_model: %s\n", message.c_str());
  fts::lun::close_all();
  return 1;
}

int model(const Options& o) {
  fts::textio::CaptureOutput log;
  library_log = &log;
  // The scan: its section of the fit range, divided by its gains.
  int32_t ierr = 0;
  fts::OPFINP(fit::kDataUnit, o.data, ierr);
  if (ierr != 0) return fail("cannot open the data file " + o.data);
  fts::Header hdr;
  int32_t curscn = 1, ieof = 0;
  fts::GETHDR(fit::kDataUnit, hdr, curscn, o.scan, ierr, ieof);
  if (ierr != 0 || ieof != 0)
    return fail("no scan " + std::to_string(o.scan) + " in the data file " + o.data);
  if (hdr(fts::QQDKND) != kSpectrum)
    return fail("scan " + std::to_string(o.scan) + " is no spectrum");
  double R1 = 0.0, R2 = 0.0;
  fts::SPTRNG(hdr, R1, R2);
  double W1 = std::max(*o.from, R1);
  double W2 = std::min(*o.to, R2);
  const fit::Section section = fit::section_of(hdr, W1, W2);
  if (!section.defined || section.points < 1 || section.elements > fit::kMaxPoints)
    return fail("the scan gives no fit grid of 1 to 4096 points over the range");
  auto scan = std::make_unique<fit::Scan>();
  int32_t npts = 0;
  double W1P = 0.0, W2P = 0.0;
  fts::GETSPF(fit::kDataUnit, hdr, scan->y, scan->AHDR, kFloat, hdr(fts::QQDREP), npts, W1, W2, W1P,
              W2P, ierr);
  fts::lun::close(fit::kDataUnit);
  if (ierr != 0) return fail("the scan cannot be loaded");
  W1 = W1P;
  W2 = W2P;
  if (!fit::line_shape_defined(scan->AHDR)) return fail("the scan's line shape is undefined");
  double smp = 0.0;
  fts::SPTSMP(scan->AHDR, smp);
  auto pass = std::make_unique<fit::Pass>();
  pass->grid.set(W1, W2, smp, npts);
  const int32_t N = pass->grid.N;
  const auto n = static_cast<std::size_t>(N);
  const std::span<float> y = std::span<float>(scan->y).first(n);
  fit::GANSCL(y, scan->AHDR, N);
  int32_t day = 0, ms = 0;
  float hours = 0.0f;
  fit::scan_time(scan->AHDR, day, hours, ms);

  // Response and mask.
  fit::Response& resp = pass->response;
  auto curve = std::make_unique<fit::ResponseCurve>();
  resp.curve = !o.response.empty() && fit::load_response_curve(o.response, W1, W2, *curve);
  if (!o.response.empty() && !resp.curve)
    return fail("cannot load the response file " + o.response);
  resp.mask = !o.mask.empty() && open_text(fit::kMaskUnit, o.mask);
  if (!o.mask.empty() && !resp.mask) return fail("cannot open the mask file " + o.mask);
  resp.masked = fit::response_on_grid(
      pass->grid.points(), resp.mask ? &fts::lun::text_input(fit::kMaskUnit) : nullptr,
      resp.curve ? curve.get() : nullptr, std::span<float>(resp.r).first(n));
  if (resp.mask) fts::lun::close(fit::kMaskUnit);
  resp.mean = 1.0f;
  if (resp.curve) fit::RENORM(resp.r, N, resp.mean);

  // Solar spectra, and the one of the scan's sun angle (the site from its header).
  fit::SolarSet& solar = pass->solar;
  int32_t spectrum = 0, angle = 0;
  if (!o.solar.empty()) {
    fts::OPFINP(fit::kSolarUnit, o.solar, ierr);
    if (ierr != 0) return fail("cannot open the solar spectra file " + o.solar);
    fit::load_solar_spectra(pass->grid, solar);
    fts::lun::close(fit::kSolarUnit);
    if (!solar.loaded) return fail("no solar spectrum of " + o.solar + " covers the fit range");
    int32_t az = 0, east = 0, shadow = 0;
    fts::SUN(day, ms, scan->AHDR(fts::kSiteLatitude), scan->AHDR(fts::kSiteLongitude),
             scan->AHDR(fts::kSiteAltitude), az, angle, east, shadow);
    spectrum = fit::select_solar(angle, solar.keys(), 0);
  }

  // Calibration and line table.
  fit::Calibration& cal = pass->cal;
  if (!o.calib.empty()) {
    if (!open_text(fit::kCalibrationUnit, o.calib))
      return fail("cannot open the calibration file " + o.calib);
    fit::read_calibration(fts::lun::text_input(fit::kCalibrationUnit), cal.c);
    fts::lun::close(fit::kCalibrationUnit);
  }
  auto table = std::make_unique<fit::LineTable>();
  table->initial_state = o.initial;
  if (!open_text(fit::kLineUnit, o.lines)) return fail("cannot open the line file " + o.lines);
  fit::read_line_table(fts::lun::text_input(fit::kLineUnit), cal.c, *table);
  fts::lun::close(fit::kLineUnit);

  // The values.
  Values v;
  if (o.temperature) {
    v = Values{*o.temperature, *o.intensity, o.solar_amplitude.value_or(0.0)};
  } else {
    std::string error;
    const std::optional<Values> found = values_at(o.values, day, hours, error);
    if (!found) return fail(error);
    v = *found;
  }
  const bool solar_on = spectrum != 0 && v.SA != 0.0;

  // The model: populations, coefficient lists, columns and residual, as the fit makes them.
  const float TFAC = fit::tfac_of(static_cast<float>(v.T));
  std::vector<float> P(fit::kMaxRecords), A(n), D(n), B(n), DER(n), Q(n), E(n);
  fit::Terms terms;
  terms.BI = static_cast<float>(v.BI) * resp.mean;
  terms.SA = solar_on ? static_cast<float>(v.SA) * resp.mean : 0.0f;
  fit::NORMA(table->NORMAL, terms.N1, terms.N2, P, TFAC);
  fit::CoefficientLists lists;
  lists.build(scan->AHDR, o.binlim, pass->grid.points(), *table, cal.c, P, A);
  const std::span<const float> r = std::span<const float>(resp.r).first(n);
  const std::span<const float> s =
      solar_on
          ? std::span<const float>(solar.spectrum[static_cast<std::size_t>(spectrum - 1)]).first(n)
          : std::span<const float>();
  lists.columns(terms, P, table->NORMAL.E, r, y, s, A, D, B, DER, solar_on ? Q : std::span<float>(),
                E, nullptr);

  // The residual's rms as the fit values file shows it: over the degrees of freedom, divided by
  // the response mean.
  double squares = 0.0;
  for (std::size_t i = 0; i < n; ++i) squares += static_cast<double>(E[i]) * E[i];
  const int64_t freedom = int64_t{N} - (solar_on ? 3 : 2) - resp.masked;
  const double rms =
      freedom > 0 ? std::sqrt(squares / static_cast<double>(freedom)) / resp.mean : NAN;

  int32_t year = 0, month = 0, mday = 0, hour = 0, minute = 0, second = 0, milli = 0;
  fts::JULGR2(day, year, month, mday);
  fts::MSTIME(ms, hour, minute, second, milli);
  std::printf("# fit_model: scan %d of %s, %04d-%02d-%02d %02d:%02d:%02d UT (day %d, %.7f h)\n",
              o.scan, o.data.c_str(), year, month, mday, hour, minute, second, day,
              static_cast<double>(hours));
  std::printf("# T = %.4f K, BI = %.6g, SA = %.6g", v.T, v.BI, solar_on ? v.SA : 0.0);
  if (spectrum != 0)
    std::printf(" (sun at %d arc-seconds: solar spectrum %d, key %d%s)", angle, spectrum,
                solar.key[static_cast<std::size_t>(spectrum - 1)], solar_on ? "" : ", term off");
  std::printf("\n# %d points from %.4f to %.4f cm-1, %d masked; response mean %.6g\n", N, W1, W2,
              resp.masked, static_cast<double>(resp.mean));
  std::printf("# rms of the residual / response mean: %.4g\n", rms);
  std::printf("# wavenumber  data/gains  model  residual  band  solar  masked\n");
  for (std::size_t i = 0; i < n; ++i) {
    const float band = terms.BI * B[i];
    const float sun = solar_on ? terms.SA * Q[i] : 0.0f;
    std::printf("%.4f %.6g %.6g %.6g %.6g %.6g %d\n", pass->grid.w[i], static_cast<double>(y[i]),
                static_cast<double>(band + sun), static_cast<double>(E[i]),
                static_cast<double>(band), static_cast<double>(sun), r[i] == 0.0f ? 1 : 0);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options options;
  const std::string error = parse(argc, argv, options);
  if (!error.empty()) {
    std::fprintf(stderr, "fit_model: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  return model(options);
}
