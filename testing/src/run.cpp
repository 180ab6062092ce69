// Test helpers: running programs, temporary folders, files, line comparison.
#include "fts_testing/run.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fts::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "fts-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

RunResult run_program(const fs::path& executable, const std::string& answers, const fs::path& dir,
                      std::chrono::seconds time_limit) {
  const fs::path answer_file = dir / "answers.stdin";
  write_file(answer_file, answers);
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Child: answers on standard input, standard output into the pipe.
    const int in = open(answer_file.c_str(), O_RDONLY);
    if (in < 0 || chdir(dir.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out[1], 1);
    close(in);
    close(out[0]);
    close(out[1]);
    execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  RunResult result;
  const auto deadline = std::chrono::steady_clock::now() + time_limit;
  char buf[65536];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      result.timed_out = true;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.output.append(buf, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  fs::remove(answer_file);
  return result;
}

fs::path program(const std::string& name) {
  return fs::path(FTS_BIN_DIR) / name;
}
fs::path test_program(const std::string& name) {
  return fs::path(FTS_TEST_BIN_DIR) / name;
}
fs::path source_path(const std::string& relative) {
  return fs::path(FTS_SOURCE_DIR) / relative;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::uint8_t> read_bytes(const fs::path& path) {
  const std::string s = read_file(path);
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

void write_bytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

namespace {

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no end of line>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string visible(const std::string& line) {
  std::string out;
  for (unsigned char c : line) {
    if (c < 32 || c == 127) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

// A line in brackets, or "(none)" past the end of its text.
std::string shown_line(const std::string* line) {
  if (line == nullptr) return "(none)";
  std::string out = "[";
  out += visible(*line);
  out += ']';
  return out;
}

}  // namespace

::testing::AssertionResult same_lines(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  const auto e = split_lines(expected);
  const auto a = split_lines(actual);
  auto failure = ::testing::AssertionFailure();
  failure << "texts differ (expected " << e.size() << " lines, got " << a.size() << "):\n";
  int shown = 0;
  for (std::size_t i = 0; i < std::max(e.size(), a.size()) && shown < 40; ++i) {
    const std::string* el = i < e.size() ? &e[i] : nullptr;
    const std::string* al = i < a.size() ? &a[i] : nullptr;
    if (el && al && *el == *al) continue;
    ++shown;
    failure << "line " << i + 1 << ":\n";
    failure << "  expected: " << shown_line(el) << "\n";
    failure << "  actual:   " << shown_line(al) << "\n";
  }
  return failure;
}

}  // namespace fts::testing
