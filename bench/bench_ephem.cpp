// Benchmarks of the ephemeris: the sun's elevation for one time stamp (as the fit asks for every
// scan) and the moon's position and phase.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "fts/ftsmoon.hpp"
#include "fts/ftssun.hpp"

namespace {

// SUN over the minutes of a night at a mid-latitude site.
void BM_Sun(benchmark::State& state) {
  int32_t msec = 0;
  for (auto _ : state) {
    int32_t az = 0;
    int32_t el = 0;
    int32_t east = 0;
    int32_t shadow = 0;
    fts::SUN(733000, msec, 172080, -39600, 680, az, el, east, shadow);
    benchmark::DoNotOptimize(el);
    msec = (msec + 60000) % 86400000;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Sun);

// GEOMOON alone: the series that every nutation and solar position evaluates.
void BM_Geomoon(benchmark::State& state) {
  double jde = 2455000.5;
  for (auto _ : state) {
    double lam = 0, beta = 0, par = 0, lp = 0, mp = 0, d = 0, f = 0, om = 0;
    fts::GEOMOON(jde, lam, beta, par, lp, mp, d, f, om);
    benchmark::DoNotOptimize(lam);
    jde += 0.01;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Geomoon);

// MOON: position and phase for one time stamp.
void BM_Moon(benchmark::State& state) {
  int32_t msec = 0;
  for (auto _ : state) {
    int32_t az = 0;
    int32_t el = 0;
    int32_t east = 0;
    int32_t illum = 0;
    fts::MOON(733000, msec, 172080, -39600, 680, az, el, east, illum);
    benchmark::DoNotOptimize(el);
    msec = (msec + 60000) % 86400000;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Moon);

}  // namespace

BENCHMARK_MAIN();
