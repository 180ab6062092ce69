// End-to-end tests of the demo's tools: fit_model gives back the model that kelvoras fitted (its
// residual has the rms of the fit values file, with and without the solar term, and the mask of
// the run), and refuses what it cannot model; night_table pairs fits with the truth by time and
// gives the mean and spread of (T - truth)/sigma, and its check passes a night whose error bars
// hold and fails one whose do not or whose scans were not all fitted.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "fts_testing/run.hpp"

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;

constexpr double kRmsDigits = 2e-3;  // the fit values file holds the rms to 4 digits
constexpr double kFloat = 1e-5;      // relative, values printed with 6 digits

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built tool NAME with ARGS (quoted where needed) in folder DIR.
Result run_tool(const std::string& name, const std::string& args, const fs::path& dir) {
  const fs::path out = dir / (name + ".out"), err = dir / (name + ".err");
  const std::string command = "cd '" + dir.string() + "' && '" + ft::program(name).string() + "' " +
                              args + " > '" + out.string() + "' 2> '" + err.string() + "'";
  const int status = std::system(command.c_str());
  Result r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ft::read_file(out);
  r.err = ft::read_file(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

std::vector<double> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> v;
  double x = 0.0;
  while (in >> x) v.push_back(x);
  return v;
}

// Field K (from 0) of line N (from 1) of a fit values file.
double fit_field(const std::string& fits, int n, std::size_t k) {
  std::istringstream in(fits);
  std::string line;
  for (int i = 0; i < n; ++i) std::getline(in, line);
  return numbers(line).at(k);
}

constexpr const char* kInputs =
    "--from 6374 --to 6655 --lines lines.txt --response response.scn --mask mask.txt "
    "--calib calib.txt";

}  // namespace

TEST(FitModel, GivesBackTheResidualOfTheFitWithAndWithoutTheSolarTerm) {
  const ft::TempDir dir;
  const fs::path night = dir / "night";
  ASSERT_EQ(run_tool("gen_night", "--out night --scans 10", dir.path()).status, 0);
  const ft::RunResult fit =
      ft::run_program(ft::program("kelvoras"), ft::read_file(night / "kelvoras.ans"), night);
  ASSERT_EQ(fit.exit_status, 0) << fit.output;
  const std::string fits = ft::read_file(night / "kelvoras.fit");

  // Scan 1, in twilight, with the solar term; the first scan that kelvoras fitted without it.
  struct Case {
    int scan;
    bool solar;
  };
  int dark = 1;
  while (dark < 10 && fit_field(fits, dark, 6) != 0.0) ++dark;
  ASSERT_LT(dark, 10);
  for (const Case c : {Case{1, true}, Case{dark, false}}) {
    SCOPED_TRACE(c.scan);
    const Result r = run_tool("fit_model",
                              "--data night.scn --scan " + std::to_string(c.scan) + " " + kInputs +
                                  " --solar solar.scn --values kelvoras.fit",
                              night);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fit_field(fits, c.scan, 6) > 0.0, c.solar);

    // The rms line against the fit values file.
    const std::size_t at = r.out.find("# rms of the residual / response mean: ");
    ASSERT_NE(at, std::string::npos) << r.out;
    const double rms = std::stod(r.out.substr(r.out.find(':', at) + 1));
    EXPECT_NEAR(rms, fit_field(fits, c.scan, 8), kRmsDigits * rms);

    // Every point: residual = data - model, model = band + solar; masked points carry no model.
    std::istringstream lines(r.out);
    std::string line;
    int points = 0, masked = 0;
    double solar = 0.0;
    while (std::getline(lines, line)) {
      if (line.empty() || line[0] == '#') continue;
      const std::vector<double> v = numbers(line);
      ASSERT_EQ(v.size(), 7u) << line;
      ++points;
      solar = std::max(solar, std::fabs(v[5]));
      if (v[6] == 1.0) {
        ++masked;
        EXPECT_EQ(v[2], 0.0) << line;
        EXPECT_EQ(v[3], 0.0) << line;
        continue;
      }
      const double scale = std::fabs(v[1]) + std::fabs(v[2]) + 1.0;
      EXPECT_NEAR(v[3], v[1] - v[2], kFloat * scale) << line;
      EXPECT_NEAR(v[2], v[4] + v[5], kFloat * scale) << line;
    }
    EXPECT_EQ(points, 563);
    EXPECT_EQ(masked, 20);
    EXPECT_EQ(solar > 0.0, c.solar);
  }

  // Typed values give the same model as the file's.
  const Result typed = run_tool("fit_model",
                                std::string("--data night.scn --scan 10 ") + kInputs +
                                    " --temperature " + std::to_string(fit_field(fits, 10, 4)) +
                                    " --intensity " + std::to_string(fit_field(fits, 10, 2)),
                                night);
  const Result from_file = run_tool(
      "fit_model", std::string("--data night.scn --scan 10 ") + kInputs + " --values kelvoras.fit",
      night);
  ASSERT_EQ(typed.status, 0) << typed.err;
  EXPECT_EQ(typed.out.substr(typed.out.find("\n# ")),
            from_file.out.substr(from_file.out.find("\n# ")));
}

TEST(FitModel, RefusesWhatItCannotModel) {
  const ft::TempDir dir;
  const fs::path night = dir / "night";
  ASSERT_EQ(run_tool("gen_night", "--out night --scans 2", dir.path()).status, 0);
  ft::write_file(night / "fits.txt",
                 " 738839  10.0000000   2000.   15.0   190.0000   1.5000   2.000\n");
  struct Case {
    std::string args;
    int status;
    const char* message;
  };
  const std::string data = std::string("--data night.scn ") + kInputs;
  const Case kCases[] = {
      {data + " --scan 1", 2, "the values are needed"},
      {data + " --scan 1 --temperature -5 --intensity 1", 2, "above 0 K"},
      {data + " --scan x --values fits.txt", 2, "bad scan number"},
      {data + " --scan 1 --colour red", 2, "unknown option"},
      {data + " --scan 3 --values fits.txt", 1, "no scan 3"},
      {data + " --scan 1 --values fits.txt", 1, "has the scan's time"},
      {data + " --scan 1 --values none.txt", 1, "cannot read the fit values file"},
      {"--data none.scn --scan 1 --from 6374 --to 6655 --lines lines.txt --temperature 190 "
       "--intensity 1",
       1, "cannot open the data file"},
      {"--data night.scn --scan 1 --from 6374 --to 6655 --lines none.txt --temperature 190 "
       "--intensity 1",
       1, "cannot open the line file"},
      {data + " --scan 1 --solar none.scn --values fits.txt", 1, "cannot open the solar"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.args);
    const Result r = run_tool("fit_model", c.args, night);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST(NightTable, PairsFitsWithTheTruthByTimeAndChecksTheErrorBars) {
  const ft::TempDir dir;
  // Three scans: two in twilight (solar amplitude above 0), one after.
  ft::write_file(
      dir / "truth.txt",
      "# scan day hours T BI SA sun_el key gain\n"
      "     1 738839  16.21119690  190.0000   3000.00000     50.00000   -21606 -21600     2\n"
      "     2 738839  16.29453087  192.0000   3000.00000     40.00000   -24424 -25200     2\n"
      "     3 738839  16.37786484  194.0000   3000.00000      0.00000   -27259 -28800     4\n");
  // kelvoras' long layout; (T - truth)/sigma = 1, -1 and 0 (mean 0, spread 1).
  const std::string line1 =
      " 738839  16.2111969   3160.       33.05      192.0000    2.0000   59.55      0.1965    "
      "   4.162       -21606\n";
  const std::string line2 =
      " 738839  16.2945309   3096.       32.78      190.0000    2.0000   45.00      0.1936    "
      "   4.099       -24424\n";
  const std::string line3 =
      " 738839  16.3778648   2971.       34.11      194.0000    2.5500   33.05      0.2017    "
      "   4.273       -27259\n";
  ft::write_file(dir / "all.fit", line3 + line1 + line2);  // any order
  ft::write_file(dir / "two.fit", line1 + line3);

  const Result all =
      run_tool("night_table", "--truth truth.txt --fit all.fit --every 2 --check", dir.path());
  EXPECT_EQ(all.status, 0) << all.out;
  EXPECT_NE(all.out.find("all.fit: 3 of 3 scans fitted"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("all                      3 scans   mean   0.00   spread  1.00"),
            std::string::npos)
      << all.out;
  EXPECT_NE(all.out.find("twilight (solar term)    2 scans   mean   0.00   spread  1.41"),
            std::string::npos)
      << all.out;
  // Rows of scans 1 and 3 only.
  EXPECT_NE(all.out.find("     1  16:12     192.00 +-  2.00     190.00        1.00"),
            std::string::npos)
      << all.out;
  EXPECT_EQ(all.out.find("     2  16:17"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("     3  16:22     194.00 +-  2.55     194.00        0.00"),
            std::string::npos)
      << all.out;

  // Errors half as large: a spread of 2.
  std::string wide = line1 + line2;
  for (std::size_t at = wide.find(" 2.0000"); at != std::string::npos; at = wide.find(" 2.0000"))
    wide.replace(at, 7, " 1.0000");
  ft::write_file(dir / "wide.fit", wide + line3);
  const Result spread =
      run_tool("night_table", "--truth truth.txt --fit wide.fit --every 0 --check", dir.path());
  EXPECT_EQ(spread.status, 1);
  EXPECT_NE(spread.out.find("mean   0.00   spread  2.00"), std::string::npos) << spread.out;
  EXPECT_NE(spread.out.find("every scan fitted: NO"), std::string::npos) << spread.out;
  EXPECT_EQ(spread.out.find("16:12"), std::string::npos) << spread.out;  // no rows

  const Result two = run_tool("night_table", "--truth truth.txt --fit two.fit --check", dir.path());
  EXPECT_EQ(two.status, 1);
  EXPECT_NE(two.out.find("two.fit: 2 of 3 scans fitted"), std::string::npos) << two.out;
  EXPECT_NE(two.out.find("     2  16:17    not fitted           192.00"), std::string::npos)
      << two.out;

  EXPECT_EQ(run_tool("night_table", "--truth none.txt --fit all.fit", dir.path()).status, 1);
  EXPECT_EQ(run_tool("night_table", "--fit all.fit", dir.path()).status, 2);
}
