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

}  // namespace
