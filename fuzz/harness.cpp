// harness: the working folder, the confinement of file names and the in-process runs shared by
// the fuzzing harnesses.
#include "harness.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "fts/lun.hpp"
#include "fts/textio.hpp"

namespace fs = std::filesystem;

namespace {

// True while a harness runs library or program code: only plain file names are then opened.
bool confined = false;

// What the code running now has written to standard output, shown with a finding.
const fts::textio::CaptureOutput* running_log = nullptr;

// The private working folder, made on first use and removed when the harness ends; in the folder
// FTS_FUZZ_TMP names, else in memory where the system offers a folder there (every run creates
// and removes files). The path is never destroyed, so that it is still there for the removal.
const fs::path& folder() {
  static const fs::path* const path = [] {
    std::error_code ec;
    const char* chosen = std::getenv("FTS_FUZZ_TMP");  // fuzz/run_harness sets it
    const fs::path base = chosen != nullptr ? fs::path(chosen)
                          : fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    std::string pattern = (base / "fts-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("fts fuzz: no working folder");
      std::abort();
    }
    fts::lun::set_stop_handler([] { throw fts::fuzz::Stopped{}; });
    return new fs::path(pattern);
  }();
  static const int removal = std::atexit([] {
    std::error_code ec;
    fs::remove_all(*path, ec);
  });
  (void)removal;
  return *path;
}

}  // namespace

// The programs open their files by the names they are given, and fuzzed answers may name any
// path: while code runs confined, a name with a folder in it is refused as if it were not
// there, so that nothing outside the working folder is ever read or created. The harnesses
// are linked with --wrap=fopen, which sends every fopen of the suite's code here.
extern "C" std::FILE* __real_fopen(const char* name, const char* mode);
extern "C" std::FILE* __wrap_fopen(const char* name, const char* mode) {
  if (confined && std::strchr(name, '/') != nullptr) {
    errno = EACCES;
    return nullptr;
  }
  return __real_fopen(name, mode);
}

namespace fts::fuzz {

void fail(std::string_view what) {
  if (running_log != nullptr) {
    std::fprintf(stderr, "\n==fts fuzz log==\n%s", running_log->text().c_str());
  }
  std::fprintf(stderr, "\n==fts fuzz finding== %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

void reset_folder() {
  const fs::path& dir = folder();
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) fs::remove_all(e.path(), ec);
  fs::create_directory(dir / "dir", ec);
  fs::create_symlink("dir/absent", dir / "link", ec);
}

void write_file(const std::string& name, std::string_view bytes) {
  std::ofstream out(folder() / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string& name) {
  std::ifstream in(folder() / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& name) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(folder() / name, ec));
}

namespace detail {

struct Session::State {
  State(std::string_view answers, std::string& out)
      : log(&out), input(std::string(answers)), replace(input) {}
  std::string* log;
  fs::path previous;
  fts::textio::StringLineSource input;
  fts::textio::ReplaceInput replace;
  fts::textio::CaptureOutput capture;
};

Session::Session(std::string_view answers, std::string& log) : state(new State(answers, log)) {
  std::error_code ec;
  state->previous = fs::current_path(ec);
  fs::current_path(folder(), ec);
  if (ec) fail("cannot enter the working folder");
  confined = true;
  running_log = &state->capture;
}

Session::~Session() {
  confined = false;
  running_log = nullptr;
  // A run that ended normally may leave units open; the next run starts with none.
  fts::lun::close_all();
  fts::textio::flush();
  *state->log = state->capture.text();
  std::error_code ec;
  fs::current_path(state->previous, ec);
  delete state;
}

}  // namespace detail

}  // namespace fts::fuzz
