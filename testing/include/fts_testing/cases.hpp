// End-to-end cases of a program: answer file, expected standard output, input files and expected
// output files, kept as files named after the case and compared exactly after a run.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace fts::testing {

// A case NAME in a program's cases folder is the set of files
//   NAME.stdin        the answers, the program's standard input (required)
//   NAME.stdout       the expected standard output (required)
//   NAME.in.FILE      copied as FILE into a fresh run folder before the run
//   NAME.out.FILE     the expected content of FILE after the run
// Case names hold no dots. After the run, standard output and every expected file must match
// exactly (after masking); the inputs must be unchanged unless an expected content is given for
// them; any other file left in the run folder fails the case.

// Key of the masks map that stands for standard output.
inline const std::string kStandardOutput = "<stdout>";

// Rewrites what legitimately changes from run to run (a write-time stamp, a date text); applied
// alike to the expected and the actual content before they are compared.
using Mask = std::function<std::string(const std::string& content)>;

// Compares an expected file content with the actual one (both masked); same_content by default,
// same_scan_file (scandiff.hpp) for a readable account of scan files.
using Compare = std::function<::testing::AssertionResult(const std::string& expected,
                                                         const std::string& actual)>;

struct Case {
  std::string name;
  // Writes further input files into the run folder before the run (fixtures built in code).
  std::function<void(const std::filesystem::path& dir)> setup = {};
  // Expected output files given in code, by file name, beside the NAME.out.FILE files.
  std::map<std::string, std::string> expected = {};
  // Masks by file name, or kStandardOutput for standard output.
  std::map<std::string, Mask> masks = {};
  // A run that takes longer is killed and fails (a hang never blocks the suite).
  std::chrono::seconds time_limit = std::chrono::seconds(30);
  // Comparisons by file name, for files that same_content does not show readably.
  std::map<std::string, Compare> compares = {};
};

// Runs the built program PROGRAM (build/bin/PROGRAM) on case C of the folder CASES in a fresh
// temporary folder and compares the outcome; a failure lists every difference, text files as a
// line diff, binary files by their first differing bytes.
::testing::AssertionResult run_case(const std::string& program, const std::filesystem::path& cases,
                                    const Case& c);

// Compares the content of one file; text and binary contents are told apart by their bytes.
::testing::AssertionResult same_content(const std::string& expected, const std::string& actual);

}  // namespace fts::testing
