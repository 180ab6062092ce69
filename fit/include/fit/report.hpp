// report: the lines of the status report (the header block of a pass, the notes of every scan)
// and of the fit values file (the short layout of 76 columns, the long one of 108), made from
// the inputs of a pass and the outcome of each fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fit/driver.hpp"
#include "fit/inputs.hpp"
#include "fit/settings.hpp"

namespace fit {

// The header block of a pass, written before the fit of its first scan.
std::vector<std::string> header_block(const std::string& data_file, const Pass& pass,
                                      const LineTable& table, const Settings& settings,
                                      const Filter& filter);

// The status report lines of a fitted scan: " MUST OPEN SCRATCH FILE ON FILE" when its lists
// were built, then its result. KELVORN writes the convergence line (without the solar state)
// as soon as the iterations converge, before the tests that follow them; KELVORAS writes it
// only for an accepted scan.
std::vector<std::string> outcome_lines(Variant variant, int32_t scan, const Outcome& outcome);

// One line of the fit values file: the long layout when solar spectra are loaded in the pass.
std::string values_line(bool long_layout, const FitValues& values);

// The report of a scan that does not lie on the pass's grid: its first line goes to the terminal
// as well.
struct Mismatch {
  int32_t scan = 0;
  int32_t points = 0;  // the scan's section and what the pass expects
  int32_t N = 0;
  double interval = 0.0;
  double reference_interval = 0.0;
  double first = 0.0;
  double reference_first = 0.0;
  double last = 0.0;
  double W2 = 0.0;
};
std::vector<std::string> mismatch_lines(const Mismatch& m);

// " EOF REACHED, SCAN " with the last scan read.
std::string eof_line(int32_t last_scan);

}  // namespace fit
