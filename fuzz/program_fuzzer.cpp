// program_fuzzer: one of the suite's programs run end to end on a fuzzed input file. Built once
// per program and mode: FTS_FUZZ_PROGRAM names the program (programs.cpp); with
// FTS_FUZZ_ANSWERS 0 every fuzzed input is the file and each of the program's fixed answer
// scripts runs on it, with FTS_FUZZ_ANSWERS 1 the input holds the answers, a zero byte, and the
// file.
//
// Each run starts in an emptied working folder holding the file, a folder "dir" and a dangling
// link "link" (so that answers can name a folder or a link). Findings besides crashes, hangs and
// sanitizer reports: an input file that the run changed, and a log that ends neither with the
// program's final line nor with "#ERROR".
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "harness.hpp"
#include "programs.hpp"
#include "scan_mutator.hpp"

#ifndef FTS_FUZZ_PROGRAM
#error "FTS_FUZZ_PROGRAM must name the program"
#endif
#ifndef FTS_FUZZ_ANSWERS
#define FTS_FUZZ_ANSWERS 0
#endif
#ifndef FTS_FUZZ_SCAN_INPUT
#define FTS_FUZZ_SCAN_INPUT 0
#endif

namespace {

using fts::fuzz::expect;

// The content of the fixture NAME of fuzz/fixtures, read once.
const std::string& fixture(std::string_view name) {
  static std::map<std::string, std::string, std::less<>> cache;
  auto it = cache.find(name);
  if (it == cache.end()) {
    std::string path = std::string(FTS_FUZZ_DIR) + "/fixtures/" + std::string(name);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    expect(f != nullptr, "a fixture of the program's entry is missing");
    std::string bytes;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    std::fclose(f);
    it = cache.emplace(std::string(name), std::move(bytes)).first;
  }
  return it->second;
}

// True when the log ends with TEXT and an end of line (a final line may stand behind a prompt).
bool ends_with(const std::string& log, std::string_view text) {
  const std::string tail = std::string(text) + "\n";
  return log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0;
}

// True when the log's last line is the stop line "#ERROR".
bool ends_in_error_stop(const std::string& log) {
  return log == "#ERROR\n" || ends_with(log, "\n#ERROR");
}

void run_once(const fts::fuzz::Program& p, std::string_view answers, std::string_view file) {
  fts::fuzz::reset_folder();
  const std::string input(p.input);
  fts::fuzz::write_file(input, file);
  for (const auto& [name, source] : p.fixtures)
    fts::fuzz::write_file(std::string(name), fixture(source));

  std::string log;
  const bool normal = fts::fuzz::run_in_folder(answers, log, [&] { p.run(); });

  expect(fts::fuzz::read_file(input) == file, "the run changed its input file");
  for (const auto& [name, source] : p.fixtures) {
    expect(fts::fuzz::read_file(std::string(name)) == fixture(source),
           "the run changed one of its fixed input files");
  }
  if (!normal) {
    expect(ends_in_error_stop(log), "an error stop whose log does not end with #ERROR");
  } else if (!p.final_line.empty()) {
    expect(ends_with(log, p.final_line) || ends_in_error_stop(log),
           "a run whose log ends neither with the final line nor with #ERROR");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const fts::fuzz::Program& p = fts::fuzz::program(FTS_FUZZ_PROGRAM);
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  if (FTS_FUZZ_ANSWERS) {
    const std::size_t zero = in.find('\0');
    const std::string_view answers = in.substr(0, zero);
    const std::string_view file =
        zero == std::string_view::npos ? std::string_view() : in.substr(zero + 1);
    run_once(p, answers, file);
  } else {
    for (std::string_view answers : p.answers) run_once(p, answers, in);
  }
  return 0;
}

#if FTS_FUZZ_SCAN_INPUT
// The input file is a scan file: its header items get mutations of their own.
extern "C" std::size_t LLVMFuzzerCustomMutator(uint8_t* data, std::size_t size,
                                               std::size_t max_size, unsigned seed) {
  std::size_t file = 0;
  if (FTS_FUZZ_ANSWERS) {
    const auto* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    if (zero == nullptr) return LLVMFuzzerMutate(data, size, max_size);
    file = static_cast<std::size_t>(zero - data) + 1;
  }
  return fts::fuzz::mutate_scan(data, size, max_size, seed, file);
}
#endif
