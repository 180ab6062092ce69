// bench_sample: cost of SAMPLE resampling 4096 points, one or several per sample cell, real and
// complex data, beside an estimate of its floating-point operation count.
//
// Estimated operations (additions and multiplications; conversions and compares not counted):
//   direct value, real:      151 per point (position 2, offset 3, sixteen cubics 96, pair sums
//                            and differences 16, two kernel sums 32, combination 2)
//   direct value, complex:   201 per point (the cubics shared by both parts)
//   cell polynomials, real:  144 per cell (pairs 16, contraction 128) + 19 per point
//   cell polynomials, complex: 288 per cell + 33 per point
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "fts/ftssmutl.hpp"

namespace {

constexpr int32_t kPoints = 4096;

// Operation estimate of one SAMPLE call of kPoints points, PER_CELL points per cell.
double estimated_operations(int per_cell, bool complex) {
  if (per_cell == 1) return kPoints * (complex ? 201.0 : 151.0);
  const double cells = static_cast<double>(kPoints) / per_cell;
  return complex ? cells * 288.0 + kPoints * 33.0 : cells * 144.0 + kPoints * 19.0;
}

void resample(benchmark::State& state, bool complex) {
  const int per_cell = static_cast<int>(state.range(0));
  const int32_t order = static_cast<int32_t>(state.range(1));
  const int samples = kPoints / per_cell + 32;
  const int width = complex ? 2 : 1;

  // A smooth test signal, and abscissae PER_CELL to a sample cell from sample 10 on.
  std::vector<float> data(static_cast<std::size_t>(samples * width));
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<float>(std::sin(0.37 * static_cast<double>(i)));
  constexpr double kXzero = 500.0;
  constexpr double kDx = 0.25;
  std::vector<double> xout(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    const double f = 10.0 + (i + 0.5) / per_cell;
    xout[static_cast<std::size_t>(i)] = kXzero + f * kDx;
  }
  std::vector<float> out(static_cast<std::size_t>(kPoints * width));

  for (auto _ : state) {
    fts::SAMPLE(data, xout, out, kPoints, kXzero, kDx, order, complex ? 1 : 0);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  const double ops = estimated_operations(per_cell, complex) + (order == 0 ? 0 : kPoints * width);
  state.counters["flop/call"] = ops;
  state.counters["flop/s"] = benchmark::Counter(ops, benchmark::Counter::kIsIterationInvariantRate);
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_SampleReal(benchmark::State& state) {
  resample(state, false);
}
void BM_SampleComplex(benchmark::State& state) {
  resample(state, true);
}

}  // namespace

// Arguments: points per sample cell, derivative order.
BENCHMARK(BM_SampleReal)->ArgsProduct({{1, 2, 4, 8}, {0, 1}});
BENCHMARK(BM_SampleComplex)->ArgsProduct({{1, 4}, {0}});

BENCHMARK_MAIN();
