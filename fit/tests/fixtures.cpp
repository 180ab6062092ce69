// fixtures: input files of the fit cases made by the forward model.
#include "fixtures.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fit::cases {

std::vector<fw::Line> band_lines() {
  std::vector<fw::Line> lines;
  for (int32_t n = 1; n <= 14; ++n) {
    fw::Line line;
    line.wavenumber = 6805.0 + 4.3 * n + 0.06 * n * n;
    line.initial_term = 5.0 * n * (n + 1);
    line.final_term = 5.6 * n * (n + 1);
    line.strength = n == 6 ? 0.0 : 2.0 * n + 1.0;
    line.label1 = n;
    line.label2 = 1;
    lines.push_back(line);
  }
  lines.push_back({6700.0, 2000.0, 2100.0, 3.0, 0, 2});
  lines.push_back({6990.0, 1500.0, 1600.0, 5.0, 0, 2});
  return fw::sorted_lines(lines);
}

std::vector<fw::Line> even_lines(int32_t count, double first, double last) {
  std::vector<fw::Line> lines;
  const double step = (last - first) / std::max(count - 1, 1);
  for (int32_t j = 0; j < count; ++j) {
    const int32_t n = j % 20 + 1;
    fw::Line line;
    line.wavenumber = first + step * j + 0.1 * std::sin(j);
    line.initial_term = 5.0 * n * (n + 1);
    line.final_term = 5.6 * n * (n + 1);
    line.strength = 2.0 * n + 1.0;
    line.label1 = n;
    lines.push_back(line);
  }
  return fw::sorted_lines(lines);
}

fw::Axis Night::axis() const {
  fw::Axis a;
  fw::make_axis(first, last, interval, res, window, margin, a);
  return a;
}

std::vector<double> Night::response() const {
  const fw::Grid g = grid();
  std::vector<double> r(static_cast<std::size_t>(g.points));
  for (int32_t i = 1; i <= g.points; ++i) {
    r[static_cast<std::size_t>(i - 1)] = 1.0 + response_slope * (g.at(i) - 6835.0);
  }
  return r;
}

std::vector<double> solar_shape(const Night& night, int32_t k) {
  const fw::Grid g = night.grid();
  std::vector<double> s(static_cast<std::size_t>(g.points));
  for (int32_t i = 1; i <= g.points; ++i) {
    s[static_cast<std::size_t>(i - 1)] =
        1.0 + 0.3 * std::sin(2.0 * std::numbers::pi * (g.at(i) - 6800.0) / 7.0 + k);
  }
  return s;
}

namespace {

fw::ScanItems items_of(const Night& night, int64_t minute) {
  fw::ScanItems items;
  items.axis = night.axis();
  items.time = fw::scan_time(night.day, night.start_ms + minute * 60000, night.scan_ms);
  items.site = night.site;
  return items;
}

}  // namespace

bool write_night(const std::filesystem::path& path, const Night& night,
                 std::span<const ScanPlan> scans) {
  const fw::Axis axis = night.axis();
  const fw::Grid grid = fw::axis_grid(axis);
  const fw::Band band(night.lines, night.state, night.cal, grid, night.window,
                      fw::axis_resolution(axis));
  const std::vector<double> response = night.response();
  fw::Noise noise(night.seed);
  fw::ScanWriter writer;
  if (!writer.open(path)) return false;
  bool written = true;
  for (const ScanPlan& plan : scans) {
    fw::Terms terms;
    terms.temperature = plan.T;
    terms.band_intensity = plan.BI;
    terms.solar_amplitude = plan.SA;
    terms.gain = 1.0;
    for (const int32_t g : plan.gains) terms.gain *= std::max(g, 1);
    const std::vector<double> solar =
        plan.SA != 0.0 ? solar_shape(night, plan.solar) : std::vector<double>();
    std::vector<double> values = fw::spectrum(band, terms, response, solar);
    for (int32_t i = 1; i <= grid.points; ++i) {
      values[static_cast<std::size_t>(i - 1)] +=
          plan.offset + plan.slope * (grid.at(i) - grid.first);
    }
    if (plan.noise > 0.0) noise.add(values, plan.noise);
    fw::ScanItems items = items_of(night, plan.minute);
    items.gains = plan.gains;
    fts::Header hdr = fw::spectrum_header(items);
    if (plan.edit) plan.edit(hdr);
    written = written && writer.write(hdr, values);
  }
  return writer.close() && written;
}

bool write_response(const std::filesystem::path& path, const Night& night) {
  return fw::write_response_file(path, items_of(night, 0), night.response());
}

bool write_solar(const std::filesystem::path& path, const Night& night, bool sorted) {
  std::vector<fw::SolarSpectrum> spectra;
  for (std::size_t k = 0; k < night.solar_keys.size(); ++k) {
    spectra.push_back({night.solar_keys[k], solar_shape(night, static_cast<int32_t>(k))});
  }
  if (sorted) return fw::write_solar_file(path, items_of(night, 0), spectra);
  fw::ScanWriter writer;
  if (!writer.open(path)) return false;
  bool written = true;
  for (const fw::SolarSpectrum& s : spectra) {
    fw::ScanItems items = items_of(night, 0);
    items.sun_key = s.key;
    written = written && writer.write(fw::spectrum_header(items), s.values);
  }
  return writer.close() && written;
}

bool write_lines(const std::filesystem::path& path, std::span<const fw::Line> lines) {
  std::string error;
  return fw::write_line_file(path, lines, error);
}

bool write_text(const std::filesystem::path& path, const std::string& text) {
  std::string error;
  return fw::write_new_text_file(path, text, error);
}

}  // namespace fit::cases
