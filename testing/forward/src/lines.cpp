// lines: rotational lines of a band and the line parameter file the fit programs read.
#include "fts_forward/lines.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace fts::forward {

double term_value(const Line& line, BoltzmannState state) {
  return state == BoltzmannState::initial ? line.initial_term : line.final_term;
}

std::vector<Line> sorted_lines(std::span<const Line> lines) {
  std::vector<Line> sorted(lines.begin(), lines.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Line& a, const Line& b) { return a.wavenumber < b.wavenumber; });
  return sorted;
}

std::string line_file_text(std::span<const Line> lines) {
  std::string text;
  char buffer[160];
  for (const Line& line : sorted_lines(lines)) {
    std::snprintf(buffer, sizeof buffer, "%.6f %.6f %.6f %.9g %d %d\n", line.wavenumber,
                  line.initial_term, line.final_term, line.strength, line.label1, line.label2);
    text += buffer;
  }
  return text;
}

bool write_new_text_file(const std::filesystem::path& path, const std::string& text,
                         std::string& error) {
  // "x": the file is created and must not exist.
  std::FILE* file = std::fopen(path.c_str(), "wx");
  if (file == nullptr) {
    error = "cannot create " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

bool write_line_file(const std::filesystem::path& path, std::span<const Line> lines,
                     std::string& error) {
  return write_new_text_file(path, line_file_text(lines), error);
}

}  // namespace fts::forward
