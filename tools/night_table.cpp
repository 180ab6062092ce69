// night_table: the fitted temperatures of a night beside the truth they were made from.
//
// Usage: night_table --truth FILE --fit FILE [--every K] [--check]
//
// Reads the truth file of gen_night and a fit values file of kelvoras or kelvorn (either
// layout), pairs their lines by the scan's time (day and hours as the fit values file writes
// them), prints a table of every K-th scan (time UT, fitted T and its error, true T and the
// normalised error (T - truth)/sigma; K = 0 prints none), and then the count of scans fitted and
// the mean and spread (sample standard deviation) of (T - truth)/sigma over all of them, and
// over the twilight scans (solar amplitude above 0) and the later ones apart.
//
// With --check the exit status tells whether the error bars hold on this night: 0 when every
// scan was fitted, the mean lies within +-0.3 and the spread within 0.8 to 1.2, else 1. Without
// it the exit status is 0 once both files are read. A file that cannot be read: status 1; a bad
// command line: 2.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(usage: night_table --truth FILE --fit FILE [--every K] [--check]

Prints the fitted temperatures of a fit values file (kelvoras or kelvorn) beside the truth of
the night (truth.txt of gen_night), every K-th scan (default 1; 0 prints no rows), and the mean
and spread of (T - truth)/sigma. --check: exit status 1 unless every scan was fitted, the mean
lies within +-0.3 and the spread within 0.8 to 1.2.
)";

constexpr double kHoursMatch = 5e-7;  // a fit line within this many hours is the scan's
constexpr double kMeanLimit = 0.3;    // the limits of --check
constexpr double kSpreadLow = 0.8;
constexpr double kSpreadHigh = 1.2;

struct Truth {
  int scan = 0;
  int day = 0;
  double hours = 0.0;
  double T = 0.0;
  double SA = 0.0;
};

struct Fit {
  int day = 0;
  double hours = 0.0;
  double T = 0.0;
  double sT = 0.0;
};

bool number(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && errno == 0 && std::isfinite(value);
}

// The fields of LINE as numbers (NaN for a field that is none, such as asterisks).
std::vector<double> fields(const std::string& line) {
  std::istringstream words(line);
  std::vector<double> v;
  std::string word;
  double x = 0.0;
  while (words >> word) v.push_back(number(word, x) ? x : NAN);
  return v;
}

bool read_truth(const std::string& path, std::vector<Truth>& truth) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<double> v = fields(line);
    if (v.size() < 6) continue;
    truth.push_back(Truth{static_cast<int>(v[0]), static_cast<int>(v[1]), v[2], v[3], v[5]});
  }
  return !truth.empty();
}

// Lines of 7 fields (kelvorn's layout) or 10 (kelvoras'): day, hours, BI, its error, T, its
// error, ... A line whose T or error is no number, or whose error is not above 0, is left out.
bool read_fits(const std::string& path, std::vector<Fit>& fits) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<double> v = fields(line);
    if (v.size() != 7 && v.size() != 10) continue;
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[4]) || !(v[5] > 0.0))
      continue;
    fits.push_back(Fit{static_cast<int>(v[0]), v[1], v[4], v[5]});
  }
  return true;
}

// Mean and sample standard deviation.
struct Spread {
  int count = 0;
  double mean = NAN;
  double sd = NAN;
};
Spread spread(const std::vector<double>& z) {
  Spread s;
  s.count = static_cast<int>(z.size());
  if (z.empty()) return s;
  double sum = 0.0;
  for (double x : z) sum += x;
  s.mean = sum / static_cast<double>(z.size());
  if (z.size() < 2) return s;
  double squares = 0.0;
  for (double x : z) squares += (x - s.mean) * (x - s.mean);
  s.sd = std::sqrt(squares / static_cast<double>(z.size() - 1));
  return s;
}

void print_spread(const char* what, const Spread& s) {
  std::printf("  %-22s %3d scans   mean %6.2f   spread ", what, s.count, s.mean);
  if (std::isnan(s.sd)) {
    std::printf("    -\n");
  } else {
    std::printf("%5.2f\n", s.sd);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string truth_path, fit_path;
  long every = 1;
  bool check = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--check") {
      check = true;
      continue;
    }
    if (i + 1 >= argc || (arg != "--truth" && arg != "--fit" && arg != "--every")) {
      std::fprintf(stderr, "night_table: bad argument \"%s\"\n%s", arg.c_str(), kUsage);
      return 2;
    }
    const std::string value = argv[++i];
    if (arg == "--truth") {
      truth_path = value;
    } else if (arg == "--fit") {
      fit_path = value;
    } else {
      char* end = nullptr;
      every = std::strtol(value.c_str(), &end, 10);
      if (end == value.c_str() || *end != '\0' || every < 0 || every > 100000) {
        std::fprintf(stderr, "night_table: bad value \"%s\" of --every\n", value.c_str());
        return 2;
      }
    }
  }
  if (truth_path.empty() || fit_path.empty()) {
    std::fprintf(stderr, "night_table: --truth and --fit are needed\n%s", kUsage);
    return 2;
  }
  std::vector<Truth> truth;
  std::vector<Fit> fits;
  if (!read_truth(truth_path, truth)) {
    std::fprintf(stderr, "night_table: no scan read from the truth file %s\n", truth_path.c_str());
    return 1;
  }
  if (!read_fits(fit_path, fits)) {
    std::fprintf(stderr, "night_table: cannot read the fit values file %s\n", fit_path.c_str());
    return 1;
  }

  // Pairs of truth and fit, by time.
  std::vector<double> all, twilight, dark;
  if (every > 0) std::printf("  scan  time UT    T fitted (K)     T true (K)   (T - true)/sigma\n");
  for (const Truth& t : truth) {
    const Fit* fit = nullptr;
    for (const Fit& f : fits) {
      if (f.day == t.day && std::fabs(f.hours - t.hours) < kHoursMatch) {
        fit = &f;
        break;
      }
    }
    const double z = fit != nullptr ? (fit->T - t.T) / fit->sT : NAN;
    if (fit != nullptr) {
      all.push_back(z);
      (t.SA > 0.0 ? twilight : dark).push_back(z);
    }
    if (every == 0 || (t.scan - 1) % every != 0) continue;
    const auto minutes = static_cast<long>(std::floor(t.hours * 60.0));
    std::printf("  %4d  %02ld:%02ld  ", t.scan, minutes / 60 % 24, minutes % 60);
    if (fit != nullptr) {
      std::printf("  %7.2f +- %5.2f   %8.2f      %6.2f\n", fit->T, fit->sT, t.T, z);
    } else {
      std::printf("  %-17s  %8.2f\n", "not fitted", t.T);
    }
  }

  // The statistics.
  const Spread s = spread(all);
  std::printf("%s: %d of %zu scans fitted; (T - truth)/sigma:\n", fit_path.c_str(), s.count,
              truth.size());
  print_spread("all", s);
  if (!twilight.empty()) print_spread("twilight (solar term)", spread(twilight));
  if (!dark.empty() && !twilight.empty()) print_spread("after twilight", spread(dark));
  if (!check) return 0;
  const bool ok = s.count == static_cast<int>(truth.size()) && std::fabs(s.mean) <= kMeanLimit &&
                  s.sd >= kSpreadLow && s.sd <= kSpreadHigh;
  std::printf("%s: mean within +-%.1f and spread within %.1f to %.1f%s: %s\n", fit_path.c_str(),
              kMeanLimit, kSpreadLow, kSpreadHigh, ", every scan fitted", ok ? "yes" : "NO");
  return ok ? 0 : 1;
}
