// fit_cases: running and recording the fit programs' end-to-end cases.
#include "fit_cases.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <vector>

#include "fixtures.hpp"
#include "fts/ftssun.hpp"
#include "fts/header.hpp"
#include "fts_testing/cases.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/scanbytes.hpp"

namespace fit::cases {

namespace fs = std::filesystem;
namespace ft = fts::testing;

namespace {

std::map<std::string, std::string> files_of(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file())
      files[entry.path().filename().string()] = ft::read_file(entry.path());
  }
  return files;
}

::testing::AssertionResult record(const std::string& program, const fs::path& cases,
                                  const std::string& name, const Setup& setup) {
  const std::string prefix = name + ".";
  const ft::TempDir dir;
  for (const auto& entry : fs::directory_iterator(cases)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind(prefix + "in.", 0) == 0) {
      ft::write_file(dir / file.substr(prefix.size() + 3), ft::read_file(entry.path()));
    } else if (file.rfind(prefix + "out.", 0) == 0) {
      fs::remove(entry.path());
    }
  }
  if (setup) setup(dir.path());
  const auto before = files_of(dir.path());
  const ft::RunResult result =
      ft::run_program(ft::program(program), ft::read_file(cases / (prefix + "stdin")), dir.path());
  ft::write_file(cases / (prefix + "stdout"), result.output);
  for (const auto& [file, content] : files_of(dir.path())) {
    if (file == "answers.stdin") continue;
    const auto it = before.find(file);
    if (it == before.end() || it->second != content) {
      ft::write_file(cases / (prefix + "out." + file), content);
    }
  }
  return ::testing::AssertionFailure() << "recorded " << name << ": read it through";
}

}  // namespace

::testing::AssertionResult run_fit_case(const std::string& program, const fs::path& cases,
                                        const std::string& name, const Setup& setup) {
  if (std::getenv("FIT_RECORD_CASES") != nullptr) return record(program, cases, name, setup);
  ft::Case c;
  c.name = name;
  c.setup = setup;
  return ft::run_case(program, cases, c);
}

// ---------------------------------------------------------------------------------------------
// The inputs of the cases.

namespace {

constexpr const char* kData = "night.dat";
constexpr const char* kLines = "lines.txt";

// N scans from the start of the night, ten minutes apart, temperatures T0, T0 + DT, ... and band
// intensities BI0, BI0 + DBI, ..., with noise NOISE.
std::vector<ScanPlan> series(int n, double T0, double dT, double BI0, double dBI,
                             double noise = 0.0) {
  std::vector<ScanPlan> scans;
  for (int k = 0; k < n; ++k) {
    ScanPlan s;
    s.T = T0 + dT * k;
    s.BI = BI0 + dBI * k;
    s.noise = noise;
    s.minute = 10 * k;
    scans.push_back(s);
  }
  return scans;
}

// Writes the night's data file and line file; a failure fails the test.
void write_inputs(const fs::path& dir, const Night& night, const std::vector<ScanPlan>& scans) {
  EXPECT_TRUE(write_night(dir / kData, night, scans));
  EXPECT_TRUE(write_lines(dir / kLines, night.lines));
}

// A setup of the default night with SCANS.
Setup night_of(std::vector<ScanPlan> scans) {
  return [scans](const fs::path& dir) { write_inputs(dir, Night{}, scans); };
}

// The default night with scan K (from 1) of SCANS changed by EDIT.
Setup edited(int k, std::function<void(fts::Header&)> edit,
             std::vector<ScanPlan> scans = series(4, 185.0, 2.0, 1000.0, 20.0, 0.5)) {
  scans[static_cast<std::size_t>(k - 1)].edit = std::move(edit);
  return night_of(scans);
}

// A night whose first scan is a complex spectrum of 3000 points (6000 elements), made byte by
// byte: more elements than a fit range can hold.
void complex_night(const fs::path& dir) {
  const Night night;
  fw::Axis axis;
  fw::make_axis(6810.0, 6810.0 + 2999 * 0.25 - 40 * 0.25, 0.25, 1.0, 3, 20, axis);
  fts::Header h;
  fw::put_axis(h, axis);
  ft::HeaderItems items = ft::blank_items();
  for (int32_t i = 65; i <= 224; ++i) items[static_cast<std::size_t>(i - 1)] = h(i);
  const int32_t points = axis.slen;
  items[fts::QQSYSV - 1] = 2;
  items[fts::QQDTYP - 1] = 2;
  items[fts::QQDKND - 1] = 1;
  items[fts::QQDREP - 1] = 2;
  items[fts::QQBORD - 1] = 1;
  items[fts::QQFLEN - 1] = ft::records_for(2 * int64_t{points}, 4);
  items[fts::QQDSIZ - 1] = 2 * points;
  ft::ScanFileBytes file;
  file.add_header(items);
  file.add_data(std::vector<float>(2 * static_cast<std::size_t>(points), 1.0f));
  ft::write_bytes(dir / kData, file.bytes());
  EXPECT_TRUE(write_lines(dir / kLines, night.lines));
}

// Mask, response, filter and calibration: a night seen through a sloping response, on a slide
// scale 1.0001 times the true one, the second scan with gains 2, 1, 3; two passes, the second
// without a calibration file.
void inputs_night(const fs::path& dir) {
  Night night;
  night.cal.c = {1.0001, 0.0, 0.0, 0.0, 0.0};
  night.response_slope = 0.004;
  std::vector<ScanPlan> scans = series(4, 188.0, 3.0, 900.0, 30.0, 0.5);
  scans[1].gains = {2, 1, 3};
  write_inputs(dir, night, scans);
  EXPECT_TRUE(write_response(dir / "response.dat", night));
  EXPECT_TRUE(write_text(dir / "mask.txt", "6830.0 6832.0\n6850.5,6851\n"));
  EXPECT_TRUE(write_text(dir / "calibration.txt", "1.0001\n"));
}

// Twilight from 18:20 UT on 24 April 2024 at 50 N, 7 E: twelve scans ten minutes apart, the sun
// from 1.9 degrees above the horizon to 13.4 below; solar spectra for 0, -3, -6, -9 and -12
// degrees. Each scan carries the solar spectrum of the key nearest to its sun angle, with an
// amplitude falling with the sun, and the last one none. The header site is HEADER_SITE.
constexpr fw::Site kTwilightSite{180000, -25200, 120};
Night twilight_night(const fw::Site& header_site) {
  Night night;
  night.start_ms = (18 * 60 + 20) * 60000;
  night.solar_keys = {0, -10800, -21600, -32400, -43200};
  night.site = header_site;
  return night;
}
std::vector<ScanPlan> twilight_scans(const Night& night, std::vector<int32_t> solar = {}) {
  const double amplitudes[] = {400, 300, 220, 160, 110, 80, 60, 40, 30, 20, 10, 0};
  std::vector<ScanPlan> scans;
  for (int k = 0; k < 12; ++k) {
    ScanPlan s;
    s.minute = 10 * k;
    s.T = 185.0 + k;
    s.BI = 1000.0 - 10.0 * k;
    s.SA = amplitudes[k];
    s.noise = 0.5;
    const fw::MidTime mid =
        fw::mid_time(fw::scan_time(night.day, night.start_ms + s.minute * 60000, night.scan_ms));
    int32_t az = 0, angle = 0, east = 0, shadow = 0;
    fts::SUN(mid.day, mid.ms, kTwilightSite.latitude, kTwilightSite.longitude,
             kTwilightSite.altitude, az, angle, east, shadow);
    std::size_t nearest = 0;
    for (std::size_t j = 1; j < night.solar_keys.size(); ++j) {
      if (std::abs(night.solar_keys[j] - angle) < std::abs(night.solar_keys[nearest] - angle)) {
        nearest = j;
      }
    }
    s.solar = static_cast<std::size_t>(k) < solar.size() ? solar[static_cast<std::size_t>(k)]
                                                         : static_cast<int32_t>(nearest);
    scans.push_back(s);
  }
  return scans;
}
void twilight(const fs::path& dir, const fw::Site& header_site) {
  const Night night = twilight_night(header_site);
  write_inputs(dir, night, twilight_scans(night));
  EXPECT_TRUE(write_solar(dir / "solar.dat", night));
}

// Solar keys in increasing order (-12, -6 and 0 degrees): no pair brackets an angle between
// them. The first scan (-5.5 degrees) takes the nearest key, -6; the second (-10.9) keeps it;
// the third (-13.4) lies below the smallest key and takes it.
void unordered_keys(const fs::path& dir) {
  Night night = twilight_night(kTwilightSite);
  night.start_ms = (19 * 60 + 10) * 60000;
  night.solar_keys = {-43200, -21600, 0};
  std::vector<ScanPlan> scans = twilight_scans(night, {1, 1, 0});
  scans.resize(3);
  scans[1].minute = 40;
  scans[2].minute = 60;
  write_inputs(dir, night, scans);
  EXPECT_TRUE(write_solar(dir / "solar.dat", night, false));
}

// A response and solar spectra sampled 400 times more finely than the night: their sections of
// the fit range hold more elements than a loaded section can (80017). The solar file's first
// spectrum is on the night's own axis, its second on the fine one (one more degree below).
void too_fine(const fs::path& dir) {
  const Night night;
  write_inputs(dir, night, series(2, 190.0, 1.0, 1000.0, 10.0, 0.5));
  Night fine = night;
  fine.interval = night.interval / 400.0;
  fine.first -= 1.0;  // covering the snapped fit range whole
  fine.last += 1.0;
  EXPECT_TRUE(write_response(dir / "response.dat", fine));
  Night first = night;
  first.solar_keys = {0};
  fine.solar_keys = {-10800};
  EXPECT_TRUE(write_solar(dir / "solar1.dat", first));
  EXPECT_TRUE(write_solar(dir / "solar2.dat", fine));
  ft::write_file(dir / "solar.dat",
                 ft::read_file(dir / "solar1.dat") + ft::read_file(dir / "solar2.dat"));
  fs::remove(dir / "solar1.dat");
  fs::remove(dir / "solar2.dat");
}

// The noise-free night: scans of 170 to 210 K.
constexpr int kNoiseFreeScans = 5;

const std::map<std::string, Setup>& setups() {
  static const std::map<std::string, Setup> table = [] {
    std::map<std::string, Setup> t;
    const auto nan = std::numeric_limits<double>::quiet_NaN();

    // Fits.
    {
      std::vector<ScanPlan> scans;
      for (int k = 1; k <= kNoiseFreeScans; ++k) {
        ScanPlan s;
        s.T = noise_free_temperature(k);
        s.BI = noise_free_intensity(k);
        s.minute = 10 * (k - 1);
        scans.push_back(s);
      }
      t["noise_free_night"] = night_of(scans);
    }
    t["small_run"] = night_of(series(3, 195.0, -4.0, 800.0, 50.0, 1.0));

    t["inputs_in_one_run"] = inputs_night;
    t["twilight_header_site"] = [](const fs::path& dir) { twilight(dir, kTwilightSite); };
    t["twilight_typed_site"] = [](const fs::path& dir) { twilight(dir, fw::Site{}); };
    t["first_selection_nearest"] = unordered_keys;

    // Failure paths.
    t["data_missing"] = [](const fs::path&) {};
    t["first_scan_beyond_end"] = night_of(series(3, 190.0, 0.0, 1000.0, 0.0, 0.5));
    t["range_past_end"] = night_of(series(3, 190.0, 1.0, 1000.0, 10.0, 0.5));
    t["range_reversed"] = night_of(series(3, 190.0, 0.0, 1000.0, 0.0, 0.5));
    t["range_zero"] = night_of(series(3, 190.0, 0.0, 1000.0, 0.0, 0.5));
    t["end_of_answers"] = night_of(series(2, 190.0, 1.0, 1000.0, 10.0, 0.5));
    t["unreadable_answer"] = night_of(series(2, 190.0, 1.0, 1000.0, 10.0, 0.5));
    t["response_and_solar_too_fine"] = too_fine;
    t["response_too_fine"] = too_fine;
    t["mismatched_scan"] = edited(3, [](fts::Header& h) { h(fts::QQSSLP) = 2; });
    t["too_many_points"] = [](const fs::path& dir) {
      Night night;
      night.interval = 0.01;
      write_inputs(dir, night, series(1, 190.0, 0.0, 1000.0, 0.0));
    };
    t["complex_too_many_elements"] = complex_night;

    // Refusals and scans without a fit.
    t["temperature_refused"] = night_of(series(1, 190.0, 0.0, 1000.0, 0.0));
    t["filter_order_refused"] = night_of(series(1, 190.0, 0.0, 1000.0, 0.0));
    t["iteration_limit_refused"] = night_of(series(1, 190.0, 0.0, 1000.0, 0.0));
    t["time_constant_refused"] = night_of(series(1, 190.0, 0.0, 1000.0, 0.0));
    t["time_constant_too_short"] = night_of(series(1, 190.0, 0.0, 1000.0, 0.0));
    t["undefined_line_shape"] = [](const fs::path& dir) {
      std::vector<ScanPlan> scans = series(4, 185.0, 2.0, 1000.0, 20.0, 0.5);
      scans[1].edit = [](fts::Header& h) { h(fts::QQAPOD) = 7; };
      scans[2].edit = [](fts::Header& h) { h(fts::QQRESL) = 0; };
      write_inputs(dir, Night{}, scans);
    };
    t["undefined_axis_first"] = edited(1, [](fts::Header& h) { h(fts::QQSSUN) = 9; });
    t["undefined_axis_later"] = edited(2, [](fts::Header& h) { h(fts::QQSSLP) = 0; });
    t["no_degrees_of_freedom"] = night_of(series(2, 190.0, 0.0, 1000.0, 0.0));
    t["not_finite_data"] = [nan](const fs::path& dir) {
      std::vector<ScanPlan> scans = series(3, 190.0, 1.0, 1000.0, 10.0, 0.5);
      scans[1].offset = nan;
      write_inputs(dir, Night{}, scans);
    };
    t["no_lines"] = [](const fs::path& dir) {
      Night night;
      std::vector<fw::Line> none = night.lines;
      for (fw::Line& l : none) l.strength = 0.0;
      EXPECT_TRUE(write_night(dir / kData, night, series(2, 190.0, 0.0, 1000.0, 0.0, 0.5)));
      EXPECT_TRUE(write_lines(dir / kLines, none));
    };
    return t;
  }();
  return table;
}

}  // namespace

double noise_free_temperature(int32_t k) {
  return 160.0 + 10.0 * k;
}

double noise_free_intensity(int32_t k) {
  return 900.0 + 100.0 * k;
}

Setup setup_for(const std::string& name) {
  const auto it = setups().find(name);
  return it == setups().end() ? Setup() : it->second;
}

}  // namespace fit::cases
