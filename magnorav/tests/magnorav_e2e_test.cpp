// End-to-end cases of magnorav: the built program run on the answer files of tests/cases, over
// model files built byte by byte (one with the library's own writer), with the expected output
// scan files built here from the record layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/lun.hpp"
#include "fts_testing/cases.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/scanbytes.hpp"
#include "fts_testing/scandiff.hpp"
#include "fts_testing/scanmask.hpp"

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;

const fs::path kCases = ft::source_path("magnorav/tests/cases");
const std::string kModel = "model.dat";    // the scan file every case reads
const std::string kScaled = "scaled.dat";  // the scan file every case asks for

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------------
// Header items, numbered from 1 (item i at index i - 1).

enum Item : int {
  QQSYSV = 65,
  QQDTYP = 66,
  QQDKND = 67,
  QQDREP = 68,
  QQGAN1 = 74,
  QQGAN2 = 75,
  QQGAN3 = 76,
  QQSSUN = 83,
  QQBORD = 94,
  QQFCDY = 129,
  QQFCMS = 130,
  QQFLEN = 131,
  QQDSIZ = 132,
  QQDSCL = 133,
  QQIBDY = 135,
  QQIBMS = 136,
  QQILEN = 148,
  QQSSMP = 160,
  QQSTSZ = 161,
  QQSSLP = 162,
  QQSOFF = 163,
  QQSLEN = 164,
};

int32_t& item(ft::HeaderItems& items, int i) {
  return items[static_cast<std::size_t>(i - 1)];
}

// Bytes of one element of each file type.
int32_t element_bytes(int32_t type) {
  return type == 0 ? 2 : 4;
}

// Header of a spectrum of POINTS points of element type TYPE, representation REP and scale
// exponent DSCL, on a spectrum axis of 192.9 per bin starting at bin 1000, with gains, times,
// texts and a user item that the scaler carries over.
ft::HeaderItems spectrum_items(int32_t type, int32_t rep, int32_t points, int32_t dscl) {
  ft::HeaderItems items = ft::blank_items();
  const std::string source = "MODEL SPECTRUM";
  for (std::size_t k = 0; k < source.size(); ++k) items[k] = source[k];
  const int32_t elements = rep == 2 ? 2 * points : points;
  item(items, QQSYSV) = 2;
  item(items, QQDTYP) = type;
  item(items, QQDKND) = 1;
  item(items, QQDREP) = rep;
  item(items, QQGAN1) = 3;
  item(items, QQGAN2) = 4;
  item(items, QQGAN3) = 5;
  item(items, QQSSUN) = 1;
  item(items, QQBORD) = 1;
  item(items, QQFCDY) = 739000;
  item(items, QQFCMS) = 43200000;
  item(items, QQFLEN) = ft::records_for(elements, element_bytes(type));
  item(items, QQDSIZ) = elements;
  item(items, QQDSCL) = dscl;
  item(items, QQIBDY) = 738950;
  item(items, QQIBMS) = 7200000;
  item(items, QQSSMP) = 6328;
  item(items, QQSTSZ) = 8192;
  item(items, QQSSLP) = 1;
  item(items, QQSOFF) = 1000;
  item(items, QQSLEN) = points;
  item(items, 215) = 183600;  // a site latitude
  return items;
}

// The header the scaler writes for the model header IN with ELEMENTS elements: 32-bit floats,
// scale exponent 0, gains 1, format 2, the suite's byte order; the write stamp (masked) 0.
ft::HeaderItems scaled_items(ft::HeaderItems in, int32_t elements) {
  item(in, QQSYSV) = 2;
  item(in, QQDTYP) = 2;
  item(in, QQGAN1) = 1;
  item(in, QQGAN2) = 1;
  item(in, QQGAN3) = 1;
  item(in, QQBORD) = 1;
  item(in, QQFCDY) = 0;
  item(in, QQFCMS) = 0;
  item(in, QQFLEN) = ft::records_for(elements, 4);
  item(in, QQDSIZ) = elements;
  item(in, QQDSCL) = 0;
  return in;
}

// FACT * X + OFFS in double precision, rounded once to a float.
float scaled(double x, double fact, double offs) {
  return static_cast<float>(fact * x + offs);
}

Bytes scan_file(const ft::HeaderItems& items, const std::vector<float>& data) {
  ft::ScanFileBytes file;
  file.add_header(items);
  file.add_data(data);
  return file.bytes();
}

// ---------------------------------------------------------------------------------------------
// Fixtures: the model file, and the output file expected after the run (none when no output file
// is left; empty when it is left empty).

struct Fixture {
  Bytes model;
  std::optional<Bytes> scaled;
};

// A real 16-bit spectrum of 300 points (two data records) with scale exponent 3, scaled by 2
// plus 1: a stored 4096 stands for 4096 * 2^(3-15) = 1.0 and is written as 3.0.
Fixture int16_spectrum() {
  constexpr int32_t kPoints = 300;
  const ft::HeaderItems items = spectrum_items(0, 0, kPoints, 3);
  std::vector<int16_t> stored = {4096, -4096, 0, 16384, 32767, -32768, 1, -1};
  for (int32_t k = static_cast<int32_t>(stored.size()); k < kPoints; ++k) {
    stored.push_back(static_cast<int16_t>((k * 2731) % 65536 - 32768));
  }
  std::vector<float> expected;
  for (int16_t v : stored)
    expected.push_back(scaled(std::ldexp(static_cast<double>(v), 3 - 15), 2.0, 1.0));
  EXPECT_EQ(expected[0], 3.0f);
  ft::ScanFileBytes model;
  model.add_header(items);
  model.add_data(stored);
  return {model.bytes(), scan_file(scaled_items(items, kPoints), expected)};
}

// A float spectrum whose header the scaler keeps (gains 1, format 2), written with the library's
// own writer; factor 1 and offset 0 copy it unchanged but for the write stamp.
Fixture float_spectrum_by_library() {
  constexpr int32_t kPoints = 200;
  ft::HeaderItems items = spectrum_items(2, 0, kPoints, 0);
  item(items, QQGAN1) = item(items, QQGAN2) = item(items, QQGAN3) = 1;
  std::vector<float> values;
  for (int32_t k = 0; k < kPoints; ++k) values.push_back(std::sin(0.1f * static_cast<float>(k)));

  // Written by STINDX in a folder of its own.
  const ft::TempDir dir;
  constexpr int32_t kUnit = 50;
  fts::Header ahdr;
  for (int32_t i = 1; i <= 224; ++i) ahdr(i) = items[static_cast<std::size_t>(i - 1)];
  fts::Header hdr;
  int32_t ierr = 0;
  fts::OPFOUT(kUnit, (dir / kModel).string(), ierr);
  EXPECT_EQ(ierr, 0);
  fts::STINDX(kUnit, hdr, values, ahdr, 2, 0, 1, kPoints, ierr);
  EXPECT_EQ(ierr, 0);
  fts::lun::close(kUnit);

  // The library's file is the table's file.
  const Bytes expected = scan_file(scaled_items(items, kPoints), values);
  const std::string model = ft::read_file(dir / kModel);
  EXPECT_TRUE(
      ft::same_scan_file(ft::mask_scan_stamps(std::string(expected.begin(), expected.end())),
                         ft::mask_scan_stamps(model)));
  return {Bytes(model.begin(), model.end()), expected};
}

// Two scans from a machine of the other byte order: an interferogram, then a real spectrum of
// 32-bit integers with scale exponent 5. Scan 2 is scaled by -0.5 plus 10.
Fixture foreign_scans() {
  constexpr int32_t kPoints = 150;
  ft::ScanFileBytes model(true);
  ft::HeaderItems interferogram = spectrum_items(1, 0, 0, 0);
  item(interferogram, QQDKND) = 0;
  item(interferogram, QQILEN) = 128;
  item(interferogram, QQDSIZ) = 128;
  item(interferogram, QQFLEN) = 1;
  item(interferogram, QQBORD) = 0;
  model.add_header(interferogram);
  model.add_data(std::vector<int32_t>(128, 77));

  ft::HeaderItems items = spectrum_items(1, 0, kPoints, 5);
  item(items, QQBORD) = 0;
  std::vector<int32_t> stored;
  std::vector<float> expected;
  for (int32_t k = 0; k < kPoints; ++k) {
    const auto v = static_cast<int32_t>((int64_t{k} * 28629151) % 2147483647 - 1073741823);
    stored.push_back(v);
    const auto x = static_cast<float>(std::ldexp(static_cast<double>(v), 5 - 31));
    expected.push_back(scaled(x, -0.5, 10.0));
  }
  model.add_header(items);
  model.add_data(stored);
  return {model.bytes(), scan_file(scaled_items(items, kPoints), expected)};
}

// A complex float spectrum of 100 points scaled by 2 plus 1: every point scaled, the offset added
// to the real parts.
Fixture complex_scan() {
  constexpr int32_t kPoints = 100;
  const ft::HeaderItems items = spectrum_items(2, 2, kPoints, 0);
  std::vector<float> values, expected;
  for (int32_t k = 0; k < 2 * kPoints; ++k) {
    const float v = 0.25f * static_cast<float>(k - kPoints);
    values.push_back(v);
    expected.push_back(scaled(v, 2.0, k % 2 == 0 ? 1.0 : 0.0));
  }
  return {scan_file(items, values), scan_file(scaled_items(items, 2 * kPoints), expected)};
}

// A real float spectrum that fills the work array: 65536 points, offset 0.5.
Fixture full_work_array() {
  constexpr int32_t kPoints = 65536;
  const ft::HeaderItems items = spectrum_items(2, 0, kPoints, 0);
  std::vector<float> values, expected;
  for (int32_t k = 0; k < kPoints; ++k) {
    values.push_back(static_cast<float>(k));
    expected.push_back(scaled(k, 1.0, 0.5));
  }
  return {scan_file(items, values), scan_file(scaled_items(items, kPoints), expected)};
}

// A 16-bit spectrum of POINTS points in representation REP: too large for the work array
// when they are more than 65536. The output file is created before, and left empty.
Fixture large_spectrum(int32_t rep, int32_t points) {
  const ft::HeaderItems items = spectrum_items(0, rep, points, 0);
  const auto elements = static_cast<std::size_t>(rep == 2 ? 2 * points : points);
  ft::ScanFileBytes model;
  model.add_header(items);
  model.add_data(std::vector<int16_t>(elements, 9));
  return {model.bytes(), Bytes()};
}

// Model files on which the run stops after creating the output file, which stays empty.
Fixture scan_without_axis() {
  ft::HeaderItems items = spectrum_items(2, 0, 50, 0);
  item(items, QQSSMP) = 0;
  return {scan_file(items, std::vector<float>(50, 1.0f)), Bytes()};
}

Fixture two_spectra_then_empty() {
  const ft::HeaderItems items = spectrum_items(2, 0, 20, 0);
  Bytes model = scan_file(items, std::vector<float>(20, 2.0f));
  const Bytes second = scan_file(items, std::vector<float>(20, 3.0f));
  model.insert(model.end(), second.begin(), second.end());
  return {model, Bytes()};
}

// ---------------------------------------------------------------------------------------------
// The cases.

// What is in the run folder before the run besides the model file.
enum class Before { model, model_and_output, nothing };

struct ScaleCase {
  const char* name;
  std::function<Fixture()> fixture;
  Before before = Before::model;
};

// The foreign file of two scans, asked for its first scan, an interferogram.
Fixture interferogram_first() {
  Fixture f = foreign_scans();
  f.scaled = Bytes();
  return f;
}

// A model file after which no output file is left.
Fixture no_output() {
  Fixture f = int16_spectrum();
  f.scaled.reset();
  return f;
}

const ScaleCase kScaleCases[] = {
    {"int16_scale_exponent", int16_spectrum},
    {"float_copy", float_spectrum_by_library},
    {"foreign_second_scan", foreign_scans},
    {"complex_scan", complex_scan},
    {"full_work_array", full_work_array},
    // Numbers in free format: after a blank line, with the rest of their line ignored.
    {"free_format_answers", int16_spectrum},
    // Stops after the output file is created: it stays empty.
    {"too_large", [] { return large_spectrum(0, 65537); }},
    {"complex_too_large", [] { return large_spectrum(2, 32769); }},
    {"scan_zero", two_spectra_then_empty},
    {"frame_past_the_end", two_spectra_then_empty},
    {"interferogram", interferogram_first},
    {"scan_without_axis", scan_without_axis},
    // Stops before the output file is created.
    {"output_exists", no_output, Before::model_and_output},
    {"input_missing", no_output, Before::nothing},
    {"factor_not_a_number", no_output},
    {"frame_not_an_integer", no_output},
    {"offset_null", no_output},
    {"end_of_answers", no_output},
};

void PrintTo(const ScaleCase& sc, std::ostream* os) {
  *os << sc.name;
}

class MagnoravCase : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(MagnoravCase, RunsAsExpected) {
  const ScaleCase& sc = GetParam();
  const Fixture f = sc.fixture();
  ft::Case c{.name = sc.name,
             .setup =
                 [&](const fs::path& dir) {
                   if (sc.before != Before::nothing) ft::write_bytes(dir / kModel, f.model);
                   if (sc.before == Before::model_and_output) {
                     ft::write_file(dir / kScaled, "an older scan file");
                   }
                 },
             .masks = {{kScaled, ft::mask_scan_stamps}},
             .compares = {{kScaled, ft::same_scan_file}}};
  if (f.scaled) c.expected[kScaled] = std::string(f.scaled->begin(), f.scaled->end());
  EXPECT_TRUE(ft::run_case("magnorav", kCases, c));
}

INSTANTIATE_TEST_SUITE_P(Cases, MagnoravCase, ::testing::ValuesIn(kScaleCases),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
