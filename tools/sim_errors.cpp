// sim_errors: checks the fits' error bars by simulation. One spectrum of the example night (the
// night of gen_night, fts_night) is drawn with many realisations of its noise at several noise
// levels; kelvorn and kelvoras, run as built, fit every realisation, and the errors they give
// for the temperature and the band intensity are compared with the spread of the values they
// fit. Error bars that can be trusted have a spread equal to the mean error (ratio 1) and values
// whose mean is the truth (bias 0 within its standard error).
//
// Usage: sim_errors [--settings FILE] [--NAME VALUE ...] [--levels L1,L2,...]
//                   [--realisations R] [--cases kelvorn,kelvoras] [--bin FOLDER]
//                   [--keep FOLDER] [--check]
//
// Cases: kelvorn fits a scan after twilight (the middle scan of the night), kelvoras the first
// scan, in twilight, with its solar term. Every run fits a scan file of R realisations (the one
// spectrum, the same header, noise of the level's own stream of the seed) with the night's
// inputs and the answers gen_night writes. Per case and level one line: the realisations
// fitted, the mean error sigma_T, the spread (sample standard deviation) of T, their ratio, the
// bias mean(T) - truth with its standard error spread/sqrt(n), and the same for the band
// intensity.
//
// --check: exit status 1 unless every realisation of every row was fitted, both ratios lie
// within 0.85 to 1.15 and both biases within 3 standard errors. Exit status 1 also when a run
// fails; 2 for a bad command line.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "night.hpp"

namespace fs = std::filesystem;
namespace fw = fts::forward;

namespace {

constexpr const char* kUsage =
    R"(usage: sim_errors [--settings FILE] [--NAME VALUE ...] [--levels L1,L2,...]
                  [--realisations R] [--cases kelvorn,kelvoras] [--bin FOLDER]
                  [--keep FOLDER] [--check]

Draws R realisations (default 1000) of the noise of one spectrum of the example night at each
noise level (default 2,4,...,128: the noise setting of gen_night, per point of the raw data),
fits them with kelvorn (a scan after twilight) and kelvoras (the first scan, in twilight), and
prints per program and level the mean error of T, the spread of the fitted T, their ratio and
the bias with its standard error, and the same for the band intensity. The programs are those
of FOLDER (default: the folder of sim_errors). The runs work in a temporary folder, removed at
the end; --keep FOLDER (a new one) keeps them there. --check: exit status 1 unless every ratio
lies within 0.85 to 1.15 and every bias within 3 standard errors.

)";

constexpr double kRatioLow = 0.85;  // the limits of --check
constexpr double kRatioHigh = 1.15;
constexpr double kBiasErrors = 3.0;

struct Options {
  night::Settings settings;
  std::vector<double> levels = {2, 4, 8, 16, 32, 64, 128};
  int32_t realisations = 1000;
  std::vector<std::string> cases = {"kelvorn", "kelvoras"};
  fs::path bin;
  std::optional<fs::path> keep;
  bool check = false;
};

// The fitted values of one run.
struct Fitted {
  std::vector<double> T, sT, BI, sBI;
};

// Mean, sample standard deviation and standard error of the mean.
struct Stats {
  double mean = NAN, sd = NAN, se = NAN;
};
Stats stats(const std::vector<double>& x) {
  Stats s;
  if (x.size() < 2) return s;
  double sum = 0.0;
  for (double v : x) sum += v;
  s.mean = sum / static_cast<double>(x.size());
  double squares = 0.0;
  for (double v : x) squares += (v - s.mean) * (v - s.mean);
  s.sd = std::sqrt(squares / static_cast<double>(x.size() - 1));
  s.se = s.sd / std::sqrt(static_cast<double>(x.size()));
  return s;
}

bool number(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && errno == 0 && std::isfinite(value);
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// The command line into O; an empty string, else what is wrong with it.
std::string parse(int argc, char** argv, Options& o) {
  std::string error;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--check") {
      o.check = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0 || i + 1 >= argc) return "bad argument \"" + arg + "\"";
    const std::string name = arg.substr(2);
    const std::string value = argv[++i];
    if (name == "settings") {
      if (!night::read_settings_file(value, o.settings, error)) return error;
    } else if (name == "levels") {
      o.levels.clear();
      for (const std::string& part : split(value, ',')) {
        double x = 0.0;
        if (!number(part, x) || !(x > 0.0)) return "bad noise level \"" + part + "\"";
        o.levels.push_back(x);
      }
      if (o.levels.empty()) return "no noise level";
    } else if (name == "realisations") {
      double x = 0.0;
      if (!number(value, x) || x != std::floor(x) || x < 10 || x > 100000)
        return "the realisations are a count from 10 to 100000, not \"" + value + "\"";
      o.realisations = static_cast<int32_t>(x);
    } else if (name == "cases") {
      o.cases = split(value, ',');
      for (const std::string& c : o.cases)
        if (c != "kelvorn" && c != "kelvoras") return "unknown case \"" + c + "\"";
      if (o.cases.empty()) return "no case";
    } else if (name == "bin") {
      o.bin = value;
    } else if (name == "keep") {
      o.keep = value;
    } else if (!night::set(o.settings, name, value, error)) {
      return error;
    }
  }
  return "";
}

// Runs PROGRAM in FOLDER with the file INPUT there as standard input and LOG there as standard
// output and error; true when it ended with status 0.
bool run(const fs::path& program, const fs::path& folder, const std::string& input,
         const std::string& log) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int in = chdir(folder.c_str()) == 0 ? open(input.c_str(), O_RDONLY) : -1;
    const int out = in >= 0 ? open(log.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644) : -1;
    if (out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(127);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The fit values file PATH: T, BI and their errors of every line (either layout).
bool read_fits(const fs::path& path, Fitted& f) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::vector<double> v;
    std::string word;
    double x = 0.0;
    while (words >> word) v.push_back(number(word, x) ? x : NAN);
    if (v.size() != 7 && v.size() != 10) continue;
    f.BI.push_back(v[2]);
    f.sBI.push_back(v[3]);
    f.T.push_back(v[4]);
    f.sT.push_back(v[5]);
  }
  return true;
}

// The seed of the noise of case C at level L: one stream per row.
uint64_t row_seed(uint64_t seed, std::size_t c, std::size_t l) {
  return seed * 1000003ULL + 1000 * (c + 1) + l;
}

struct Row {
  std::string program;
  int32_t scan = 0;
  double level = 0.0;
  int32_t fitted = 0;
  int32_t realisations = 0;
  Stats T, sT, BI, sBI;
  double trueT = 0.0, trueBI = 0.0;

  double ratio_T() const { return T.sd / sT.mean; }
  double ratio_BI() const { return BI.sd / sBI.mean; }
  double bias_T() const { return T.mean - trueT; }
  double bias_BI() const { return BI.mean - trueBI; }
  bool holds() const {
    return fitted == realisations && ratio_T() >= kRatioLow && ratio_T() <= kRatioHigh &&
           ratio_BI() >= kRatioLow && ratio_BI() <= kRatioHigh &&
           std::fabs(bias_T()) <= kBiasErrors * T.se && std::fabs(bias_BI()) <= kBiasErrors * BI.se;
  }
};

// One case at one level in FOLDER (new): the inputs, the realisations, the fit.
bool simulate(const night::Night& night, const night::ScanTruth& scan, const std::string& program,
              double level, uint64_t seed, const Options& o, const fs::path& folder, Row& row,
              std::string& error) {
  std::error_code ec;
  if (!fs::create_directory(folder, ec)) {
    error = "cannot create the folder " + folder.string();
    return false;
  }
  if (!night.write_inputs(folder, error)) return false;
  const std::vector<double> clean = night.spectrum(scan);
  fw::Noise noise(seed);
  fw::ScanWriter writer;
  if (!writer.open(folder / "sim.scn")) {
    error = "cannot create " + (folder / "sim.scn").string();
    return false;
  }
  fw::ScanItems items = scan.items;
  for (int32_t r = 1; r <= o.realisations; ++r) {
    items.remark = "REALISATION " + std::to_string(r);
    std::vector<double> y = clean;
    noise.add(y, level);
    if (!writer.write(fw::spectrum_header(items), y, o.settings.type)) {
      error = "cannot write " + (folder / "sim.scn").string();
      return false;
    }
  }
  if (!writer.close() ||
      !fw::write_new_text_file(folder / (program + ".ans"),
                               night.answers(program, "sim.scn", o.realisations), error))
    return false;
  if (!run(o.bin / program, folder, program + ".ans", program + ".log")) {
    error = program + " did not run to its end: " + (folder / (program + ".log")).string();
    return false;
  }
  Fitted f;
  if (!read_fits(folder / (program + ".fit"), f)) {
    error = "no fit values file " + (folder / (program + ".fit")).string();
    return false;
  }
  row.program = program;
  row.scan = scan.number;
  row.level = level;
  row.fitted = static_cast<int32_t>(f.T.size());
  row.realisations = o.realisations;
  row.T = stats(f.T);
  row.sT = stats(f.sT);
  row.BI = stats(f.BI);
  row.sBI = stats(f.sBI);
  row.trueT = scan.temperature;
  row.trueBI = scan.intensity;
  return true;
}

// A fresh working folder: the one to keep, or a new temporary one.
std::optional<fs::path> work_folder(const Options& o) {
  if (o.keep) {
    std::error_code ec;
    if (fs::exists(*o.keep) || !fs::create_directories(*o.keep, ec)) return std::nullopt;
    return *o.keep;
  }
  std::string pattern = (fs::temp_directory_path() / "sim_errors.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
  return fs::path(pattern);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      std::fputs(night::kSettingsUsage, stdout);
      return 0;
    }
  }
  Options o;
  const std::string bad = parse(argc, argv, o);
  if (!bad.empty()) {
    std::fprintf(stderr, "sim_errors: %s\n%s", bad.c_str(), kUsage);
    return 2;
  }
  if (o.bin.empty()) o.bin = fs::read_symlink("/proc/self/exe").parent_path();
  std::string error;
  const std::unique_ptr<night::Night> night = night::Night::make(o.settings, error);
  if (!night) {
    std::fprintf(stderr, "sim_errors: %s\n", error.c_str());
    return 1;
  }
  const std::optional<fs::path> work = work_folder(o);
  if (!work) {
    std::fprintf(stderr, "sim_errors: no new working folder%s\n",
                 o.keep ? (" " + o.keep->string()).c_str() : "");
    return 1;
  }

  std::printf(
      "sim_errors: %d noise realisations per row, seed %llu; spread: standard deviation "
      "of the fitted values,\n"
      "ratio = spread / mean error, bias = mean - truth, se its standard error "
      "(spread / sqrt(fitted))\n\n",
      o.realisations, static_cast<unsigned long long>(o.settings.seed));
  std::printf("%-9s %4s %5s %11s | %7s %8s %5s %8s %7s | %8s %9s %5s %8s %7s\n", "program", "scan",
              "noise", "fitted", "mean sT", "spread T", "ratio", "bias T", "se", "mean sBI",
              "spread BI", "ratio", "bias BI", "se");
  bool ok = true;     // every run ran to its end
  bool holds = true;  // every row within the limits
  for (std::size_t c = 0; c < o.cases.size() && ok; ++c) {
    const std::string& program = o.cases[c];
    // kelvoras: the first scan, in twilight; kelvorn: the middle scan, after twilight.
    const night::ScanTruth scan =
        night->scan(program == "kelvoras" ? 1 : std::max(1, o.settings.scans / 2));
    if ((program == "kelvoras") != (scan.solar > 0.0)) {
      std::printf("%-9s scan %d is %s twilight: no case\n", program.c_str(), scan.number,
                  scan.solar > 0.0 ? "in" : "not in");
      continue;
    }
    for (std::size_t l = 0; l < o.levels.size() && ok; ++l) {
      Row row;
      char name[64];
      std::snprintf(name, sizeof name, "%s-%zu", program.c_str(), l + 1);
      ok = simulate(*night, scan, program, o.levels[l], row_seed(o.settings.seed, c, l), o,
                    *work / name, row, error);
      if (!ok) break;
      std::printf(
          "%-9s %4d %5g %11s | %7.3f %8.3f %5.2f %+8.3f %7.3f | %8.2f %9.2f %5.2f "
          "%+8.2f %7.2f%s\n",
          program.c_str(), row.scan, row.level,
          (std::to_string(row.fitted) + "/" + std::to_string(row.realisations)).c_str(),
          row.sT.mean, row.T.sd, row.ratio_T(), row.bias_T(), row.T.se, row.sBI.mean, row.BI.sd,
          row.ratio_BI(), row.bias_BI(), row.BI.se,
          o.check ? (row.holds() ? "  ok" : "  OUTSIDE") : "");
      holds = holds && row.holds();
    }
  }
  if (!error.empty()) std::fprintf(stderr, "sim_errors: %s\n", error.c_str());
  if (!o.keep) fs::remove_all(*work);
  if (!ok) return 1;
  if (!o.check) return 0;
  std::printf("%s\n", holds ? "error bars hold: every ratio within 0.85 to 1.15, every bias "
                              "within 3 standard errors"
                            : "error bars do NOT hold");
  return holds ? 0 : 1;
}
