// driver: the fit of one scan (starting values by NNLS, Gauss-Newton iterations solved by HFTI,
// errors by COVAR, the fallback without the solar term) and the state carried from scan to scan.
// No input or output happens here: a fit returns an outcome that the report writes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "fit/inputs.hpp"
#include "fit/matrix.hpp"
#include "fit/model.hpp"
#include "fit/settings.hpp"
#include "fts/header.hpp"

namespace fit {

// What a fit pass is built from (all but the line table, which outlives passes).
struct Pass {
  Grid grid;
  Response response;
  SolarSet solar;  // never loaded by KELVORN
  Calibration cal;
  int32_t first_scan = 0;  // the file range of the pass, as answered
  int32_t last_scan = 0;
};

// The state carried from scan to scan, within and across passes.
struct Carried {
  float BI = 1.0f;  // last fitted band intensity, solar amplitude, temperature parameter
  float SA = 0.6f;
  float TFAC = Settings{}.TFAC;
  int32_t QQAPOD = 0;  // reference layout: window, resolution, interval, first wavenumber
  int32_t QQRESL = 0;
  double interval = 0.0;
  double first = 0.0;
  double W1 = 0.0;  // fit range of the last converged scan
  double W2 = 0.0;
  bool reset = false;  // set by a failed scan: the next one starts afresh
  int32_t solar = 0;   // selected solar spectrum (0: none yet)
};

// One scan to be fitted.
struct Scan {
  int32_t number = 0;
  fts::Header AHDR;       // array header of the loaded section
  double interval = 0.0;  // its sampling interval and first wavenumber
  double first = 0.0;
  bool first_of_pass = false;
  std::array<float, kMaxPoints> y{};  // the loaded elements; the first N are the spectrum
};

// True when a later scan of a pass can be fitted: POINTS equals the pass's N, INTERVAL and FIRST
// equal the reference interval and first wavenumber, and LAST equals the pass's W2.
bool layout_matches(int64_t points, double interval, double first, double last, const Grid& grid,
                    const Carried& state);

// The scan's time from its array header: the mean of acquisition begin and end in days, split
// into DAY, the HOURS of that day (32-bit) and the milliseconds MS since midnight.
void scan_time(const fts::Header& AHDR, int32_t& day, float& hours, int32_t& ms);

enum class Result {
  converged,             // accepted: the values go to the fit values file
  overflow,              // N1 or N2 reached 1.0E26
  zero_parameter,        // BI, TFAC or (solar term on) SA was 0
  iteration_limit,       // not converged within the iteration limit
  rank_deficient,        // converged with KRANK below the column count
  no_freedom,            // converged with N - KRANK - masked points <= 0
  not_finite,            // a correction, parameter or error came out infinite or not a number
  line_shape_undefined,  // the scan's window or resolution gives no line shape
};

// The values of an accepted scan, as the fit values file shows them.
struct FitValues {
  int32_t day = 0;
  float hours = 0.0f;
  float BIn = 0.0f;  // band intensity and its error, divided by the response mean
  float sBIn = 0.0f;
  float T = 0.0f;  // temperature and its error
  float sT = 0.0f;
  float SAn = 0.0f;  // solar amplitude and its error (0 when the solar term is off)
  float sSAn = 0.0f;
  float rmsn = 0.0f;  // residual rms, divided by the response mean
  int32_t sun_angle = 0;
};

struct Outcome {
  Result result = Result::converged;
  bool rebuilt = false;    // the coefficient lists were built anew for this scan
  bool converged = false;  // the last iteration converged (also when a later test failed)
  bool solar_on = false;   // the solar term took part in the last iteration
  int32_t iterations = 0;
  int32_t KRANK = 0;
  float BI = 0.0f;  // zero_parameter: BI, TFAC and the last solar correction
  float TFAC = 0.0f;
  float sicor = 0.0f;
  FitValues values;
};

class Driver {
 public:
  Driver();

  // Fits SCAN (its spectrum GANSCL-corrected in place, masked points zeroed when the lists are
  // rebuilt) with the inputs of PASS and the lines of TABLE; updates the carried STATE, and the
  // filter order to the one the filter used.
  Outcome fit(const Pass& pass, const LineTable& table, const Settings& settings, Filter& filter,
              Carried& state, Scan& scan);

  const CoefficientLists& lists() const { return lists_; }

 private:
  ModelMatrix m_;
  CoefficientLists lists_;
  std::array<float, kMaxRecords> P_{};
  std::vector<float> A_;  // per-point sums A(i) and D(i)
  std::vector<float> D_;
  std::vector<float> copy_;      // data copy of the starting fit
  std::vector<float> residual_;  // right-hand side of the iterations
};

}  // namespace fit
