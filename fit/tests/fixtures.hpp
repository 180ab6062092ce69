// fixtures: the input files of the fit programs' end-to-end cases and benchmark, made by the
// forward model of the test helpers (which shares no code with the fit's band model): a band of
// lines and its line parameter file, nights of spectra as scan files, response and solar files,
// and the small text inputs.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "fts/header.hpp"
#include "fts_forward/forward.hpp"

namespace fit::cases {

namespace fw = fts::forward;

// A band of 14 lines between 6805 and 6870 cm-1, upper (initial) term values 5 N(N+1) and lower
// (final) term values 5.6 N(N+1), strengths 2N + 1, with a line of strength 0 among them and two
// lines outside every fit range of the cases (they count in the band's normalisation).
std::vector<fw::Line> band_lines();

// A band of COUNT lines spread evenly over FIRST .. LAST (the benchmark's night), term values
// growing with the line number.
std::vector<fw::Line> even_lines(int32_t count, double first, double last);

// One spectrum of a night.
struct ScanPlan {
  double T = 190.0;     // temperature, K
  double BI = 1000.0;   // band intensity
  double SA = 0.0;      // solar amplitude (of the night's solar spectrum SOLAR)
  int32_t solar = 0;    // which of the night's solar spectra (from 0)
  double noise = 0.0;   // standard deviation of the Gaussian noise
  double offset = 0.0;  // background: OFFSET + SLOPE (w - first grid point)
  double slope = 0.0;
  std::array<int32_t, 3> gains = {1, 1, 1};
  int64_t minute = 0;  // start, minutes after the night's start
  // Changes to the header before it is written (to make a scan of another layout).
  std::function<void(fts::Header&)> edit;
};

// A night: the axis of its spectra and what they share.
struct Night {
  double first = 6810.0;  // the axis covers first .. last with a margin of points on each side
  double last = 6860.0;
  double interval = 0.25;
  double res = 1.0;
  int32_t window = 3;
  int32_t margin = 20;
  fw::BoltzmannState state = fw::BoltzmannState::final;
  fw::Calibration cal;
  std::vector<fw::Line> lines = band_lines();
  // Response r(w) = 1 + response_slope (w - 6835) when response_slope is not 0.
  double response_slope = 0.0;
  // Solar spectra shapes on the axis (see solar_shape).
  std::vector<int32_t> solar_keys;
  fw::Site site{180000, -25200, 120};  // 50 N, 7 E, 120 m
  int32_t day = 739000;                // day number of the start
  int64_t start_ms = 72000000;         // 20:00
  int64_t scan_ms = 300000;            // each scan lasts 5 minutes
  uint64_t seed = 12;

  fw::Axis axis() const;
  fw::Grid grid() const { return fw::axis_grid(axis()); }
  std::vector<double> response() const;  // on the axis grid (1 everywhere without a slope)
};

// Solar spectrum K (from 0) of a night on its axis: 1 + 0.3 sin(2 pi (w - 6800)/7 + K).
std::vector<double> solar_shape(const Night& night, int32_t k);

// The spectra SCANS of NIGHT, written as the new scan file PATH (32-bit floats). False when the
// file cannot be written.
bool write_night(const std::filesystem::path& path, const Night& night,
                 std::span<const ScanPlan> scans);
// The response of NIGHT as a one-scan file.
bool write_response(const std::filesystem::path& path, const Night& night);
// The solar spectra of NIGHT with their keys solar_keys, in decreasing order of key (SORTED) or in
// the order of solar_keys.
bool write_solar(const std::filesystem::path& path, const Night& night, bool sorted = true);
// The line parameter file of LINES.
bool write_lines(const std::filesystem::path& path, std::span<const fw::Line> lines);
// A text file.
bool write_text(const std::filesystem::path& path, const std::string& text);

}  // namespace fit::cases
