// report_test: the header block, the notes of a scan and both fit values layouts.
#include "fit/report.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace fit {
namespace {

std::string name(const std::string& text) {
  std::string n = text;
  n.resize(kNameLength, ' ');
  return n;
}

// ---------------------------------------------------------------------------------------------
// Fit values.

TEST(ValuesLine, ShortLayoutHas76Columns) {
  FitValues v;
  v.day = 739000;
  v.hours = 21.5f;
  v.BIn = 1234.567f;
  v.sBIn = 0.0123456f;
  v.T = 187.12345f;
  v.sT = 1.5f;
  v.rmsn = 0.0f;
  const std::string line = values_line(false, v);
  EXPECT_EQ(line, "  739000 21.50000000   1235.      1.2346E-02  187.1234    1.5000   0.000    ");
  EXPECT_EQ(line.size(), 76u);
}

TEST(ValuesLine, LongLayoutHas108ColumnsWithTheSolarValuesAndTheSunAngle) {
  FitValues v;
  v.day = 739000;
  v.hours = 3.25f;
  v.BIn = 0.5f;
  v.sBIn = 0.001f;
  v.T = -12.0f;
  v.sT = 0.25f;
  v.SAn = 123456.0f;
  v.sSAn = 9.0f;
  v.rmsn = 12.0f;
  v.sun_angle = -43200;
  const std::string line = values_line(true, v);
  EXPECT_EQ(line,
            " 739000   3.2500000  0.5000      1.0000E-03  -12.0000    0.2500  1.2346E+05   "
            "9.000       12.00       -43200");
  EXPECT_EQ(line.size(), 108u);
}

TEST(ValuesLine, ValuesTooWideForTheirFieldsBecomeAsterisks) {
  FitValues v;
  v.day = 12345678;
  v.hours = 1.0f;
  v.T = 1e7f;
  v.sT = -123456.0f;
  const std::string line = values_line(false, v);
  EXPECT_EQ(line.substr(1, 7), "*******");
  EXPECT_EQ(line.substr(45, 9), "*********");
  EXPECT_EQ(line.substr(55, 9), "*********");
  EXPECT_EQ(line.size(), 76u);
  v.sun_angle = 123456789;
  EXPECT_EQ(values_line(true, v).substr(100), "********");
}

// ---------------------------------------------------------------------------------------------
// Notes of a scan.

TEST(OutcomeLines, FollowTheResultAndTheProgram) {
  struct Case {
    const char* name;
    Variant variant;
    Outcome outcome;
    std::vector<std::string> expected;
  };
  const auto outcome = [](Result r, bool rebuilt, bool converged, bool solar) {
    Outcome o;
    o.result = r;
    o.rebuilt = rebuilt;
    o.converged = converged;
    o.solar_on = solar;
    o.iterations = 4;
    o.KRANK = 1;
    o.BI = 0.0f;
    o.TFAC = 0.0079935165f;
    o.sicor = -0.25f;
    return o;
  };
  const Case kCases[] = {
      {"kelvoras converged, lists built",
       Variant::kelvoras,
       outcome(Result::converged, true, true, true),
       {"  MUST OPEN SCRATCH FILE ON FILE  7",
        "  FILE   7 CONVERGED AFTER   4 ITERATIONS, solar = T"}},
      {"kelvoras converged without the solar term",
       Variant::kelvoras,
       outcome(Result::converged, false, true, false),
       {"  FILE   7 CONVERGED AFTER   4 ITERATIONS, solar = F"}},
      {"kelvorn converged",
       Variant::kelvorn,
       outcome(Result::converged, false, true, false),
       {"  FILE   7 CONVERGED AFTER   4 ITERATIONS"}},
      {"kelvoras rank",
       Variant::kelvoras,
       outcome(Result::rank_deficient, false, true, false),
       {"  WARNING, A IS OF RANK   1 ON FILE   7"}},
      {"kelvorn rank: converged first",
       Variant::kelvorn,
       outcome(Result::rank_deficient, false, true, false),
       {"  FILE   7 CONVERGED AFTER   4 ITERATIONS", "  WARNING, A IS OF RANK   1 ON FILE   7"}},
      {"kelvoras zero",
       Variant::kelvoras,
       outcome(Result::zero_parameter, false, false, true),
       {"  WARNING, BI=  0.00000 TFAC=  7.993517E-03 sicor= -0.250000 ON FILE   7"}},
      {"kelvorn zero",
       Variant::kelvorn,
       outcome(Result::zero_parameter, false, false, false),
       {"  WARNING, BI=  0.00000 TFAC=  7.993517E-03 ON FILE   7"}},
      {"overflow",
       Variant::kelvorn,
       outcome(Result::overflow, false, false, false),
       {"  WARNING, BAND NORMAL. OVERFLOW ON FILE  7"}},
      {"iteration limit",
       Variant::kelvoras,
       outcome(Result::iteration_limit, true, false, false),
       {"  MUST OPEN SCRATCH FILE ON FILE  7", "  MAXIMUM ITERATION COUNT EXCEEDED ON FILE   7"}},
      {"no degrees of freedom, kelvorn",
       Variant::kelvorn,
       outcome(Result::no_freedom, false, true, false),
       {"  FILE   7 CONVERGED AFTER   4 ITERATIONS",
        "  WARNING, NO DEGREES OF FREEDOM ON FILE  7"}},
      {"not finite",
       Variant::kelvoras,
       outcome(Result::not_finite, false, false, false),
       {"  WARNING, FIT NOT FINITE ON FILE  7"}},
      {"line shape",
       Variant::kelvorn,
       outcome(Result::line_shape_undefined, false, false, false),
       {"  WARNING, LINE SHAPE UNDEFINED ON FILE  7"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(outcome_lines(c.variant, 7, c.outcome), c.expected);
  }
}

TEST(MismatchLines, ReportTheSectionAgainstThePass) {
  Mismatch m;
  m.scan = 12;
  m.points = 37;
  m.N = 40;
  m.interval = 0.25;
  m.reference_interval = 0.5;
  m.first = 6000.25;
  m.reference_first = 6000.0;
  m.last = 6009.25;
  m.W2 = 6019.5;
  EXPECT_EQ(mismatch_lines(m), (std::vector<std::string>{
                                   "  ERROR ON INPUT, FILE=  12",
                                   "   37 points read, not  40",
                                   "  slope=  0.250000000000000 was   0.500000000000000",
                                   "  offset=  6000.25000000000 was  6000.00000000000",
                                   "  swnf  =  6009.25000000000 was  6019.50000000000",
                               }));
  EXPECT_EQ(eof_line(5), "  EOF REACHED, SCAN   5");
}

// ---------------------------------------------------------------------------------------------
// Header block.

TEST(HeaderBlock, ListsTheInputsOfThePass) {
  auto pass = std::make_unique<Pass>();
  pass->grid.set(6000.5, 6100.25, 0.25, 400);
  pass->first_scan = 1;
  pass->last_scan = 20;
  pass->response.curve = true;
  pass->response.curve_file = name("resp.dat");
  pass->response.mask = true;
  pass->response.mask_file = name("mask.txt");
  pass->solar.loaded = true;
  pass->solar.file = name("sun.dat");
  pass->cal.file = name("");
  pass->cal.c = {1.0001, 0.5, 0.0, 0.0, -2e-20};
  LineTable table;
  table.file = name("lines.txt");
  table.initial_state = false;
  table.NORMAL.L = 42;
  Filter filter{true, 4, 12.5f};
  const std::vector<std::string> lines =
      header_block(name("night.dat"), *pass, table, Settings{}, filter);
  const std::vector<std::string> expected = {
      "  *********************************",
      "  Data to be fit from file:",
      name("night.dat"),
      "  Wavelengths fit from   6000.50000000000 TO   6100.25000000000",
      "  Number of points fit =  400",
      "  Files from   1 to   20",
      "  Rotational parameters from file:",
      name("lines.txt"),
      "  Final state for Boltzmann",
      "  Number of rotational lines=  42",
      "  Response curve from file:",
      name("resp.dat"),
      "  Data masked with file:",
      name("mask.txt"),
      "  Solar spectra from file:",
      name("sun.dat"),
      "  Wavelength calibration from file:",
      name(""),
      "  WAVELENGTH PARAMETERS=",
      "   1.00010000000000",
      "   0.500000000000000",
      "   0.00000000000000",
      "   0.00000000000000",
      "  -2.000000000000000E-020",
      "  DEFAULT PARAMETERS:",
      "         INIT TEMP=  180.000",
      "         FRAC ERR.=  1.000000E-03",
      "         MAX ITER =  10",
      "         BINLIM   =  10",
      "  DATA HAS BEEN FILTERED",
      "       ORDER=       4",
      "       TIME CONST=  12.5000",
      "  *********************************",
  };
  EXPECT_EQ(lines, expected);
  // Without response, mask and solar spectra.
  pass->response.curve = pass->response.mask = pass->solar.loaded = false;
  table.initial_state = true;
  const std::vector<std::string> bare =
      header_block(name("night.dat"), *pass, table, Settings{}, Filter{});
  EXPECT_EQ(bare[8], "  Initial state for Boltzmann");
  EXPECT_EQ(bare[10], " CAUTION, NO RESPONSE FILE ");
  EXPECT_EQ(bare[11], "  Wavelength calibration from file:");
  EXPECT_EQ(bare.size(), 25u);
}

}  // namespace
}  // namespace fit
