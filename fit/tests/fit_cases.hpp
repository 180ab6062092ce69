// fit_cases: the end-to-end cases of the two fit programs run through the shared case runner,
// with a recording mode for making a new case's expected files (to be read through before they
// are committed).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace fit::cases {

// Writes a case's input files into the run folder.
using Setup = std::function<void(const std::filesystem::path& dir)>;

// Runs PROGRAM on case NAME of the folder CASES (NAME.stdin, NAME.stdout, NAME.in.*, NAME.out.*)
// with SETUP writing the inputs made in code, and compares standard output and every file.
// With the environment variable FIT_RECORD_CASES set, runs it instead and writes what the run
// gave as NAME.stdout and NAME.out.* into CASES.
::testing::AssertionResult run_fit_case(const std::string& program,
                                        const std::filesystem::path& cases, const std::string& name,
                                        const Setup& setup);

}  // namespace fit::cases

namespace fit::cases {

// The inputs of the case NAME, shared by the two programs' cases (an unknown name writes none).
Setup setup_for(const std::string& name);

// The truth of the noise-free night: temperature and band intensity of scan K (from 1).
double noise_free_temperature(int32_t k);
double noise_free_intensity(int32_t k);

}  // namespace fit::cases
