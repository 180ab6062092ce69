// timing: where the time of a fit run goes, measured only when a caller (the benchmark) asks.
#pragma once

#include <array>
#include <chrono>
#include <ctime>
#include <vector>

namespace fit {

// The times of the scans of the runs since the split was asked for, in seconds, one entry per
// fitted scan (the machine may be shared: a caller takes medians).
struct TimeSplit {
  enum Figure {
    load,           // reading the scan: header and section
    rebuild,        // coefficient lists built anew and the starting fit (NNLS)
    iterations,     // the rest of the fit: populations, columns, filter, scaling
    least_squares,  // HFTI and COVAR
    output,         // the status report and fit values lines
    kFigures
  };
  using Times = std::array<double, kFigures>;
  Times scan{};              // the scan being timed
  std::vector<Times> scans;  // the scans timed so far
};

// The split the runs add to; none (the default) reads no clock.
void measure_time(TimeSplit* split);
TimeSplit* time_split();
// Closes the times of a fitted scan (a new entry of the split).
void scan_timed();

// Adds the time from its construction to its destruction to one figure of the scan being timed,
// when a split is asked for, and takes it from the figure WITHIN when given (a part timed inside
// a larger one).
class Stopwatch {
 public:
  explicit Stopwatch(TimeSplit::Figure figure, TimeSplit::Figure within = TimeSplit::kFigures)
      : split_(time_split()),
        figure_(figure),
        within_(within),
        start_(split_ != nullptr ? now() : 0.0) {}
  ~Stopwatch() {
    if (split_ == nullptr) return;
    const double t = now() - start_;
    split_->scan[figure_] += t;
    if (within_ != TimeSplit::kFigures) split_->scan[within_] -= t;
  }
  Stopwatch(const Stopwatch&) = delete;
  Stopwatch& operator=(const Stopwatch&) = delete;

 private:
  // The steady clock, cheap to read; the rare rebuild, which takes long enough to be cut by
  // other processes on a shared machine, is timed in processor time of the thread instead.
  double now() const {
    if (figure_ == TimeSplit::rebuild) {
      timespec t{};
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
      return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  TimeSplit* split_;
  TimeSplit::Figure figure_;
  TimeSplit::Figure within_;
  double start_;
};

}  // namespace fit
