// report: status report and fit values lines.
#include "fit/report.hpp"

#include "fts/textio.hpp"

namespace fit {

namespace textio = fts::textio;
using textio::FreeLine;

namespace {

constexpr const char* kStars = " *********************************";

// A name answer as its own line: the 64 characters unchanged.
std::string name_line(const std::string& name) {
  std::string line = name;
  line.resize(kNameLength, ' ');
  return line;
}

}  // namespace

// header_block: the lines written before the first fit of a pass.
// Given:     data_file  the data file name (64 characters)
//            pass       range, points, file range, response, mask, solar spectra, calibration
//            table      the line file name, the Boltzmann state and the count of lines
//            settings   shown as the default parameters (the temperature as c2/TFAC)
//            filter     shown when on, with the order it holds now
// Returned:  (value)    the lines, in order
std::vector<std::string> header_block(const std::string& data_file, const Pass& pass,
                                      const LineTable& table, const Settings& settings,
                                      const Filter& filter) {
  std::vector<std::string> lines;
  const auto add = [&](const FreeLine& line) { lines.push_back(line.str()); };
  add(FreeLine() << kStars);
  add(FreeLine() << " Data to be fit from file:");
  lines.push_back(name_line(data_file));
  add(FreeLine() << " Wavelengths fit from " << pass.grid.W1 << " TO " << pass.grid.W2);
  add(FreeLine() << " Number of points fit =" << pass.grid.N);
  add(FreeLine() << " Files from " << pass.first_scan << " to " << pass.last_scan);
  add(FreeLine() << " Rotational parameters from file:");
  lines.push_back(name_line(table.file));
  add(FreeLine() << (table.initial_state ? " Initial state for Boltzmann"
                                         : " Final state for Boltzmann"));
  add(FreeLine() << " Number of rotational lines=" << table.NORMAL.L);
  if (pass.response.curve) {
    add(FreeLine() << " Response curve from file:");
    lines.push_back(name_line(pass.response.curve_file));
  } else {
    add(FreeLine() << "CAUTION, NO RESPONSE FILE ");
  }
  if (pass.response.mask) {
    add(FreeLine() << " Data masked with file:");
    lines.push_back(name_line(pass.response.mask_file));
  }
  if (pass.solar.loaded) {
    add(FreeLine() << " Solar spectra from file:");
    lines.push_back(name_line(pass.solar.file));
  }
  add(FreeLine() << " Wavelength calibration from file:");
  lines.push_back(name_line(pass.cal.file));
  add(FreeLine() << " WAVELENGTH PARAMETERS=");
  for (const double c : pass.cal.c) add(FreeLine() << c);
  add(FreeLine() << " DEFAULT PARAMETERS:");
  add(FreeLine() << "        INIT TEMP=" << temperature_of(settings.TFAC));
  add(FreeLine() << "        FRAC ERR.=" << settings.tolerance);
  add(FreeLine() << "        MAX ITER =" << settings.max_iterations);
  add(FreeLine() << "        BINLIM   =" << settings.BINLIM);
  if (filter.on) {
    add(FreeLine() << " DATA HAS BEEN FILTERED");
    add(FreeLine() << "      ORDER=     " << filter.order);
    add(FreeLine() << "      TIME CONST=" << filter.time_constant);
  }
  add(FreeLine() << kStars);
  return lines;
}

// outcome_lines: the status report lines of a fitted scan.
// Given:     variant  the program
//            scan     the scan's number
//            outcome  what its fit gave
// Returned:  (value)  the lines, in order
std::vector<std::string> outcome_lines(Variant variant, int32_t scan, const Outcome& outcome) {
  std::vector<std::string> lines;
  const auto add = [&](const FreeLine& line) { lines.push_back(line.str()); };
  const bool kelvorn = variant == Variant::kelvorn;
  const auto converged = [&] {
    FreeLine line;
    line << " FILE " << scan << " CONVERGED AFTER " << outcome.iterations;
    if (kelvorn) {
      line << " ITERATIONS";
    } else {
      line << " ITERATIONS, solar =" << outcome.solar_on;
    }
    add(line);
  };

  if (outcome.rebuilt) add(FreeLine() << " MUST OPEN SCRATCH FILE ON FILE" << scan);
  if (outcome.result == Result::converged) {
    converged();
    return lines;
  }
  if (kelvorn && outcome.converged) converged();
  switch (outcome.result) {
    case Result::overflow:
      add(FreeLine() << " WARNING, BAND NORMAL. OVERFLOW ON FILE" << scan);
      break;
    case Result::zero_parameter:
      if (kelvorn) {
        add(FreeLine() << " WARNING, BI=" << outcome.BI << " TFAC=" << outcome.TFAC << " ON FILE "
                       << scan);
      } else {
        add(FreeLine() << " WARNING, BI=" << outcome.BI << " TFAC=" << outcome.TFAC
                       << " sicor=" << outcome.sicor << " ON FILE " << scan);
      }
      break;
    case Result::iteration_limit:
      add(FreeLine() << " MAXIMUM ITERATION COUNT EXCEEDED ON FILE " << scan);
      break;
    case Result::rank_deficient:
      add(FreeLine() << " WARNING, A IS OF RANK " << outcome.KRANK << " ON FILE " << scan);
      break;
    case Result::no_freedom:
      add(FreeLine() << " WARNING, NO DEGREES OF FREEDOM ON FILE" << scan);
      break;
    case Result::not_finite:
      add(FreeLine() << " WARNING, FIT NOT FINITE ON FILE" << scan);
      break;
    case Result::line_shape_undefined:
      add(FreeLine() << " WARNING, LINE SHAPE UNDEFINED ON FILE" << scan);
      break;
    case Result::converged:
      break;
  }
  return lines;
}

// values_line: one line of the fit values file.
// Given:     long_layout  108 columns with the solar values and the sun angle, else 76
//            values       day, hours, BIn, sBIn, T, sT, (SAn, sSAn,) rmsn (, sun angle)
// Returned:  (value)      the line; a value too wide for its field fills it with asterisks
// Notes: short: day I7, hours F11.8, then BIn, sBIn G11, T, sT F9.4, rmsn G11, each field after
//        a blank. Long: day I6, hours F11.7, BIn, sBIn G11, T, sT F9.4, SAn, sSAn, rmsn G11,
//        sun angle I8.
std::string values_line(bool long_layout, const FitValues& v) {
  std::string line;
  const auto field = [&](const std::string& text) {
    line += ' ';
    line += text;
  };
  const auto g = [&](float x) { field(textio::general11(x)); };
  const auto f = [&](float x) { field(textio::fixed_field(x, 9, 4)); };
  if (long_layout) {
    field(textio::int_field(v.day, 6));
    field(textio::fixed_field(v.hours, 11, 7));
    for (const float x : {v.BIn, v.sBIn}) g(x);
    for (const float x : {v.T, v.sT}) f(x);
    for (const float x : {v.SAn, v.sSAn, v.rmsn}) g(x);
    field(textio::int_field(v.sun_angle, 8));
  } else {
    field(textio::int_field(v.day, 7));
    field(textio::fixed_field(v.hours, 11, 8));
    for (const float x : {v.BIn, v.sBIn}) g(x);
    for (const float x : {v.T, v.sT}) f(x);
    g(v.rmsn);
  }
  return line;
}

// mismatch_lines: the report of a scan off the pass's grid.
std::vector<std::string> mismatch_lines(const Mismatch& m) {
  return {
      (FreeLine() << " ERROR ON INPUT, FILE=" << m.scan).str(),
      (FreeLine() << m.points << " points read, not" << m.N).str(),
      (FreeLine() << " slope=" << m.interval << " was " << m.reference_interval).str(),
      (FreeLine() << " offset=" << m.first << " was" << m.reference_first).str(),
      (FreeLine() << " swnf  =" << m.last << " was" << m.W2).str(),
  };
}

std::string eof_line(int32_t last_scan) {
  return (FreeLine() << " EOF REACHED, SCAN " << last_scan).str();
}

}  // namespace fit
