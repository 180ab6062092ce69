// magnorav: the spectrum scaler: its questions, the scaling of a spectrum's elements, the load
// and store of the one spectrum, and the run.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fts/header.hpp"

namespace magnorav {

constexpr int32_t kInputUnit = 1;         // the scan file read (the model file)
constexpr int32_t kOutputUnit = 3;        // the scan file written
constexpr std::size_t kName = 64;         // characters of a file name answer
constexpr int64_t kWorkElements = 65536;  // elements of the work array

// The program's messages, each followed by "#ERROR".
constexpr std::string_view kOpenInputError = " ERROR OPENING MODEL FILE";
constexpr std::string_view kOpenOutputError = " ERROR OPENING OUTPUT FILE";
constexpr std::string_view kReadFileError = " ERROR READING MODEL FILE";
constexpr std::string_view kReadSpectrumError = " ERROR READING MODEL SPECTRUM";
constexpr std::string_view kWriteError = " ERROR ON WRITE TO OUTPUT FILE";

// ---------------------------------------------------------------------------------------------
// Questions

// The answers to the five questions.
struct Answers {
  std::string input;   // input file name, 64 characters
  int32_t NFRAME = 0;  // scan to take
  float FACT = 0;      // scaling factor
  float OFFS = 0;      // offset
  std::string output;  // output file name, 64 characters
};

// Asks the five questions and reads the answers; an answer that cannot be read stops the run.
void ask(Answers& answers);

// ---------------------------------------------------------------------------------------------
// Scaling

// Elements that loading the whole spectrum of header HDR brings (points, twice for complex).
int64_t spectrum_elements(const fts::Header& HDR);
// ARRAY(i) = FACT*ARRAY(i) + OFFS for data of representation QQDREP (complex: offset on the
// real parts only), in double precision rounded once to float.
void scale(std::span<float> ARRAY, int32_t QQDREP, float FACT, float OFFS);

// ---------------------------------------------------------------------------------------------
// The program

// Loads the whole spectrum of the scan whose header HDR was just read; stops the run when it
// does not fit ARRAY or cannot be loaded.
void load_spectrum(const fts::Header& HDR, std::span<float> ARRAY, fts::Header& AHDR, double W1,
                   double W2);
// Writes ARRAY, described by AHDR, as the output file's scan behind header HDR; stops the run
// when it cannot be stored.
void store_spectrum(fts::Header& HDR, std::span<const float> ARRAY, const fts::Header& AHDR,
                    double W1, double W2);
// The whole run; returns the exit status.
int run();

}  // namespace magnorav
