// night: the example night's settings, inputs, truth and noise-free spectra.
#include "night.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>

#include "fts/ftscaldr.hpp"
#include "fts/ftssun.hpp"

namespace night {

namespace fs = std::filesystem;

const char* const kSettingsUsage =
    R"(Settings (a settings file holds "NAME VALUE" lines, "#" starts a comment; options come last):
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

namespace {

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
// Solar spectra: keys from -4 to -14 degrees, one per degree, as many as the fit loads (so that
// it reads no further than the file holds); an atlas of absorption lines that is the same for
// every seed (the sun's spectrum does not change with the night).
constexpr int kSolarKeys = 11;
constexpr int kSolarLines = 30;
constexpr uint64_t kSolarAtlasSeed = 20231115;
constexpr double kContaminant = 0.03;  // intensity of the contaminating feature / band intensity

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

}  // namespace

// ---------------------------------------------------------------------------------------------
// Settings.

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

std::unique_ptr<Night> Night::make(const Settings& s, std::string& error) {
  std::unique_ptr<Night> night(new Night(s));
  Night& n = *night;

  // The band and the fit range.
  n.lines_ = fw::hydroxyl_band(s.v_upper, s.v_lower);
  const double origin = fw::hydroxyl_level(s.v_upper).g - fw::hydroxyl_level(s.v_lower).g;
  n.from_ = s.from.value_or(std::floor(origin - 270.0));
  n.to_ = s.to.value_or(std::ceil(origin + 10.0));
  if (!(n.to_ > n.from_) || !fw::make_axis(n.from_, n.to_, 0.5 * s.resolution, s.resolution,
                                           s.window, kMargin, n.axis_)) {
    error = format("no spectrum axis for %g .. %g cm-1", n.from_, n.to_);
    return nullptr;
  }
  n.grid_ = fw::axis_grid(n.axis_);
  n.res_ = fw::axis_resolution(n.axis_);
  // The points the fit takes: those nearest to either end of the range, and every one between.
  const auto nearest = [&n](double w) {
    return std::llround((w - n.grid_.first) / n.grid_.interval);
  };
  n.fit_points_ = nearest(n.to_) - nearest(n.from_) + 1;
  if (n.fit_points_ > kFitPoints) {
    error = format("the fit range holds %lld points, more than %d",
                   static_cast<long long>(n.fit_points_), kFitPoints);
    return nullptr;
  }
  fw::Calibration cal;
  cal.c = kCalibration;
  n.band_ = std::make_unique<fw::Band>(n.lines_, fw::BoltzmannState::initial, cal, n.grid_,
                                       s.window, n.res_);

  // Site and the start of the night.
  fts::GRJUL2(s.year, s.month, s.day, n.day0_);
  n.site_ = fw::Site{static_cast<int32_t>(std::lround(s.latitude * 3600.0)),
                     static_cast<int32_t>(std::lround(s.longitude * 3600.0)),
                     static_cast<int32_t>(std::lround(s.altitude))};
  const std::optional<int64_t> dusk = sunset_time(n.day0_, n.site_, kTwilightStart);
  if (!dusk) {
    error = format("the sun does not set to %g degrees on %04d-%02d-%02d", kTwilightStart, s.year,
                   s.month, s.day);
    return nullptr;
  }
  n.dusk_ = *dusk;

  // Response: a smooth passband with a ripple, positive everywhere.
  const double from = n.from_;
  const double span = n.to_ - n.from_;
  const fw::Grid& grid = n.grid_;
  n.response_.resize(static_cast<std::size_t>(grid.points));
  for (int32_t i = 1; i <= grid.points; ++i) {
    const double w = grid.at(i);
    n.response_[static_cast<std::size_t>(i - 1)] =
        0.55 + 0.45 * std::exp(-std::pow((w - (from + 0.4 * span)) / (0.8 * span), 2)) +
        0.04 * std::sin(2.0 * std::numbers::pi * (w - from) / (0.37 * span));
  }
  n.response_ = as_float(n.response_);

  // Solar spectra: a continuum that reddens as the sun sinks, with absorption lines of the
  // instrument's line shape.
  std::mt19937_64 atlas(kSolarAtlasSeed);
  std::vector<std::pair<double, double>> absorptions;  // position, depth at the centre
  for (int m = 0; m < kSolarLines; ++m) {
    const double position = grid.at(1) + uniform(atlas) * (grid.at(grid.points) - grid.at(1));
    absorptions.emplace_back(position, 0.02 + 0.3 * uniform(atlas) * uniform(atlas));
  }
  const double peak = fw::instrument_line_shape(s.window, n.res_, 0.0);
  for (int k = 0; k < kSolarKeys; ++k) {
    const double degrees = -4.0 - k;
    fw::SolarSpectrum spectrum{static_cast<int32_t>(std::lround(degrees * 3600.0)), {}};
    const double tilt = -0.15 * (-degrees - 5.0) / 8.0;
    for (int32_t i = 1; i <= grid.points; ++i) {
      const double w = grid.at(i);
      double value = 1.0 + tilt * (w - (from + 0.5 * span)) / span;
      for (const auto& [position, depth] : absorptions)
        value -= depth * fw::instrument_line_shape(s.window, n.res_, w - position) / peak;
      spectrum.values.push_back(value);
    }
    spectrum.values = as_float(spectrum.values);
    n.keys_.push_back(spectrum.key);
    n.solar_.push_back(std::move(spectrum));
  }

  // A contaminating emission feature where the band is weakest, and the mask around it.
  const std::vector<double> reference = n.band_->profile(s.temperature);
  n.feature_ = from + 0.5 * span;
  double quietest = INFINITY;
  for (int32_t i = 1; i <= grid.points; ++i) {
    const double w = grid.at(i);
    if (w < from + 10.0 * n.res_ || w > n.to_ - 10.0 * n.res_) continue;
    double nearby = 0;
    for (int32_t k = std::max(1, i - 8); k <= std::min(grid.points, i + 8); ++k)
      nearby = std::max(nearby, reference[static_cast<std::size_t>(k - 1)]);
    if (nearby < quietest) {
      quietest = nearby;
      n.feature_ = w;
    }
  }
  n.mask_lo_ = n.feature_ - 5.0 * n.res_;
  n.mask_hi_ = n.feature_ + 5.0 * n.res_;

  // Phases of the waves, and the mid-time of the first scan that their hours count from.
  std::mt19937_64 rng(s.seed ^ 0x9E3779B97F4A7C15ULL);
  n.phase1_ = 2.0 * std::numbers::pi * uniform(rng);
  n.phase2_ = 2.0 * std::numbers::pi * uniform(rng);
  n.first_mid_ = n.scan(1).mid.days;
  return night;
}

double Night::twilight_end() const {
  return kTwilightEnd;
}

ScanTruth Night::scan(int32_t n) const {
  const Settings& s = settings_;
  const auto exposure_ms = static_cast<int64_t>(std::llround(s.exposure * 60000.0));
  const auto cadence_ms = static_cast<int64_t>(std::llround(s.cadence * 60000.0));
  ScanTruth t;
  t.number = n;
  const int64_t begin = dusk_ - exposure_ms / 2 + (n - 1) * cadence_ms;
  fw::ScanItems& items = t.items;
  items.axis = axis_;
  items.time = fw::scan_time(day0_, begin, exposure_ms);
  items.site = site_;
  items.source = format("GEN_NIGHT OH(%d,%d) SEED %llu", s.v_upper, s.v_lower,
                        static_cast<unsigned long long>(s.seed));
  items.remark = format("SCAN %d", n);
  t.mid = fw::mid_time(items.time);
  t.elevation = sun_elevation(t.mid.day, t.mid.ms, site_);
  const double degrees = t.elevation / 3600.0;
  const bool twilight = degrees > kTwilightEnd;
  items.gains = {twilight ? kTwilightGain : kNightGain, 1, 1};
  t.gain = items.gains[0];

  const double hours = (t.mid.days - first_mid_) * 24.0;
  t.temperature =
      s.temperature +
      kWave1Amplitude * std::sin(2 * std::numbers::pi * hours / kWave1Period + phase1_) +
      kWave2Amplitude * std::sin(2 * std::numbers::pi * hours / kWave2Period + phase2_);
  t.intensity = s.intensity * (1.0 + kDuskExcess * std::exp(-hours / kDuskDecay)) *
                (1.0 + kIntensityWave *
                           std::sin(2 * std::numbers::pi * hours / kWave1Period + phase1_ + 1.2));
  t.solar = twilight
                ? s.solar * std::pow((degrees - kTwilightEnd) / (kTwilightStart - kTwilightEnd), 2)
                : 0.0;
  t.key = nearest_key(keys_, t.elevation);
  t.solar_key = keys_[t.key];
  return t;
}

std::vector<double> Night::spectrum(const ScanTruth& t) const {
  const auto gain = static_cast<double>(t.gain);
  std::vector<double> y = fw::spectrum(
      *band_, fw::Terms{t.temperature, t.intensity, t.solar, gain}, response_,
      t.solar > 0 ? std::span<const double>(solar_[t.key].values) : std::span<const double>());
  for (int32_t i = 1; i <= grid_.points; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    y[k] += gain * response_[k] * kContaminant * settings_.intensity *
            fw::instrument_line_shape(settings_.window, res_, grid_.at(i) - feature_);
  }
  return y;
}

bool Night::write_inputs(const fs::path& folder, std::string& error) const {
  fw::ScanItems items;
  items.axis = axis_;
  items.site = site_;
  items.source = "GEN_NIGHT RESPONSE";
  if (!fw::write_response_file(folder / "response.scn", items, response_)) {
    error = "cannot write response.scn";
    return false;
  }
  items.source = "GEN_NIGHT SOLAR SPECTRA";
  if (!fw::write_solar_file(folder / "solar.scn", items, solar_)) {
    error = "cannot write solar.scn";
    return false;
  }
  const auto text = [&](const std::string& name, const std::string& content) {
    return fw::write_new_text_file(folder / name, content, error);
  };
  return fw::write_line_file(folder / "lines.txt", lines_, error) &&
         text("mask.txt", format("%.3f %.3f\n", mask_lo_, mask_hi_)) &&
         text("calib.txt",
              format("%.10g %.10g %.10g %.10g %.10g\n", kCalibration[0], kCalibration[1],
                     kCalibration[2], kCalibration[3], kCalibration[4]));
}

std::string Night::answers(const std::string& program, const std::string& data,
                           int32_t scans) const {
  const std::string head = program + ".rep\n" + program + ".fit\nN\nN\n" + data + "\n" +
                           format("%.1f, %.1f\n", from_, to_) + format("1, %d\n", scans) +
                           "response.scn\nmask.txt\n";
  const std::string solar = program == "kelvoras" ? "solar.scn\nN\n" : "";
  return head + solar + "calib.txt\nlines.txt\nI\n0, 0\n";
}

std::string Night::smoother_answers() const {
  return format("kelvoras.fit\nkelvoras.smo\nY\n%g\n", 4.0 * settings_.cadence);
}

std::string Night::truth_header() const {
  return format(
      "# Truth of night.scn (gen_night, seed %llu): one line per scan.\n"
      "# day and hours of the scan's mid-time as the fit values file writes them; T (K); band\n"
      "# intensity and solar amplitude as the fit reports them (divided by the response mean);\n"
      "# sun elevation and the key of the solar spectrum drawn (arc-seconds); the gain product.\n"
      "# scan    day        hours         T           BI           SA   sun_el    key  gain\n",
      static_cast<unsigned long long>(settings_.seed));
}

std::string Night::truth_line(const ScanTruth& t) {
  return format("%6d %6d %12.8f %9.4f %12.5f %12.5f %8d %6d %5d\n", t.number, t.mid.day,
                static_cast<double>(t.mid.hours), t.temperature, t.intensity, t.solar, t.elevation,
                t.solar_key, t.gain);
}

}  // namespace night
