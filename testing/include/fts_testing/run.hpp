// Test helpers: run a built program in a folder with an answer file on standard input, temporary
// folders, whole-file reading and writing, and a line-by-line comparison with a readable diff.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fts::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct RunResult {
  std::string output;      // everything the program wrote to standard output
  int exit_status = -1;    // exit status, or -1 when it did not exit normally
  bool timed_out = false;  // killed after the time limit (a hang)
};

// Runs EXECUTABLE in folder DIR with the text ANSWERS as its standard input (written to the file
// "answers.stdin" in DIR and opened as the program's standard input); standard output comes back
// through a pipe. The program is killed after TIME_LIMIT.
RunResult run_program(const std::filesystem::path& executable, const std::string& answers,
                      const std::filesystem::path& dir,
                      std::chrono::seconds time_limit = std::chrono::seconds(60));

// Path of a built program of the suite (build/bin/<name>) or of a test program (build/tests).
std::filesystem::path program(const std::string& name);
std::filesystem::path test_program(const std::string& name);
// Path of a file of the source tree.
std::filesystem::path source_path(const std::string& relative);

std::string read_file(const std::filesystem::path& path);
std::vector<std::uint8_t> read_bytes(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& text);
void write_bytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// Compares two texts line by line; on a difference the failure shows every differing line with
// its number, expected and actual, with control characters made visible.
::testing::AssertionResult same_lines(const std::string& expected, const std::string& actual);

}  // namespace fts::testing
