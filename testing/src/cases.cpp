// End-to-end cases: preparing the run folder, running the program, comparing what it leaves.
#include "fts_testing/cases.hpp"

#include <algorithm>
#include <sstream>

#include "fts_testing/run.hpp"

namespace fts::testing {

namespace fs = std::filesystem;

namespace {

// Differing bytes shown for a binary file; its records are 512 bytes long.
constexpr std::size_t kBytesShown = 16;
constexpr std::size_t kRecordBytes = 512;

bool is_text(const std::string& content) {
  return std::none_of(content.begin(), content.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c < 32 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 127;
  });
}

// The files of a folder and its subfolders, by path relative to it.
std::map<std::string, std::string> folder_files(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_directory()) continue;
    files[fs::relative(entry.path(), dir).generic_string()] = read_file(entry.path());
  }
  return files;
}

std::string masked(const Case& c, const std::string& file, const std::string& content) {
  const auto mask = c.masks.find(file);
  return mask == c.masks.end() ? content : mask->second(content);
}

}  // namespace

::testing::AssertionResult same_content(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  if (is_text(expected) && is_text(actual)) return same_lines(expected, actual);
  auto failure = ::testing::AssertionFailure();
  failure << "binary contents differ (expected " << expected.size() << " bytes, got "
          << actual.size() << "):\n";
  std::size_t shown = 0;
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common && shown < kBytesShown; ++i) {
    if (expected[i] == actual[i]) continue;
    ++shown;
    failure << "  byte " << i << " (record " << i / kRecordBytes + 1 << ", byte "
            << i % kRecordBytes + 1 << "): expected "
            << static_cast<int>(static_cast<unsigned char>(expected[i])) << ", got "
            << static_cast<int>(static_cast<unsigned char>(actual[i])) << "\n";
  }
  return failure;
}

::testing::AssertionResult run_case(const std::string& name, const fs::path& cases, const Case& c) {
  std::ostringstream problems;
  const std::string prefix = c.name + ".";
  if (c.name.empty() || c.name.find('.') != std::string::npos) {
    return ::testing::AssertionFailure() << "bad case name \"" << c.name << "\"";
  }
  const fs::path executable = program(name);
  if (!fs::exists(executable)) {
    return ::testing::AssertionFailure() << "program not built: " << executable;
  }

  // Gather the case's files.
  const fs::path stdin_file = cases / (prefix + "stdin");
  const fs::path stdout_file = cases / (prefix + "stdout");
  for (const fs::path& p : {stdin_file, stdout_file}) {
    if (!fs::is_regular_file(p)) {
      return ::testing::AssertionFailure() << "case " << c.name << ": missing " << p;
    }
  }
  std::map<std::string, std::string> inputs;
  std::map<std::string, std::string> expected = c.expected;
  for (const auto& entry : fs::directory_iterator(cases)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind(prefix + "in.", 0) == 0) {
      inputs[file.substr(prefix.size() + 3)] = read_file(entry.path());
    } else if (file.rfind(prefix + "out.", 0) == 0) {
      expected[file.substr(prefix.size() + 4)] = read_file(entry.path());
    }
  }

  // Prepare a fresh run folder and run the program in it.
  TempDir dir;
  for (const auto& [file, content] : inputs) write_file(dir / file, content);
  if (c.setup) c.setup(dir.path());
  const std::map<std::string, std::string> before = folder_files(dir.path());
  const RunResult result = run_program(executable, read_file(stdin_file), dir.path(), c.time_limit);
  if (result.timed_out) {
    problems << "did not finish within " << c.time_limit.count() << " s (killed)\n";
  } else if (result.exit_status != 0) {
    problems << "exit status " << result.exit_status << ", expected 0\n";
  }

  // Standard output.
  const auto out = same_lines(masked(c, kStandardOutput, read_file(stdout_file)),
                              masked(c, kStandardOutput, result.output));
  if (!out) problems << "standard output: " << out.message() << "\n";

  // Expected files, unchanged inputs, nothing else.
  const std::map<std::string, std::string> after = folder_files(dir.path());
  for (const auto& [file, content] : expected) {
    const auto it = after.find(file);
    if (it == after.end()) {
      problems << "file " << file << ": not written\n";
      continue;
    }
    const auto compare = c.compares.find(file);
    const Compare& same_as = compare == c.compares.end() ? Compare(same_content) : compare->second;
    const auto same = same_as(masked(c, file, content), masked(c, file, it->second));
    if (!same) problems << "file " << file << ": " << same.message() << "\n";
  }
  for (const auto& [file, content] : after) {
    if (expected.count(file) != 0) continue;
    const auto it = before.find(file);
    if (it == before.end()) {
      problems << "file " << file << ": written, but not expected\n";
    } else if (it->second != content) {
      problems << "file " << file << ": input changed by the run\n";
    }
  }
  for (const auto& [file, content] : before) {
    if (after.count(file) == 0 && expected.count(file) == 0) {
      problems << "file " << file << ": input removed by the run\n";
    }
  }

  const std::string text = problems.str();
  if (text.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "case " << c.name << " of " << name << ":\n" << text;
}

}  // namespace fts::testing
