// gen_night: writes an example night of airglow spectra of one hydroxyl Meinel band, with every
// input the fit programs need and the truth the spectra were made from.
//
// Usage: gen_night --out FOLDER [--settings FILE] [--NAME VALUE ...]
// Settings are "NAME VALUE" lines of a settings file ("#" starts a comment) or --NAME VALUE
// options, the options last; see kUsage below for the names and their defaults.
//
// The night: one spectrum every few minutes from the evening twilight (sun 6 degrees below the
// horizon) on, a rotational temperature that oscillates around its mean (two waves of a few K),
// a band intensity that decays after dusk and follows the longer wave, scattered sunlight while
// the sun is above -12 degrees, gains that rise when the sky gets dark, and Gaussian noise. The
// spectra are drawn by the forward model (testing/forward): the band of the line parameter file
// with the line shape of the header's window and resolution, on the slide scale of the
// calibration file, times the response curve, plus a contaminating emission feature that the
// mask file covers.
//
// Files written into FOLDER (none may exist there already):
//   lines.txt      line parameter file of the band (hydroxyl.hpp: constants and simplifications)
//   night.scn      the spectra, one scan each, with times, gains, site (items 215-217)
//   response.scn   the response curve on the same axis
//   solar.scn      solar spectra keyed by sun elevation (item 218), highest sun first
//   mask.txt       the interval around the contaminating feature
//   calib.txt      the five coefficients of the slide scale
//   kelvorn.ans, kelvoras.ans, lissorak.ans   answer files of the three programs
//   truth.txt      per scan: day and hours (as the fit values file writes them), temperature,
//                  band intensity and solar amplitude (both as the fit reports them: divided by
//                  the response mean), sun elevation, key of the solar spectrum drawn, gains
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fts/ftscaldr.hpp"
#include "fts/ftssun.hpp"
#include "fts_forward/forward.hpp"

namespace fs = std::filesystem;
namespace fw = fts::forward;

namespace {

constexpr const char* kUsage = R"(usage: gen_night --out FOLDER [--settings FILE] [--NAME VALUE ...]

Writes an example night of hydroxyl airglow spectra and every input of kelvorn, kelvoras and
lissorak into FOLDER (created when missing; no file in it is ever written over).

Settings (a settings file holds "NAME VALUE" lines, "#" starts a comment; options come last):
  seed N            noise and wave phases                               1
  scans N           number of spectra                                   72
  cadence MIN       minutes from one scan to the next                   5
  exposure MIN      acquisition time of a scan, minutes                 4
  date Y-M-D        UT date of the evening                              2023-11-15
  latitude DEG      site latitude, positive north                       48.0
  longitude DEG     site longitude, positive WEST                       -11.0
  altitude M        site altitude, metres                               1000
  band V1-V2        the Meinel band (upper-lower level)                 3-1
  from CM1, to CM1  fit range, cm-1 (default: origin - 270 .. origin + 10)
  resolution CM1    spectral resolution, cm-1 (two points per element)  1.0
  window K          apodisation window 0-5                              3
  temperature K     mean rotational temperature                         190
  intensity BI      band intensity late in the night (more at dusk)     2000
  solar SA          solar amplitude at sun elevation -6 degrees         60
  noise SIGMA       noise per point of the raw data (before the fit     8
                    divides it by the gains)
  type T            element type of the spectra: float, int16, int32    float
)";

// Waves of the temperature: amplitude (K) and period (hours); the band intensity follows the
// first with a relative amplitude.
constexpr double kWave1Amplitude = 4.0;
constexpr double kWave1Period = 2.8;
constexpr double kWave2Amplitude = 1.5;
constexpr double kWave2Period = 0.9;
constexpr double kIntensityWave = 0.12;
constexpr double kDuskExcess = 0.5;      // extra band intensity at dusk, decaying ...
constexpr double kDuskDecay = 2.0;       // ... with this time constant, hours
constexpr double kTwilightStart = -6.0;  // sun elevation of the first scan, degrees
constexpr double kTwilightEnd = -12.0;   // scattered sunlight ends here, degrees
constexpr int32_t kTwilightGain = 2;     // QQGAN1 while the sun is above kTwilightEnd ...
constexpr int32_t kNightGain = 4;        // ... and after
constexpr int32_t kFitPoints = 4096;     // points a fit range may hold
constexpr int32_t kMargin = 24;          // points of the scans beyond the fit range on each side
// The slide scale of the instrument: s = c1 w + c4 w^3, a shift of about -0.13 cm-1 at 6500.
constexpr std::array<double, 5> kCalibration = {0.99998, 0.0, 0.0, 1.5e-14, 0.0};
// Solar spectra: keys from -5 to -13 degrees, one per degree; an atlas of absorption lines that
// is the same for every seed (the sun's spectrum does not change with the night).
constexpr int kSolarKeys = 9;
constexpr int kSolarLines = 30;
constexpr uint64_t kSolarAtlasSeed = 20231115;
constexpr double kContaminant = 0.03;  // intensity of the contaminating feature / band intensity

// ---------------------------------------------------------------------------------------------
// Settings.

struct Settings {
  uint64_t seed = 1;
  int32_t scans = 72;
  double cadence = 5.0;
  double exposure = 4.0;
  int32_t year = 2023, month = 11, day = 15;
  double latitude = 48.0, longitude = -11.0, altitude = 1000.0;
  int32_t v_upper = 3, v_lower = 1;
  std::optional<double> from, to;
  double resolution = 1.0;
  int32_t window = 3;
  double temperature = 190.0;
  double intensity = 2000.0;
  double solar = 60.0;
  double noise = 8.0;
  int32_t type = 2;
  std::string type_name = "float";
};

bool parse_number(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool parse_integer(const std::string& text, int64_t min, int64_t max, int64_t& value) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || errno != 0 || v < min || v > max) return false;
  value = v;
  return true;
}

// Sets one setting; false, with ERROR, for an unknown name or a value out of range.
bool set(Settings& s, const std::string& name, const std::string& value, std::string& error) {
  double x = 0;
  int64_t n = 0;
  const auto number = [&](double lo, double hi) {
    return parse_number(value, x) && x >= lo && x <= hi;
  };
  const auto integer = [&](int64_t lo, int64_t hi) { return parse_integer(value, lo, hi, n); };
  bool ok = true;
  if (name == "seed") {
    ok = integer(0, INT64_MAX);
    s.seed = static_cast<uint64_t>(n);
  } else if (name == "scans") {
    ok = integer(1, 10000);
    s.scans = static_cast<int32_t>(n);
  } else if (name == "cadence") {
    ok = number(0.1, 1440.0);
    s.cadence = x;
  } else if (name == "exposure") {
    ok = number(0.01, 1440.0);
    s.exposure = x;
  } else if (name == "date") {
    ok = std::sscanf(value.c_str(), "%d-%d-%d", &s.year, &s.month, &s.day) == 3 && s.year >= 1900 &&
         s.year <= 2100 && s.month >= 1 && s.month <= 12 && s.day >= 1 && s.day <= 31;
  } else if (name == "latitude") {
    ok = number(-89.0, 89.0);
    s.latitude = x;
  } else if (name == "longitude") {
    ok = number(-180.0, 180.0);
    s.longitude = x;
  } else if (name == "altitude") {
    ok = number(-500.0, 9000.0);
    s.altitude = x;
  } else if (name == "band") {
    ok = std::sscanf(value.c_str(), "%d-%d", &s.v_upper, &s.v_lower) == 2 && s.v_lower >= 0 &&
         s.v_upper > s.v_lower && s.v_upper <= 9;
  } else if (name == "from") {
    ok = number(100.0, 1e5);
    s.from = x;
  } else if (name == "to") {
    ok = number(100.0, 1e5);
    s.to = x;
  } else if (name == "resolution") {
    ok = number(0.01, 100.0);
    s.resolution = x;
  } else if (name == "window") {
    ok = integer(0, 5);
    s.window = static_cast<int32_t>(n);
  } else if (name == "temperature") {
    ok = number(50.0, 1000.0);
    s.temperature = x;
  } else if (name == "intensity") {
    ok = number(1e-6, 1e12);
    s.intensity = x;
  } else if (name == "solar") {
    ok = number(0.0, 1e12);
    s.solar = x;
  } else if (name == "noise") {
    ok = number(0.0, 1e12);
    s.noise = x;
  } else if (name == "type") {
    s.type_name = value;
    s.type = value == "float" ? 2 : value == "int16" ? 0 : value == "int32" ? 1 : -1;
    ok = s.type >= 0;
  } else {
    error = "unknown setting \"" + name + "\"";
    return false;
  }
  if (!ok) error = "bad value \"" + value + "\" of setting " + name;
  return ok;
}

bool read_settings_file(const fs::path& path, Settings& s, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read the settings file " + path.string();
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string name, value, extra;
    if (!(words >> name)) continue;
    if (!(words >> value) || (words >> extra)) {
      error = path.string() + ":" + std::to_string(number) + ": not NAME VALUE";
      return false;
    }
    if (!set(s, name, value, error)) {
      error = path.string() + ":" + std::to_string(number) + ": " + error;
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The night.

// Uniform deviate in [0, 1) from the top 53 bits of one draw.
double uniform(std::mt19937_64& rng) {
  return static_cast<double>(rng() >> 11) * 0x1.0p-53;
}

// Sun elevation (arc-seconds) at day number DAY plus MS milliseconds (any count) at the site.
int32_t sun_elevation(int32_t day, int64_t ms, const fw::Site& site) {
  const int64_t days = ms >= 0 ? ms / fw::kDayMs : -((-ms + fw::kDayMs - 1) / fw::kDayMs);
  const auto rest = static_cast<int32_t>(ms - days * fw::kDayMs);
  int32_t az = 0, el = 0, east = 0, shadow = 0;
  fts::SUN(static_cast<int32_t>(day + days), rest, site.latitude, site.longitude, site.altitude, az,
           el, east, shadow);
  return el;
}

// Milliseconds after the start of DAY at which the sun, setting, passes ELEVATION degrees:
// after the highest sun of that day, to the second. Empty when it does not within a day.
std::optional<int64_t> sunset_time(int32_t day, const fw::Site& site, double elevation) {
  constexpr int64_t kMinute = 60000;
  const auto target = static_cast<int32_t>(std::lround(elevation * 3600.0));
  int64_t noon = 0;
  int32_t highest = sun_elevation(day, 0, site);
  for (int64_t t = kMinute; t < fw::kDayMs; t += kMinute) {
    const int32_t el = sun_elevation(day, t, site);
    if (el > highest) {
      highest = el;
      noon = t;
    }
  }
  if (highest <= target) return std::nullopt;
  for (int64_t t = noon; t < noon + fw::kDayMs; t += kMinute) {
    if (sun_elevation(day, t + kMinute, site) > target) continue;
    // Bisection between t (above) and t + 1 minute (at or below), to the second.
    int64_t lo = t, hi = t + kMinute;
    while (hi - lo > 1000) {
      const int64_t mid = (lo + hi) / 2;
      (sun_elevation(day, mid, site) > target ? lo : hi) = mid;
    }
    return hi;
  }
  return std::nullopt;
}

// Index of the solar spectrum whose key lies nearest ANGLE (KEYS in decreasing order; a tie
// goes to the higher key), the one the fit selects.
std::size_t nearest_key(const std::vector<int32_t>& keys, int32_t angle) {
  std::size_t best = 0;
  for (std::size_t k = 1; k < keys.size(); ++k)
    if (std::abs(static_cast<int64_t>(angle) - keys[k]) <
        std::abs(static_cast<int64_t>(angle) - keys[best]))
      best = k;
  return best;
}

// Values rounded to 32 bits, as the scan files hold them.
std::vector<double> as_float(std::vector<double> values) {
  for (double& v : values) v = static_cast<float>(v);
  return values;
}

std::string format(const char* pattern, auto... values) {
  const int size = std::snprintf(nullptr, 0, pattern, values...);
  std::string text(static_cast<std::size_t>(std::max(size, 0)) + 1, '\0');
  std::snprintf(text.data(), text.size(), pattern, values...);
  text.resize(text.size() - 1);
  return text;
}

int generate(const Settings& s, const fs::path& folder) {
  const std::vector<std::string> names = {
      "lines.txt", "night.scn",   "response.scn", "solar.scn",    "mask.txt",
      "calib.txt", "kelvorn.ans", "kelvoras.ans", "lissorak.ans", "truth.txt"};
  // The band and the fit range.
  const std::vector<fw::Line> lines = fw::hydroxyl_band(s.v_upper, s.v_lower);
  const double origin = fw::hydroxyl_level(s.v_upper).g - fw::hydroxyl_level(s.v_lower).g;
  const double from = s.from.value_or(std::floor(origin - 270.0));
  const double to = s.to.value_or(std::ceil(origin + 10.0));
  fw::Axis axis;
  if (!(to > from) ||
      !fw::make_axis(from, to, 0.5 * s.resolution, s.resolution, s.window, kMargin, axis)) {
    std::fprintf(stderr, "gen_night: no spectrum axis for %g .. %g cm-1\n", from, to);
    return 1;
  }
  const fw::Grid grid = fw::axis_grid(axis);
  const double res = fw::axis_resolution(axis);
  const auto fit_points = static_cast<int64_t>(std::floor((to - from) / grid.interval)) + 1;
  if (fit_points > kFitPoints) {
    std::fprintf(stderr, "gen_night: the fit range holds %lld points, more than %d\n",
                 static_cast<long long>(fit_points), kFitPoints);
    return 1;
  }
  fw::Calibration cal;
  cal.c = kCalibration;
  const fw::Band band(lines, fw::BoltzmannState::initial, cal, grid, s.window, res);

  // Site and the start of the night.
  int32_t day0 = 0;
  fts::GRJUL2(s.year, s.month, s.day, day0);
  const fw::Site site{static_cast<int32_t>(std::lround(s.latitude * 3600.0)),
                      static_cast<int32_t>(std::lround(s.longitude * 3600.0)),
                      static_cast<int32_t>(std::lround(s.altitude))};
  const std::optional<int64_t> dusk = sunset_time(day0, site, kTwilightStart);
  if (!dusk) {
    std::fprintf(stderr, "gen_night: the sun does not set to %g degrees on %04d-%02d-%02d\n",
                 kTwilightStart, s.year, s.month, s.day);
    return 1;
  }
  const auto exposure_ms = static_cast<int64_t>(std::llround(s.exposure * 60000.0));
  const auto cadence_ms = static_cast<int64_t>(std::llround(s.cadence * 60000.0));

  // The folder, with none of the files in it.
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "gen_night: cannot create the folder %s\n", folder.c_str());
    return 1;
  }
  for (const std::string& name : names) {
    if (fs::exists(folder / name)) {
      std::fprintf(stderr, "gen_night: %s exists already; nothing written\n",
                   (folder / name).c_str());
      return 1;
    }
  }

  // Response: a smooth passband with a ripple, positive everywhere.
  const double span = to - from;
  std::vector<double> response(static_cast<std::size_t>(grid.points));
  for (int32_t i = 1; i <= grid.points; ++i) {
    const double w = grid.at(i);
    response[static_cast<std::size_t>(i - 1)] =
        0.55 + 0.45 * std::exp(-std::pow((w - (from + 0.4 * span)) / (0.8 * span), 2)) +
        0.04 * std::sin(2.0 * std::numbers::pi * (w - from) / (0.37 * span));
  }
  response = as_float(response);

  // Solar spectra: a continuum that reddens as the sun sinks, with absorption lines of the
  // instrument's line shape.
  std::mt19937_64 atlas(kSolarAtlasSeed);
  std::vector<std::pair<double, double>> absorptions;  // position, depth at the centre
  for (int m = 0; m < kSolarLines; ++m) {
    const double position = grid.at(1) + uniform(atlas) * (grid.at(grid.points) - grid.at(1));
    absorptions.emplace_back(position, 0.02 + 0.3 * uniform(atlas) * uniform(atlas));
  }
  const double peak = fw::instrument_line_shape(s.window, res, 0.0);
  std::vector<fw::SolarSpectrum> solar;
  std::vector<int32_t> keys;
  for (int k = 0; k < kSolarKeys; ++k) {
    const double degrees = -5.0 - k;
    fw::SolarSpectrum spectrum{static_cast<int32_t>(std::lround(degrees * 3600.0)), {}};
    const double tilt = -0.15 * (-degrees - 5.0) / 8.0;
    for (int32_t i = 1; i <= grid.points; ++i) {
      const double w = grid.at(i);
      double value = 1.0 + tilt * (w - (from + 0.5 * span)) / span;
      for (const auto& [position, depth] : absorptions)
        value -= depth * fw::instrument_line_shape(s.window, res, w - position) / peak;
      spectrum.values.push_back(value);
    }
    spectrum.values = as_float(spectrum.values);
    keys.push_back(spectrum.key);
    solar.push_back(std::move(spectrum));
  }

  // A contaminating emission feature where the band is weakest, and the mask around it.
  std::vector<double> reference = band.profile(s.temperature);
  double feature = from + 0.5 * span;
  double quietest = INFINITY;
  for (int32_t i = 1; i <= grid.points; ++i) {
    const double w = grid.at(i);
    if (w < from + 10.0 * res || w > to - 10.0 * res) continue;
    double nearby = 0;
    for (int32_t k = std::max(1, i - 8); k <= std::min(grid.points, i + 8); ++k)
      nearby = std::max(nearby, reference[static_cast<std::size_t>(k - 1)]);
    if (nearby < quietest) {
      quietest = nearby;
      feature = w;
    }
  }
  const double mask_lo = feature - 5.0 * res;
  const double mask_hi = feature + 5.0 * res;

  // Waves.
  std::mt19937_64 rng(s.seed ^ 0x9E3779B97F4A7C15ULL);
  const double phase1 = 2.0 * std::numbers::pi * uniform(rng);
  const double phase2 = 2.0 * std::numbers::pi * uniform(rng);
  fw::Noise noise(s.seed);

  // The scans.
  fw::ScanWriter writer;
  if (!writer.open(folder / "night.scn")) {
    std::fprintf(stderr, "gen_night: cannot create %s\n", (folder / "night.scn").c_str());
    return 1;
  }
  std::string truth = format(
      "# Truth of night.scn (gen_night, seed %llu): one line per scan.\n"
      "# day and hours of the scan's mid-time as the fit values file writes them; T (K); band\n"
      "# intensity and solar amplitude as the fit reports them (divided by the response mean);\n"
      "# sun elevation and the key of the solar spectrum drawn (arc-seconds); the gain product.\n"
      "# scan    day        hours         T           BI           SA   sun_el    key  gain\n",
      static_cast<unsigned long long>(s.seed));
  int32_t twilight_scans = 0;
  double first_mid = 0;
  for (int32_t n = 1; n <= s.scans; ++n) {
    const int64_t begin = *dusk - exposure_ms / 2 + (n - 1) * cadence_ms;
    fw::ScanItems items;
    items.axis = axis;
    items.time = fw::scan_time(day0, begin, exposure_ms);
    items.site = site;
    items.source = format("GEN_NIGHT OH(%d,%d) SEED %llu", s.v_upper, s.v_lower,
                          static_cast<unsigned long long>(s.seed));
    items.remark = format("SCAN %d", n);
    const fw::MidTime mid = fw::mid_time(items.time);
    const int32_t elevation = sun_elevation(mid.day, mid.ms, site);
    const double degrees = elevation / 3600.0;
    const bool twilight = degrees > kTwilightEnd;
    twilight_scans += twilight ? 1 : 0;
    items.gains = {twilight ? kTwilightGain : kNightGain, 1, 1};
    const double gain = items.gains[0];

    // The truth of this scan.
    if (n == 1) first_mid = mid.days;
    const double hours = (mid.days - first_mid) * 24.0;
    const double t =
        s.temperature +
        kWave1Amplitude * std::sin(2 * std::numbers::pi * hours / kWave1Period + phase1) +
        kWave2Amplitude * std::sin(2 * std::numbers::pi * hours / kWave2Period + phase2);
    const double bi = s.intensity * (1.0 + kDuskExcess * std::exp(-hours / kDuskDecay)) *
                      (1.0 + kIntensityWave * std::sin(2 * std::numbers::pi * hours / kWave1Period +
                                                       phase1 + 1.2));
    const double sa =
        twilight ? s.solar * std::pow((degrees - kTwilightEnd) / (kTwilightStart - kTwilightEnd), 2)
                 : 0.0;
    const std::size_t key = nearest_key(keys, elevation);

    // The spectrum: band and solar term, the contaminating feature, gains and noise.
    std::vector<double> y = fw::spectrum(
        band, fw::Terms{t, bi, sa, gain}, response,
        sa > 0 ? std::span<const double>(solar[key].values) : std::span<const double>());
    for (int32_t i = 1; i <= grid.points; ++i) {
      const auto k = static_cast<std::size_t>(i - 1);
      y[k] += gain * response[k] * kContaminant * s.intensity *
              fw::instrument_line_shape(s.window, res, grid.at(i) - feature);
    }
    noise.add(y, s.noise);
    if (!writer.write(fw::spectrum_header(items), y, s.type)) {
      std::fprintf(stderr, "gen_night: cannot write scan %d of night.scn\n", n);
      return 1;
    }
    truth += format("%6d %6d %12.8f %9.4f %12.5f %12.5f %8d %6d %5d\n", n, mid.day,
                    static_cast<double>(mid.hours), t, bi, sa, elevation, keys[key],
                    static_cast<int>(gain));
  }
  if (!writer.close()) {
    std::fprintf(stderr, "gen_night: cannot close night.scn\n");
    return 1;
  }

  // The other inputs.
  fw::ScanItems items;
  items.axis = axis;
  items.site = site;
  items.source = "GEN_NIGHT RESPONSE";
  if (!fw::write_response_file(folder / "response.scn", items, response)) {
    std::fprintf(stderr, "gen_night: cannot write response.scn\n");
    return 1;
  }
  items.source = "GEN_NIGHT SOLAR SPECTRA";
  if (!fw::write_solar_file(folder / "solar.scn", items, solar)) {
    std::fprintf(stderr, "gen_night: cannot write solar.scn\n");
    return 1;
  }

  std::string error;
  const auto text = [&](const std::string& name, const std::string& content) {
    return fw::write_new_text_file(folder / name, content, error);
  };
  const std::string range = format("%.1f, %.1f\n", from, to);
  const std::string files = format("1, %d\n", s.scans);
  const bool ok =
      fw::write_line_file(folder / "lines.txt", lines, error) &&
      text("mask.txt", format("%.3f %.3f\n", mask_lo, mask_hi)) &&
      text("calib.txt", format("%.10g %.10g %.10g %.10g %.10g\n", kCalibration[0], kCalibration[1],
                               kCalibration[2], kCalibration[3], kCalibration[4])) &&
      text("kelvorn.ans", "kelvorn.rep\nkelvorn.fit\nN\nN\nnight.scn\n" + range + files +
                              "response.scn\nmask.txt\ncalib.txt\nlines.txt\nI\n0, 0\n") &&
      text("kelvoras.ans", "kelvoras.rep\nkelvoras.fit\nN\nN\nnight.scn\n" + range + files +
                               "response.scn\nmask.txt\nsolar.scn\nN\ncalib.txt\nlines.txt\n"
                               "I\n0, 0\n") &&
      text("lissorak.ans", format("kelvoras.fit\nkelvoras.smo\nY\n%g\n", 4.0 * s.cadence)) &&
      text("truth.txt", truth);
  if (!ok) {
    std::fprintf(stderr, "gen_night: %s\n", error.c_str());
    return 1;
  }

  std::printf("gen_night: %d scans of the OH(%d,%d) band, seed %llu, into %s\n", s.scans, s.v_upper,
              s.v_lower, static_cast<unsigned long long>(s.seed), folder.c_str());
  std::printf("  fit range %.1f - %.1f cm-1 (%lld points), resolution %.4f cm-1, window %d\n", from,
              to, static_cast<long long>(fit_points), res, s.window);
  std::printf("  %zu lines; %d scans in twilight (sun above %g degrees); feature at %.2f cm-1\n",
              lines.size(), twilight_scans, kTwilightEnd, feature);
  std::printf("  files:");
  for (const std::string& name : names) std::printf(" %s", name.c_str());
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  std::optional<fs::path> folder;
  std::string error;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg.rfind("--", 0) != 0 || i + 1 >= argc) {
      std::fprintf(stderr, "gen_night: bad argument \"%s\"\n%s", arg.c_str(), kUsage);
      return 2;
    }
    const std::string name = arg.substr(2);
    const std::string value = argv[++i];
    if (name == "out") {
      folder = value;
    } else if (name == "settings") {
      if (!read_settings_file(value, settings, error)) {
        std::fprintf(stderr, "gen_night: %s\n", error.c_str());
        return 2;
      }
    } else if (!set(settings, name, value, error)) {
      std::fprintf(stderr, "gen_night: %s\n%s", error.c_str(), kUsage);
      return 2;
    }
  }
  if (!folder) {
    std::fprintf(stderr, "gen_night: no --out folder\n%s", kUsage);
    return 2;
  }
  return generate(settings, *folder);
}
