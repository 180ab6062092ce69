// End-to-end cases of combirax: the built program run on the answer files of tests/cases, with
// input scan files built byte by byte from the record layout (one also by the library's writer)
// and the expected average files built here from the same layout and independently computed
// means.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "fts_testing/cases.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/scanbytes.hpp"
#include "fts_testing/scanmask.hpp"

namespace {

namespace ft = fts::testing;
namespace fs = std::filesystem;

const fs::path kCases = ft::source_path("combirax/tests/cases");

// ---------------------------------------------------------------------------------------------
// The scan-file layout, written out here from the format's tables rather than taken from the
// library, so that a wrong item number there cannot hide.

// Header items, numbered from 1.
constexpr int kSYSV = 65;   // format stamp, 2 on every write
constexpr int kDTYP = 66;   // element type
constexpr int kDKND = 67;   // kind: 0 interferogram, 1 spectrum
constexpr int kDREP = 68;   // representation
constexpr int kDYUN = 69;   // data unit code
constexpr int kDEVC = 71;   // a carried item
constexpr int kMOTN = 72;   // scan direction
constexpr int kISUN = 93;   // interferogram sample unit code
constexpr int kBORD = 94;   // byte-order mark
constexpr int kFCDY = 129;  // write day and time (the stamps masked in comparisons)
constexpr int kFCMS = 130;
constexpr int kFLEN = 131;  // data records
constexpr int kDSIZ = 132;  // data elements
constexpr int kDSCL = 133;  // scale exponent of integer data
constexpr int kIBDY = 135;  // acquisition begin and end, day and milliseconds
constexpr int kIBMS = 136;
constexpr int kIEDY = 137;
constexpr int kIEMS = 138;
constexpr int kIDUR = 139;  // duration
constexpr int kADDS = 140;  // scans added
constexpr int kISMP = 145;  // size of one axis count
constexpr int kISLP = 146;  // sample spacing in counts
constexpr int kIOFF = 147;  // position of point 1 in counts
constexpr int kILEN = 148;  // points
constexpr int kICEN = 149;  // points before the centre
constexpr int kUser = 200;  // a user item, carried

constexpr int kI2 = 0;  // element types
constexpr int kI4 = 1;
constexpr int kR4 = 2;
constexpr int kR8 = 3;
constexpr int kReal = 0;  // representations
constexpr int kImaginary = 1;
constexpr int kComplex = 2;
constexpr int kRecord = 512;

// One scan of a fixture. VALUES are the values its data stand for, one per element (two per
// point, real first, when complex); integer data hold VALUES * 2^(15 - DSCL) (16-bit) or
// VALUES * 2^(31 - DSCL) (32-bit), which must be whole numbers in range.
struct Scan {
  int type = kI2;
  int rep = kReal;
  int kind = 0;
  int motion = 0;
  int adds = 1;
  int length = 0;
  int centre = 0;
  int dscl = 15;
  int data_unit = 1;    // VOLTS
  int sample_unit = 1;  // CM
  int spacing = 2;
  int offset = 0;
  int begin_day = 739000;
  int begin_ms = 1000;
  int end_day = 739000;
  int end_ms = 2000;
  int duration = 0;
  std::vector<double> values;
};

// Whole values from -1000 to 1000 in a pattern of their own per SEED.
std::vector<double> pattern(int elements, int seed) {
  std::vector<double> v;
  for (int k = 0; k < elements; ++k) v.push_back((k * 37 + seed * 101) % 2001 - 1000);
  return v;
}

// A real scan of LENGTH points with centre CENTRE and the pattern SEED.
Scan real_scan(int length, int centre, int seed) {
  Scan s;
  s.length = length;
  s.centre = centre;
  s.values = pattern(length, seed);
  return s;
}

// The header items of a scan, as the record layout stores them.
ft::HeaderItems items_of(const Scan& s) {
  ft::HeaderItems items = ft::blank_items();
  auto set = [&items](int item, int value) { items[static_cast<std::size_t>(item - 1)] = value; };
  const auto elements = static_cast<int>(s.values.size());
  const int bytes = s.type == kI2 ? 2 : 4;
  set(1, 'T');  // the data-source text, carried
  set(2, 'S');
  set(kSYSV, 2);
  set(kDTYP, s.type);
  set(kDKND, s.kind);
  set(kDREP, s.rep);
  set(kDYUN, s.data_unit);
  set(kDEVC, 7);
  set(kMOTN, s.motion);
  set(kISUN, s.sample_unit);
  set(kBORD, 1);
  set(kFCDY, 738000);
  set(kFCMS, 12345);
  set(kFLEN, s.type == kR8 ? 0 : ft::records_for(elements, bytes));
  set(kDSIZ, elements);
  set(kDSCL, s.type == kR4 || s.type == kR8 ? 0 : s.dscl);
  set(kIBDY, s.begin_day);
  set(kIBMS, s.begin_ms);
  set(kIEDY, s.end_day);
  set(kIEMS, s.end_ms);
  set(kIDUR, s.duration);
  set(kADDS, s.adds);
  set(kISMP, 6328);
  set(kISLP, s.spacing);
  set(kIOFF, s.offset);
  set(kILEN, s.length);
  set(kICEN, s.centre);
  set(kUser, 123456);
  return items;
}

// The integers that stand for VALUES at scale exponent EXPONENT of a BITS-bit type.
template <class T>
std::vector<T> integers(const std::vector<double>& values, int exponent, int bits) {
  std::vector<T> out;
  for (double v : values) {
    const double stored = std::ldexp(v, bits - 1 - exponent);
    EXPECT_EQ(stored, std::trunc(stored)) << "fixture value not a whole number when stored";
    out.push_back(static_cast<T>(stored));
  }
  return out;
}

// A scan file of SCANS, in the foreign (big-endian) byte order when asked.
std::string scan_file(const std::vector<Scan>& scans, bool big_endian = false) {
  ft::ScanFileBytes file(big_endian);
  for (const Scan& s : scans) {
    ft::HeaderItems items = items_of(s);
    if (big_endian) items[kBORD - 1] = 0;
    file.add_header(items);
    if (s.type == kI2) file.add_data(integers<int16_t>(s.values, s.dscl, 16));
    if (s.type == kI4) file.add_data(integers<int32_t>(s.values, s.dscl, 32));
    if (s.type == kR4) file.add_data(std::vector<float>(s.values.begin(), s.values.end()));
  }
  const auto& b = file.bytes();
  return std::string(b.begin(), b.end());
}

// ---------------------------------------------------------------------------------------------
// The expected mean, computed from the fixture values as the averager defines it: each output
// element is (sum of w*x over the accepted scans, in 64 bits, in the order they were taken)
// times 1/(sum of w) rounded to 32 bits, rounded to 32 bits; w is a scan's QQADDS.

// An accepted scan and where it lies against the mean: mean point p takes its point p + SHIFT.
struct Taken {
  const Scan& scan;
  int shift = 0;
};

// Element PART (0 real, 1 imaginary) of point P of scan S, loaded in representation REP.
double element(const Scan& s, int p, int part, int rep) {
  if (s.rep != kComplex) return s.values[static_cast<std::size_t>(p - 1)];
  const int which = rep == kComplex ? part : rep;  // the part loaded from complex data
  return s.values[static_cast<std::size_t>(2 * (p - 1) + which)];
}

// The mean elements of mean points FIRST to LAST, in the template's representation.
std::vector<float> mean_of(const std::vector<Taken>& taken, int first, int last) {
  const int rep = taken.front().scan.rep;
  const int parts = rep == kComplex ? 2 : 1;
  double total = 0;
  for (const Taken& t : taken) total += t.scan.adds;
  const auto r = static_cast<double>(static_cast<float>(1.0 / total));
  std::vector<float> mean;
  for (int p = first; p <= last; ++p) {
    for (int part = 0; part < parts; ++part) {
      double sum = 0;
      for (const Taken& t : taken) {
        const auto w = static_cast<double>(static_cast<float>(t.scan.adds));
        sum += w * element(t.scan, p + t.shift, part, rep);
      }
      mean.push_back(static_cast<float>(sum * r));
    }
  }
  return mean;
}

// The average file: one scan whose header is the template's with the output points' axis, the
// merged times and counts and the written data's type, size and scale, then the mean.
struct Average {
  const Scan& tmpl;
  int first = 1;  // output points, in the template's numbering
  int last = 0;
  std::vector<float> mean;
  int begin_day, begin_ms, end_day, end_ms;  // merged times
  int duration = 0;                          // merged duration
  int adds = 0;                              // merged count
};

// Average over TAKEN of points FIRST to LAST with times, durations and counts merged; the
// durations are those of the whole scans (tests that cut a scan set DURATION afterwards).
Average average(const std::vector<Taken>& taken, int first, int last) {
  const Scan& t = taken.front().scan;
  Average a{.tmpl = t,
            .first = first,
            .last = last,
            .mean = mean_of(taken, first, last),
            .begin_day = t.begin_day,
            .begin_ms = t.begin_ms,
            .end_day = t.end_day,
            .end_ms = t.end_ms};
  for (const Taken& k : taken) {
    const Scan& s = k.scan;
    if (s.begin_day < a.begin_day || (s.begin_day == a.begin_day && s.begin_ms < a.begin_ms)) {
      a.begin_day = s.begin_day;
      a.begin_ms = s.begin_ms;
    }
    if (s.end_day > a.end_day || (s.end_day == a.end_day && s.end_ms > a.end_ms)) {
      a.end_day = s.end_day;
      a.end_ms = s.end_ms;
    }
    a.duration += s.duration;
    a.adds += s.adds;
  }
  return a;
}

// The bytes of the average file. Integer output is normalised: with E the binary exponent of
// the largest magnitude (0.5 <= max/2^E < 1), values are stored as x*2^(15-E) (16-bit) or
// x*2^(31-E) (32-bit) truncated toward zero, and QQDSCL = E.
std::string average_file(const Average& a) {
  ft::HeaderItems items = items_of(a.tmpl);
  auto set = [&items](int item, int value) { items[static_cast<std::size_t>(item - 1)] = value; };
  const auto elements = static_cast<int>(a.mean.size());
  const int type = a.tmpl.type;
  double largest = 0;
  for (float x : a.mean) largest = std::max(largest, std::fabs(static_cast<double>(x)));
  int e = 0;
  if (largest > 0) std::frexp(largest, &e);
  const int points = a.last - a.first + 1;

  set(kSYSV, 2);
  set(kBORD, 1);
  set(kFCDY, 0);
  set(kFCMS, 0);
  set(kFLEN, ft::records_for(elements, type == kI2 ? 2 : 4));
  set(kDSIZ, elements);
  set(kDSCL, type == kR4 || largest == 0 ? 0 : e);
  set(kIBDY, a.begin_day);
  set(kIBMS, a.begin_ms);
  set(kIEDY, a.end_day);
  set(kIEMS, a.end_ms);
  set(kIDUR, a.duration);
  set(kADDS, a.adds);
  set(kIOFF, a.tmpl.offset + (a.first - 1) * a.tmpl.spacing);
  set(kILEN, points);
  set(kICEN, a.tmpl.centre - (a.first - 1));

  ft::ScanFileBytes file;
  file.add_header(items);
  if (type == kR4) {
    file.add_data(a.mean);
  } else {
    const int bits = type == kI2 ? 16 : 32;
    std::vector<int32_t> stored;
    for (float x : a.mean) {
      stored.push_back(static_cast<int32_t>(std::trunc(std::ldexp(x, bits - 1 - e))));
    }
    if (type == kI2) {
      file.add_data(std::vector<int16_t>(stored.begin(), stored.end()));
    } else {
      file.add_data(stored);
    }
  }
  const auto& b = file.bytes();
  return std::string(b.begin(), b.end());
}

// A case run on the input SCANS (the file scans.dat) that expects the average file mean.dat
// with the content EXPECTED ("" for an empty file, nothing when none is written).
ft::Case scan_case(const std::string& name, std::string input, const std::string* expected) {
  ft::Case c{.name = name,
             .setup = [input](const fs::path& dir) { ft::write_file(dir / "scans.dat", input); }};
  if (expected != nullptr) {
    c.expected["mean.dat"] = *expected;
    c.masks["mean.dat"] = ft::mask_scan_stamps;
  }
  return c;
}

// Runs case NAME on SCANS and expects the average A.
::testing::AssertionResult averages(const std::string& name, const std::vector<Scan>& scans,
                                    const Average& a, bool big_endian = false) {
  const std::string expected = average_file(a);
  return ft::run_case("combirax", kCases, scan_case(name, scan_file(scans, big_endian), &expected));
}

// Runs case NAME on SCANS and expects an empty average file (EMPTY) or none.
::testing::AssertionResult writes_no_mean(const std::string& name, const std::vector<Scan>& scans,
                                          bool empty_file = true) {
  const std::string nothing;
  return ft::run_case("combirax", kCases,
                      scan_case(name, scan_file(scans), empty_file ? &nothing : nullptr));
}

// ---------------------------------------------------------------------------------------------
// Selection and weights.

// Four scans recorded forward, reverse, both ways and forward.
std::vector<Scan> four_directions() {
  std::vector<Scan> scans;
  const int motions[] = {0, 1, 2, 0};
  for (int i = 0; i < 4; ++i) {
    scans.push_back(real_scan(64, 32, i + 1));
    scans.back().motion = motions[i];
  }
  return scans;
}

TEST(Directions, SelectScansByTheirRecordedDirection) {
  struct Case {
    const char* name;
    std::vector<int> taken;  // scans in the mean, from 1
  };
  const Case kCasesByDirection[] = {
      {"directions_both", {1, 2, 3, 4}},  // every scan
      {"directions_forward", {1, 3, 4}},  // QQMOTN 0 or 2
      {"directions_reverse", {2, 3}},     // QQMOTN 1 or 2
  };
  const std::vector<Scan> scans = four_directions();
  for (const Case& c : kCasesByDirection) {
    SCOPED_TRACE(c.name);
    std::vector<Taken> taken;
    for (int i : c.taken) taken.push_back({scans[static_cast<std::size_t>(i - 1)]});
    EXPECT_TRUE(averages(c.name, scans, average(taken, 1, 64)));
  }
}

TEST(Weights, AreTheScanCountsSoAveragesOfAveragesCombine) {
  std::vector<Scan> scans = {real_scan(1000, 500, 1), real_scan(1000, 500, 2),
                             real_scan(1000, 500, 3)};
  const int adds[] = {1, 1, 2};
  for (std::size_t i = 0; i < 3; ++i) {
    scans[i].type = kR4;
    scans[i].adds = adds[i];
  }
  // 2^24 + 1 + 2*1 needs the 64-bit sums: in 32 bits the ones would be lost.
  scans[0].values[0] = 16777216;
  scans[1].values[0] = 1;
  scans[2].values[0] = 1;
  const Average a = average({{scans[0]}, {scans[1]}, {scans[2]}}, 1, 1000);
  EXPECT_EQ(a.adds, 4);
  // The mean is (x1 + x2 + 2*x3)/4 exactly for these whole values.
  for (std::size_t k = 0; k < 1000; ++k) {
    const double x = (scans[0].values[k] + scans[1].values[k] + 2 * scans[2].values[k]) / 4;
    ASSERT_EQ(a.mean[k], static_cast<float>(x)) << "element " << k + 1;
  }
  EXPECT_TRUE(averages("weights_1_1_2", scans, a));
}

TEST(TotalWeight, OfZeroWritesAMessageAndNoMean) {
  std::vector<Scan> scans = {real_scan(64, 32, 1), real_scan(64, 32, 2)};
  for (Scan& s : scans) s.adds = 0;
  EXPECT_TRUE(writes_no_mean("zero_weight", scans));
}

TEST(Output, OfIntegersRefusesAMeanThatIsNotFinite) {
  // A 16-bit template and a float scan holding an infinity: the mean's integers would have no
  // scale (every element would be written as full scale), so nothing is written and the run
  // says why.
  std::vector<Scan> scans = {real_scan(64, 32, 1), real_scan(64, 32, 2)};
  scans[1].type = kR4;
  scans[1].values[5] = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(writes_no_mean("integer_mean_not_finite", scans));
}

// ---------------------------------------------------------------------------------------------
// Alignment and the running range.

TEST(Absolute, AlignmentKeepsThePointsThatEveryScanHas) {
  std::vector<Scan> scans = {real_scan(1000, 500, 1), real_scan(900, 450, 2),
                             real_scan(950, 475, 3)};
  scans[0].duration = 1000;
  scans[1].duration = 900;
  scans[2].duration = 1900;  // 950 points, of which 900 are loaded: 1800
  Average a = average({{scans[0]}, {scans[1]}, {scans[2]}}, 1, 900);
  a.duration = 1000 + 900 + 1800;  // the merged total, not cut again on writing
  EXPECT_TRUE(averages("abs_1000_900_950", scans, a));
}

TEST(Centred, AlignmentAddsCentreToCentre) {
  // Template of 1000 points centred after 400, then 900 points centred after 350: 350 points
  // before the centre and 549 after it, template points 51 to 950.
  std::vector<Scan> scans = {real_scan(1000, 400, 1), real_scan(900, 350, 2)};
  for (Scan& s : scans) {
    s.type = kI4;
    s.dscl = 31;
    s.offset = 1000;
    s.duration = 1000;
  }
  const Average a = average({{scans[0]}, {scans[1], 350 - 400}}, 51, 950);
  EXPECT_EQ(a.last - a.first + 1, 900);
  EXPECT_EQ(a.tmpl.centre - (a.first - 1), 350);
  EXPECT_TRUE(averages("cen_1000_900", scans, a));
}

TEST(Centred, AlignmentWorksOutCentresAtThe32BitLimitIn64Bits) {
  // A template centred after 2147483647 points, far beyond its 64 points, and a scan centred
  // 10 points earlier: template points 11 to 64 meet the scan's points 1 to 54.
  std::vector<Scan> scans = {real_scan(64, 2147483647, 1), real_scan(64, 2147483637, 2)};
  const Average a = average({{scans[0]}, {scans[1], -10}}, 11, 64);
  EXPECT_EQ(a.tmpl.centre - (a.first - 1), 2147483637);
  EXPECT_TRUE(averages("centre_at_32_bit_limit", scans, a));

  // A scan centred within its points has none in common with that template: nothing is left to
  // write, and the run says so.
  scans[1] = real_scan(64, 32, 2);
  EXPECT_TRUE(writes_no_mean("centre_at_32_bit_limit_no_common_points", scans));
}

TEST(Complex, ScansAverageBothPartsAlignedAtTheirCentres) {
  Scan first;
  first.rep = kComplex;
  first.length = 200;
  first.centre = 100;
  first.values = pattern(400, 1);
  Scan second = first;
  second.length = 190;
  second.centre = 90;
  second.values = pattern(380, 2);
  // 90 points before the centre and 99 after it: template points 11 to 200.
  const Average a = average({{first}, {second, 90 - 100}}, 11, 200);
  EXPECT_TRUE(averages("complex_cen", {first, second}, a));
}

TEST(Complex, ScanAddsItsRealPartToARealTemplate) {
  Scan second;
  second.rep = kComplex;
  second.length = 64;
  second.centre = 32;
  second.values = pattern(128, 2);
  const std::vector<Scan> scans = {real_scan(64, 32, 1), second};
  EXPECT_TRUE(averages("real_part_of_complex", scans, average({{scans[0]}, {scans[1]}}, 1, 64)));
}

TEST(LoadFailure, RejectsTheScanButKeepsItsNarrowing) {
  // A real scan of 150 points cannot give the complex part of a complex template; the range
  // narrowed to its 150 points stays.
  Scan tmpl;
  tmpl.rep = kComplex;
  tmpl.length = 200;
  tmpl.centre = 100;
  tmpl.values = pattern(400, 1);
  Scan third = tmpl;
  third.values = pattern(400, 3);
  const std::vector<Scan> scans = {tmpl, real_scan(150, 75, 2), third};
  EXPECT_TRUE(averages("load_failure", scans, average({{scans[0]}, {scans[2]}}, 1, 150)));
}

TEST(LoadFailure, ThatNarrowsTheRangeToNothingLeavesNoMeanToWrite) {
  // A scan of no points narrows the range to nothing and then fails to load.
  std::vector<Scan> scans = {real_scan(64, 32, 1), real_scan(0, 0, 2)};
  EXPECT_TRUE(writes_no_mean("output_range_empty", scans));
}

TEST(Template, IsTheFirstScanThatLoads) {
  // Scan 1 holds 64-bit floats, which no file may: its load fails and scan 2 becomes the
  // template.
  std::vector<Scan> scans = {real_scan(64, 32, 1), real_scan(64, 32, 2), real_scan(64, 32, 3)};
  scans[0].type = kR8;
  EXPECT_TRUE(averages("first_candidate_fails", scans, average({{scans[1]}, {scans[2]}}, 1, 64)));
}

TEST(Template, OfMoreThan100000ElementsIsRefused) {
  // A complex scan of 50001 points (100002 elements) is refused; one of 100000 real points is
  // the template; a later one of 100001 points adds its first 100000.
  Scan complex_scan;
  complex_scan.rep = kComplex;
  complex_scan.length = 50001;
  complex_scan.centre = 25000;
  complex_scan.values = pattern(100002, 1);
  const std::vector<Scan> scans = {complex_scan, real_scan(100000, 50000, 2),
                                   real_scan(100001, 50000, 3)};
  EXPECT_TRUE(averages("template_too_long", scans, average({{scans[1]}, {scans[2]}}, 1, 100000)));
}

// ---------------------------------------------------------------------------------------------
// Compatibility checks.

TEST(Compatibility, RejectsEveryMismatchWithItsTwoLines) {
  std::vector<Scan> scans;
  for (int i = 1; i <= 6; ++i) scans.push_back(real_scan(64, 32, i));
  scans[1].data_unit = 2;    // PHOTONS/... against VOLTS
  scans[2].sample_unit = 2;  // SEC against CM
  scans[3].spacing = 3;      // another sample spacing
  scans[4].kind = 1;         // a spectrum
  EXPECT_TRUE(averages("rejections", scans, average({{scans[0]}, {scans[5]}}, 1, 64)));
}

// ---------------------------------------------------------------------------------------------
// Scan ranges.

std::vector<Scan> numbered_scans(int count) {
  std::vector<Scan> scans;
  for (int i = 1; i <= count; ++i) scans.push_back(real_scan(64, 32, i));
  return scans;
}

TEST(Ranges, AccumulateOverSeveralAnswers) {
  const std::vector<Scan> s = numbered_scans(8);
  EXPECT_TRUE(averages("two_ranges", s, average({{s[0]}, {s[1]}, {s[2]}, {s[6]}, {s[7]}}, 1, 64)));
}

TEST(Ranges, ThatStartBeforeTheCurrentScanRewind) {
  const std::vector<Scan> s = numbered_scans(5);
  EXPECT_TRUE(averages("rewind", s, average({{s[3]}, {s[4]}, {s[0]}, {s[1]}}, 1, 64)));
}

TEST(Ranges, EndAtTheEndOfTheFile) {
  const std::vector<Scan> s = numbered_scans(3);
  EXPECT_TRUE(averages("range_to_end", s, average({{s[0]}, {s[1]}, {s[2]}}, 1, 64)));
  EXPECT_TRUE(averages("end_inside_range", s, average({{s[1]}, {s[2]}}, 1, 64)));
}

TEST(Ranges, FaultyAnswersStopTheRun) {
  const char* kNames[] = {
      "range_5_3",         // first after last
      "range_negative",    // first below 0
      "range_empty",       // one empty field
      "range_not_number",  // «3,X»
      "range_single",      // a single 0 is one field
      "eof_at_range",      // standard input ends: the scans taken so far are not written
  };
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(writes_no_mean(name, numbered_scans(3)));
  }
}

TEST(Ranges, StopAtAScanFileThatCannotBeWalked) {
  // The second header claims -1 data records.
  std::string file = scan_file(numbered_scans(3));
  for (std::size_t k = 0; k < 4; ++k) file[2 * kRecord + 136 + k] = '\xff';
  const std::string nothing;
  EXPECT_TRUE(ft::run_case("combirax", kCases, scan_case("bad_record_count", file, &nothing)));
}

TEST(Ranges, ZeroAtOnceWritesNothing) {
  EXPECT_TRUE(writes_no_mean("zero_zero", numbered_scans(3)));
}

TEST(Ranges, WithNoScanTakenLeaveTheAverageFileEmpty) {
  std::vector<Scan> s = numbered_scans(2);
  for (Scan& scan : s) scan.motion = 1;
  EXPECT_TRUE(writes_no_mean("nothing_taken", s));
}

// ---------------------------------------------------------------------------------------------
// Headers and files.

TEST(Header, MergesBeginAndEndTimesDurationsAndCounts) {
  std::vector<Scan> s = numbered_scans(3);
  s[0].begin_day = 739000, s[0].begin_ms = 5000, s[0].end_day = 739000, s[0].end_ms = 6000;
  s[1].begin_day = 738999, s[1].begin_ms = 86000000, s[1].end_day = 739000, s[1].end_ms = 1000;
  s[2].begin_day = 739000, s[2].begin_ms = 7000, s[2].end_day = 739001, s[2].end_ms = 10;
  s[0].duration = 100, s[1].duration = 200, s[2].duration = 300;
  s[1].adds = 3;
  const Average a = average({{s[0]}, {s[1]}, {s[2]}}, 1, 64);
  EXPECT_EQ(a.begin_day, 738999);
  EXPECT_EQ(a.end_ms, 10);
  EXPECT_EQ(a.duration, 600);
  EXPECT_TRUE(averages("merged_times", s, a));
}

TEST(Input, InTheForeignByteOrderIsRead) {
  // 16-bit, 32-bit and float scans of a big-endian machine; floats are never swapped.
  std::vector<Scan> s = numbered_scans(3);
  s[0].dscl = 13;  // values of 1/4
  for (double& v : s[0].values) v /= 4;
  s[1].type = kI4;
  s[1].dscl = 20;
  s[2].type = kR4;
  EXPECT_TRUE(averages("foreign_byte_order", s, average({{s[0]}, {s[1]}, {s[2]}}, 1, 64), true));
}

TEST(Input, WrittenByTheLibraryIsAveraged) {
  // Whole values up to 1000 in magnitude are stored exactly as 16-bit data with QQDSCL 10.
  std::vector<Scan> s = numbered_scans(3);
  for (Scan& scan : s) {
    scan.dscl = 10;
    scan.values.front() = 1000;
  }
  const std::string expected = average_file(average({{s[0]}, {s[1]}, {s[2]}}, 1, 64));
  ft::Case c{.name = "library_input", .setup = [&s](const fs::path& dir) {
               constexpr int32_t kUnit = 50;
               int32_t ierr = 0;
               fts::OPFOUT(kUnit, (dir / "scans.dat").string(), ierr);
               ASSERT_EQ(ierr, 0);
               for (const Scan& scan : s) {
                 fts::Header ahdr, hdr;
                 const ft::HeaderItems items = items_of(scan);
                 std::copy(items.begin(), items.end(), ahdr.items().begin());
                 ahdr(fts::QQDTYP) = kR4;  // an array of the values themselves
                 ahdr(fts::QQDSCL) = 0;
                 const std::vector<float> values(scan.values.begin(), scan.values.end());
                 fts::PUTINT(kUnit, hdr, values, ahdr, kI2, kReal, 1, scan.length, ierr);
                 ASSERT_EQ(ierr, 0);
                 ASSERT_EQ(hdr(fts::QQDSCL), 10);
               }
               fts::lun::close(kUnit);
             }};
  c.expected["mean.dat"] = expected;
  c.masks["mean.dat"] = ft::mask_scan_stamps;
  EXPECT_TRUE(ft::run_case("combirax", kCases, c));
}

TEST(Output, ThatExistsIsLeftUnchanged) {
  const std::vector<Scan> s = numbered_scans(2);
  ft::Case c{.name = "output_exists", .setup = [&s](const fs::path& dir) {
               ft::write_file(dir / "scans.dat", scan_file(s));
               ft::write_file(dir / "mean.dat", "an earlier average\n");
             }};
  EXPECT_TRUE(ft::run_case("combirax", kCases, c));
}

// ---------------------------------------------------------------------------------------------
// The dialogue.

TEST(Dialogue, FaultyAnswersStopTheRunBeforeAnyScanIsRead) {
  struct Case {
    const char* name;
    bool average_file;  // the average file was created (and stays empty)
  };
  const Case kDialogueCases[] = {
      {"missing_input", false},         // the input file does not exist
      {"input_name_too_long", false},   // more than 64 characters
      {"output_name_too_long", false},  // more than 64 characters
      {"bad_alignment", true},          // no A or C
      {"bad_direction", true},          // no F, R or B
      {"eof_at_alignment", true},       // standard input ends
  };
  for (const Case& c : kDialogueCases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(writes_no_mean(c.name, numbered_scans(2), c.average_file));
  }
}

}  // namespace
