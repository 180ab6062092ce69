// bench_lsq: cost of NNLS + HFTI + COVAR on a 4096 x 3 problem, beside its operation count.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "fts/ftslsq.hpp"

namespace {

constexpr int32_t kRows = 4096;  // fit points (the fit programs' capacity)
constexpr int32_t kCols = 3;     // band, temperature derivative, solar spectrum

// A problem shaped like the band fit: three positive, overlapping line profiles and data made
// of all three plus a small ripple, so that every column enters the NNLS solution set.
struct Problem {
  std::vector<float> a = std::vector<float>(static_cast<std::size_t>(kRows) * kCols);
  std::vector<float> b = std::vector<float>(kRows);
  Problem() {
    for (int32_t j = 0; j < kCols; ++j) {
      const double centre = kRows * (0.3 + 0.2 * j);
      for (int32_t i = 0; i < kRows; ++i) {
        const double d = (i - centre) / (0.15 * kRows);
        a[static_cast<std::size_t>(j) * kRows + static_cast<std::size_t>(i)] =
            static_cast<float>(std::exp(-d * d));
      }
    }
    for (int32_t i = 0; i < kRows; ++i) {
      double s = 0.01 * std::sin(0.05 * i);
      for (int32_t j = 0; j < kCols; ++j) {
        s += (1.0 + j) * a[static_cast<std::size_t>(j) * kRows + static_cast<std::size_t>(i)];
      }
      b[static_cast<std::size_t>(i)] = static_cast<float>(s);
    }
  }
};

// Floating-point operations (additions and multiplications; a division or square root counts
// as one) of the sequence when all N columns enter NNLS once and none leaves.
double nnls_flops(double m, double n) {
  double f = 0;
  for (double p = 0; p < n; ++p) {
    const double rows = m - p;
    f += 2 * rows * (n - p);      // dual vector of the columns still outside
    f += 3 * rows;                // Householder vector of the new column
    f += 4 * rows;                // its transformation applied to b
    f += 4 * rows * (n - p - 1);  // ... and to the columns still outside
    f += (p + 1) * (p + 1);       // triangular solve
  }
  return f + 2 * (m - n);  // residual norm
}
double hfti_flops(double m, double n) {
  double f = 2 * m * n;  // column lengths
  for (double j = 1; j <= n; ++j) {
    const double rows = m - j;
    f += 2 * (n - j);             // length updates
    f += 3 * rows;                // Householder vector
    f += 4 * rows * (n - j + 1);  // applied to the later columns and to b
  }
  return f + 2 * (m - n) + n * n;  // residual norm, back substitution
}
double covar_flops(double n) {
  return n + n * n * n / 3 + n * n * n / 3;
}

// Work arrays, as a fit program keeps them.
struct Work {
  std::vector<float> a, b, x, w, zz, h, g, rnorm;
  std::vector<int32_t> index, ip;
  explicit Work(const Problem& p)
      : a(p.a),
        b(p.b),
        x(kCols),
        w(kCols),
        zz(kRows),
        h(kCols),
        g(kCols),
        rnorm(1),
        index(kCols),
        ip(kCols) {}
};

void BM_NnlsHftiCovar(benchmark::State& state) {
  const Problem problem;
  Work work(problem);
  for (auto _ : state) {
    // NNLS for starting values, then HFTI and COVAR on a fresh copy, as in one fit step.
    work.a = problem.a;
    work.b = problem.b;
    float rnorm = 0;
    int32_t mode = 0;
    fts::NNLS(work.a, kRows, kRows, kCols, work.b, work.x, rnorm, work.w, work.zz, work.index,
              mode);
    work.a = problem.a;
    work.b = problem.b;
    int32_t krank = 0;
    fts::HFTI(work.a, kRows, kRows, kCols, work.b, kRows, 1, 0, krank, work.rnorm, work.h, work.g,
              work.ip);
    fts::COVAR(work.a, kRows, kRows, kCols, work.ip);
    benchmark::DoNotOptimize(work.a.data());
    benchmark::DoNotOptimize(work.x.data());
    if (mode != 1 || krank != kCols) state.SkipWithError("the problem did not solve");
  }
  const double flops = nnls_flops(kRows, kCols) + hfti_flops(kRows, kCols) + covar_flops(kCols);
  state.counters["flops"] = flops;
  state.counters["FLOP/s"] =
      benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel("4096 x 3, copies of A and b included");
}
BENCHMARK(BM_NnlsHftiCovar)->Unit(benchmark::kMicrosecond);

void BM_Nnls(benchmark::State& state) {
  const Problem problem;
  Work work(problem);
  for (auto _ : state) {
    work.a = problem.a;
    work.b = problem.b;
    float rnorm = 0;
    int32_t mode = 0;
    fts::NNLS(work.a, kRows, kRows, kCols, work.b, work.x, rnorm, work.w, work.zz, work.index,
              mode);
    benchmark::DoNotOptimize(work.x.data());
  }
  const double flops = nnls_flops(kRows, kCols);
  state.counters["flops"] = flops;
  state.counters["FLOP/s"] =
      benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Nnls)->Unit(benchmark::kMicrosecond);

void BM_HftiCovar(benchmark::State& state) {
  const Problem problem;
  Work work(problem);
  for (auto _ : state) {
    work.a = problem.a;
    work.b = problem.b;
    int32_t krank = 0;
    fts::HFTI(work.a, kRows, kRows, kCols, work.b, kRows, 1, 0, krank, work.rnorm, work.h, work.g,
              work.ip);
    fts::COVAR(work.a, kRows, kRows, kCols, work.ip);
    benchmark::DoNotOptimize(work.a.data());
  }
  const double flops = hfti_flops(kRows, kCols) + covar_flops(kCols);
  state.counters["flops"] = flops;
  state.counters["FLOP/s"] =
      benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_HftiCovar)->Unit(benchmark::kMicrosecond);

// The copies alone, to subtract from the figures above.
void BM_CopiesOnly(benchmark::State& state) {
  const Problem problem;
  Work work(problem);
  for (auto _ : state) {
    work.a = problem.a;
    work.b = problem.b;
    benchmark::DoNotOptimize(work.a.data());
    benchmark::DoNotOptimize(work.b.data());
  }
}
BENCHMARK(BM_CopiesOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
