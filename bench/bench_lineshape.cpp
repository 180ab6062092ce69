// bench_lineshape: cost of the line-shape value SPTAPV per call for each window (the fit evaluates
// it once per grid point and line in reach when it builds its coefficient lists), and of the peak
// search SPTPKS over a 4096-point spectrum.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "fts/ftsuser1.hpp"
#include "fts/header.hpp"

namespace {

constexpr int32_t kPoints = 4096;

// A real 32-bit spectrum of kPoints points, spacing 1/16 axis units from 10000, resolution 0.5,
// window WINDOW.
fts::Header spectrum_header(int32_t window) {
  fts::Header h;
  h(fts::QQDTYP) = 2;
  h(fts::QQDKND) = 1;
  h(fts::QQAPOD) = window;
  h(fts::QQDSIZ) = kPoints;
  h(fts::QQSLEN) = kPoints;
  h(fts::QQISUN) = 1;
  h(fts::QQISMP) = 1000000;
  h(fts::QQISLP) = 2;
  h(fts::QQRESL) = 10000;
  h(fts::QQSSUN) = 1;
  h(fts::QQSTSZ) = 100000;
  h(fts::QQSSMP) = 1600000;  // bin 1/16
  h(fts::QQSSLP) = 1;
  h(fts::QQSOFF) = 160000;
  return h;
}

void BM_Sptapv(benchmark::State& state) {
  const fts::Header h = spectrum_header(static_cast<int32_t>(state.range(0)));
  constexpr int kOffsets = 1024;
  std::vector<double> dw(kOffsets);
  for (int i = 0; i < kOffsets; ++i) dw[static_cast<std::size_t>(i)] = -2.0 + 4.0 * i / kOffsets;
  for (auto _ : state) {
    float sum = 0;
    for (double d : dw) sum += fts::SPTAPV(h, d);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kOffsets);
}

void BM_Sptpks(benchmark::State& state) {
  const fts::Header h = spectrum_header(0);
  std::vector<float> data(kPoints);
  for (std::size_t i = 0; i < data.size(); ++i) {
    const double x = static_cast<double>(i);
    data[i] = static_cast<float>(std::sin(x / 7.3) + 0.5 * std::sin(x / 2.9 + 1.0));
  }
  const double dw = static_cast<double>(state.range(0)) / 16.0 / 4.0;  // quarter-point steps
  std::vector<double> pkw(50);
  std::vector<float> pkv(50);
  for (auto _ : state) {
    int32_t npk = 0;
    int32_t ierr = 0;
    fts::SPTPKS(data, h, 10001.0, 10250.0, dw, 50, 0, pkw, pkv, npk, ierr);
    benchmark::DoNotOptimize(pkw.data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

}  // namespace

// Argument: window code.
BENCHMARK(BM_Sptapv)->DenseRange(0, 5);
// Argument: search step in quarter points.
BENCHMARK(BM_Sptpks)->Arg(1)->Arg(4);

BENCHMARK_MAIN();
