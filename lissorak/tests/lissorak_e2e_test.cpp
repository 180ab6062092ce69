// End-to-end cases of lissorak: the built program run on the answer files of tests/cases.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fts_testing/cases.hpp"
#include "fts_testing/run.hpp"

namespace {

namespace ft = fts::testing;

const std::filesystem::path kCases = ft::source_path("lissorak/tests/cases");

// Cases that are files only.
constexpr const char* kFileCases[] = {
    "five_minute_steps",         // 0 .. 25 minutes, limit 10: two five-record means
    "gap_after_two",             // 0, 5, 30 minutes: the mean of two, the third left buffered
    "isolated_record",           // a record far from both neighbours is written as read
    "end_one_record",            // one record: nothing written
    "end_four_records",          // four records without a gap: nothing written
    "gap_equal_to_limit",        // a difference equal to the limit is no gap
    "time_backwards",            // a time running backwards is no gap
    "filter_on_zero",            // a record with VAL1 = 0 dropped by the filter
    "filter_off_zero",           // ... and averaged without it
    "weighted_mean",             // 10 +- 1 and 20 +- 2 give 12 +- 0.8944
    "count_truncated",           // counts 3 and 4 give 3
    "zero_error",                // a standard error of 0: plain mean, error 0
    "kelvoras_long_layout",      // a fit-values file in the 108-column layout
    "unreadable_lines_skipped",  // unreadable later lines skipped silently
    "empty_input",               // no record: an empty output file
    "first_record_unreadable",   // diagnostic, no output file left
    "missing_input",             // diagnostic, no output file
    "output_exists",             // diagnostic, the existing file unchanged
    "no_input_name",             // a blank answer names no file
    "output_name_too_long",      // more than 128 characters (trailing blanks do not count)
    "gap_not_a_number",          // diagnostic before any file is opened
    "gap_null_value",            // a null answer is no number either
    "eof_at_input_name",         // end of standard input at each question
    "eof_at_output_name",
    "eof_at_filter",
    "eof_at_gap",
};

class LissorakCase : public ::testing::TestWithParam<const char*> {};

TEST_P(LissorakCase, RunsAsExpected) {
  EXPECT_TRUE(ft::run_case("lissorak", kCases, ft::Case{.name = GetParam()}));
}

INSTANTIATE_TEST_SUITE_P(Files, LissorakCase, ::testing::ValuesIn(kFileCases),
                         [](const auto& name) { return std::string(name.param); });

// The output of one run is a valid input of another: the second pass smooths the expected
// output of the long-layout case.
TEST(LissorakChain, SmoothsTheOutputOfAnEarlierRun) {
  const ft::Case c{.name = "rerun_output", .setup = [](const std::filesystem::path& dir) {
                     ft::write_file(dir / "fit.txt",
                                    ft::read_file(kCases / "kelvoras_long_layout.out.smooth.txt"));
                   }};
  EXPECT_TRUE(ft::run_case("lissorak", kCases, c));
}

// A folder is no input file.
TEST(LissorakFolder, IsRefusedAsInput) {
  const ft::Case c{.name = "input_is_folder", .setup = [](const std::filesystem::path& dir) {
                     std::filesystem::create_directory(dir / "data");
                   }};
  EXPECT_TRUE(ft::run_case("lissorak", kCases, c));
}

// ---------------------------------------------------------------------------------------------
// The case runner itself, with lissorak as its sample program: every kind of difference fails
// the case with a message naming it, and a mask hides what it is given to hide.

// A copy of the case five_minute_steps under the name "sample" in a folder of its own, changed
// by CHANGE.
void sample_case(const std::filesystem::path& dir,
                 const std::function<void(const std::filesystem::path&)>& change) {
  for (const char* suffix : {".stdin", ".stdout", ".in.fit.txt", ".out.smooth.txt"}) {
    ft::write_file(dir / (std::string("sample") + suffix),
                   ft::read_file(kCases / (std::string("five_minute_steps") + suffix)));
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

}  // namespace
