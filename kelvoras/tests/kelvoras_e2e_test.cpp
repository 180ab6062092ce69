// End-to-end cases of kelvoras: the built program run on the answer files of tests/cases over
// spectra made by the forward model of the test helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fit_cases.hpp"
#include "fts_testing/run.hpp"

namespace {

namespace ft = fts::testing;
namespace fc = fit::cases;

const std::filesystem::path kCases = ft::source_path("kelvoras/tests/cases");

const char* const kCaseNames[] = {
    // Fits.
    "noise_free_night",
    "small_run",
    "inputs_in_one_run",
    // Solar spectra selected by the sun angle.
    "twilight_header_site",
    "twilight_typed_site",
    "first_selection_nearest",
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
    "response_and_solar_too_fine",
    // Refusals and scans without a fit.
    "temperature_refused",
    "time_constant_refused",
    "filter_order_refused",
    "time_constant_too_short",
    "undefined_line_shape",
    "undefined_axis_first",
    "undefined_axis_later",
    "no_degrees_of_freedom",
    "not_finite_data",
    "no_lines",
};

class KelvorasCase : public ::testing::TestWithParam<const char*> {};

TEST_P(KelvorasCase, RunsAsExpected) {
  EXPECT_TRUE(fc::run_fit_case("kelvoras", kCases, GetParam(), fc::setup_for(GetParam())));
}

// The noise-free night comes back at the temperatures and band intensities it was made with
// (the case above holds the program to its fit values file; this reads what that file says).
TEST(NoiseFreeNight, IsFittedBackToItsTemperaturesAndIntensities) {
  constexpr double kTemperature = 0.05;  // K
  constexpr double kIntensity = 5e-4;    // relative
  std::istringstream values(ft::read_file(kCases / "noise_free_night.out.values.txt"));
  std::string line;
  int32_t k = 0;
  while (std::getline(values, line)) {
    ++k;
    SCOPED_TRACE(line);
    ASSERT_EQ(line.size(), 76u);
    const double BI = std::stod(line.substr(21, 11));
    const double T = std::stod(line.substr(45, 9));
    EXPECT_NEAR(T, fc::noise_free_temperature(k), kTemperature);
    EXPECT_NEAR(BI, fc::noise_free_intensity(k), kIntensity * fc::noise_free_intensity(k));
  }
  EXPECT_EQ(k, 5);
}

INSTANTIATE_TEST_SUITE_P(Cases, KelvorasCase, ::testing::ValuesIn(kCaseNames),
                         [](const auto& test) { return std::string(test.param); });

}  // namespace
