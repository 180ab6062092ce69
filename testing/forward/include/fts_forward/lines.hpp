// lines: rotational lines of a band and the line parameter file the fit programs read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace fts::forward {

// Second radiation constant hc/k, cm K: c2*E/T is the Boltzmann exponent of a term value E
// (cm-1) at temperature T (K).
constexpr double kC2 = 1.438833;

// One rotational line.
struct Line {
  double wavenumber = 0.0;    // true wavenumber, cm-1
  double initial_term = 0.0;  // term value of the initial (emitting, upper) state, cm-1
  double final_term = 0.0;    // term value of the final (lower) state, cm-1
  double strength = 0.0;      // relative strength; a line of strength 0 is no line
  int32_t label1 = 0;         // two integers carried in the file for the reader's eye
  int32_t label2 = 0;
};

// The state whose term values set the populations.
enum class BoltzmannState { initial, final };

double term_value(const Line& line, BoltzmannState state);

// The lines in ascending order of wavenumber (equal wavenumbers keep their order).
std::vector<Line> sorted_lines(std::span<const Line> lines);

// The text of a line parameter file: one line per rotational line in ascending order of
// wavenumber, six values in free format (wavenumber, the two term values, strength and the two
// integers), separated by blanks, with enough digits that reading them back changes nothing
// that matters (wavenumbers and term values to 1e-6 cm-1, strengths to 9 digits).
std::string line_file_text(std::span<const Line> lines);

// Writes line_file_text(LINES) as the new file PATH. False, with ERROR saying why, when the file
// exists already or cannot be written.
bool write_line_file(const std::filesystem::path& path, std::span<const Line> lines,
                     std::string& error);

// Writes TEXT as the new file PATH (never over an existing file); false, with ERROR, on failure.
bool write_new_text_file(const std::filesystem::path& path, const std::string& text,
                         std::string& error);

}  // namespace fts::forward
