// bench_fit: whole runs of kelvorn and kelvoras on generated nights, in scans per second, beside
// a yardstick measured in the same run: the two per-point dot products of the band model over
// the same coefficient lists, as plain scalar float loops, times the mean iteration count.
//
// Two nights, each of 200 spectra made by the test helpers' forward model (resolution 1 cm-1,
// points 0.25 cm-1 apart, Kaiser-Bessel window 3, BINLIM 10, noise), with a solar spectra file of
// one spectrum and a solar term in every scan for kelvoras:
//   large  4096 points, 400 lines spread evenly over the range (about 9 lines per point's list)
//   small  1452 points, 53 lines (about 3 per list)
// The files are written once into a temporary folder and removed at the end. A run is the program
// itself (fit::run) with its answers on a replaced standard input and its log captured, timed in
// processor time of the process; the median of the runs counts, and so does the median of the
// yardstick's passes. The time of the runs is also split into reading the scans, rebuilding the
// coefficient lists (with the starting fit), the rest of the iterations, the least-squares solves
// (HFTI, COVAR) and writing the report lines (wall-clock time, the median per scan).
//
// Last, the built programs themselves are started as processes: the time to their first prompt,
// and the time of a whole run over the first scan of the small night (wall-clock, median of
// several starts).
//
// Usage: ./build/bench/bench_fit [runs]   (default 5 runs per program and night; an argument
// that is no number, such as the test command's --benchmark_min_time=0, makes it one run). The
// verdicts are printed, never turned into a failure: figures on a shared machine are not judged
// by a test.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
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
#include "fit/timing.hpp"
#include "fixtures.hpp"
#include "fts/detail/wide.hpp"
#include "fts/textio.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace fc = fit::cases;
namespace fw = fts::forward;
namespace textio = fts::textio;

// Processor time of the process: the machine is shared, and wall-clock time would count the
// time others take.
double cpu_now() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double wall_now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

constexpr int32_t kScans = 200;

// One night of the benchmark.
struct NightPlan {
  const char* name;
  int32_t points;
  int32_t lines;
  double first;
};
constexpr NightPlan kNights[] = {{"large", 4096, 400, 6000.0}, {"small", 1452, 53, 6500.0}};

struct Files {
  fs::path dir;
  NightPlan plan{};
  fc::Night night;
};

// Writes a night's data, line and solar files into the folder DIR.
Files make_files(const fs::path& dir, const NightPlan& plan) {
  Files f;
  f.dir = dir;
  f.plan = plan;
  fs::create_directories(f.dir);
  fc::Night& n = f.night;
  n.interval = 0.25;
  n.res = 1.0;
  n.window = 3;
  n.margin = 20;
  n.first = plan.first;
  n.last = plan.first + (plan.points - 1) * n.interval;
  n.lines = fc::even_lines(plan.lines, n.first, n.last);
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

// The answers of a run over the scans FIRST to LAST of a night, the fit range the whole axis but
// its margins (the answers are one line each).
std::string answers(const Files& f, fit::Variant variant, int32_t first = 1,
                    int32_t last = kScans) {
  const fw::Grid g = f.night.grid();
  std::vector<std::string> lines = {(f.dir / "status.txt").string(),
                                    (f.dir / "values.txt").string(),
                                    "n",
                                    "n",
                                    (f.dir / "night.dat").string(),
                                    std::to_string(g.at(f.night.margin + 1)),
                                    std::to_string(first),
                                    "",
                                    ""};
  lines[5].append(" ").append(std::to_string(g.at(f.night.margin + f.plan.points)));
  lines[6].append(",").append(std::to_string(last));
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
  double seconds = 0.0;  // median run
  int32_t converged = 0;
  int64_t iterations = 0;
  fit::TimeSplit split;  // the scans of all runs
};

// Runs the program RUNS times.
RunFigures time_program(const Files& f, fit::Variant variant, int runs) {
  RunFigures r;
  std::vector<double> times;
  fit::measure_time(&r.split);
  for (int i = 0; i < runs; ++i) {
    fs::remove(f.dir / "status.txt");
    fs::remove(f.dir / "values.txt");
    textio::StringLineSource input(answers(f, variant));
    const textio::ReplaceInput replace(input);
    const textio::CaptureOutput log;
    const double start = cpu_now();
    fit::run(variant);
    times.push_back(cpu_now() - start);
  }
  fit::measure_time(nullptr);
  r.seconds = median(times);
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

// The time split of the runs: the median per scan of each figure, except the rebuild, whose
// median over the scans that rebuilt is spread over all scans.
void print_split(const fit::TimeSplit& split) {
  using T = fit::TimeSplit;
  const auto figure = [&](T::Figure f, bool only_nonzero) {
    std::vector<double> v;
    for (const T::Times& t : split.scans) {
      if (!only_nonzero || t[f] != 0.0) v.push_back(t[f]);
    }
    return std::pair<double, std::size_t>(median(v), v.size());
  };
  const auto [rebuild, rebuilds] = figure(T::rebuild, true);
  const double spread = split.scans.empty() ? 0.0
                                            : rebuild * static_cast<double>(rebuilds) /
                                                  static_cast<double>(split.scans.size());
  std::printf(
      "    split, us per scan (median): load %.1f, rebuild %.1f (%.0f us each, %zu of %zu scans), "
      "iterations %.1f, least squares %.1f, output %.1f\n",
      figure(T::load, false).first * 1e6, spread * 1e6, rebuild * 1e6, rebuilds, split.scans.size(),
      figure(T::iterations, false).first * 1e6, figure(T::least_squares, false).first * 1e6,
      figure(T::output, false).first * 1e6);
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
// night's layout, as plain scalar float loops; the median of many passes, in seconds.
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
  for (int32_t i = n.margin + 1; i <= n.margin + f.plan.points; ++i) W.push_back(g.at(i));
  std::vector<float> P(fit::kMaxRecords), A(W.size()), D(W.size());
  float N1 = 0, N2 = 0;
  fit::NORMA(table->NORMAL, N1, N2, P, fit::tfac_of(180.0f));
  fit::CoefficientLists lists;
  lists.build(AHDR, 10, W, *table, c, P, A);

  std::vector<double> passes;
  float sink = 0.0f;
  for (int pass = 0; pass < 201; ++pass) {
    const double start = cpu_now();
    scalar_dots(lists, P.data(), table->NORMAL.E.data(), A.data(), D.data());
    passes.push_back(cpu_now() - start);
    sink += A[static_cast<std::size_t>(pass % lists.points())] + D[0];
  }
  std::printf(
      "%s night: %d scans of %d points, %d lines; coefficient lists %zu entries (%.1f per "
      "point)\n",
      f.plan.name, kScans, f.plan.points, f.plan.lines, lists.entries(),
      static_cast<double>(lists.entries()) / lists.points());
  if (sink == 12345.0f) std::printf("\n");  // keeps the loops
  return median(passes);
}

// ---------------------------------------------------------------------------------------------
// The programs as processes.

// A started program with pipes to its standard input and from its standard output.
struct Child {
  pid_t pid = -1;
  int in = -1;   // write end: the program's standard input
  int out = -1;  // read end: its standard output
};

Child spawn(const std::string& program) {
  Child c;
  int to[2], from[2];
  if (pipe(to) != 0 || pipe(from) != 0) return c;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, to[0], 0);
  posix_spawn_file_actions_adddup2(&actions, from[1], 1);
  posix_spawn_file_actions_addclose(&actions, to[1]);
  posix_spawn_file_actions_addclose(&actions, from[0]);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};
  if (posix_spawn(&c.pid, program.c_str(), &actions, nullptr, argv, environ) != 0) c.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(to[0]);
  close(from[1]);
  c.in = to[1];
  c.out = from[0];
  return c;
}

// Reads the program's output to its end and waits for it; false when it did not end normally.
bool finish(Child& c) {
  if (c.in >= 0) close(c.in);
  char buffer[4096];
  while (read(c.out, buffer, sizeof buffer) > 0) {
  }
  close(c.out);
  int status = 0;
  waitpid(c.pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Seconds from the start of PROGRAM to the first character of its first prompt.
double time_to_first_prompt(const std::string& program) {
  const double start = wall_now();
  Child c = spawn(program);
  if (c.pid < 0) return std::numeric_limits<double>::quiet_NaN();
  char first = 0;
  const bool got = read(c.out, &first, 1) == 1;
  const double t = wall_now() - start;
  finish(c);  // end of input: the program ends with its termination lines
  return got ? t : std::numeric_limits<double>::quiet_NaN();
}

// Seconds of a whole run of PROGRAM with the answers ANSWERS.
double time_of_run(const std::string& program, const std::string& answers, const Files& f) {
  fs::remove(f.dir / "status.txt");
  fs::remove(f.dir / "values.txt");
  const double start = wall_now();
  Child c = spawn(program);
  if (c.pid < 0) return std::numeric_limits<double>::quiet_NaN();
  const bool written =
      write(c.in, answers.data(), answers.size()) == static_cast<ssize_t>(answers.size());
  close(c.in);
  c.in = -1;
  const bool ended = finish(c);
  const double t = wall_now() - start;
  return written && ended ? t : std::numeric_limits<double>::quiet_NaN();
}

void time_processes(const Files& small, int starts) {
  for (const fit::Variant variant : {fit::Variant::kelvorn, fit::Variant::kelvoras}) {
    const bool kn = variant == fit::Variant::kelvorn;
    const std::string program = kn ? FTS_KELVORN_PATH : FTS_KELVORAS_PATH;
    std::vector<double> prompt, one;
    for (int i = 0; i < starts; ++i) {
      prompt.push_back(time_to_first_prompt(program));
      one.push_back(time_of_run(program, answers(small, variant, 1, 1), small));
    }
    const double p = median(prompt), o = median(one);
    std::printf(
        "%s process: start-up to the first prompt %.2f ms, a one-scan run of the small "
        "night %.2f ms (median of %d)%s\n",
        kn ? "kelvorn " : "kelvoras", p * 1e3, o * 1e3, starts,
        p < 5e-3 && o < 5e-3 ? "" : "  OVER 5 MS");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::printf("bench_fit: vector instructions in use: %s; median of %d runs per program\n",
              fts::detail::wide_build(), runs);
  const fs::path root = fs::temp_directory_path() / ("bench_fit_" + std::to_string(getpid()));
  const char* only = std::getenv("BENCH_FIT_ONLY");
  std::vector<Files> nights;
  for (const NightPlan& plan : kNights) nights.push_back(make_files(root / plan.name, plan));

  for (const Files& files : nights) {
    const double pass = yardstick_pass(files);
    std::printf("  yardstick pass (two scalar dot products per point): %.1f us\n", pass * 1e6);
    for (const fit::Variant variant : {fit::Variant::kelvorn, fit::Variant::kelvoras}) {
      const bool kn = variant == fit::Variant::kelvorn;
      if (only != nullptr && (std::string(only) == "kelvorn") != kn) continue;
      const char* name = kn ? "kelvorn " : "kelvoras";
      const RunFigures r = time_program(files, variant, runs);
      const double mean_iterations =
          r.converged > 0 ? static_cast<double>(r.iterations) / r.converged : 0.0;
      const double per_scan = r.seconds / kScans;
      const double yardstick = pass * mean_iterations;
      const double ratio = yardstick > 0 ? per_scan / yardstick : 0.0;
      std::printf(
          "  %s: %8.0f scans/s, %6.1f us per scan, %d of %d converged, %.2f iterations per scan; "
          "yardstick %.1f us per scan; %.2f yardsticks per scan\n",
          name, kScans / r.seconds, per_scan * 1e6, r.converged, kScans, mean_iterations,
          yardstick * 1e6, ratio);
      print_split(r.split);
      if (std::string(files.plan.name) == "large") {
        const double target = kn ? 1.0 : 1.5;
        std::printf("    target on the large night: at most %.1f yardsticks per scan: %s\n", target,
                    ratio <= target ? "met" : "NOT MET");
      }
    }
  }
  time_processes(nights.back(), runs > 1 ? 11 : 3);

  std::error_code ec;
  if (std::getenv("BENCH_FIT_KEEP") == nullptr) fs::remove_all(root, ec);
  return 0;
}
