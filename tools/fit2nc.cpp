// fit2nc: exports the fit values file of kelvoras or kelvorn, with the status report of the same
// run, to a netCDF-4 file that follows the CF conventions (CF-1.8).
//
// Usage: fit2nc --values FILE --report FILE --out FILE [--site LAT,LON,ALT]
//
// One row per line of the fit values file, along the dimension "time": the middle of the
// acquisition (hours since midnight of the first day, proleptic Gregorian calendar), the scan
// number, the rotational temperature, band intensity and rms residual, and with the long layout
// the solar amplitude and the sun's elevation; every fitted value beside its standard error,
// linked through ancillary_variables. The global attributes hold the provenance: the suite's
// version, the input files, the creation time, and the fit's inputs and settings as the header
// block of the status report shows them.
//
// Scan numbers come from the status report's convergence lines, in order (see match_rows).
// The output is written under a temporary name in the output's folder and renamed at the end;
// an existing file is never overwritten, and a failed export leaves no file behind.
#include <fcntl.h>
#include <netcdf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "fts/cmdline.hpp"
#include "fts/ftscaldr.hpp"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    R"(usage: fit2nc --values FILE --report FILE --out FILE [--site LAT,LON,ALT]

Exports a fit values file of kelvoras or kelvorn (the short layout of 76 columns or the long one
of 108) and the status report of the same run to a new netCDF-4 file OUT that follows the CF
conventions. OUT must not exist; nothing is left behind when the export fails.

  --values FILE        the fit values file
  --report FILE        the status report of the run that wrote it (the scan numbers and the
                       fit's inputs and settings come from it)
  --out FILE           the netCDF file to create
  --site LAT,LON,ALT   the observing site, as the fit programs ask for it: latitude in degrees
                       (positive north), longitude in degrees (positive WEST), altitude in metres
                       above sea level; stored as scalar coordinates (longitude east)
  --help, --version
)";

constexpr int32_t kDay2000 = 730120;  // day number of 1 January 2000

// ---------------------------------------------------------------------------------------------
// Text helpers.

std::string_view trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string trailing_trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The blank-separated words of S.
std::vector<std::string_view> words(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while ((at = s.find_first_not_of(' ', at)) != std::string_view::npos) {
    const std::size_t end = std::min(s.find(' ', at), s.size());
    out.push_back(s.substr(at, end - at));
    at = end;
  }
  return out;
}

// TEXT as a whole finite number, or nothing.
std::optional<double> real_of(std::string_view text) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<int32_t> integer_of(std::string_view text) {
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Reads the lines of PATH; false with a message when it cannot be read.
bool read_lines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read: " + std::strerror(errno);
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (in.bad()) {
    error = path + ": read error";
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Global attributes.

// One global attribute: a text, or numbers of one netCDF type.
struct Attribute {
  std::string name;
  nc_type type = NC_CHAR;
  std::string text;
  std::vector<double> numbers;

  bool operator==(const Attribute&) const = default;
};

Attribute text_attribute(std::string name, std::string text) {
  return {std::move(name), NC_CHAR, std::move(text), {}};
}

Attribute number_attribute(std::string name, nc_type type, std::vector<double> numbers) {
  return {std::move(name), type, {}, std::move(numbers)};
}

// The attributes of several fit passes as one set, in the order of their first appearance: an
// attribute that every pass gives the same value keeps it; else it holds the values of all
// passes in order (texts separated by "; ", a pass without it giving an empty text or no number).
std::vector<Attribute> merged(const std::vector<std::vector<Attribute>>& passes) {
  std::vector<Attribute> out;
  const auto find = [](const std::vector<Attribute>& pass, const std::string& name) {
    const auto it =
        std::find_if(pass.begin(), pass.end(), [&](const Attribute& a) { return a.name == name; });
    return it == pass.end() ? nullptr : &*it;
  };
  for (const auto& pass : passes) {
    for (const Attribute& first : pass) {
      if (find(out, first.name)) continue;
      Attribute a = first;
      bool same = true;
      for (const auto& other : passes) {
        const Attribute* b = find(other, a.name);
        same = same && b && *b == first;
      }
      if (!same) {
        a.text.clear();
        a.numbers.clear();
        for (std::size_t p = 0; p < passes.size(); ++p) {
          const Attribute* b = find(passes[p], a.name);
          if (a.type == NC_CHAR) {
            a.text += (p == 0 ? "" : "; ") + (b ? b->text : std::string());
          } else if (b) {
            a.numbers.insert(a.numbers.end(), b->numbers.begin(), b->numbers.end());
          }
        }
      }
      out.push_back(std::move(a));
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// The status report.

// What the header block of one fit pass says.
struct PassHeader {
  std::string data_file, line_file, response_file, mask_file, solar_file, calibration_file;
  std::optional<double> W1, W2;
  std::optional<int32_t> points, first_scan, last_scan, lines, max_iterations, bin_limit;
  std::optional<bool> initial_state;
  bool response_said = false;  // a response line was seen (a file, or the caution)
  bool calibration_said = false;
  std::vector<double> coefficients;
  std::optional<double> initial_temperature, tolerance;
  bool filtered = false;
  std::optional<int32_t> filter_order;
  std::optional<double> filter_time_constant;
  bool solar() const { return !solar_file.empty(); }
};

// A scan with fit values, from its convergence line.
struct Converged {
  int32_t scan = 0;
  std::size_t pass = 0;  // 0-based index of its pass
  std::size_t line = 0;  // line of the status report (from 1)
};

struct Report {
  std::vector<PassHeader> passes;
  std::vector<Converged> converged;  // in order
  bool solar_item = false;           // kelvoras's convergence lines (", solar =")
  bool plain_item = false;           // kelvorn's convergence lines
};

// The attributes of one pass, in the order they are written.
std::vector<Attribute> pass_attributes(const PassHeader& h) {
  std::vector<Attribute> a;
  a.push_back(text_attribute("fit_data_file", h.data_file));
  a.push_back(number_attribute("fit_wavenumber_range", NC_DOUBLE, {*h.W1, *h.W2}));
  a.push_back(number_attribute("fit_points", NC_INT, {double(*h.points)}));
  a.push_back(
      number_attribute("fit_scan_range", NC_INT, {double(*h.first_scan), double(*h.last_scan)}));
  a.push_back(text_attribute("fit_line_parameter_file", h.line_file));
  a.push_back(text_attribute("fit_boltzmann_state", *h.initial_state ? "initial" : "final"));
  a.push_back(number_attribute("fit_rotational_lines", NC_INT, {double(*h.lines)}));
  a.push_back(text_attribute("fit_response_file", h.response_file));
  a.push_back(text_attribute("fit_mask_file", h.mask_file));
  a.push_back(text_attribute("fit_solar_spectra_file", h.solar_file));
  a.push_back(text_attribute("fit_calibration_file", h.calibration_file));
  a.push_back(number_attribute("fit_calibration_coefficients", NC_DOUBLE, h.coefficients));
  a.push_back(number_attribute("fit_initial_temperature", NC_FLOAT, {*h.initial_temperature}));
  a.push_back(number_attribute("fit_tolerance", NC_FLOAT, {*h.tolerance}));
  a.push_back(number_attribute("fit_maximum_iterations", NC_INT, {double(*h.max_iterations)}));
  a.push_back(number_attribute("fit_bin_limit", NC_INT, {double(*h.bin_limit)}));
  a.push_back(text_attribute("fit_filter", h.filtered ? "high-pass" : "none"));
  if (h.filtered) {
    a.push_back(number_attribute("fit_filter_order", NC_INT, {double(*h.filter_order)}));
    a.push_back(number_attribute("fit_filter_time_constant", NC_FLOAT, {*h.filter_time_constant}));
  }
  return a;
}

// The part of LINE after LABEL as one number of type T, or nothing.
template <typename T>
std::optional<T> number_after(std::string_view line, std::string_view label) {
  const std::string_view rest = trimmed(line.substr(label.size()));
  if constexpr (std::is_same_v<T, double>) {
    return real_of(rest);
  } else {
    return integer_of(rest);
  }
}

// Reads the header block of a pass that starts at LINES[AT] (its first line of asterisks) and
// leaves AT at its closing line of asterisks.
bool read_header_block(const std::string& path, const std::vector<std::string>& lines,
                       std::size_t& at, PassHeader& h, std::string& error) {
  const std::size_t start = at;
  const auto fail = [&](std::size_t line, const std::string& what) {
    error = path + ", line " + std::to_string(line + 1) + ": " + what;
    return false;
  };
  // The line after a label that announces a file name: the name (trailing blanks dropped).
  const auto name_after = [&](std::string& name) {
    if (at + 1 >= lines.size()) return false;
    name = trailing_trimmed(lines[++at]);
    return true;
  };
  for (++at; at < lines.size(); ++at) {
    const std::string_view line = trimmed(lines[at]);
    bool ok = true;
    if (starts_with(line, "*****")) {
      break;
    } else if (line == "Data to be fit from file:") {
      ok = name_after(h.data_file);
    } else if (starts_with(line, "Wavelengths fit from ")) {
      const auto w = words(line);
      ok = w.size() == 6 && w[4] == "TO";
      if (ok) h.W1 = real_of(w[3]), h.W2 = real_of(w[5]);
      ok = ok && h.W1 && h.W2;
    } else if (starts_with(line, "Number of points fit =")) {
      ok = (h.points = number_after<int32_t>(line, "Number of points fit =")).has_value();
    } else if (starts_with(line, "Files from ")) {
      const auto w = words(line);
      ok = w.size() == 5 && w[3] == "to";
      if (ok) h.first_scan = integer_of(w[2]), h.last_scan = integer_of(w[4]);
      ok = ok && h.first_scan && h.last_scan;
    } else if (line == "Rotational parameters from file:") {
      ok = name_after(h.line_file);
    } else if (line == "Initial state for Boltzmann" || line == "Final state for Boltzmann") {
      h.initial_state = line[0] == 'I';
    } else if (starts_with(line, "Number of rotational lines=")) {
      ok = (h.lines = number_after<int32_t>(line, "Number of rotational lines=")).has_value();
    } else if (line == "CAUTION, NO RESPONSE FILE") {
      h.response_said = true;
    } else if (line == "Response curve from file:") {
      h.response_said = ok = name_after(h.response_file);
    } else if (line == "Data masked with file:") {
      ok = name_after(h.mask_file);
    } else if (line == "Solar spectra from file:") {
      ok = name_after(h.solar_file) && !h.solar_file.empty();
    } else if (line == "Wavelength calibration from file:") {
      h.calibration_said = ok = name_after(h.calibration_file);
    } else if (line == "WAVELENGTH PARAMETERS=") {
      for (int k = 0; ok && k < 5; ++k) {
        const auto c = at + 1 < lines.size() ? real_of(trimmed(lines[++at])) : std::nullopt;
        ok = c.has_value();
        if (ok) h.coefficients.push_back(*c);
      }
    } else if (line == "DEFAULT PARAMETERS:") {
    } else if (starts_with(line, "INIT TEMP=")) {
      ok = (h.initial_temperature = number_after<double>(line, "INIT TEMP=")).has_value();
    } else if (starts_with(line, "FRAC ERR.=")) {
      ok = (h.tolerance = number_after<double>(line, "FRAC ERR.=")).has_value();
    } else if (starts_with(line, "MAX ITER =")) {
      ok = (h.max_iterations = number_after<int32_t>(line, "MAX ITER =")).has_value();
    } else if (starts_with(line, "BINLIM   =")) {
      ok = (h.bin_limit = number_after<int32_t>(line, "BINLIM   =")).has_value();
    } else if (line == "DATA HAS BEEN FILTERED") {
      h.filtered = true;
    } else if (starts_with(line, "ORDER=")) {
      ok = (h.filter_order = number_after<int32_t>(line, "ORDER=")).has_value();
    } else if (starts_with(line, "TIME CONST=")) {
      ok = (h.filter_time_constant = number_after<double>(line, "TIME CONST=")).has_value();
    } else {
      ok = false;
    }
    if (!ok) return fail(at, "not a line of the header block of a fit pass");
  }
  if (at >= lines.size()) return fail(start, "the header block of a fit pass does not end");
  // Every line a header block always has.
  const std::pair<bool, const char*> needed[] = {
      {!h.data_file.empty(), "Data to be fit from file:"},
      {h.W1.has_value(), "Wavelengths fit from"},
      {h.points.has_value(), "Number of points fit ="},
      {h.first_scan.has_value(), "Files from"},
      {!h.line_file.empty(), "Rotational parameters from file:"},
      {h.initial_state.has_value(), "Initial state (or Final state) for Boltzmann"},
      {h.lines.has_value(), "Number of rotational lines="},
      {h.response_said, "the response curve"},
      {h.calibration_said, "Wavelength calibration from file:"},
      {h.coefficients.size() == 5, "WAVELENGTH PARAMETERS="},
      {h.initial_temperature.has_value(), "INIT TEMP="},
      {h.tolerance.has_value(), "FRAC ERR.="},
      {h.max_iterations.has_value(), "MAX ITER ="},
      {h.bin_limit.has_value(), "BINLIM   ="},
      {!h.filtered || (h.filter_order && h.filter_time_constant), "ORDER= and TIME CONST="},
  };
  for (const auto& [present, label] : needed) {
    if (!present)
      return fail(start,
                  std::string("the header block of a fit pass has no line \"") + label + "\"");
  }
  return true;
}

// Reads the status report: the header block of every pass and the scans with fit values.
// A convergence line " FILE n CONVERGED AFTER i ITERATIONS, solar = T" (kelvoras, T or F) marks a
// scan with a line of fit values. kelvorn writes its convergence line " FILE n CONVERGED AFTER i
// ITERATIONS" before the tests that follow the iterations; a scan that fails them gets a warning
// about the same scan on the next line (" WARNING, A IS OF RANK k ON FILE n", " WARNING, NO
// DEGREES OF FREEDOM ON FILE n", ...) and no line of fit values.
bool read_report(const std::string& path, Report& report, std::string& error) {
  std::vector<std::string> lines;
  if (!read_lines(path, lines, error)) return false;
  const auto fail = [&](std::size_t at, const std::string& what) {
    error = path + ", line " + std::to_string(at + 1) + ": " + what;
    return false;
  };
  std::optional<Converged> candidate;  // a kelvorn convergence line not yet confirmed
  for (std::size_t at = 0; at < lines.size(); ++at) {
    const std::string_view line = trimmed(lines[at]);
    const auto w = words(line);
    if (candidate) {
      // A warning right after it about the same scan: the scan has no fit values.
      const bool warning =
          starts_with(line, "WARNING,") && !w.empty() && integer_of(w.back()) == candidate->scan;
      if (!warning) report.converged.push_back(*candidate);
      candidate.reset();
    }
    if (starts_with(line, "*****")) {
      PassHeader h;
      if (!read_header_block(path, lines, at, h, error)) return false;
      report.passes.push_back(std::move(h));
      continue;
    }
    if (w.size() < 6 || w[0] != "FILE" || w[2] != "CONVERGED" || w[3] != "AFTER") continue;
    if (report.passes.empty()) return fail(at, "a convergence line before the first header block");
    const auto scan = integer_of(w[1]);
    if (!scan) return fail(at, "a convergence line without a scan number");
    const Converged c{*scan, report.passes.size() - 1, at + 1};
    if (w.size() == 9 && w[5] == "ITERATIONS," && w[6] == "solar" && w[7] == "=" &&
        (w[8] == "T" || w[8] == "F")) {
      report.solar_item = true;
      report.converged.push_back(c);
    } else if (w.size() == 6 && w[5] == "ITERATIONS") {
      report.plain_item = true;
      candidate = c;
    } else {
      return fail(at, "not a convergence line");
    }
  }
  if (candidate) report.converged.push_back(*candidate);
  return true;
}

// ---------------------------------------------------------------------------------------------
// The fit values file.

// A field of a fit values line: its columns (from 1, inclusive) and the form of its number.
enum class Form { integer, fixed, general };
struct Field {
  const char* name;
  int first, last;
  Form form;
  bool time;  // day and hours: always a number, never asterisks
};

// The two layouts, field by field; a blank precedes every field.
constexpr Field kShort[] = {
    {"day", 2, 8, Form::integer, true},
    {"hours", 10, 20, Form::fixed, true},
    {"band intensity", 22, 32, Form::general, false},
    {"band intensity error", 34, 44, Form::general, false},
    {"temperature", 46, 54, Form::fixed, false},
    {"temperature error", 56, 64, Form::fixed, false},
    {"rms residual", 66, 76, Form::general, false},
};
constexpr Field kLong[] = {
    {"day", 2, 7, Form::integer, true},
    {"hours", 9, 19, Form::fixed, true},
    {"band intensity", 21, 31, Form::general, false},
    {"band intensity error", 33, 43, Form::general, false},
    {"temperature", 45, 53, Form::fixed, false},
    {"temperature error", 55, 63, Form::fixed, false},
    {"solar amplitude", 65, 75, Form::general, false},
    {"solar amplitude error", 77, 87, Form::general, false},
    {"rms residual", 89, 99, Form::general, false},
    {"sun elevation", 101, 108, Form::integer, false},
};
constexpr int kShortWidth = 76;
constexpr int kLongWidth = 108;

// One line of fit values; a field written as asterisks (too wide for it) has no value.
struct Row {
  std::size_t line = 0;  // in the fit values file, from 1
  bool long_layout = false;
  std::vector<std::optional<double>> values;  // in the layout's field order
};

// The number in FIELD of LINE (padded to its layout's width), or a message. A general-form field
// holds its number in its first 7 columns (fixed notation) or in all 11 (exponent notation);
// the other fields are right-aligned. Asterisks filling the field stand for a value too wide.
bool field_value(const std::string& line, const Field& f, std::optional<double>& value,
                 std::string& fault) {
  const std::string_view text = std::string_view(line).substr(f.first - 1, f.last - f.first + 1);
  value.reset();
  if (text.find_first_not_of('*') == std::string_view::npos) {
    if (f.time) fault = "is asterisks: the time of the scan is not known";
    return !f.time;
  }
  std::string_view body = text;
  if (f.form == Form::general && text.find_first_of("Ee") == std::string_view::npos) {
    if (!trimmed(text.substr(7)).empty()) {
      fault = "is not aligned (\"" + std::string(text) + "\")";
      return false;
    }
    body = text.substr(0, 7);
  }
  const std::string_view number = trimmed(body);
  if (number.empty() || body.back() == ' ' || number.find(' ') != std::string_view::npos) {
    fault = number.empty() ? "is blank" : "is not aligned (\"" + std::string(text) + "\")";
    return false;
  }
  if (f.form == Form::integer) {
    const auto n = integer_of(number);
    if (n) value = *n;
  } else {
    value = real_of(number);
  }
  if (!value) {
    fault = "is not a number (\"" + std::string(text) + "\")";
    return false;
  }
  return true;
}

// Reads the fit values file: one row per line; blank lines are skipped, trailing blanks may be
// missing. A line of neither layout, a separating column that is not blank or a field that is
// no number fails the whole file, with a message naming the line.
bool read_values(const std::string& path, std::vector<Row>& rows, std::string& error) {
  std::vector<std::string> lines;
  if (!read_lines(path, lines, error)) return false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string where = path + ", line " + std::to_string(i + 1) + ": ";
    std::string line = trailing_trimmed(lines[i]);
    if (line.empty()) continue;
    Row row;
    row.line = i + 1;
    const int width = static_cast<int>(line.size());
    if (width == kLongWidth) {
      row.long_layout = true;
    } else if (width > kShortWidth) {
      error = where + std::to_string(width) +
              " columns: neither the short layout (76 columns) nor the long one (108)";
      return false;
    }
    line.resize(row.long_layout ? kLongWidth : kShortWidth, ' ');
    int column = 1;  // the first column not yet checked
    for (const Field& f : row.long_layout ? std::span<const Field>(kLong) : kShort) {
      if (!trimmed(std::string_view(line).substr(column - 1, f.first - column)).empty()) {
        error = where + "column " + std::to_string(f.first - 1) + " is not blank";
        return false;
      }
      std::string fault;
      row.values.emplace_back();
      if (!field_value(line, f, row.values.back(), fault)) {
        error = where + f.name + " (columns " + std::to_string(f.first) + "-" +
                std::to_string(f.last) + ") " + fault;
        return false;
      }
      column = f.last + 1;
    }
    if (*row.values[0] < 1) {
      error = where + "day number before 1 January of year 1";
      return false;
    }
    rows.push_back(std::move(row));
  }
  return true;
}

// Pairs the rows with the report's scans: the k-th line of fit values belongs to the k-th
// scan with fit values in the report; the counts must agree, and every row must have the layout
// of its pass (long when solar spectra were loaded).
bool match_rows(const std::string& values_path, const std::string& report_path,
                const std::vector<Row>& rows, const Report& report, std::string& error) {
  if (rows.size() != report.converged.size()) {
    error = values_path + " holds " + std::to_string(rows.size()) + " lines of fit values, but " +
            report_path + " reports " + std::to_string(report.converged.size()) +
            " scans with fit values: not the status report of the same run?";
    return false;
  }
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Converged& c = report.converged[k];
    const bool solar = report.passes[c.pass].solar();
    if (rows[k].long_layout != solar) {
      error = values_path + ", line " + std::to_string(rows[k].line) + ": the " +
              (rows[k].long_layout ? "long" : "short") + " layout, but scan " +
              std::to_string(c.scan) + " (" + report_path + ", line " + std::to_string(c.line) +
              ") was fitted " + (solar ? "with" : "without") + " solar spectra";
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The netCDF file.

// A netCDF file being written: every call through check(), the first failure kept as a message.
class NcWriter {
 public:
  int id = -1;
  std::string error;

  bool check(int status, const std::string& what) {
    if (status != NC_NOERR && error.empty()) error = what + ": " + nc_strerror(status);
    return status == NC_NOERR;
  }
  void text(int var, const std::string& name, const std::string& value) {
    check(nc_put_att_text(id, var, name.c_str(), value.size(), value.c_str()), name);
  }
  void attribute(int var, const Attribute& a) {
    const std::size_t n = a.numbers.size();
    switch (a.type) {
      case NC_CHAR:
        text(var, a.name, a.text);
        break;
      case NC_INT: {
        std::vector<int> v(a.numbers.begin(), a.numbers.end());
        check(nc_put_att_int(id, var, a.name.c_str(), NC_INT, n, v.data()), a.name);
        break;
      }
      case NC_FLOAT: {
        std::vector<float> v(a.numbers.begin(), a.numbers.end());
        check(nc_put_att_float(id, var, a.name.c_str(), NC_FLOAT, n, v.data()), a.name);
        break;
      }
      default:
        check(nc_put_att_double(id, var, a.name.c_str(), NC_DOUBLE, n, a.numbers.data()), a.name);
    }
  }
  // A variable along DIMS (none for a scalar) with its text attributes, name and value pairs.
  int variable(const std::string& name, nc_type type, const std::vector<int>& dims,
               const std::vector<std::pair<std::string, std::string>>& texts) {
    int var = -1;
    if (!check(nc_def_var(id, name.c_str(), type, static_cast<int>(dims.size()), dims.data(), &var),
               name))
      return -1;
    for (const auto& [attribute_name, value] : texts) text(var, attribute_name, value);
    return var;
  }
};

// A data variable of the rows: its name, type, attributes and the field it takes.
struct Quantity {
  const char* name;
  nc_type type;
  const char* long_name;
  const char* units;
  std::size_t short_field;  // index in the short layout (none for the long layout's own)
  std::size_t long_field;
  const char* ancillary;  // the variable of its standard error, or nullptr
  double scale;           // applied to the field's value
};

constexpr std::size_t kNone = ~std::size_t{0};
constexpr const char* kPerResponse =
    "divided by the mean of the instrument response (units of the spectra over units of the "
    "response)";

const Quantity kQuantities[] = {
    {"rotational_temperature", NC_DOUBLE, "rotational temperature", "K", 4, 4,
     "rotational_temperature_error", 1.0},
    {"rotational_temperature_error", NC_DOUBLE, "standard error of the rotational temperature", "K",
     5, 5, nullptr, 1.0},
    {"band_intensity", NC_FLOAT, "band intensity", "1", 2, 2, "band_intensity_error", 1.0},
    {"band_intensity_error", NC_FLOAT, "standard error of the band intensity", "1", 3, 3, nullptr,
     1.0},
    {"rms_residual", NC_FLOAT, "root-mean-square residual of the fit", "1", 6, 8, nullptr, 1.0},
    {"solar_amplitude", NC_FLOAT, "amplitude of the scattered sunlight spectrum", "1", kNone, 6,
     "solar_amplitude_error", 1.0},
    {"solar_amplitude_error", NC_FLOAT, "standard error of the solar amplitude", "1", kNone, 7,
     nullptr, 1.0},
    {"sun_elevation", NC_DOUBLE, "elevation of the sun above the horizon at the site", "degree",
     kNone, 9, nullptr, 1.0 / 3600.0},
};

struct Site {
  double latitude = 0.0;        // degrees north
  double longitude_west = 0.0;  // degrees, positive west
  double altitude = 0.0;        // metres
};

struct Export {
  std::string values_path, report_path, command;
  std::optional<Site> site;
  std::string created;  // ISO 8601, UTC
};

// "YYYY-MM-DD" of day number DAY.
std::string date_of(int32_t day) {
  int32_t year = 0, month = 0, mday = 0;
  fts::JULGR2(day, year, month, mday);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, mday);
  return text;
}

// Writes the rows and attributes into the open file W.
void write_contents(NcWriter& w, const Export& ex, const Report& report,
                    const std::vector<Row>& rows) {
  const std::size_t n = rows.size();
  bool any_long = false;
  int32_t first_day = kDay2000;
  for (std::size_t k = 0; k < n; ++k) {
    any_long = any_long || rows[k].long_layout;
    const auto day = static_cast<int32_t>(*rows[k].values[0]);
    first_day = k == 0 ? day : std::min(first_day, day);
  }

  // Global attributes.
  const std::string program = report.solar_item && !report.plain_item   ? "kelvoras"
                              : report.plain_item && !report.solar_item ? "kelvorn"
                                                                        : "kelvoras or kelvorn";
  const std::string version(fts::cmdline::version());
  w.text(NC_GLOBAL, "Conventions", "CF-1.8");
  w.text(NC_GLOBAL, "title", "Rotational temperatures of the airglow fitted by " + program);
  w.text(NC_GLOBAL, "source", program + ", FTS airglow reduction suite " + version);
  w.text(NC_GLOBAL, "history", ex.created + " " + ex.command);
  w.text(NC_GLOBAL, "date_created", ex.created);
  w.text(NC_GLOBAL, "fts_version", version);
  w.text(NC_GLOBAL, "fit_program", program);
  w.text(NC_GLOBAL, "fit_values_file", ex.values_path);
  w.text(NC_GLOBAL, "status_report_file", ex.report_path);
  if (ex.site) {
    const double east = -ex.site->longitude_west;
    char text[160];
    std::snprintf(text, sizeof text, "%.6g %c, %.6g %c, %.6g m above sea level",
                  std::fabs(ex.site->latitude), ex.site->latitude < 0 ? 'S' : 'N', std::fabs(east),
                  east < 0 ? 'W' : 'E', ex.site->altitude);
    w.text(NC_GLOBAL, "site", text);
  }
  w.attribute(NC_GLOBAL, number_attribute("fit_passes", NC_INT, {double(report.passes.size())}));
  std::vector<std::vector<Attribute>> passes;
  for (const PassHeader& h : report.passes) passes.push_back(pass_attributes(h));
  for (const Attribute& a : merged(passes)) w.attribute(NC_GLOBAL, a);

  // Dimension, coordinates and data variables.
  int dim = -1;
  w.check(nc_def_dim(w.id, "time", n, &dim), "time");
  const std::vector<int> dims = {dim};
  const int time = w.variable("time", NC_DOUBLE, dims,
                              {{"standard_name", "time"},
                               {"long_name", "middle of the acquisition of the spectrum"},
                               {"units", "hours since " + date_of(first_day) + " 00:00:00"},
                               {"calendar", "proleptic_gregorian"},
                               {"axis", "T"}});
  const int scan =
      w.variable("scan", NC_INT, dims, {{"long_name", "number of the scan in the data file"}});
  const bool passes_column = report.passes.size() > 1;
  const int pass = passes_column ? w.variable("fit_pass", NC_INT, dims,
                                              {{"long_name", "fit pass of the status report"}})
                                 : -1;
  std::string coordinates = "scan";
  int lat = -1, lon = -1, alt = -1;
  if (ex.site) {
    coordinates += " lat lon alt";
    lat = w.variable("lat", NC_DOUBLE, {},
                     {{"standard_name", "latitude"},
                      {"long_name", "latitude of the site"},
                      {"units", "degrees_north"}});
    lon = w.variable("lon", NC_DOUBLE, {},
                     {{"standard_name", "longitude"},
                      {"long_name", "longitude of the site"},
                      {"units", "degrees_east"}});
    alt = w.variable("alt", NC_DOUBLE, {},
                     {{"standard_name", "altitude"},
                      {"long_name", "altitude of the site above sea level"},
                      {"units", "m"},
                      {"positive", "up"}});
  }
  std::vector<std::pair<const Quantity*, int>> quantities;
  for (const Quantity& q : kQuantities) {
    if (q.short_field == kNone && !any_long) continue;
    std::vector<std::pair<std::string, std::string>> texts = {{"long_name", q.long_name},
                                                              {"units", q.units}};
    if (std::string_view(q.units) == "1") texts.emplace_back("comment", kPerResponse);
    if (std::string_view(q.name) == "sun_elevation")
      texts.emplace_back("standard_name", "solar_elevation_angle");
    if (q.ancillary) texts.emplace_back("ancillary_variables", q.ancillary);
    texts.emplace_back("coordinates", coordinates);
    const int var = w.variable(q.name, q.type, dims, texts);
    if (var < 0) return;
    if (q.type == NC_FLOAT) {
      const float fill = NC_FILL_FLOAT;
      w.check(nc_put_att_float(w.id, var, "_FillValue", NC_FLOAT, 1, &fill), q.name);
    } else {
      const double fill = NC_FILL_DOUBLE;
      w.check(nc_put_att_double(w.id, var, "_FillValue", NC_DOUBLE, 1, &fill), q.name);
    }
    quantities.emplace_back(&q, var);
  }
  if (!w.error.empty() || !w.check(nc_enddef(w.id), "end of definitions")) return;

  // Values.
  if (ex.site) {
    const double east = -ex.site->longitude_west;
    w.check(nc_put_var_double(w.id, lat, &ex.site->latitude), "lat");
    w.check(nc_put_var_double(w.id, lon, &east), "lon");
    w.check(nc_put_var_double(w.id, alt, &ex.site->altitude), "alt");
  }
  if (n == 0) return;
  const std::size_t start = 0;
  std::vector<double> hours(n);
  std::vector<int> scans(n), pass_numbers(n);
  for (std::size_t k = 0; k < n; ++k) {
    const auto day = static_cast<int32_t>(*rows[k].values[0]);
    hours[k] = static_cast<double>(day - first_day) * 24.0 + *rows[k].values[1];
    scans[k] = report.converged[k].scan;
    pass_numbers[k] = static_cast<int>(report.converged[k].pass) + 1;
  }
  w.check(nc_put_vara_double(w.id, time, &start, &n, hours.data()), "time");
  w.check(nc_put_vara_int(w.id, scan, &start, &n, scans.data()), "scan");
  if (passes_column)
    w.check(nc_put_vara_int(w.id, pass, &start, &n, pass_numbers.data()), "fit_pass");
  for (const auto& [q, var] : quantities) {
    std::vector<double> doubles(n, NC_FILL_DOUBLE);
    std::vector<float> floats(n, NC_FILL_FLOAT);
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t field = rows[k].long_layout ? q->long_field : q->short_field;
      if (field == kNone || !rows[k].values[field]) continue;
      doubles[k] = *rows[k].values[field] * q->scale;
      floats[k] = static_cast<float>(doubles[k]);
    }
    if (q->type == NC_FLOAT) {
      w.check(nc_put_vara_float(w.id, var, &start, &n, floats.data()), q->name);
    } else {
      w.check(nc_put_vara_double(w.id, var, &start, &n, doubles.data()), q->name);
    }
  }
}

// Renames FROM to TO unless TO exists (then errno is EEXIST). A file system that cannot rename so
// gets a hard link and the removal of FROM.
bool rename_new(const fs::path& from, const fs::path& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (link(from.c_str(), to.c_str()) != 0) return false;
  unlink(from.c_str());
  return true;
}

// Writes the export into OUT: first under a temporary name in the same folder, renamed to OUT
// at the end unless OUT has appeared meanwhile. Nothing is left behind on failure.
bool write_file(const fs::path& out, const Export& ex, const Report& report,
                const std::vector<Row>& rows, std::string& error) {
  const fs::path temporary = out.string() + "." + std::to_string(getpid()) + ".tmp";
  NcWriter w;
  if (!w.check(nc_create(temporary.c_str(), NC_NETCDF4 | NC_NOCLOBBER, &w.id),
               "cannot create " + temporary.string())) {
    error = w.error;
    return false;
  }
  write_contents(w, ex, report, rows);
  w.check(nc_close(w.id), "closing " + temporary.string());
  if (w.error.empty() && !rename_new(temporary, out)) {
    w.error = out.string() + ": " +
              (errno == EEXIST ? std::string("exists; it is not overwritten")
                               : std::string("cannot be created: ") + std::strerror(errno));
  }
  if (!w.error.empty()) {
    std::remove(temporary.c_str());
    error = w.error;
    return false;
  }
  return true;
}

// The site of --site: "LAT,LON,ALT", longitude positive west.
bool parse_site(const std::string& text, Site& site) {
  std::vector<double> v;
  std::size_t at = 0;
  for (;;) {
    const std::size_t comma = text.find(',', at);
    const auto x = real_of(trimmed(std::string_view(text).substr(
        at, comma == std::string::npos ? std::string::npos : comma - at)));
    if (!x) return false;
    v.push_back(*x);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  if (v.size() != 3 || std::fabs(v[0]) > 90.0 || std::fabs(v[1]) > 360.0) return false;
  site = {v[0], v[1] > 180.0 ? v[1] - 360.0 : v[1] < -180.0 ? v[1] + 360.0 : v[1], v[2]};
  return true;
}

std::string utc_now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "fit2nc: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Export ex;
  std::optional<std::string> out;
  ex.command = "fit2nc";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("fit2nc (FTS airglow reduction suite) %s\n",
                  std::string(fts::cmdline::version()).c_str());
      return 0;
    }
    const bool known = arg == "--values" || arg == "--report" || arg == "--out" || arg == "--site";
    if (!known || i + 1 >= argc) {
      std::fprintf(stderr, "fit2nc: bad argument \"%s\"\n%s", arg.c_str(), kUsage);
      return 2;
    }
    const std::string value = argv[++i];
    ex.command += " " + arg + " " + value;
    if (arg == "--values") {
      ex.values_path = value;
    } else if (arg == "--report") {
      ex.report_path = value;
    } else if (arg == "--out") {
      out = value;
    } else {
      Site site;
      if (!parse_site(value, site)) {
        std::fprintf(stderr, "fit2nc: --site wants LAT,LON,ALT in degrees and metres, not \"%s\"\n",
                     value.c_str());
        return 2;
      }
      ex.site = site;
    }
  }
  if (ex.values_path.empty() || ex.report_path.empty() || !out) {
    std::fprintf(stderr, "fit2nc: --values, --report and --out are needed\n%s", kUsage);
    return 2;
  }

  // An existing name, even a folder or a link to nothing, is never written over.
  struct stat st {};
  if (lstat(out->c_str(), &st) == 0) return fail(*out + " exists; it is not overwritten");
  const fs::path folder = fs::path(*out).parent_path();
  if (!folder.empty() && (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
    return fail(*out + ": there is no folder " + folder.string());

  std::string error;
  Report report;
  std::vector<Row> rows;
  if (!read_values(ex.values_path, rows, error)) return fail(error);
  if (!read_report(ex.report_path, report, error)) return fail(error);
  if (report.passes.empty())
    return fail(ex.report_path + ": no header block of a fit pass: not a status report?");
  if (!match_rows(ex.values_path, ex.report_path, rows, report, error)) return fail(error);
  ex.created = utc_now();
  if (!write_file(*out, ex, report, rows, error)) return fail(error);
  return 0;
}
