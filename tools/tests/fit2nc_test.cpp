// End-to-end tests of fit2nc: the example night's fit values of kelvoras and kelvorn exported to
// netCDF (ncdump -h shows the variables and attributes, and every value reads back as the text
// file has it), scan numbers taken from the convergence lines over several passes, and bad input
// refused with a message naming the line and no file left behind.
#include <gtest/gtest.h>
#include <netcdf.h>
#include <sys/wait.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fts/cmdline.hpp"
#include "fts/ftscaldr.hpp"
#include "fts_testing/run.hpp"

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;

struct Result {
  int status = -1;
  std::string output;  // standard output and error
};

// PATH in single quotes, for the shell.
std::string quoted(const fs::path& path) {
  std::string q = "'";
  q += path.string();
  q += '\'';
  return q;
}

// Runs COMMAND (an executable and its arguments, quoted as needed) in folder DIR.
Result run_in(const fs::path& dir, const std::string& command) {
  const fs::path log = dir.parent_path() / (dir.filename().string() + ".log");
  const std::string line = "cd " + quoted(dir) + " && " + command + " > " + quoted(log) + " 2>&1";
  const int status = std::system(line.c_str());
  Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ft::read_file(log)};
  fs::remove(log);
  return r;
}

Result fit2nc(const fs::path& dir, const std::string& args) {
  return run_in(dir, quoted(ft::program("fit2nc")) + " " + args);
}

// The files of folder DIR, by name.
std::set<std::string> listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  return names;
}

// The blank-separated numbers of every line of a text file.
std::vector<std::vector<double>> numbers_of(const fs::path& path) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(ft::read_file(path));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> row;
    for (std::string f; fields >> f;) row.push_back(std::stod(f));
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

// Whether TEXT holds LABEL followed by a time "YYYY-MM-DDThh:mm:ssZ".
bool is_utc_time(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  if (at == std::string::npos) return false;
  const std::string time = text.substr(at + label.size(), 20);
  const std::string form = "####-##-##T##:##:##Z";
  if (time.size() != form.size()) return false;
  for (std::size_t i = 0; i < form.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(time[i])) != 0;
    if (form[i] == '#' ? !digit : time[i] != form[i]) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reading a netCDF file back with the C library.

class NcFile {
 public:
  explicit NcFile(const fs::path& path) {
    EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id_), NC_NOERR) << path;
  }
  ~NcFile() {
    if (id_ >= 0) nc_close(id_);
  }
  NcFile(const NcFile&) = delete;
  NcFile& operator=(const NcFile&) = delete;

  bool has(const std::string& name) const {
    int var = -1;
    return nc_inq_varid(id_, name.c_str(), &var) == NC_NOERR;
  }
  // Every value of variable NAME as doubles (a scalar gives one).
  std::vector<double> values(const std::string& name) const {
    const int var = varid(name);
    int ndims = 0;
    nc_inq_varndims(id_, var, &ndims);
    std::size_t n = 1;
    if (ndims == 1) {
      int dim = -1;
      nc_inq_vardimid(id_, var, &dim);
      nc_inq_dimlen(id_, dim, &n);
    }
    std::vector<double> v(n);
    if (n > 0) {
      EXPECT_EQ(nc_get_var_double(id_, var, v.data()), NC_NOERR) << name;
    }
    return v;
  }
  // The text attribute NAME of variable VARIABLE (empty for a global attribute).
  std::string text(const std::string& variable, const std::string& name) const {
    const int var = variable.empty() ? NC_GLOBAL : varid(variable);
    std::size_t len = 0;
    if (nc_inq_attlen(id_, var, name.c_str(), &len) != NC_NOERR) return "(none)";
    std::string s(len, '\0');
    nc_get_att_text(id_, var, name.c_str(), s.data());
    return s;
  }
  std::vector<double> numbers(const std::string& name) const {
    std::size_t len = 0;
    EXPECT_EQ(nc_inq_attlen(id_, NC_GLOBAL, name.c_str(), &len), NC_NOERR) << name;
    std::vector<double> v(len);
    nc_get_att_double(id_, NC_GLOBAL, name.c_str(), v.data());
    return v;
  }

 private:
  int varid(const std::string& name) const {
    int var = -1;
    EXPECT_EQ(nc_inq_varid(id_, name.c_str(), &var), NC_NOERR) << name;
    return var;
  }
  int id_ = -1;
};

// Day number and hours of every time of FILE, from its units "hours since YYYY-MM-DD 00:00:00".
std::vector<std::pair<int32_t, double>> day_hours(const NcFile& file) {
  const std::string units = file.text("time", "units");
  int year = 0, month = 0, mday = 0;
  char rest[16] = "";
  EXPECT_EQ(std::sscanf(units.c_str(), "hours since %4d-%2d-%2d %15s", &year, &month, &mday, rest),
            4)
      << units;
  EXPECT_STREQ(rest, "00:00:00") << units;
  int32_t day0 = 0;
  fts::GRJUL2(year, month, mday, day0);
  std::vector<std::pair<int32_t, double>> out;
  for (const double t : file.values("time")) {
    const double days = std::floor(t / 24.0);
    out.emplace_back(day0 + static_cast<int32_t>(days), t - days * 24.0);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// The example night, made once: gen_night, then kelvoras and kelvorn with its answer files.

class Fit2nc : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    night_ = new ft::TempDir();
    const fs::path dir = night_->path() / "night";
    const Result gen =
        run_in(night_->path(), quoted(ft::program("gen_night")) + " --settings " +
                                   quoted(ft::source_path("examples/night.txt")) + " --out night");
    ASSERT_EQ(gen.status, 0) << gen.output;
    for (const std::string program : {"kelvoras", "kelvorn"}) {
      const auto run =
          ft::run_program(ft::program(program), ft::read_file(dir / (program + ".ans")), dir);
      ASSERT_EQ(run.exit_status, 0);
      ASSERT_TRUE(fs::exists(dir / (program + ".fit"))) << run.output;
    }
  }
  static void TearDownTestSuite() {
    delete night_;
    night_ = nullptr;
  }
  static fs::path night() { return night_->path() / "night"; }

  ft::TempDir dir_;  // the test's own folder

 private:
  static ft::TempDir* night_;
};

ft::TempDir* Fit2nc::night_ = nullptr;

// The variables of a file of the short layout, and those the long layout adds.
const std::vector<std::string> kShortVariables = {"rotational_temperature",
                                                  "rotational_temperature_error", "band_intensity",
                                                  "band_intensity_error", "rms_residual"};
const std::vector<std::string> kLongVariables = {"solar_amplitude", "solar_amplitude_error",
                                                 "sun_elevation"};

TEST_F(Fit2nc, ExportsTheExampleNightWithEveryValueAsTheTextHasIt) {
  for (const std::string program : {"kelvoras", "kelvorn"}) {
    SCOPED_TRACE(program);
    const bool solar = program == "kelvoras";
    for (const std::string file : {".fit", ".rep"})
      fs::copy_file(night() / (program + file), dir_ / (program + file));
    const std::string out = program + ".nc";
    const Result r =
        fit2nc(dir_.path(), "--values " + program + ".fit --report " + program + ".rep --out " +
                                out + (solar ? " --site 48.0,-11.0,1000" : ""));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "");

    // ncdump -h: the coordinate, every variable with its units and long name, the error
    // variables linked, the conventions and the provenance.
    const Result dump = run_in(dir_.path(), std::string(FTS_NCDUMP) + " -h " + out);
    ASSERT_EQ(dump.status, 0) << dump.output;
    std::vector<std::string> expected = {
        "double time(time) ;",
        "time:standard_name = \"time\" ;",
        "time:units = \"hours since 2023-11-15 00:00:00\" ;",
        "time:calendar = \"proleptic_gregorian\" ;",
        "int scan(time) ;",
        "rotational_temperature:units = \"K\" ;",
        "rotational_temperature:ancillary_variables = \"rotational_temperature_error\" ;",
        "band_intensity:ancillary_variables = \"band_intensity_error\" ;",
        ":Conventions = \"CF-1.8\" ;",
        ":source = \"" + program + ", FTS airglow reduction suite " +
            std::string(fts::cmdline::version()) + "\" ;",
        ":fts_version = \"" + std::string(fts::cmdline::version()) + "\" ;",
        ":fit_values_file = \"" + program + ".fit\" ;",
        ":status_report_file = \"" + program + ".rep\" ;",
        ":fit_data_file = \"night.scn\" ;",
        ":fit_scan_range = 1, 72 ;",
        ":fit_points = 563 ;",
        ":fit_line_parameter_file = \"lines.txt\" ;",
        ":fit_boltzmann_state = \"initial\" ;",
        ":fit_response_file = \"response.scn\" ;",
        ":fit_mask_file = \"mask.txt\" ;",
        ":fit_calibration_file = \"calib.txt\" ;",
        ":fit_initial_temperature = 180.f ;",
        ":fit_tolerance = 0.001f ;",
        ":fit_maximum_iterations = 10 ;",
        ":fit_bin_limit = 10 ;",
    };
    std::vector<std::string> variables = kShortVariables;
    if (solar) {
      variables.insert(variables.end(), kLongVariables.begin(), kLongVariables.end());
      expected.insert(
          expected.end(),
          {"double lat ;", "lat:units = \"degrees_north\" ;", "lon:units = \"degrees_east\" ;",
           "alt:units = \"m\" ;", ":site = \"48 N, 11 E, 1000 m above sea level\" ;",
           "solar_amplitude:ancillary_variables = \"solar_amplitude_error\" ;",
           ":fit_solar_spectra_file = \"solar.scn\" ;"});
    } else {
      expected.push_back(":fit_solar_spectra_file = \"\" ;");
    }
    for (const std::string& v : variables) {
      expected.push_back(v + ":units = ");
      expected.push_back(v + ":long_name = ");
    }
    for (const std::string& line : expected)
      EXPECT_NE(dump.output.find(line), std::string::npos) << line << "\n" << dump.output;
    for (const std::string& v : kLongVariables)
      EXPECT_EQ(dump.output.find(v + "(time)") != std::string::npos, solar) << v;
    EXPECT_TRUE(is_utc_time(dump.output, ":date_created = \"")) << dump.output;

    // The values, read back with the library, against the text: day and hours to the printed
    // decimals, the others exactly as the text's numbers held in the variable's type.
    const auto text = numbers_of(dir_ / (program + ".fit"));
    const NcFile nc(dir_ / out);
    const auto times = day_hours(nc);
    ASSERT_EQ(times.size(), text.size());
    const double hours_unit = solar ? 1e-7 : 1e-8;
    std::vector<double> scans = nc.values("scan");
    for (std::size_t k = 0; k < text.size(); ++k) {
      SCOPED_TRACE("line " + std::to_string(k + 1));
      EXPECT_EQ(times[k].first, text[k][0]);
      EXPECT_NEAR(times[k].second, text[k][1], 0.5 * hours_unit + 1e-12);
      EXPECT_EQ(scans[k], static_cast<double>(k + 1));  // every scan of the night converged
    }
    const std::vector<std::pair<std::string, std::size_t>> columns =
        solar
            ? std::vector<std::pair<std::string, std::size_t>>{{"band_intensity", 2},
                                                               {"band_intensity_error", 3},
                                                               {"rotational_temperature", 4},
                                                               {"rotational_temperature_error", 5},
                                                               {"solar_amplitude", 6},
                                                               {"solar_amplitude_error", 7},
                                                               {"rms_residual", 8}}
            : std::vector<std::pair<std::string, std::size_t>>{{"band_intensity", 2},
                                                               {"band_intensity_error", 3},
                                                               {"rotational_temperature", 4},
                                                               {"rotational_temperature_error", 5},
                                                               {"rms_residual", 6}};
    for (const auto& [name, column] : columns) {
      const std::vector<double> v = nc.values(name);
      const bool as_float = name.find("temperature") == std::string::npos;
      for (std::size_t k = 0; k < text.size(); ++k) {
        const double want = as_float ? double(float(text[k][column])) : text[k][column];
        EXPECT_EQ(v[k], want) << name << ", line " << k + 1;
      }
    }
    if (solar) {
      const std::vector<double> sun = nc.values("sun_elevation");
      for (std::size_t k = 0; k < text.size(); ++k)
        EXPECT_EQ(std::lround(sun[k] * 3600.0), std::lround(text[k][9])) << "line " << k + 1;
      EXPECT_EQ(nc.values("lat"), std::vector<double>{48.0});
      EXPECT_EQ(nc.values("lon"), std::vector<double>{11.0});
      EXPECT_EQ(nc.values("alt"), std::vector<double>{1000.0});
    }
    EXPECT_FALSE(nc.has("fit_pass"));
  }
}

// ---------------------------------------------------------------------------------------------
// Reports written here: the header block of a pass as the fit programs write it.

std::string header_block(int first, int last, bool solar) {
  std::string b =
      "  *********************************\n"
      "  Data to be fit from file:\n"
      "night.scn                                                       \n"
      "  Wavelengths fit from   6374.01262054499 TO   6655.01317692609\n"
      "  Number of points fit =  563\n"
      "  Files from   " +
      std::to_string(first) + " to   " + std::to_string(last) +
      "\n"
      "  Rotational parameters from file:\n"
      "lines.txt                                                       \n"
      "  Final state for Boltzmann\n"
      "  Number of rotational lines=  155\n"
      " CAUTION, NO RESPONSE FILE \n";
  if (solar)
    b += "  Solar spectra from file:\n"
         "solar.scn                                                       \n";
  b += "  Wavelength calibration from file:\n"
       "                                                                \n"
       "  WAVELENGTH PARAMETERS=\n"
       "   1.00000000000000\n"
       "   0.00000000000000\n"
       "   0.00000000000000\n"
       "   0.00000000000000\n"
       "   0.00000000000000\n"
       "  DEFAULT PARAMETERS:\n"
       "         INIT TEMP=  180.000\n"
       "         FRAC ERR.=  1.000000E-03\n"
       "         MAX ITER =  10\n"
       "         BINLIM   =  10\n"
       "  DATA HAS BEEN FILTERED\n"
       "       ORDER=       " +
       std::to_string(first == 1 ? 2 : 4) +
       "\n"
       "       TIME CONST=  20.0000\n"
       "  *********************************\n";
  return b;
}

const std::string kShortLine =
    "  738839 16.21119690   7895.       545.7      348.3203   32.5100   54.02    \n";
const std::string kLongLine =
    " 738839  16.2111969   3160.       33.05      190.6207    2.2992   59.55      0.1965       "
    "4.162       -21606\n";

TEST_F(Fit2nc, TakesScanNumbersFromTheConvergenceLinesOfEveryPass) {
  // kelvorn: a converged scan that then fails its rank test has no line of fit values; a pass
  // that goes back in the file fits a scan again.
  ft::write_file(dir_ / "n.rep", header_block(1, 4, false) +
                                     "  MUST OPEN SCRATCH FILE ON FILE  1\n"
                                     "  FILE   1 CONVERGED AFTER   3 ITERATIONS\n"
                                     "  FILE   2 CONVERGED AFTER   2 ITERATIONS\n"
                                     "  WARNING, A IS OF RANK   1 ON FILE   2\n"
                                     "  MUST OPEN SCRATCH FILE ON FILE  3\n"
                                     "  MAXIMUM ITERATION COUNT EXCEEDED ON FILE   3\n"
                                     "  MUST OPEN SCRATCH FILE ON FILE  4\n"
                                     "  FILE   4 CONVERGED AFTER   2 ITERATIONS\n" +
                                     header_block(2, 2, false) +
                                     "  FILE   2 CONVERGED AFTER   2 ITERATIONS\n");
  ft::write_file(dir_ / "n.fit", kShortLine + kShortLine + kShortLine);
  // kelvoras over two passes, the first with solar spectra, the second without them: long and
  // short lines in one file; a value too wide for its field has none.
  ft::write_file(dir_ / "s.rep", header_block(1, 2, true) +
                                     "  FILE   1 CONVERGED AFTER   3 ITERATIONS, solar = T\n"
                                     "  FILE   2 CONVERGED AFTER   2 ITERATIONS, solar = F\n" +
                                     header_block(5, 5, false) +
                                     "  FILE   5 CONVERGED AFTER   4 ITERATIONS, solar = F\n");
  std::string wide = kLongLine;
  wide.replace(20, 11, "***********");
  ft::write_file(dir_ / "s.fit", kLongLine + wide + kShortLine);

  struct Case {
    const char* run;
    std::vector<double> scans, passes, scan_ranges, filter_orders;
  };
  const Case cases[] = {
      {"n", {1, 4, 2}, {1, 1, 2}, {1, 4, 2, 2}, {2, 4}},
      {"s", {1, 2, 5}, {1, 1, 2}, {1, 2, 5, 5}, {2, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.run);
    const std::string run = c.run;
    const Result r = fit2nc(
        dir_.path(), "--values " + run + ".fit --report " + run + ".rep --out " + run + ".nc");
    ASSERT_EQ(r.status, 0) << r.output;
    const NcFile nc(dir_ / (run + ".nc"));
    EXPECT_EQ(nc.values("scan"), c.scans);
    EXPECT_EQ(nc.values("fit_pass"), c.passes);
    EXPECT_EQ(nc.numbers("fit_passes"), std::vector<double>{2});
    EXPECT_EQ(nc.numbers("fit_scan_range"), c.scan_ranges);
    EXPECT_EQ(nc.numbers("fit_filter_order"), c.filter_orders);
    EXPECT_EQ(nc.numbers("fit_points"), std::vector<double>{563});  // the same in both passes
    EXPECT_EQ(nc.text("", "fit_boltzmann_state"), "final");
    EXPECT_EQ(nc.text("", "fit_program"), run == "n" ? "kelvorn" : "kelvoras");
    if (run == "s") {
      const std::vector<double> bi = nc.values("band_intensity");
      const std::vector<double> sa = nc.values("solar_amplitude");
      EXPECT_EQ(bi, (std::vector<double>{3160.0, NC_FILL_FLOAT, 7895.0}));
      EXPECT_EQ(sa, (std::vector<double>{59.55f, 59.55f, NC_FILL_FLOAT}));
      EXPECT_EQ(nc.text("", "fit_solar_spectra_file"), "solar.scn; ");
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Bad input: a message naming the fault, exit status 1, and no file written.

TEST_F(Fit2nc, RefusesBadInputAndLeavesNoFile) {
  const std::string fit = ft::read_file(night() / "kelvoras.fit");
  const std::string rep = ft::read_file(night() / "kelvoras.rep");
  const auto line_start = [&](int n) {  // offset of line N (from 1) of the fit values
    std::size_t at = 0;
    for (int i = 1; i < n; ++i) at = fit.find('\n', at) + 1;
    return at;
  };
  std::string letter = fit, shifted = fit, joined = fit, separator = fit;
  letter[line_start(3) + 23] = 'x';
  shifted.insert(shifted.begin() + static_cast<std::ptrdiff_t>(line_start(5)), ' ');
  separator[line_start(7) + 43] = '7';
  joined.erase(line_start(2) - 1, 1);

  struct Case {
    const char* name;
    std::string values, report;
    std::string message;
  };
  const Case cases[] = {
      {"letter in a number", letter, rep,
       "v.fit, line 3: band intensity (columns 21-31) is not a number"},
      {"line shifted", shifted, rep,
       "v.fit, line 5: 109 columns: neither the short layout (76 columns) nor the long one (108)"},
      {"separator", separator, rep, "v.fit, line 7: column 44 is not blank"},
      {"two lines joined", joined, rep, "v.fit, line 1: 216 columns"},
      {"another run's report", fit, ft::read_file(night() / "kelvorn.rep"),
       "v.fit, line 1: the long layout, but scan 1 (r.rep, line 30) was fitted without solar "
       "spectra"},
      {"a line missing", fit.substr(0, line_start(72)), rep,
       "v.fit holds 71 lines of fit values, but r.rep reports 72 scans with fit values"},
      {"not a report", fit, "hello\n", "r.rep: no header block of a fit pass"},
      {"report cut short", fit, rep.substr(0, rep.find("  DEFAULT")),
       "r.rep, line 1: the header block of a fit pass does not end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ft::TempDir dir;
    ft::write_file(dir / "v.fit", c.values);
    ft::write_file(dir / "r.rep", c.report);
    const Result r = fit2nc(dir.path(), "--values v.fit --report r.rep --out out.nc");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("fit2nc: " + c.message), std::string::npos) << r.output;
    EXPECT_EQ(listing(dir.path()), (std::set<std::string>{"v.fit", "r.rep"}));
  }
}

TEST_F(Fit2nc, NeverWritesOverAnExistingName) {
  for (const std::string program : {"kelvorn"}) {
    for (const std::string file : {".fit", ".rep"})
      fs::copy_file(night() / (program + file), dir_ / (program + file));
  }
  ft::write_file(dir_ / "night.nc", "keep me\n");
  fs::create_symlink("nowhere.nc", dir_ / "link.nc");
  fs::create_directory(dir_ / "folder.nc");
  for (const std::string out : {"night.nc", "link.nc", "folder.nc"}) {
    SCOPED_TRACE(out);
    const Result r = fit2nc(dir_.path(), "--values kelvorn.fit --report kelvorn.rep --out " + out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output, "fit2nc: " + out + " exists; it is not overwritten\n");
  }
  EXPECT_EQ(ft::read_file(dir_ / "night.nc"), "keep me\n");
  EXPECT_FALSE(fs::exists(dir_ / "nowhere.nc"));
  EXPECT_EQ(listing(dir_.path()), (std::set<std::string>{"kelvorn.fit", "kelvorn.rep", "night.nc",
                                                         "link.nc", "folder.nc"}));
}

}  // namespace
