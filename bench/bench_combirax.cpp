// bench_combirax: co-adding a file of 16-bit interferograms with the averager's own code (ABS
// and CEN alignment), against plainly reading the same file into memory, in MB/s of input.
//
// The file (2000 interferograms of 16384 points, about 67 MB) is written once by the library
// into the temporary folder and removed at the end; every benchmark reads it from the warm page
// cache.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "combirax.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioprm.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"
#include "plain_read.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kPoints = 16384;  // points per interferogram
constexpr int32_t kScans = 2000;    // interferograms in the file
constexpr int32_t kCentre = 8192;   // points before the centre

std::vector<fs::path>& created() {
  static std::vector<fs::path> paths;
  return paths;
}

struct InputFile {
  fs::path path;
  fs::path average;  // the average file written by each run, removed after it
  int64_t bytes = 0;
};

// Writes the input file through the library's store path: 16-bit interferograms whose centres
// move by a few points from scan to scan, as a CEN average meets them.
InputFile make_file() {
  InputFile f;
  const std::string stem = "bench_combirax_" + std::to_string(getpid());
  f.path = fs::temp_directory_path() / (stem + ".dat");
  f.average = fs::temp_directory_path() / (stem + "_mean.dat");
  fs::remove(f.path);
  created().push_back(f.path);
  std::vector<float> values(kPoints);
  for (int32_t k = 0; k < kPoints; ++k) {
    values[static_cast<std::size_t>(k)] = static_cast<float>((k * 7919 % 20001) - 10000) / 16384.0f;
  }
  int32_t ierr = 0;
  fts::OPFOUT(1, f.path.string(), ierr);
  fts::Header ah, h;
  ah(fts::QQDTYP) = 2;
  ah(fts::QQDSIZ) = kPoints;
  ah(fts::QQILEN) = kPoints;
  ah(fts::QQADDS) = 1;
  ah(fts::QQDYUN) = 1;
  ah(fts::QQISUN) = 1;
  ah(fts::QQISMP) = 6328;
  ah(fts::QQISLP) = 2;
  for (int32_t s = 0; s < kScans; ++s) {
    ah(fts::QQICEN) = kCentre + s % 5;
    fts::PUTINT(1, h, values, ah, 0, 0, 1, kPoints, ierr);
  }
  fts::lun::close(1);
  f.bytes = static_cast<int64_t>(fs::file_size(f.path));
  return f;
}

const InputFile& input_file() {
  static const InputFile f = make_file();
  return f;
}

// Plain reading: the whole file into memory in large blocks.
void BM_PlainRead(benchmark::State& state) {
  const InputFile& f = input_file();
  std::vector<char> memory(static_cast<std::size_t>(f.bytes));
  for (auto _ : state) {
    const bool whole = fts::bench::read_plain(f.path, memory);
    benchmark::DoNotOptimize(memory.data());
    if (!whole) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(state.iterations() * f.bytes);
}

// The averager's run after its questions: every scan of the file taken (BOTH, range 1 to the
// end of the file), aligned as ALIGNMENT, and the mean written as a 16-bit scan.
void coadd(benchmark::State& state, int32_t alignment) {
  const InputFile& f = input_file();
  for (auto _ : state) {
    fts::textio::CaptureOutput log;  // the run's few message lines
    int32_t ierr = 0;
    fts::OPFINP(combirax::kInputUnit, f.path.string(), ierr);
    fts::OPFOUT(combirax::kOutputUnit, f.average.string(), ierr);
    combirax::Averager avg(alignment, combirax::kBoth);
    int32_t curscn = 1;
    combirax::process_range(avg, curscn, 1, combirax::kLastScanDefault);
    avg.write_mean(combirax::kOutputUnit);
    fts::lun::close_all();
    fs::remove(f.average);
    if (avg.mean_header()(fts::QQADDS) != kScans) state.SkipWithError("scans not averaged");
  }
  state.SetBytesProcessed(state.iterations() * f.bytes);
}

void BM_CoaddAbs(benchmark::State& state) {
  coadd(state, combirax::kAbsolute);
}
void BM_CoaddCen(benchmark::State& state) {
  coadd(state, combirax::kCentred);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CoaddAbs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CoaddCen)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  for (const fs::path& p : created()) fs::remove(p, ec);
  return 0;
}
