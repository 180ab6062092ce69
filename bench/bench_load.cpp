// bench_load: loading and converting whole scan files (16-bit and float interferograms) into
// float arrays, against plainly reading the same files into memory, in MB/s.
//
// The files (about 128 MB each) are written once by the library into the temporary folder and
// removed at the end; every benchmark reads them from the warm page cache.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fts/ftsiface.hpp"
#include "fts/ftsioprm.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "plain_read.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kPoints = 65536;         // points per interferogram
constexpr int64_t kFileBytes = 128 << 20;  // about this much data per file
constexpr int32_t kUnit = 1;

std::vector<fs::path>& created() {
  static std::vector<fs::path> paths;
  return paths;
}

struct ScanFile {
  fs::path path;
  int32_t type = 0;  // QQDTYP of the data
  int32_t scans = 0;
  int64_t bytes = 0;  // file size
};

// Writes a file of interferograms of element type TYPE through the library's store path.
ScanFile make_file(int32_t type) {
  ScanFile f;
  f.type = type;
  f.path = fs::temp_directory_path() /
           ("bench_load_" + std::to_string(getpid()) + "_" + std::to_string(type) + ".dat");
  fs::remove(f.path);
  created().push_back(f.path);
  const int32_t per = type == 0 ? fts::kSlotsI2 : fts::kSlotsR4;
  const int32_t records = (kPoints - 1) / per + 1;
  f.scans = static_cast<int32_t>(kFileBytes / (int64_t{records + 1} * fts::kRecordSize));
  f.bytes = int64_t{f.scans} * (records + 1) * fts::kRecordSize;

  std::vector<float> values(kPoints);
  for (int32_t k = 0; k < kPoints; ++k) {
    values[static_cast<std::size_t>(k)] = static_cast<float>((k * 7919 % 20001) - 10000) / 16384.0f;
  }
  int32_t ierr = 0;
  fts::OPFOUT(kUnit, f.path.string(), ierr);
  fts::Header ah, h;
  ah(fts::QQDTYP) = 2;
  ah(fts::QQDKND) = 0;
  ah(fts::QQDSIZ) = kPoints;
  ah(fts::QQILEN) = kPoints;
  for (int32_t s = 0; s < f.scans; ++s) {
    fts::PUTINT(kUnit, h, values, ah, type, 0, 1, kPoints, ierr);
  }
  fts::lun::close(kUnit);
  return f;
}

const ScanFile& file_of(int32_t type) {
  static const ScanFile i2 = make_file(0);
  static const ScanFile r4 = make_file(2);
  return type == 0 ? i2 : r4;
}

void report(benchmark::State& state, const ScanFile& f) {
  state.SetBytesProcessed(state.iterations() * f.bytes);
}

// Plain reading: the whole file into memory in large blocks.
void read_plain(benchmark::State& state, int32_t type) {
  const ScanFile& f = file_of(type);
  std::vector<char> memory(static_cast<std::size_t>(f.bytes));
  for (auto _ : state) {
    const bool whole = fts::bench::read_plain(f.path, memory);
    benchmark::DoNotOptimize(memory.data());
    if (!whole) state.SkipWithError("short read");
  }
  report(state, f);
}

// The load path of the programs: every scan found by GETHDR and its interferogram loaded into
// a float array by GETINT.
void load_scans(benchmark::State& state, int32_t type) {
  const ScanFile& f = file_of(type);
  std::vector<float> array(kPoints);
  for (auto _ : state) {
    int32_t ierr = 0;
    fts::OPFINP(kUnit, f.path.string(), ierr);
    fts::Header h, ah;
    int32_t curscn = 1;
    for (int32_t s = 1; s <= f.scans; ++s) {
      int32_t ieof = 0;
      fts::GETHDR(kUnit, h, curscn, s, ierr, ieof);
      if (ierr != 0 || ieof != 0) break;
      fts::GETINT(kUnit, h, array, ah, 2, 0, 1, kPoints, ierr);
      if (ierr != 0) break;
      ++curscn;
      benchmark::DoNotOptimize(array.data());
    }
    fts::lun::close(kUnit);
    if (curscn != f.scans + 1) state.SkipWithError("scans not loaded");
  }
  report(state, f);
}

void BM_PlainReadI2(benchmark::State& state) {
  read_plain(state, 0);
}
void BM_LoadI2ToFloat(benchmark::State& state) {
  load_scans(state, 0);
}
void BM_PlainReadR4(benchmark::State& state) {
  read_plain(state, 2);
}
void BM_LoadR4ToFloat(benchmark::State& state) {
  load_scans(state, 2);
}

BENCHMARK(BM_PlainReadI2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadI2ToFloat)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainReadR4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadR4ToFloat)->Unit(benchmark::kMillisecond)->UseRealTime();

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
