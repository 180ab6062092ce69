// Unit tests of ftsuser1: loading axis ranges from spectrum files written by the library and byte
// by byte, interpolation by position, line-shape values and reaches, and the peak search.
#include "fts/ftsuser1.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftssmprm.hpp"
#include "fts/ftswtapd.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/scanbytes.hpp"

namespace fts {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fts::testing::HeaderItems;
using fts::testing::ScanFileBytes;
using fts::testing::TempDir;

constexpr double kExact = 0.0;
constexpr double kFloat = 1e-6;  // relative, a few 32-bit roundings
constexpr double kLoose = 1e-3;  // relative, interpolation of sampled shapes
constexpr int32_t kIn = 1;
constexpr int32_t kOut = 2;
constexpr std::size_t kStampFirst = 128;  // bytes of the write day and time (items 129, 130)
constexpr std::size_t kStampEnd = 136;

// The log lines " #TEXT" of the given texts.
std::string log_lines(std::initializer_list<const char*> texts) {
  std::string out;
  for (const char* t : texts) out += std::string(" #") + t + "\n";
  return out;
}

// ---------------------------------------------------------------------------------------------
// Spectrum headers.

enum class Axis {
  unit,      // spacing 1 exactly, point i at 999 + i
  twentieth  // spacing 0.05, point i at (1999 + i) * 0.05
};

// Items of a real spectrum of N 32-bit float points on AXIS, with resolution 0.5 exactly
// (1 / (QQRESL 10000 * 2 * 1000000e-10)), window WINDOW and scan number ID in QQADDS. Written
// as the library writes it: format 2, own byte order.
HeaderItems spectrum_items(int32_t n, Axis axis = Axis::unit, int32_t window = 0, int32_t id = 1) {
  HeaderItems items = fts::testing::blank_items();
  const auto set = [&](int32_t item, int32_t v) { items[static_cast<std::size_t>(item - 1)] = v; };
  set(QQSYSV, 2);
  set(QQDTYP, 2);
  set(QQDKND, 1);
  set(QQDREP, 0);
  set(QQBORD, 1);
  set(QQAPOD, window);
  set(QQFLEN, fts::testing::records_for(n, 4));
  set(QQDSIZ, n);
  set(QQADDS, id);
  set(QQISUN, 1);
  set(QQISMP, 1000000);
  set(QQISLP, 2);
  set(QQRESL, 10000);
  set(QQSSUN, 1);
  set(QQSTSZ, 100000);
  set(QQSSMP, axis == Axis::unit ? 100000 : 2000000);  // bin 1 or 0.05
  set(QQSSLP, 1);
  set(QQSOFF, axis == Axis::unit ? 1000 : 2000);
  set(QQSLEN, n);
  return items;
}

Header header_of(const HeaderItems& items) {
  Header h;
  for (int32_t i = 1; i <= kHeaderItems; ++i) h(i) = items[static_cast<std::size_t>(i - 1)];
  return h;
}

// Position of (fractional) point X on the header's axis.
double position(const Header& h, double x) {
  double smp = 0, con = 0;
  SPTCON(h, smp, con);
  return SPTWAV(x, smp, con);
}

// ---------------------------------------------------------------------------------------------
// Spectra as data.

// Point i (from 1) holds 10 i.
std::vector<float> ramp(int32_t n) {
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int32_t i = 1; i <= n; ++i)
    v[static_cast<std::size_t>(i - 1)] = 10.0f * static_cast<float>(i);
  return v;
}

struct Line {
  double centre;  // point index
  double height;
  double sigma;  // points
};

// Gaussian lines on a zero baseline, sampled at points 1..N.
std::vector<float> gaussians(int32_t n, std::initializer_list<Line> lines) {
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int32_t i = 1; i <= n; ++i) {
    double s = 0;
    for (const Line& l : lines) {
      const double u = (i - l.centre) / l.sigma;
      s += l.height * std::exp(-0.5 * u * u);
    }
    v[static_cast<std::size_t>(i - 1)] = static_cast<float>(s);
  }
  return v;
}

// A wavy spectrum with many maxima and minima of different strengths (periods of 5 points and
// more, well inside the band of the interpolation).
std::vector<float> wavy(int32_t n) {
  std::vector<float> v(static_cast<std::size_t>(n));
  constexpr double kTwoPi = 2 * std::numbers::pi;
  for (int32_t i = 1; i <= n; ++i) {
    v[static_cast<std::size_t>(i - 1)] =
        static_cast<float>(std::sin(kTwoPi * i / 17.3) + 0.6 * std::sin(kTwoPi * i / 7.9 + 1.0) +
                           0.3 * std::cos(kTwoPi * i / 5.3));
  }
  return v;
}

// ---------------------------------------------------------------------------------------------
// Spectrum files: each fixture both byte by byte and through the library's writer.

struct Scan {
  HeaderItems items;
  std::vector<float> values;
};

Bytes file_bytes(const std::vector<Scan>& scans, bool big_endian = false) {
  ScanFileBytes f(big_endian);
  for (const Scan& s : scans) {
    HeaderItems items = s.items;
    items[QQBORD - 1] = big_endian ? 0 : 1;
    f.add_header(items);
    f.add_data(s.values);
  }
  return f.bytes();
}

enum class Source { writer, bytes, foreign_bytes };
constexpr Source kSources[] = {Source::writer, Source::bytes, Source::foreign_bytes};

const char* name_of(Source s) {
  return s == Source::writer ? "library writer" : s == Source::bytes ? "bytes" : "foreign bytes";
}

class SpectrumFileTest : public ::testing::Test {
 protected:
  void TearDown() override { lun::close_all(); }

  // Writes SCANS to the file NAME from SOURCE and returns its path.
  std::string write(const std::vector<Scan>& scans, Source source, const std::string& name) {
    const auto path = (dir_ / name).string();
    if (source != Source::writer) {
      fts::testing::write_bytes(path, file_bytes(scans, source == Source::foreign_bytes));
      return path;
    }
    int32_t ierr = -1;
    OPFOUT(kOut, path, ierr);
    EXPECT_EQ(ierr, 0);
    for (const Scan& s : scans) {
      const Header ahdr = header_of(s.items);
      Header hdr;
      STINDX(kOut, hdr, s.values, ahdr, 2, 0, 1, ahdr(QQSLEN), ierr);
      EXPECT_EQ(ierr, 0);
    }
    lun::close(kOut);
    return path;
  }

  // Opens PATH on kIn and reads the header of scan 1.
  Header open_first_scan(const std::string& path) {
    lun::close(kIn);
    int32_t ierr = -1, ieof = -1, curscn = 1;
    OPFINP(kIn, path, ierr);
    EXPECT_EQ(ierr, 0);
    Header h;
    GETHDR(kIn, h, curscn, 1, ierr, ieof);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(ieof, 0);
    return h;
  }

  TempDir dir_;
};

TEST_F(SpectrumFileTest, TheLibraryWriterAndTheByteLayoutGiveTheSameFile) {
  const std::vector<Scan> scans = {{spectrum_items(50), ramp(50)},
                                   {spectrum_items(200, Axis::twentieth, 3, 2), wavy(200)}};
  const Bytes written = fts::testing::read_bytes(write(scans, Source::writer, "w.dat"));
  const Bytes expected = file_bytes(scans);
  ASSERT_EQ(written.size(), 5u * 512);  // header and 1 data record, header and 2 data records
  ASSERT_EQ(written.size(), expected.size());
  for (std::size_t b = 0; b < written.size(); ++b) {
    const bool header_record = b / 512 == 0 || b / 512 == 2;
    if (header_record && b % 512 >= kStampFirst && b % 512 < kStampEnd) continue;
    ASSERT_EQ(written[b], expected[b]) << "byte " << b;
  }
}

// ---------------------------------------------------------------------------------------------
// GETSPF

TEST_F(SpectrumFileTest, GetspfLoadsExactlyThePointsNearestToTheRange) {
  // Point i lies at 999 + i; a 50-point ramp holding 10 i.
  struct Case {
    const char* what;
    double w1, w2;
    int32_t npts;
    double w1p, w2p;
    float first;  // value of the first point loaded
  };
  constexpr Case kCases[] = {
      {"one point", 1009.0, 1009.0, 1, 1009.0, 1009.0, 100.0f},
      {"halves away from zero", 1004.5, 1010.4, 6, 1005.0, 1010.0, 60.0f},
      {"W2 half a point below W1", 1009.0, 1008.5, 1, 1009.0, 1009.0, 100.0f},
      {"the whole spectrum", 999.6, 1049.4, 50, 1000.0, 1049.0, 10.0f},
  };
  for (Source source : kSources) {
    SCOPED_TRACE(name_of(source));
    const std::string path = write({{spectrum_items(50), ramp(50)}}, source, "ramp.dat");
    for (const Case& c : kCases) {
      SCOPED_TRACE(c.what);
      const Header hdr = open_first_scan(path);
      textio::CaptureOutput out;
      std::vector<float> array(64, -1.0f);
      Header ahdr;
      int32_t npts = -1, ierr = -1;
      double w1p = 0, w2p = 0;
      GETSPF(kIn, hdr, array, ahdr, 2, 0, npts, c.w1, c.w2, w1p, w2p, ierr);
      EXPECT_EQ(out.text(), "");
      EXPECT_EQ(ierr, 0);
      EXPECT_EQ(npts, c.npts);
      EXPECT_NEAR(w1p, c.w1p, kExact);
      EXPECT_NEAR(w2p, c.w2p, kExact);
      for (int32_t k = 0; k < npts; ++k) {
        EXPECT_EQ(array[static_cast<std::size_t>(k)], c.first + 10.0f * static_cast<float>(k))
            << "element " << k;
      }
      EXPECT_EQ(array[static_cast<std::size_t>(npts)], -1.0f);  // nothing beyond
      EXPECT_EQ(ahdr(QQSLEN), c.npts);
      EXPECT_EQ(ahdr(QQDSIZ), c.npts);
      EXPECT_NEAR(position(ahdr, 1), c.w1p, kExact);
    }
  }
}

TEST_F(SpectrumFileTest, GetspfLeavesTheFileAtTheNextScan) {
  const std::string path =
      write({{spectrum_items(300), ramp(300)}, {spectrum_items(20, Axis::unit, 0, 2), ramp(20)}},
            Source::bytes, "two.dat");
  const Header hdr = open_first_scan(path);
  std::vector<float> array(10);
  Header ahdr;
  int32_t npts = 0, ierr = -1;
  double w1p = 0, w2p = 0;
  GETSPF(kIn, hdr, array, ahdr, 2, 0, npts, 1001.0, 1005.0, w1p, w2p, ierr);
  ASSERT_EQ(ierr, 0);
  Header next;
  int32_t curscn = 2, ieof = -1;
  GETHDR(kIn, next, curscn, 2, ierr, ieof);
  EXPECT_EQ(ieof, 0);
  EXPECT_EQ(next(QQADDS), 2);
}

TEST_F(SpectrumFileTest, GetspfRefusalsWriteTheirMessageChainAndStillReturnTheRange) {
  struct Case {
    const char* what;
    double w1, w2;
    int32_t atyp, irep, array_size;
    int32_t npts;
    double w1p, w2p;
    std::initializer_list<const char*> messages;
  };
  const Case kCases[] = {
      {"W2 below W1",
       1020.0,
       1010.0,
       2,
       0,
       64,
       -9,
       1020.0,
       1010.0,
       {"GETSPF   02> - ZERO POINTS REQUESTED"}},
      {"W2 just over half a point below W1",
       1009.0,
       1008.4,
       2,
       0,
       64,
       0,
       1009.0,
       1008.0,
       {"GETSPF   02> - ZERO POINTS REQUESTED"}},
      {"beyond the end",
       1040.0,
       1060.0,
       2,
       0,
       64,
       21,
       1040.0,
       1060.0,
       {"UPDHDR   07> - RANGE NOT IN DATA", "LDINDX   03>", "GETSPF   03>"}},
      {"before the start, halves away from zero",
       996.5,
       996.5,
       2,
       0,
       64,
       1,
       996.0,
       996.0,
       {"UPDHDR   06> - ILLEGAL RANGE SPECIFICATION", "LDINDX   03>", "GETSPF   03>"}},
      {"array too small",
       1001.0,
       1010.0,
       2,
       0,
       5,
       10,
       1001.0,
       1010.0,
       {"LDINDX   06> - ARRAY TOO SMALL FOR RANGE", "GETSPF   03>"}},
      {"imaginary part of real data",
       1001.0,
       1010.0,
       2,
       1,
       64,
       10,
       1001.0,
       1010.0,
       {"UPDHDR   04> - IMAGINARY DATA NOT IN SOURCE", "LDINDX   03>", "GETSPF   03>"}},
      {"type not that of the array",
       1001.0,
       1010.0,
       3,
       0,
       64,
       10,
       1001.0,
       1010.0,
       {"LDINDX   01> ILLEGAL ARRAY TYPE", "GETSPF   03>"}},
  };
  for (Source source : kSources) {
    SCOPED_TRACE(name_of(source));
    const std::string path = write({{spectrum_items(50), ramp(50)}}, source, "ramp.dat");
    for (const Case& c : kCases) {
      SCOPED_TRACE(c.what);
      const Header hdr = open_first_scan(path);
      textio::CaptureOutput out;
      std::vector<float> array(static_cast<std::size_t>(c.array_size), -1.0f);
      Header ahdr;
      ahdr(QQADDS) = 77;
      int32_t npts = 12345, ierr = 0;
      double w1p = 0, w2p = 0;
      GETSPF(kIn, hdr, array, ahdr, c.atyp, c.irep, npts, c.w1, c.w2, w1p, w2p, ierr);
      std::string expected;
      for (const char* m : c.messages) expected += log_lines({m});
      EXPECT_EQ(out.text(), expected);
      EXPECT_EQ(ierr, 1);
      EXPECT_EQ(npts, c.npts);
      EXPECT_NEAR(w1p, c.w1p, kExact);
      EXPECT_NEAR(w2p, c.w2p, kExact);
      EXPECT_EQ(array, std::vector<float>(array.size(), -1.0f));
      EXPECT_EQ(ahdr(QQADDS), 77);             // no array header built
      EXPECT_EQ(lun::current_record(kIn), 2);  // still at the scan's data
    }
  }
}

TEST_F(SpectrumFileTest, GetspfOnAnInterferogramReadsNothingAndReturnsNothing) {
  HeaderItems items = spectrum_items(50);
  items[QQDKND - 1] = 0;
  items[QQILEN - 1] = 50;
  const Header hdr = open_first_scan(write({{items, ramp(50)}}, Source::bytes, "ifg.dat"));
  textio::CaptureOutput out;
  std::vector<float> array(64, -1.0f);
  Header ahdr;
  int32_t npts = 12345, ierr = 0;
  double w1p = -7, w2p = -7;
  GETSPF(kIn, hdr, array, ahdr, 2, 0, npts, 1001.0, 1010.0, w1p, w2p, ierr);
  EXPECT_EQ(out.text(), log_lines({"GETSPF   01> - SCAN NOT SPECTRUM"}));
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(npts, 12345);
  EXPECT_EQ(w1p, -7);
  EXPECT_EQ(w2p, -7);
  EXPECT_EQ(lun::current_record(kIn), 2);
}

TEST_F(SpectrumFileTest, GetspfOnASpectrumWithoutAnAxisRefusesCleanly) {
  // No bin width (QQSTSZ 0): spacing 0, so a position has no point number; the ends of the
  // 32-bit range (or point 0) stand in for it and the load refuses them.
  HeaderItems items = spectrum_items(50);
  items[QQSTSZ - 1] = 0;
  const Header hdr = open_first_scan(write({{items, ramp(50)}}, Source::bytes, "flat.dat"));
  struct Case {
    double w;
    const char* refusal;
  };
  constexpr Case kCases[] = {{1001.0, "UPDHDR   07> - RANGE NOT IN DATA"},
                             {-5.0, "UPDHDR   06> - ILLEGAL RANGE SPECIFICATION"},
                             {0.0, "UPDHDR   06> - ILLEGAL RANGE SPECIFICATION"}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.w);
    textio::CaptureOutput out;
    std::vector<float> array(64);
    Header ahdr;
    int32_t npts = 0, ierr = 0;
    double w1p = -1, w2p = -1;
    GETSPF(kIn, hdr, array, ahdr, 2, 0, npts, c.w, c.w, w1p, w2p, ierr);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), log_lines({c.refusal, "LDINDX   03>", "GETSPF   03>"}));
    EXPECT_EQ(npts, 1);
    EXPECT_EQ(w1p, 0.0);
    EXPECT_EQ(w2p, 0.0);
  }
}

// ---------------------------------------------------------------------------------------------
// SPTR4I

TEST(Sptr4i, InterpolatesBySamplingAtTheIndexOfThePosition) {
  Header h = header_of(spectrum_items(200, Axis::twentieth));
  const std::vector<float> data = wavy(200);
  struct Case {
    double index;
    int32_t k;
  };
  constexpr Case kCases[] = {{20.0, 0}, {20.37, 0}, {57.5, 1}, {101.25, 2}, {150.9, 1}, {80.0, 3}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << "index " << c.index << " order " << c.k);
    const double w = position(h, c.index);
    double smp = 0, con = 0;
    SPTCON(h, smp, con);
    EXPECT_NEAR(SPTR4I(h, data, w, c.k), SR4VAL(data, SPTIND(w, smp, con), c.k), kExact);
  }
  EXPECT_EQ(SPTR4I(h, data, position(h, 20.0), 0), data[19]);  // a point itself
  EXPECT_EQ(SPTR4I(h, data, position(h, 80.0), 3), 0.0f);
}

TEST(Sptr4i, DerivativesArePerPointNotPerAxisUnit) {
  const Header h = header_of(spectrum_items(100, Axis::twentieth));  // spacing 0.05
  const std::vector<float> data = ramp(100);                         // slope 10 per point
  const double tolerance = 2 * kFloat * 1000.0;  // 32-bit sums of values up to 1000
  for (const double index : {30.2, 50.5, 70.9}) {
    SCOPED_TRACE(index);
    EXPECT_NEAR(SPTR4I(h, data, position(h, index), 1), 10.0, tolerance);  // not 10 / 0.05
    EXPECT_NEAR(SPTR4I(h, data, position(h, index), 2), 0.0, tolerance);
  }
}

TEST(Sptr4i, ElementsBeyondTheLoadedPointsDoNotCount) {
  // An array of 60 elements of which the header says 40 are loaded; the rest is stale.
  HeaderItems items = spectrum_items(40);
  const Header h = header_of(items);
  std::vector<float> data = ramp(60);
  for (std::size_t k = 40; k < 60; ++k) data[k] = 1e6f;
  const std::vector<float> loaded(data.begin(), data.begin() + 40);
  for (const double index : {35.5, 39.9, 45.0}) {
    SCOPED_TRACE(index);
    const double w = position(h, index);
    EXPECT_EQ(SPTR4I(h, data, w, 0), SPTR4I(h, loaded, w, 0));
    EXPECT_EQ(SPTR4I(h, data, w, 0), SR4VAL(loaded, index, 0));
  }
}

// ---------------------------------------------------------------------------------------------
// SPTAPV and SPTAPN. The test headers have resolution RES = 0.5, so L = 1/RES = 2 exactly.

Header window_header(int32_t window) {
  return header_of(spectrum_items(100, Axis::unit, window));
}

float line_shape(int32_t window, float u) {
  switch (window) {
    case 0:
      return R4WND0(u);
    case 1:
      return R4WND1(u);
    case 2:
      return R4WND2(u);
    case 3:
      return R4WND3(u);
    case 4:
      return R4WND4(u);
    default:
      return R4WND5(u);
  }
}

TEST(Sptapv, IsTheWindowsLineShapeScaledByTheResolution) {
  for (int32_t window = 0; window <= 5; ++window) {
    SCOPED_TRACE(window);
    const Header h = window_header(window);
    for (const double dw : {0.0, 0.1, 0.37, 0.5, 1.3, -2.71, 7.9}) {
      SCOPED_TRACE(dw);
      // u = DW L rounded to 32 bits, the result L R4WNDk(u) rounded to 32 bits.
      const float u = static_cast<float>(dw * 2.0);
      const float expected = static_cast<float>(static_cast<double>(line_shape(window, u)) * 2.0);
      EXPECT_EQ(SPTAPV(h, dw), expected);
      EXPECT_EQ(SPTAPV(h, -dw), SPTAPV(h, dw));  // symmetric about the centre
    }
  }
  EXPECT_EQ(SPTAPV(window_header(0), 0.0), 2.0f);  // boxcar height L
}

TEST(Sptapv, RoundsTheArgumentAndTheResultTo32Bits) {
  // A resolution that is no power of two: L = QQRESL * QQISLP * QQISMP * 1e-10.
  HeaderItems items = spectrum_items(100, Axis::unit, 2);
  items[QQISMP - 1] = 6328;
  items[QQRESL - 1] = 4097;
  const Header h = header_of(items);
  double res = 0;
  SPTRES(h, res);
  const double l = 1.0 / res;
  for (const double dw : {0.0, 123.456, 1000.01, -777.7}) {
    SCOPED_TRACE(dw);
    const float u = static_cast<float>(dw * l);
    EXPECT_EQ(SPTAPV(h, dw), static_cast<float>(static_cast<double>(R4WND2(u)) * l));
  }
}

TEST(Sptapv, BoxcarLineHasItsZerosAtMultiplesOfTheResolution) {
  const Header h = window_header(0);
  for (const double n : {1.0, 2.0, 3.0, -4.0}) {
    SCOPED_TRACE(n);
    EXPECT_NEAR(SPTAPV(h, n * 0.5), 0.0, 2.0 * kFloat);
  }
}

TEST(Sptapv, GivesZeroForAnUnknownWindowOrNoResolution) {
  for (const int32_t window : {6, 7, 255}) {
    SCOPED_TRACE(window);
    for (const double dw : {0.0, 0.3, -1.0}) EXPECT_EQ(SPTAPV(window_header(window), dw), 0.0f);
  }
  HeaderItems items = spectrum_items(100, Axis::unit, 1);
  items[QQRESL - 1] = 0;
  for (const double dw : {0.0, 0.3}) EXPECT_EQ(SPTAPV(header_of(items), dw), 0.0f);
}

TEST(Sptapv, FarOutInTheWingsIsZeroNotUndefined) {
  for (int32_t window = 0; window <= 5; ++window) {
    SCOPED_TRACE(window);
    EXPECT_EQ(SPTAPV(window_header(window), 1e300), 0.0f);
    EXPECT_EQ(SPTAPV(window_header(window), -1e300), 0.0f);
  }
}

TEST(Sptapn, GivesTheReachOfEachWindow) {
  // HW = RES sqrt((c + N^2 P)/P) with RES = 0.5, P = 9.869604110717773 and c the window's
  // constant as a 32-bit float.
  struct Case {
    int32_t window, n;
    double hw;
  };
  constexpr Case kCases[] = {
      {0, 0, 0.0},
      {0, 1, 0.5},
      {0, 3, 1.5},
      {1, 0, 0.7161836276702279},
      {1, 2, 1.2300077188956529},
      {2, 1, 1.262513351792967},
      {3, 3, 2.1746177096053505},
      {4, 2, 2.21568785176775},
      {5, 1, 2.424787628674565},
      {5, -1, 2.424787628674565},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << "window " << c.window << " N " << c.n);
    double hw = -1;
    SPTAPN(window_header(c.window), c.n, hw);
    EXPECT_NEAR(hw, c.hw, kExact);
  }
}

TEST(Sptapn, ReachesTheZerosOfTheLineShape) {
  // c = beta^2, so the reach of order N >= 1 is the N-th zero beyond the main lobe, and that of
  // order 0 the edge where the line shape is L / I0(beta).
  constexpr double kEdge[] = {2.0,
                              2.0 * 0.057208735,
                              2.0 * 0.004558417,
                              2.0 * 0.00039319,
                              2.0 * 3.5187084e-05,
                              2.0 * 3.217937e-06};
  for (int32_t window = 0; window <= 5; ++window) {
    SCOPED_TRACE(window);
    const Header h = window_header(window);
    double previous = -1;
    for (int32_t n = 0; n <= 4; ++n) {
      SCOPED_TRACE(n);
      double hw = 0;
      SPTAPN(h, n, hw);
      EXPECT_GT(hw, previous);
      previous = hw;
      const double expected = n == 0 ? kEdge[window] : 0.0;
      EXPECT_NEAR(SPTAPV(h, hw), expected, 2.0 * 1e-5);
    }
  }
}

TEST(Sptapn, GivesNoReachForAnUnknownWindowAndNoOverflowForALargeOrder) {
  for (const int32_t window : {6, 7, 255}) {
    SCOPED_TRACE(window);
    double hw = 5.0;
    SPTAPN(window_header(window), 2, hw);
    EXPECT_EQ(hw, 0.0);
  }
  double hw = 0;
  SPTAPN(window_header(1), 100000, hw);
  EXPECT_NEAR(hw, 100000 * 0.5, 100000 * 0.5 * kFloat);
}

// ---------------------------------------------------------------------------------------------
// SR4PKS

struct Peaks {
  std::vector<double> x;
  std::vector<float> v;
  int32_t n = -1;
};

Peaks search(const std::vector<float>& data, int32_t i1, int32_t i2, float step, int32_t maxpk,
             int32_t mode, std::size_t room = 100) {
  Peaks p;
  p.x.assign(room, -1.0);
  p.v.assign(room, -1.0f);
  SR4PKS(data, i1, i2, step, maxpk, mode, p.x, p.v, p.n);
  return p;
}

TEST(Sr4pks, KeepsTheStrongestMaximaStrongestFirst) {
  // Three maxima with second derivatives -1, -3 and -2 per point squared (height / sigma^2).
  const std::vector<float> data =
      gaussians(160, {{40.3, 9.0, 3.0}, {80.3, 27.0, 3.0}, {120.3, 18.0, 3.0}});
  const Peaks p = search(data, 30, 130, 1.0f, 2, 0);
  ASSERT_EQ(p.n, 2);
  EXPECT_NEAR(p.v[0], 3.0, 3.0 * kLoose);
  EXPECT_NEAR(p.x[0], 80.3, 1.0 / 1024);
  EXPECT_NEAR(p.v[1], 2.0, 2.0 * kLoose);
  EXPECT_NEAR(p.x[1], 120.3, 1.0 / 1024);
  EXPECT_EQ(p.x[2], -1.0);  // nothing written beyond NPK
}

TEST(Sr4pks, FindsMinimaInModeOneAndNothingInAnyOtherMode) {
  const std::vector<float> data = gaussians(100, {{50.6, -40.0, 4.0}});  // a dip
  const Peaks dips = search(data, 44, 57, 1.0f, 5, 1);
  ASSERT_EQ(dips.n, 1);
  EXPECT_NEAR(dips.x[0], 50.6, 1.0 / 1024);
  EXPECT_NEAR(dips.v[0], 40.0 / 16.0, 2.5 * kLoose);
  EXPECT_EQ(search(data, 44, 57, 1.0f, 5, 0).n, 0);
  for (const int32_t mode : {2, -1}) EXPECT_EQ(search(data, 44, 57, 1.0f, 5, mode).n, 0);
}

TEST(Sr4pks, EqualStrengthsKeepTheHeapOrder) {
  // A periodic array: three maxima (20.3, 40.3, 60.3) of exactly equal strength. A later one is
  // never stronger than the root, and the heapsort leaves equal entries in a fixed order.
  std::vector<float> data(100);
  for (int32_t i = 1; i <= 100; ++i) {
    data[static_cast<std::size_t>(i - 1)] =
        static_cast<float>(std::cos(2 * std::numbers::pi * ((i % 20) - 0.3) / 20));
  }
  struct Case {
    int32_t maxpk;
    std::vector<double> cells;  // the sample cell of each peak, in the order returned
  };
  const Case kCases[] = {{1, {20}}, {2, {40, 20}}, {3, {40, 60, 20}}, {9, {40, 60, 20}}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.maxpk);
    const Peaks p = search(data, 10, 70, 1.0f, c.maxpk, 0);
    ASSERT_EQ(p.n, static_cast<int32_t>(c.cells.size()));
    for (std::size_t k = 0; k < c.cells.size(); ++k) {
      EXPECT_EQ(std::trunc(p.x[k]), c.cells[k]) << "peak " << k;
      EXPECT_EQ(p.x[k] - c.cells[k], p.x[0] - c.cells[0]) << "peak " << k;
      EXPECT_EQ(p.v[k], p.v[0]) << "peak " << k;
    }
  }
}

TEST(Sr4pks, AStrongerPeakSiftsDownPastEqualChildrenOnTheLeft) {
  // Raised-cosine cells of 40 points, one maximum each (points 41, 81, 121, 161), of strengths
  // in the ratio 1 : 2 : 2 : 3. The heap holds the weak one at its root and the equal pair below
  // it when the strong one arrives; it replaces the root and moves down past the left child.
  constexpr double kHeights[] = {1.0, 2.0, 2.0, 3.0};
  std::vector<float> data(200, 0.0f);
  for (std::size_t cell = 0; cell < 4; ++cell) {
    for (std::size_t m = 0; m < 40; ++m) {
      data[20 + 40 * cell + m] =
          static_cast<float>(kHeights[cell] * 0.5 *
                             (1.0 - std::cos(2 * std::numbers::pi * static_cast<double>(m) / 40)));
    }
  }
  const Peaks p = search(data, 22, 178, 1.0f, 3, 0);  // inside the cells
  ASSERT_EQ(p.n, 3);
  EXPECT_EQ(std::round(p.x[0]), 161);
  EXPECT_EQ(std::round(p.x[1]), 121);  // the right one of the equal pair first
  EXPECT_EQ(std::round(p.x[2]), 81);
  EXPECT_EQ(p.v[1], p.v[2]);
  EXPECT_EQ(p.x[1] - 121, p.x[2] - 81);
}

// The zeros a search should accept, in the order met, found the plain way: the first derivative
// sampled at I1, I1 + STEP, ... (positions accumulated in double precision), each sign change
// bisected ten times on 32-bit offsets from the right sample.
std::vector<std::pair<double, float>> zeros_met(const std::vector<float>& data, int32_t i1,
                                                int32_t i2, float step, int32_t mode) {
  const auto changes = [](float a, float b) { return (a >= 0 && b < 0) || (a <= 0 && b > 0); };
  std::vector<std::pair<double, float>> zeros;
  double x = i1;
  float d0 = SR4VAL(data, x, 1);
  for (x += step; x < i2; x += step) {
    const float d1 = SR4VAL(data, x, 1);
    if (changes(d0, d1)) {
      float lo = -step, hi = 0, dlo = d0;
      for (int i = 0; i < 10; ++i) {
        const float mid = (lo + hi) * 0.5f;
        const float dm = SR4VAL(data, x + mid, 1);
        if (changes(dlo, dm)) {
          hi = mid;
        } else {
          lo = mid;
          dlo = dm;
        }
      }
      const double xp = x + static_cast<double>((lo + hi) * 0.5f);
      const float c = SR4VAL(data, xp, 2);
      if ((mode == 0 && c < 0) || (mode == 1 && c > 0)) zeros.emplace_back(xp, std::fabs(c));
    }
    d0 = d1;
  }
  return zeros;
}

TEST(Sr4pks, ReturnsTheStrongestOfTheZerosMetOnItsSamplingGrid) {
  const std::vector<float> data = wavy(300);
  for (const int32_t mode : {0, 1}) {
    for (const float step : {0.1f, 0.7f, 3.0f}) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << " step " << step);
      auto zeros = zeros_met(data, 9, 292, step, mode);
      std::stable_sort(zeros.begin(), zeros.end(),
                       [](const auto& a, const auto& b) { return a.second > b.second; });
      const int32_t maxpk = 12;
      const Peaks p = search(data, 9, 292, step, maxpk, mode);
      ASSERT_EQ(p.n, std::min<int32_t>(maxpk, static_cast<int32_t>(zeros.size())));
      for (std::size_t k = 0; k < static_cast<std::size_t>(p.n); ++k) {
        EXPECT_EQ(p.x[k], zeros[k].first) << "peak " << k;
        EXPECT_EQ(p.v[k], zeros[k].second) << "peak " << k;
      }
    }
  }
}

TEST(Sr4pks, ShorterListsArePrefixesOfLongerOnes) {
  const std::vector<float> data = wavy(300);
  for (const int32_t mode : {0, 1}) {
    SCOPED_TRACE(mode);
    const Peaks all = search(data, 9, 292, 0.5f, 100, mode);
    ASSERT_GT(all.n, 10);
    ASSERT_LT(all.n, 100);
    for (int32_t k = 1; k < all.n; ++k) {
      const auto i = static_cast<std::size_t>(k);
      EXPECT_GE(all.v[i - 1], all.v[i]) << "peak " << k;  // strongest first
    }
    for (int32_t k = 0; k < all.n; ++k) {
      // Each a zero of the first derivative of the right curvature, inside the range.
      const auto i = static_cast<std::size_t>(k);
      const float c = SR4VAL(data, all.x[i], 2);
      EXPECT_EQ(std::fabs(c), all.v[i]);
      EXPECT_TRUE(mode == 0 ? c < 0 : c > 0);
      EXPECT_NEAR(SR4VAL(data, all.x[i], 1), 0.0, all.v[i] * 0.5 / 1024 + 1e-5);
      EXPECT_GT(all.x[i], 9.0);
      EXPECT_LT(all.x[i], 292.0);
    }
    for (const int32_t maxpk : {1, 3, 7}) {
      SCOPED_TRACE(maxpk);
      const Peaks top = search(data, 9, 292, 0.5f, maxpk, mode);
      ASSERT_EQ(top.n, maxpk);
      for (std::size_t k = 0; k < static_cast<std::size_t>(maxpk); ++k) {
        EXPECT_EQ(top.x[k], all.x[k]);
        EXPECT_EQ(top.v[k], all.v[k]);
      }
    }
  }
}

TEST(Sr4pks, NeverWritesMorePeaksThanItsArraysHold) {
  const std::vector<float> data = wavy(300);
  const Peaks all = search(data, 9, 292, 1.0f, 100, 0);
  Peaks p;
  p.x.assign(5, -1.0);
  p.v.assign(5, -1.0f);
  SR4PKS(data, 9, 292, 1.0f, 50, 0, std::span(p.x).first(3), std::span(p.v).first(2), p.n);
  ASSERT_EQ(p.n, 2);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(p.x[k], all.x[k]);
    EXPECT_EQ(p.v[k], all.v[k]);
  }
  EXPECT_EQ(p.x[2], -1.0);
  EXPECT_EQ(p.v[2], -1.0f);
}

TEST(Sr4pks, FindsNothingForNoRoomAnEmptyRangeOrAStepThatDoesNotAdvance) {
  const std::vector<float> data = wavy(300);
  struct Case {
    const char* what;
    int32_t i1, i2;
    float step;
    int32_t maxpk;
  };
  const Case kCases[] = {
      {"MAXPK 0", 9, 292, 1.0f, 0},
      {"MAXPK negative", 9, 292, 1.0f, -3},
      {"range reversed", 292, 9, 1.0f, 5},
      {"zero step", 9, 292, 0.0f, 5},
      {"negative step", 200, 200, -1.0f, 5},
      {"step not a number", 9, 292, std::numeric_limits<float>::quiet_NaN(), 5},
      {"step too small to move", 9, 292, 1e-30f, 5},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const Peaks p = search(data, c.i1, c.i2, c.step, c.maxpk, 0);
    EXPECT_EQ(p.n, 0);
    EXPECT_EQ(p.x[0], -1.0);
  }
}

// ---------------------------------------------------------------------------------------------
// SPTPKS

TEST_F(SpectrumFileTest, SptpksFindsTheCentreOfAGaussianLineLoadedFromAFile) {
  // 200 points, spacing 0.05; one emission line at point 100.3, sigma 3 points: its curvature is
  // 1000 / 9 per point squared, 1000 / 9 / 0.05^2 per axis unit squared.
  const std::vector<Scan> scans = {
      {spectrum_items(200, Axis::twentieth), gaussians(200, {{100.3, 1000.0, 3.0}})}};
  const double strength = 1000.0 / 9.0 / (0.05 * 0.05);
  for (Source source : kSources) {
    SCOPED_TRACE(name_of(source));
    const Header hdr = open_first_scan(write(scans, source, "line.dat"));
    const double centre = position(hdr, 100.3);
    std::vector<float> array(4096);
    Header ahdr;
    int32_t npts = 0, ierr = -1;
    double w1p = 0, w2p = 0;
    GETSPF(kIn, hdr, array, ahdr, 2, 0, npts, position(hdr, 1), position(hdr, 200), w1p, w2p, ierr);
    ASSERT_EQ(ierr, 0);
    for (const int32_t mode : {0, 1}) {
      SCOPED_TRACE(mode);
      textio::CaptureOutput out;
      std::vector<double> pkw(5, -1.0);
      std::vector<float> pkv(5, -1.0f);
      int32_t npk = -1;
      SPTPKS(array, ahdr, centre - 0.25, centre + 0.25, 0.05, 5, mode, pkw, pkv, npk, ierr);
      EXPECT_EQ(out.text(), "");
      EXPECT_EQ(ierr, 0);
      if (mode == 1) {
        EXPECT_EQ(npk, 0);  // no dip at the centre of an emission line
        continue;
      }
      ASSERT_EQ(npk, 1);
      EXPECT_NEAR(pkw[0], centre, 0.05 / 1024);
      EXPECT_GT(pkv[0], 0.0f);
      EXPECT_NEAR(pkv[0], strength, strength * kLoose);
    }
  }
}

TEST(Sptpks, SearchesOnIndicesInStepsOfTheAxisStepAndConvertsTheResults) {
  // Spacing 0.05: DW = 0 (or below) is one axis unit, a step of 20 points.
  const Header h = header_of(spectrum_items(300, Axis::twentieth));
  const std::vector<float> data = wavy(300);
  double smp = 0, con = 0;
  SPTCON(h, smp, con);
  struct Case {
    double dw;
    float step;
  };
  constexpr Case kCases[] = {{0.0, 20.0f}, {-1.0, 20.0f}, {0.05, 1.0f}, {0.0125, 0.25f}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.dw);
    // Index 20.4 to 280.6: the search runs from point 20 to point 281, either way round.
    const double w1 = position(h, 20.4);
    const double w2 = position(h, 280.6);
    const Peaks on_indices = search(data, 20, 281, c.step, 40, 0);
    for (const bool reversed : {false, true}) {
      SCOPED_TRACE(reversed ? "W2 below W1" : "W1 below W2");
      std::vector<double> pkw(40);
      std::vector<float> pkv(40);
      int32_t npk = -1, ierr = -1;
      SPTPKS(data, h, reversed ? w2 : w1, reversed ? w1 : w2, c.dw, 40, 0, pkw, pkv, npk, ierr);
      EXPECT_EQ(ierr, 0);
      ASSERT_EQ(npk, on_indices.n);
      for (std::size_t k = 0; k < static_cast<std::size_t>(npk); ++k) {
        EXPECT_EQ(pkw[k], SPTWAV(on_indices.x[k], smp, con)) << "peak " << k;
        EXPECT_EQ(pkv[k], static_cast<float>(on_indices.v[k] / (smp * smp))) << "peak " << k;
      }
    }
  }
}

TEST(Sptpks, RefusesWhatItCannotSearchWithItsMessages) {
  // A 100-point spectrum: the search range must lie within points 9 ... 92. A range failure
  // writes TSTDBL's line before the refusal.
  const std::vector<float> data = wavy(100);
  constexpr const char* kOutOfRange = "TSTDBL   01> - NUMBER OUT OF RANGE";
  struct Case {
    const char* what;
    int32_t item, value;  // header item changed (0: none)
    double w1, w2;        // point indices
    std::size_t room;     // entries of the peak arrays
    bool range;           // TSTDBL's line first
    const char* message;
  };
  constexpr Case kCases[] = {
      {"interferogram", QQDKND, 0, 20, 30, 5, false, "SPTPKS   01> - SCAN NOT SPECTRUM"},
      {"16-bit array", QQDTYP, 0, 20, 30, 5, false, "SPTPKS   02> - INPUT ARRAY NOT TYPE REAL"},
      {"64-bit array", QQDTYP, 3, 20, 30, 5, false, "SPTPKS   02> - INPUT ARRAY NOT TYPE REAL"},
      {"complex", QQDREP, 2, 20, 30, 5, false, "SPTPKS   03> - DATA REPRESENTATION NOT REAL"},
      {"W1 before 9", 0, 0, 8.9, 30, 5, true, "SPTPKS   04> - SEARCH RANGE OUTSIDE DATA RANGE"},
      {"W1 after 92", 0, 0, 92.1, 30, 5, true, "SPTPKS   04> - SEARCH RANGE OUTSIDE DATA RANGE"},
      {"W2 after 92", 0, 0, 20, 95, 5, true, "SPTPKS   05> - SEARCH RANGE OUTSIDE DATA RANGE"},
      {"arrays too short", 0, 0, 20, 30, 4, false,
       "SPTPKS   06> - PEAK LIST LONGER THAN ITS ARRAYS"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Header h = header_of(spectrum_items(100));
    if (c.item != 0) h(c.item) = c.value;
    textio::CaptureOutput out;
    std::vector<double> pkw(c.room, -1.0);
    std::vector<float> pkv(c.room, -1.0f);
    int32_t npk = 7, ierr = 0;
    SPTPKS(data, h, position(h, c.w1), position(h, c.w2), 1.0, 5, 0, pkw, pkv, npk, ierr);
    EXPECT_EQ(out.text(), c.range ? log_lines({kOutOfRange, c.message}) : log_lines({c.message}));
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(npk, 0);
    EXPECT_EQ(pkw, std::vector<double>(c.room, -1.0));
  }
}

TEST(Sptpks, FindsNothingOnASpectrumWithoutAnAxis) {
  // Spacing 0: the fetchable range is the single position 0 and the step is infinite.
  HeaderItems items = spectrum_items(100);
  items[QQSTSZ - 1] = 0;
  const Header h = header_of(items);
  const std::vector<float> data = wavy(100);
  textio::CaptureOutput out;
  std::vector<double> pkw(5, -1.0);
  std::vector<float> pkv(5, -1.0f);
  int32_t npk = -1, ierr = -1;
  SPTPKS(data, h, 0.0, 0.0, 0.0, 5, 0, pkw, pkv, npk, ierr);
  EXPECT_EQ(out.text(), "");
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(npk, 0);
  EXPECT_EQ(pkw[0], -1.0);
}

TEST(Sptpks, AcceptsTheEndsOfTheFetchableRange) {
  const Header h = header_of(spectrum_items(100));
  const std::vector<float> data = wavy(100);
  double r1 = 0, r2 = 0;
  SPTRNG(h, r1, r2);
  EXPECT_EQ(r1, position(h, 9));
  EXPECT_EQ(r2, position(h, 92));
  textio::CaptureOutput out;
  std::vector<double> pkw(50);
  std::vector<float> pkv(50);
  int32_t npk = -1, ierr = -1;
  SPTPKS(data, h, r1, r2, 0.25, 50, 1, pkw, pkv, npk, ierr);
  EXPECT_EQ(out.text(), "");
  EXPECT_EQ(ierr, 0);
  const Peaks on_indices = search(data, 9, 92, 0.25f, 50, 1);
  EXPECT_EQ(npk, on_indices.n);
  EXPECT_GT(npk, 5);
}

}  // namespace
}  // namespace fts
