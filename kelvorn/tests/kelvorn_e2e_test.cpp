// End-to-end cases of kelvorn: the built program run on the answer files of tests/cases over
// spectra made by the forward model of the test helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fit_cases.hpp"
#include "fts_testing/run.hpp"

namespace {

namespace ft = fts::testing;
namespace fc = fit::cases;

const std::filesystem::path kCases = ft::source_path("kelvorn/tests/cases");

const char* const kCaseNames[] = {
    // Fits.
    "noise_free_night",
    "small_run",
    // Failure paths.
    "data_missing",
    "first_scan_beyond_end",
    "range_past_end",
    "range_reversed",
    "range_zero",
    "end_of_answers",
    "unreadable_answer",
    "mismatched_scan",
    "too_many_points",
    "complex_too_many_elements",
    // Refusals and scans without a fit.
    "temperature_refused",
    "time_constant_refused",
    "time_constant_too_short",
    "undefined_line_shape",
    "undefined_axis_first",
    "undefined_axis_later",
    "no_degrees_of_freedom",
    "not_finite_data",
    "no_lines",
};

class KelvornCase : public ::testing::TestWithParam<const char*> {};

TEST_P(KelvornCase, RunsAsExpected) {
  EXPECT_TRUE(fc::run_fit_case("kelvorn", kCases, GetParam(), fc::setup_for(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Cases, KelvornCase, ::testing::ValuesIn(kCaseNames),
                         [](const auto& test) { return std::string(test.param); });

}  // namespace
