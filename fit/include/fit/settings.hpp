// settings: the two fit programs, their fixed capacities, the fit settings and the filter, and
// the questions that change them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fts/shell.hpp"

namespace fit {

class Dialogue;

// The two programs built on the fit: KELVORAS fits a solar term beside the band, KELVORN does not.
enum class Variant { kelvoras, kelvorn };

// ---------------------------------------------------------------------------------------------
// Capacities and constants.

constexpr int32_t kMaxPoints = 4096;   // points of a fit range, rows of the model matrix
constexpr int32_t kMaxRecords = 2000;  // records read from the line parameter file
constexpr int32_t kMaxSolar = 11;      // solar spectra loaded
constexpr float kC2 = 1.4388330f;      // second radiation constant hc/k, cm K
constexpr std::size_t kNameLength = fts::shell::kNameLength;  // characters of a name answer

// The temperature parameter TFAC = c2/T of a temperature, and back.
constexpr float tfac_of(float T) {
  return kC2 / T;
}
constexpr float temperature_of(float TFAC) {
  return kC2 / TFAC;
}

// Units of the files of a run. Scan files: 1 data, 7 response, 8 solar spectra; text files:
// 4 status report, 2 fit values, 8 data mask, 7 calibration factors and line parameters.
constexpr int32_t kDataUnit = 1;
constexpr int32_t kValuesUnit = 2;
constexpr int32_t kStatusUnit = 4;
constexpr int32_t kResponseUnit = 7;
constexpr int32_t kCalibrationUnit = 7;
constexpr int32_t kLineUnit = 7;
constexpr int32_t kMaskUnit = 8;
constexpr int32_t kSolarUnit = 8;

// ---------------------------------------------------------------------------------------------
// Settings.

struct Settings {
  float TFAC = tfac_of(180.0f);  // starting temperature parameter, 0.0079935165 (180 K)
  float tolerance = 1.0e-3f;     // largest relative correction of a converged parameter
  int32_t max_iterations = 10;   // Gauss-Newton iterations allowed per fit
  int32_t BINLIM = 10;           // order of the line-shape zero beyond which lines are cut
};

// The high-pass filter of data and model columns.
struct Filter {
  bool on = false;
  int32_t order = 0;           // as asked; replaced by the order the filter used
  float time_constant = 0.0f;  // slide cm-1
};

// The largest filter order and iteration limit taken. Each filter pass and each iteration goes
// over every point; a count in the millions would keep a run busy for days on one scan.
constexpr int32_t kMaxFilterOrder = 1000;
constexpr int32_t kMaxIterationLimit = 1000;

// Questions 3 (3a, 3b) and 4 (4a to 4d). A time constant or a temperature that is not above 0,
// and a filter order or an iteration limit above 1000, stop the run with their messages.
void ask_filter(Dialogue& dialogue, Filter& filter);
void ask_settings(Dialogue& dialogue, Settings& settings);

// The messages of the refusals.
inline constexpr const char* kTimeConstantRefused = " FILTER TIME CONSTANT MUST BE ABOVE 0";
inline constexpr const char* kTemperatureRefused = " INITIAL TEMPERATURE MUST BE ABOVE 0 K";
inline constexpr const char* kOrderRefused = " FILTER ORDER MUST BE AT MOST 1000";
inline constexpr const char* kIterationsRefused = " MAXIMUM ITERATION COUNT MUST BE AT MOST 1000";

}  // namespace fit
