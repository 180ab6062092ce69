// bench_fit: whole runs of kelvorn and kelvoras on a generated night, in scans per second, beside
// a yardstick measured in the same run: the two per-point dot products of the band model over
// the same coefficient lists, as plain scalar float loops, times the mean iteration count.
//
// The night: 200 spectra of 4096 points (0.25 cm-1 apart, resolution 1 cm-1, Kaiser-Bessel
// window 3) made by the test helpers' forward model from 400 lines spread evenly over the range,
// about 8 lines within the line-shape cut-off of each point (BINLIM 10), with noise; for
// kelvoras a solar spectra file of one spectrum and a solar term in every scan. The files are
// written once into a temporary folder and removed at the end. A run is the program itself
// (fit::run) with its answers on a replaced standard input and its log captured; the best of a
// few runs counts. Times are processor times of the process.
//
// Usage: ./build/bench/bench_fit [runs]   (default 3 runs per program; an argument that is no
// number, such as the test command's --benchmark_min_time=0, makes it one run). The verdict is
// printed, never turned into a failure: figures on a shared machine are not judged by a test.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "fit/driver.hpp"
#include "fit/inputs.hpp"
#include "fit/model.hpp"
#include "fit/run.hpp"
#include "fixtures.hpp"
#include "fts/textio.hpp"

namespace {

namespace fs = std::filesystem;
namespace fc = fit::cases;
namespace fw = fts::forward;
namespace textio = fts::textio;

// Processor time of the process: the machine is shared, and wall-clock time would count the
// time others take.
struct Clock {
  using time_point = double;
  static double now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
  }
};

constexpr int32_t kScans = 200;
constexpr int32_t kPoints = 4096;
constexpr int32_t kLines = 400;
constexpr double kFirst = 6000.0;

double seconds_since(Clock::time_point start) {
  return Clock::now() - start;
}

struct Files {
  fs::path dir;
  fc::Night night;
};

// Writes the night's data, line and solar files into a fresh temporary folder.
Files make_files() {
  Files f;
  f.dir = fs::temp_directory_path() / ("bench_fit_" + std::to_string(getpid()));
  fs::create_directories(f.dir);
  fc::Night& n = f.night;
  n.interval = 0.25;
  n.res = 1.0;
  n.window = 3;
  n.margin = 20;
  n.first = kFirst;
  n.last = kFirst + (kPoints - 1) * n.interval;
  n.lines = fc::even_lines(kLines, n.first, n.last);
  n.solar_keys = {0};
  std::vector<fc::ScanPlan> scans;
  for (int32_t k = 0; k < kScans; ++k) {
    fc::ScanPlan s;
    s.T = 180.0 + 10.0 * std::sin(0.05 * k);
    s.BI = 1000.0 + 2.0 * k;
    s.SA = 50.0;
    s.noise = 0.5;
    s.minute = k;
    scans.push_back(s);
  }
  if (!fc::write_night(f.dir / "night.dat", n, scans) ||
      !fc::write_lines(f.dir / "lines.txt", n.lines) || !fc::write_solar(f.dir / "solar.dat", n)) {
    std::fprintf(stderr, "bench_fit: cannot write the night into %s\n", f.dir.c_str());
    std::exit(1);
  }
  return f;
}

// The answers of a run over every scan of the night, the fit range the whole axis but its
// margins (the answers are one line each).
std::string answers(const Files& f, fit::Variant variant) {
  const fw::Grid g = f.night.grid();
  std::vector<std::string> lines = {(f.dir / "status.txt").string(),
                                    (f.dir / "values.txt").string(),
                                    "n",
                                    "n",
                                    (f.dir / "night.dat").string(),
                                    std::to_string(g.at(f.night.margin + 1)),
                                    "1",
                                    "",
                                    ""};
  lines[5].append(" ").append(std::to_string(g.at(f.night.margin + kPoints)));
  lines[6].append(",").append(std::to_string(kScans));
  if (variant == fit::Variant::kelvoras) {
    lines.push_back((f.dir / "solar.dat").string());
    lines.push_back("n");
  }
  for (const std::string& line :
       {std::string(), (f.dir / "lines.txt").string(), std::string("f"), std::string("0,0")}) {
    lines.push_back(line);
  }
  std::string a;
  for (const std::string& line : lines) a.append(line).append("\n");
  return a;
}

struct RunFigures {
  double seconds = std::numeric_limits<double>::infinity();  // best run
  int32_t converged = 0;
  int64_t iterations = 0;
};

// Runs the program RUNS times; the best time counts.
RunFigures time_program(const Files& f, fit::Variant variant, int runs) {
  RunFigures r;
  for (int i = 0; i < runs; ++i) {
    fs::remove(f.dir / "status.txt");
    fs::remove(f.dir / "values.txt");
    textio::StringLineSource input(answers(f, variant));
    const textio::ReplaceInput replace(input);
    const textio::CaptureOutput log;
    const Clock::time_point start = Clock::now();
    fit::run(variant);
    r.seconds = std::min(r.seconds, seconds_since(start));
  }
  std::FILE* status = std::fopen((f.dir / "status.txt").c_str(), "r");
  char line[256];
  while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
    int32_t scan = 0, iterations = 0;
    if (std::sscanf(line, " FILE %d CONVERGED AFTER %d", &scan, &iterations) == 2) {
      ++r.converged;
      r.iterations += iterations;
    }
  }
  if (status != nullptr) std::fclose(status);
  return r;
}

// The two dot products of every point, A(i) = sum c P and D(i) = sum c P E over its list, as a
// plain scalar loop: the compiler is asked not to use vector instructions here.
__attribute__((noinline, optimize("no-tree-vectorize"))) void scalar_dots(
    const fit::CoefficientLists& lists, const float* P, const float* E, float* A, float* D) {
  for (int32_t i = 1; i <= lists.points(); ++i) {
    const std::span<const float> coef = lists.coefficients(i);
    const std::size_t f0 = static_cast<std::size_t>(lists.first(i) - 1);
    float a = 0.0f, d = 0.0f;
    for (std::size_t k = 0; k < coef.size(); ++k) {
      const float t = coef[k] * P[f0 + k];
      a = a + t;
      d = d + t * E[f0 + k];
    }
    A[i - 1] = a;
    D[i - 1] = d;
  }
}

// The yardstick: one pass of the two per-point dot products over the coefficient lists of the
// night's layout, as plain scalar float loops; the best of many passes, in seconds.
double yardstick_pass(const Files& f) {
  const fc::Night& n = f.night;
  fw::ScanItems items;
  items.axis = n.axis();
  const fts::Header AHDR = fw::spectrum_header(items);
  auto table = std::make_unique<fit::LineTable>();
  std::FILE* file = std::fopen((f.dir / "lines.txt").c_str(), "r");
  textio::FileLineSource source(file);
  const std::array<double, 5> c = {1.0, 0.0, 0.0, 0.0, 0.0};
  fit::read_line_table(source, c, *table);
  std::fclose(file);
  const fw::Grid g = n.grid();
  std::vector<double> W;
  for (int32_t i = n.margin + 1; i <= n.margin + kPoints; ++i) W.push_back(g.at(i));
  std::vector<float> P(fit::kMaxRecords), A(W.size()), D(W.size());
  float N1 = 0, N2 = 0;
  fit::NORMA(table->NORMAL, N1, N2, P, fit::tfac_of(180.0f));
  fit::CoefficientLists lists;
  lists.build(AHDR, 10, W, *table, c, P, A);

  double best = std::numeric_limits<double>::infinity();
  float sink = 0.0f;
  for (int pass = 0; pass < 200; ++pass) {
    const Clock::time_point start = Clock::now();
    scalar_dots(lists, P.data(), table->NORMAL.E.data(), A.data(), D.data());
    best = std::min(best, seconds_since(start));
    sink += A[static_cast<std::size_t>(pass % lists.points())] + D[0];
  }
  std::printf("coefficient lists: %d points, %zu entries (%.1f per point)\n", lists.points(),
              lists.entries(), static_cast<double>(lists.entries()) / lists.points());
  if (sink == 12345.0f) std::printf("\n");  // keeps the loops
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  std::printf("bench_fit: %d scans of %d points, %d lines; best of %d runs\n", kScans, kPoints,
              kLines, runs);
  const Files files = make_files();
  const double pass = yardstick_pass(files);
  std::printf("yardstick pass (two scalar dot products per point): %.1f us\n", pass * 1e6);

  bool fast_enough = true;
  const char* only = std::getenv("BENCH_FIT_ONLY");
  for (const fit::Variant variant : {fit::Variant::kelvorn, fit::Variant::kelvoras}) {
    if (only != nullptr && (std::string(only) == "kelvorn") != (variant == fit::Variant::kelvorn)) {
      continue;
    }
    const char* name = variant == fit::Variant::kelvorn ? "kelvorn " : "kelvoras";
    const RunFigures r = time_program(files, variant, runs);
    const double mean_iterations =
        r.converged > 0 ? static_cast<double>(r.iterations) / r.converged : 0.0;
    const double per_scan = r.seconds / kScans;
    const double yardstick = pass * mean_iterations;
    const double ratio = yardstick > 0 ? per_scan / yardstick : 0.0;
    std::printf(
        "%s: %8.1f scans/s, %.1f us per scan, %d of %d converged, %.2f iterations per scan; "
        "yardstick %.1f us per scan; %.2f yardsticks per scan\n",
        name, kScans / r.seconds, per_scan * 1e6, r.converged, kScans, mean_iterations,
        yardstick * 1e6, ratio);
    if (ratio > 3.0) fast_enough = false;
  }
  std::printf("%s\n",
              fast_enough ? "within 3 yardsticks per scan" : "SLOWER THAN 3 YARDSTICKS PER SCAN");
  std::error_code ec;
  if (std::getenv("BENCH_FIT_KEEP") == nullptr) fs::remove_all(files.dir, ec);
  return 0;
}
