// Tests of the end-to-end case runner, with lissorak as its sample program, and a check that
// every case file of every program belongs to a case its tests run.
#include "fts_testing/cases.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#include "fts_testing/run.hpp"

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;

const fs::path kLissorakCases = ft::source_path("lissorak/tests/cases");

// The case runner itself, with lissorak as its sample program: every kind of difference fails
// the case with a message naming it, and a mask hides what it is given to hide.

// A copy of the case five_minute_steps under the name "sample" in a folder of its own, changed
// by CHANGE.
void sample_case(const std::filesystem::path& dir,
                 const std::function<void(const std::filesystem::path&)>& change) {
  for (const char* suffix : {".stdin", ".stdout", ".in.fit.txt", ".out.smooth.txt"}) {
    ft::write_file(dir / (std::string("sample") + suffix),
                   ft::read_file(kLissorakCases / (std::string("five_minute_steps") + suffix)));
  }
  change(dir);
}

TEST(CaseRunner, FailsOnEveryKindOfDifference) {
  struct Case {
    const char* what;
    std::function<void(const std::filesystem::path&)> change;
    const char* message;  // part of the failure message
  };
  const Case kDifferences[] = {
      {"standard output", [](const auto& d) { ft::write_file(d / "sample.stdout", "x\n"); },
       "standard output: texts differ"},
      {"an output file", [](const auto& d) { ft::write_file(d / "sample.out.smooth.txt", " 1\n"); },
       "file smooth.txt: texts differ"},
      {"a file not written", [](const auto& d) { ft::write_file(d / "sample.out.x.txt", ""); },
       "file x.txt: not written"},
      {"a file not expected",
       [](const auto& d) { std::filesystem::remove(d / "sample.out.smooth.txt"); },
       "file smooth.txt: written, but not expected"},
      {"a missing answer file", [](const auto& d) { std::filesystem::remove(d / "sample.stdin"); },
       "missing"},
  };
  for (const Case& c : kDifferences) {
    SCOPED_TRACE(c.what);
    ft::TempDir cases;
    sample_case(cases.path(), c.change);
    const auto result = ft::run_case("lissorak", cases.path(), ft::Case{.name = "sample"});
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find(c.message), std::string::npos) << result.message();
  }
}

// Every line with its day field (columns 1 to 7) blanked.
std::string without_days(std::string text) {
  for (std::size_t line = 0; line + 7 <= text.size();) {
    text.replace(line, 7, 7, ' ');
    const auto end = text.find('\n', line);
    if (end == std::string::npos) break;
    line = end + 1;
  }
  return text;
}

TEST(CaseRunner, ComparesWhatTheMasksLeave) {
  ft::TempDir cases;
  sample_case(cases.path(), [](const auto& d) {
    std::string text = ft::read_file(d / "sample.out.smooth.txt");
    for (auto at = text.find("739600"); at != std::string::npos; at = text.find("739600", at)) {
      text.replace(at, 6, "000000");
    }
    ft::write_file(d / "sample.out.smooth.txt", text);
  });
  EXPECT_FALSE(ft::run_case("lissorak", cases.path(), ft::Case{.name = "sample"}));
  EXPECT_TRUE(ft::run_case("lissorak", cases.path(),
                           ft::Case{.name = "sample", .masks = {{"smooth.txt", without_days}}}));
}

TEST(CaseRunner, ShowsBinaryDifferencesByRecordAndByte) {
  std::string expected(1024, '\0');
  std::string actual = expected;
  actual[515] = '\x07';
  const auto result = ft::same_content(expected, actual);
  EXPECT_FALSE(result);
  EXPECT_NE(std::string(result.message()).find("byte 515 (record 2, byte 4): expected 0, got 7"),
            std::string::npos)
      << result.message();
  EXPECT_TRUE(ft::same_content(expected, expected));
}

// ---------------------------------------------------------------------------------------------
// Every case file must belong to a case that a test runs: its case name (the file name up to
// the first dot) appears as a quoted string in one of the program's end-to-end test sources.
// A case file that no test names would silently test nothing.

TEST(CaseFiles, EveryOneBelongsToACaseItsProgramsTestsName) {
  int folders = 0;
  for (const auto& program : fs::directory_iterator(ft::source_path(""))) {
    const fs::path cases = program.path() / "tests" / "cases";
    if (!fs::is_directory(cases)) continue;
    ++folders;
    std::string sources;
    for (const auto& file : fs::directory_iterator(program.path() / "tests")) {
      const std::string name = file.path().filename().string();
      if (name.ends_with("_test.cpp")) sources += ft::read_file(file.path());
    }
    std::set<std::string> names;
    for (const auto& file : fs::directory_iterator(cases)) {
      const std::string name = file.path().filename().string();
      names.insert(name.substr(0, name.find('.')));
    }
    for (const std::string& name : names) {
      EXPECT_NE(sources.find('"' + name + '"'), std::string::npos)
          << "case " << name << " of " << cases << " is named by no test";
    }
  }
  EXPECT_GE(folders, 4);
}

}  // namespace
