// Unit tests of ftsioutl: walking scan files built byte by byte, element selections, selection
// headers, loads and stores of point ranges with their messages, and store/load round trips over
// every pair of types and every part of complex data.
#include "fts/ftsioutl.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/scanbytes.hpp"
#include "fts_testing/stops.hpp"

namespace fts {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fts::testing::HeaderItems;
using fts::testing::ScanFileBytes;
using fts::testing::TempDir;

constexpr double kExact = 0.0;
constexpr std::size_t kRec = 512;
constexpr int32_t kIn = 1;
constexpr int32_t kOut = 2;

// The log lines " #TEXT" of the given texts.
std::string log_lines(std::initializer_list<const char*> texts) {
  std::string out;
  for (const char* t : texts) out += std::string(" #") + t + "\n";
  return out;
}

// Items of a scan of NPOINTS points of element type TYPE, part REP and kind KIND; item
// QQADDS carries ID so that scans can be told apart.
HeaderItems scan_items(int32_t type, int32_t rep, int32_t npoints, int32_t id, int32_t kind = 0) {
  HeaderItems items = fts::testing::blank_items();
  const auto set = [&](int32_t item, int32_t v) { items[static_cast<std::size_t>(item - 1)] = v; };
  const int32_t size = rep == 2 ? 2 * npoints : npoints;
  set(QQDTYP, type);
  set(QQDKND, kind);
  set(QQDREP, rep);
  set(QQBORD, 1);
  set(QQDSIZ, size);
  set(QQFLEN, fts::testing::records_for(size, type == 0 ? 2 : 4));
  set(QQILEN, kind == 0 ? npoints : 0);
  set(QQSLEN, kind == 1 ? npoints : 0);
  set(QQADDS, id);
  return items;
}

Header header_of(const HeaderItems& items) {
  Header h;
  for (int32_t i = 1; i <= kHeaderItems; ++i) h(i) = items[static_cast<std::size_t>(i - 1)];
  return h;
}

std::vector<int16_t> ramp16(int32_t n, int32_t from = 1) {
  std::vector<int16_t> v(static_cast<std::size_t>(n));
  for (int32_t k = 0; k < n; ++k) v[static_cast<std::size_t>(k)] = static_cast<int16_t>(from + k);
  return v;
}

int32_t le32(const Bytes& b, std::size_t off) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | b[off + static_cast<std::size_t>(k)];
  return static_cast<int32_t>(v);
}

// Element K (from 0) of type TYPE in the little-endian data that begin at byte OFF.
double le_element(const Bytes& b, std::size_t off, std::size_t k, int32_t type) {
  if (type == 0) {
    return static_cast<int16_t>(b[off + 2 * k] | (b[off + 2 * k + 1] << 8));
  }
  const int32_t v = le32(b, off + 4 * k);
  if (type == 1) return v;
  return std::bit_cast<float>(v);
}

class ScanAccessTest : public ::testing::Test {
 protected:
  void TearDown() override { lun::close_all(); }

  void open_input(const Bytes& bytes, const std::string& name = "in.dat") {
    fts::testing::write_bytes(dir_ / name, bytes);
    int32_t ierr = -1;
    OPFINP(kIn, (dir_ / name).string(), ierr);
    ASSERT_EQ(ierr, 0);
  }
  void open_output(const std::string& name = "out.dat") {
    int32_t ierr = -1;
    OPFOUT(kOut, (dir_ / name).string(), ierr);
    ASSERT_EQ(ierr, 0);
  }
  Bytes output_bytes(const std::string& name = "out.dat") {
    lun::close(kOut);
    return fts::testing::read_bytes(dir_ / name);
  }
  // Reopens a written file for reading on kIn.
  void reopen(const std::string& name) {
    lun::close(kOut);
    int32_t ierr = -1;
    OPFINP(kIn, (dir_ / name).string(), ierr);
    ASSERT_EQ(ierr, 0);
  }

  TempDir dir_;
};

// A file of three 16-bit real interferograms: 10 points (1 record), 300 points (2 records),
// 5 points (1 record); scan n carries QQADDS = n and point values 100n + k.
Bytes three_scans(bool big_endian = false) {
  ScanFileBytes f(big_endian);
  const int32_t sizes[] = {10, 300, 5};
  for (int32_t n = 1; n <= 3; ++n) {
    HeaderItems items = scan_items(0, 0, sizes[n - 1], n);
    items[QQBORD - 1] = big_endian ? 0 : 1;
    f.add_header(items);
    f.add_data(ramp16(sizes[n - 1], 100 * n + 1));
  }
  return f.bytes();
}

// ---------------------------------------------------------------------------------------------
// Walking a scan file.

TEST_F(ScanAccessTest, GethdrPastTheLastScanReportsTheLastScanThatExists) {
  ScanFileBytes f;
  f.add_header(scan_items(0, 0, 10, 1));
  f.add_data(ramp16(10));
  f.add_header(scan_items(2, 0, 200, 2));
  f.add_data(std::vector<float>(200, 1.5f));
  open_input(f.bytes());
  textio::CaptureOutput out;
  Header h;
  int32_t curscn = 1, ierr = -1, ieof = -1;
  GETHDR(kIn, h, curscn, 3, ierr, ieof);
  EXPECT_EQ(out.text(), log_lines({"GETHDR   03> - EOF AFTER SCAN 000002"}));
  EXPECT_EQ(ieof, 1);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(curscn, 3);
  EXPECT_EQ(h(QQADDS), 2);  // the last header read
}

TEST_F(ScanAccessTest, GethdrWalksForwardAndRewindsToGoBack) {
  struct Step {
    int32_t nxtscn;
    bool consume;  // skip the scan's data afterwards and count it
    int32_t curscn_after;
    int32_t record_after;
  };
  // Records: scan 1 at 1 (data 2), scan 2 at 3 (data 4-5), scan 3 at 6 (data 7).
  // A scan not consumed is read again by asking for it once more (NXTSCN = CURSCN).
  constexpr Step kSteps[] = {
      {3, true, 4, 8}, {2, true, 3, 6}, {3, false, 3, 7}, {1, true, 2, 3}, {2, false, 2, 4},
  };
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "foreign" : "own order");
    open_input(three_scans(big));
    int32_t curscn = 1;
    for (const Step& s : kSteps) {
      SCOPED_TRACE("scan " + std::to_string(s.nxtscn));
      Header h;
      int32_t ierr = -1, ieof = -1;
      GETHDR(kIn, h, curscn, s.nxtscn, ierr, ieof);
      EXPECT_EQ(ierr, 0);
      EXPECT_EQ(ieof, 0);
      EXPECT_EQ(h(QQADDS), s.nxtscn);
      EXPECT_EQ(h(QQBORD), big ? 0 : 1);
      if (s.consume) {
        SKPDAT(kIn, h);
        ++curscn;
      }
      EXPECT_EQ(curscn, s.curscn_after);
      EXPECT_EQ(lun::current_record(kIn), s.record_after);
    }
    lun::close(kIn);
  }
}

TEST_F(ScanAccessTest, GethdrRefusesScanNumbersBelowOneAndReadsNothing) {
  struct Case {
    int32_t curscn, nxtscn;
    const char* message;
  };
  constexpr Case kCases[] = {
      {0, 1, "GETHDR   01> - CURSCN VALUE IS .LT. 1"},
      {1, 0, "GETHDR   02> - NXTSCN VALUE IS .LT. 1"},
      {-5, -5, "GETHDR   01> - CURSCN VALUE IS .LT. 1"},
  };
  open_input(three_scans());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.message);
    textio::CaptureOutput out;
    Header h;
    int32_t curscn = c.curscn, ierr = 0, ieof = -1;
    GETHDR(kIn, h, curscn, c.nxtscn, ierr, ieof);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), log_lines({c.message}));
    EXPECT_EQ(curscn, c.curscn);
    EXPECT_EQ(lun::current_record(kIn), 1);
  }
}

TEST_F(ScanAccessTest, GethdrOnAnEmptyFileReportsScanZero) {
  open_input({});
  textio::CaptureOutput out;
  Header h;
  h(QQADDS) = 77;
  int32_t curscn = 1, ierr = -1, ieof = -1;
  GETHDR(kIn, h, curscn, 1, ierr, ieof);
  EXPECT_EQ(out.text(), log_lines({"GETHDR   03> - EOF AFTER SCAN 000000"}));
  EXPECT_EQ(ieof, 1);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(h(QQADDS), 77);
}

TEST_F(ScanAccessTest, GethdrRefusesToWalkPastANegativeRecordCount) {
  ScanFileBytes f;
  HeaderItems bad = scan_items(0, 0, 10, 1);
  bad[QQFLEN - 1] = -1;
  f.add_header(bad);
  f.add_data(ramp16(10));
  f.add_header(scan_items(0, 0, 10, 2));
  open_input(f.bytes());
  for (int32_t nxtscn : {1, 2}) {
    SCOPED_TRACE(nxtscn);
    textio::CaptureOutput out;
    lun::rewind(kIn);
    Header h;
    int32_t curscn = 1, ierr = 0, ieof = -1;
    GETHDR(kIn, h, curscn, nxtscn, ierr, ieof);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), log_lines({"GETHDR   04> - BAD RECORD COUNT IN SCAN 000001"}));
    EXPECT_EQ(curscn, 1);
  }
}

TEST_F(ScanAccessTest, CpydatWritesAStampedHeaderAndIntegersInOwnOrder) {
  // A foreign file: 16-bit, 32-bit and float scans.
  ScanFileBytes foreign(true);
  HeaderItems i2 = scan_items(0, 0, 300, 1), i4 = scan_items(1, 0, 3, 2),
              r4 = scan_items(2, 0, 2, 3);
  i2[QQBORD - 1] = i4[QQBORD - 1] = r4[QQBORD - 1] = 0;
  foreign.add_header(i2);
  foreign.add_data(ramp16(300, -150));
  foreign.add_header(i4);
  foreign.add_data(std::vector<int32_t>{-1, 65536, 2147483647});
  foreign.add_header(r4);
  foreign.add_data(std::vector<float>{1.5f, -2.0f});
  open_input(foreign.bytes());
  open_output();
  Header stamped[3];
  for (int32_t n = 1; n <= 3; ++n) {
    Header h;
    int32_t curscn = n, ierr = -1, ieof = -1;
    GETHDR(kIn, h, curscn, n, ierr, ieof);
    CPYDAT(kIn, h, kOut);
    EXPECT_EQ(h(QQBORD), 1);
    EXPECT_EQ(h(QQSYSV), 2);
    stamped[n - 1] = h;
  }
  EXPECT_EQ(lun::current_record(kIn), 8);

  // The same scans in the suite's own order, stamps taken from the copies.
  ScanFileBytes own;
  for (HeaderItems* items : {&i2, &i4, &r4}) {
    (*items)[QQBORD - 1] = 1;
    (*items)[QQSYSV - 1] = 2;
  }
  const HeaderItems* all[] = {&i2, &i4, &r4};
  for (int n = 0; n < 3; ++n) {
    HeaderItems items = *all[n];
    items[QQFCDY - 1] = stamped[n](QQFCDY);
    items[QQFCMS - 1] = stamped[n](QQFCMS);
    own.add_header(items);
    if (n == 0) own.add_data(ramp16(300, -150));
    if (n == 1) own.add_data(std::vector<int32_t>{-1, 65536, 2147483647});
    if (n == 2) own.add_data(std::vector<float>{1.5f, -2.0f});
  }
  EXPECT_EQ(output_bytes(), own.bytes());
}

// ---------------------------------------------------------------------------------------------
// Selections.

TEST_F(ScanAccessTest, IndiceSelectsTheElementsOfEachPart) {
  struct Case {
    int32_t srep, irep, i1, i2;
    int32_t j1, j2, jstep, nj;
  };
  constexpr Case kCases[] = {
      {0, 0, 3, 5, 3, 5, 1, 3},  {1, 1, 3, 5, 3, 5, 1, 3},  {2, 0, 3, 5, 5, 9, 2, 3},
      {2, 1, 3, 5, 6, 10, 2, 3}, {2, 2, 3, 5, 5, 10, 1, 6}, {2, 2, 1, 1, 1, 2, 1, 2},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.srep) + "/" + std::to_string(c.irep));
    int32_t j1 = -9, j2 = -9, jstep = -9, nj = -9;
    INDICE(c.srep, c.irep, c.i1, c.i2, j1, j2, jstep, nj);
    EXPECT_EQ(j1, c.j1);
    EXPECT_EQ(j2, c.j2);
    EXPECT_EQ(jstep, c.jstep);
    EXPECT_EQ(nj, c.nj);
  }
}

using ScanAccessDeathTest = ScanAccessTest;

TEST_F(ScanAccessDeathTest, IndiceStopsOnAPairOrARangeItCannotSelect) {
  struct Case {
    int32_t srep, irep, i1, i2;
    const char* message;
  };
  constexpr Case kCases[] = {
      {0, 1, 3, 5, "INDICE   01> - PART NOT IN THE DATA"},
      {1, 2, 3, 5, "INDICE   01> - PART NOT IN THE DATA"},
      {2, 2, 1, 1073741824, "INDICE   02> - ELEMENT NUMBERS BEYOND 32 BITS"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.message);
    int32_t j1 = 0, j2 = 0, jstep = 0, nj = 0;
    FTS_EXPECT_STOP(INDICE(c.srep, c.irep, c.i1, c.i2, j1, j2, jstep, nj),
                    std::string("^ #") + c.message + "\n#ERROR\n$");
  }
}

TEST_F(ScanAccessTest, UpdhdrRefusesABadRequestAndLeavesHdrbAlone) {
  struct Case {
    int32_t kind, rep, ityp, irep, i1, i2;
    const char* message;
  };
  constexpr Case kCases[] = {
      {0, 0, -1, 0, 1, 2, "UPDHDR   01> - ILLEGAL DATA TYPE"},
      {0, 0, 4, 0, 1, 2, "UPDHDR   01> - ILLEGAL DATA TYPE"},
      {0, 0, 2, 3, 1, 2, "UPDHDR   02> - ILLEGAL DATA REPRESENTATION"},
      {0, 1, 2, 0, 1, 2, "UPDHDR   03> - REAL DATA NOT IN SOURCE"},
      {0, 0, 2, 1, 1, 2, "UPDHDR   04> - IMAGINARY DATA NOT IN SOURCE"},
      {0, 0, 2, 2, 1, 2, "UPDHDR   05> - COMPLEX DATA NOT IN SOURCE"},
      {0, 1, 2, 2, 1, 2, "UPDHDR   05> - COMPLEX DATA NOT IN SOURCE"},
      {0, 0, 2, 0, 0, 2, "UPDHDR   06> - ILLEGAL RANGE SPECIFICATION"},
      {0, 0, 2, 0, 3, 2, "UPDHDR   06> - ILLEGAL RANGE SPECIFICATION"},
      {0, 0, 2, 0, 5, 11, "UPDHDR   07> - RANGE NOT IN DATA"},
      {1, 0, 2, 0, 5, 21, "UPDHDR   07> - RANGE NOT IN DATA"},
      {5, 2, 2, 0, 1, 1073741824, "UPDHDR   06> - ILLEGAL RANGE SPECIFICATION"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.message);
    Header a = header_of(scan_items(0, c.rep, c.kind == 0 ? 10 : 20, 1, c.kind));
    Header b = header_of(scan_items(1, 1, 7, 9));
    const Header before = b;
    textio::CaptureOutput out;
    int32_t ierr = 0;
    UPDHDR(a, b, c.ityp, c.irep, c.i1, c.i2, ierr);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), log_lines({c.message}));
    EXPECT_EQ(b, before);
  }
}

TEST_F(ScanAccessTest, UpdhdrCutsAnInterferogramAndScalesItsDuration) {
  Header a = header_of(scan_items(0, 0, 10, 1));
  a(QQIOFF) = 100;
  a(QQISLP) = 2;
  a(QQICEN) = 4;
  a(QQIDUR) = 1000;
  a(QQDSCL) = 6;
  Header b;
  int32_t ierr = -1;
  UPDHDR(a, b, 2, 0, 2, 5, ierr);
  EXPECT_EQ(ierr, 0);
  Header expected = a;
  expected(QQDTYP) = 2;
  expected(QQDSIZ) = 4;
  expected(QQFLEN) = 1;
  expected(QQIOFF) = 102;
  expected(QQILEN) = 4;
  expected(QQICEN) = 3;
  expected(QQIDUR) = 400;
  EXPECT_EQ(b, expected);

  // Durations round half away from zero.
  struct Case {
    int32_t idur, i1, i2, expected;
  };
  constexpr Case kCases[] = {
      {1001, 1, 5, 501}, {-1001, 1, 5, -501}, {7, 1, 3, 2}, {999, 4, 4, 100}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.idur);
    a(QQIDUR) = c.idur;
    UPDHDR(a, b, 0, 0, c.i1, c.i2, ierr);
    EXPECT_EQ(b(QQIDUR), c.expected);
  }
}

TEST_F(ScanAccessTest, UpdhdrSizesTheSelectionByTypeAndPart) {
  struct Case {
    int32_t ityp, irep, flen, dsiz;
  };
  constexpr Case kCases[] = {{0, 0, 2, 300}, {1, 0, 3, 300}, {2, 0, 3, 300}, {3, 0, 0, 300},
                             {0, 2, 3, 600}, {2, 1, 3, 300}, {2, 2, 5, 600}};
  Header a = header_of(scan_items(2, 2, 1000, 1, 1));
  a(QQSOFF) = 40;
  a(QQSSLP) = 3;
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.ityp) + "/" + std::to_string(c.irep));
    Header b;
    int32_t ierr = -1;
    UPDHDR(a, b, c.ityp, c.irep, 11, 310, ierr);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(b(QQFLEN), c.flen);
    EXPECT_EQ(b(QQDSIZ), c.dsiz);
    EXPECT_EQ(b(QQDTYP), c.ityp);
    EXPECT_EQ(b(QQDREP), c.irep);
    EXPECT_EQ(b(QQSOFF), 70);
    EXPECT_EQ(b(QQSLEN), 300);
  }
}

// ---------------------------------------------------------------------------------------------
// Loads.

TEST_F(ScanAccessTest, LdindxTurnsIntegersIntoValuesForFloatArraysOnly) {
  ScanFileBytes f;
  HeaderItems items = scan_items(0, 0, 3, 1);
  items[QQDSCL - 1] = 3;
  for (int n = 0; n < 2; ++n) {
    f.add_header(items);
    f.add_data(std::vector<int16_t>{16384, -1, 7});
  }
  open_input(f.bytes());
  int32_t curscn = 1, ierr = -1, ieof = -1;
  Header h, ah;
  GETHDR(kIn, h, curscn, 1, ierr, ieof);
  std::vector<float> values(3);
  LDINDX(kIn, h, values, ah, 2, 0, 1, 3, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(values, (std::vector<float>{4.0f, -std::ldexp(1.0f, -12), 7 * std::ldexp(1.0f, -12)}));
  EXPECT_EQ(ah(QQDSCL), 0);
  EXPECT_EQ(ah(QQDTYP), 2);

  GETHDR(kIn, h, ++curscn, 2, ierr, ieof);
  std::vector<int32_t> ints(3);
  LDINDX(kIn, h, ints, ah, 1, 0, 1, 3, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(ints, (std::vector<int32_t>{16384 * 65536, -65536, 7 * 65536}));
  EXPECT_EQ(ah(QQDSCL), 3);
  EXPECT_EQ(ah(QQDTYP), 1);
  EXPECT_EQ(lun::current_record(kIn), 5);
}

TEST_F(ScanAccessTest, LdindxSelectsThePartsOfComplexData) {
  struct Case {
    const char* name;
    int32_t irep;
    std::vector<int32_t> elements;  // file elements expected, from 1
  };
  const Case kCases[] = {
      {"real", 0, {5, 7, 9}}, {"imaginary", 1, {6, 8, 10}}, {"complex", 2, {5, 6, 7, 8, 9, 10}}};
  ScanFileBytes f;
  f.add_header(scan_items(1, 2, 200, 1));
  std::vector<int32_t> data(400);
  for (std::size_t k = 0; k < data.size(); ++k) data[k] = static_cast<int32_t>(k + 1) * 1000;
  f.add_data(data);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    open_input(f.bytes());
    int32_t curscn = 1, ierr = -1, ieof = -1;
    Header h, ah;
    GETHDR(kIn, h, curscn, 1, ierr, ieof);
    std::vector<int32_t> a(c.elements.size() + 1, -1);
    LDINDX(kIn, h, a, ah, 1, c.irep, 3, 5, ierr);
    EXPECT_EQ(ierr, 0);
    for (std::size_t k = 0; k < c.elements.size(); ++k) EXPECT_EQ(a[k], c.elements[k] * 1000);
    EXPECT_EQ(a.back(), -1);
    EXPECT_EQ(ah(QQDREP), c.irep);
    EXPECT_EQ(ah(QQDSIZ), static_cast<int32_t>(c.elements.size()));
    EXPECT_EQ(ah(QQILEN), 3);
    EXPECT_EQ(lun::current_record(kIn), 6);
    lun::close(kIn);
  }
}

TEST_F(ScanAccessTest, LdindxRefusesBadRequestsBeforeReadingAnything) {
  struct Case {
    const char* name;
    int32_t ftyp, frep, npoints;
    int32_t flen, dsiz;  // as the header claims; -9 = as the data need
    int32_t atyp, array_type, array_size, irep, i1, i2;
    std::string messages;
  };
  const Case kCases[] = {
      {"array type", 0, 0, 10, -9, -9, 4, 2, 10, 0, 1, 10,
       log_lines({"LDINDX   01> ILLEGAL ARRAY TYPE"})},
      {"array of another type", 0, 0, 10, -9, -9, 2, 3, 10, 0, 1, 10,
       log_lines({"LDINDX   01> ILLEGAL ARRAY TYPE"})},
      {"file type", 3, 0, 10, -9, -9, 2, 2, 10, 0, 1, 10,
       log_lines({"LDINDX   02> ILLEGAL FILE TYPE"})},
      {"unknown file type", 9, 0, 10, -9, -9, 2, 2, 10, 0, 1, 10,
       log_lines({"LDINDX   02> ILLEGAL FILE TYPE"})},
      {"real to integer", 2, 0, 10, -9, -9, 1, 1, 10, 0, 1, 10,
       log_lines({"LDINDX   03> REAL TO INTEGER LOAD"})},
      {"range", 0, 0, 10, -9, -9, 2, 2, 20, 0, 5, 11,
       log_lines({"UPDHDR   07> - RANGE NOT IN DATA", "LDINDX   03>"})},
      {"negative records", 0, 0, 10, -1, -9, 2, 2, 10, 0, 1, 10,
       log_lines({"LDINDX   04> - BAD SIZE IN SCAN HEADER"})},
      {"negative size", 0, 0, 10, -9, -3, 2, 2, 10, 0, 1, 10,
       log_lines({"LDINDX   04> - BAD SIZE IN SCAN HEADER"})},
      {"size beyond records", 0, 0, 10, 1, 257, 2, 2, 10, 0, 1, 10,
       log_lines({"LDINDX   04> - BAD SIZE IN SCAN HEADER"})},
      {"points beyond size", 0, 0, 10, -9, 8, 2, 2, 10, 0, 1, 10,
       log_lines({"LDINDX   05> - RANGE NOT IN SCAN DATA"})},
      {"complex points beyond size", 1, 2, 10, -9, 19, 2, 2, 10, 2, 1, 10,
       log_lines({"LDINDX   05> - RANGE NOT IN SCAN DATA"})},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    HeaderItems items = scan_items(c.ftyp, c.frep, c.npoints, 1);
    if (c.flen != -9) items[QQFLEN - 1] = c.flen;
    if (c.dsiz != -9) items[QQDSIZ - 1] = c.dsiz;
    const Header h = header_of(items);
    fts::testing::write_bytes(dir_ / "data.dat", Bytes(4 * kRec, 0));
    int32_t ierr = -1;
    OPFINP(kIn, (dir_ / "data.dat").string(), ierr);
    std::vector<int16_t> i2(static_cast<std::size_t>(c.array_size));
    std::vector<int32_t> i4(static_cast<std::size_t>(c.array_size));
    std::vector<float> r4(static_cast<std::size_t>(c.array_size));
    std::vector<double> r8(static_cast<std::size_t>(c.array_size));
    const ElementArray arrays[] = {ElementArray(i2), ElementArray(i4), ElementArray(r4),
                                   ElementArray(r8)};
    Header ah = header_of(scan_items(1, 1, 1, 42));
    const Header before = ah;
    textio::CaptureOutput out;
    LDINDX(kIn, h, arrays[c.array_type], ah, c.atyp, c.irep, c.i1, c.i2, ierr);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), c.messages);
    EXPECT_EQ(ah, before);
    EXPECT_EQ(lun::current_record(kIn), 1);
    lun::close(kIn);
  }
}

// ---------------------------------------------------------------------------------------------
// Stores.

TEST_F(ScanAccessTest, StindxNormalisesFloatsIntoSixteenBits) {
  Header ah = header_of(scan_items(2, 0, 4, 1));
  const std::vector<float> a = {3.0f, -1.5f, 0.25f, -3.0f};
  open_output();
  Header h;
  int32_t ierr = -1;
  STINDX(kOut, h, a, ah, 0, 0, 1, 4, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(h(QQDSCL), 2);
  EXPECT_EQ(h(QQDTYP), 0);
  EXPECT_EQ(h(QQFLEN), 1);
  const Bytes b = output_bytes();
  ASSERT_EQ(b.size(), 2 * kRec);
  EXPECT_EQ(le32(b, 144), 2);  // QQDSCL in the header record
  const double expected[] = {24576, -12288, 2048, -24576};
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(le_element(b, kRec, k, 0), expected[k]);
}

// A header that both describes the array and is written is cut to the points in place: the
// axis follows the points written, the duration is kept.
TEST_F(ScanAccessTest, StindxUpdatesAHeaderThatIsBothArrayAndFileHeaderInPlace) {
  Header h = header_of(scan_items(2, 0, 10, 1));
  h(QQIOFF) = 100;
  h(QQISLP) = 2;
  h(QQICEN) = 4;
  h(QQIDUR) = 1000;
  const std::vector<float> a = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  open_output();
  int32_t ierr = -1;
  STINDX(kOut, h, a, h, 2, 0, 2, 5, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(h(QQIOFF), 102);
  EXPECT_EQ(h(QQILEN), 4);
  EXPECT_EQ(h(QQICEN), 3);
  EXPECT_EQ(h(QQIDUR), 1000);
  const Bytes b = output_bytes();
  EXPECT_EQ(le32(b, 168), 1000);  // QQIDUR in the header record
  EXPECT_EQ(le32(b, 204), 4);     // QQILEN
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(le_element(b, kRec, k, 2), a[k + 1]);

  // A refused store leaves the header as it was.
  const Header before = h;
  STINDX(kOut, h, a, h, 2, 0, 3, 9, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(h, before);
}

TEST_F(ScanAccessTest, StindxOfAllZerosKeepsTheArrayExponent) {
  Header ah = header_of(scan_items(1, 0, 300, 1));
  ah(QQDSCL) = -4;
  const std::vector<int32_t> a(300, 0);
  open_output();
  Header h;
  int32_t ierr = -1;
  STINDX(kOut, h, a, ah, 0, 0, 1, 300, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(h(QQDSCL), -4);
  const Bytes b = output_bytes();
  ASSERT_EQ(b.size(), 3 * kRec);
  EXPECT_EQ(Bytes(b.begin() + kRec, b.end()), Bytes(2 * kRec, 0));
}

TEST_F(ScanAccessTest, StindxRefusesBadRequestsBeforeWritingAnything) {
  struct Case {
    const char* name;
    int32_t atyp, ftyp, irep, i1, i2, array_size;
    std::string messages;
    float last = 1.0f;  // the array's last element
  };
  const Case kCases[] = {
      {"array type", 5, 0, 0, 1, 4, 4, log_lines({"STINDX   01> ILLEGAL ARRAY TYPE"})},
      {"array of another type", 3, 0, 0, 1, 4, 4, log_lines({"STINDX   01> ILLEGAL ARRAY TYPE"})},
      {"file type", 2, 3, 0, 1, 4, 4, log_lines({"STINDX   02> ILLEGAL FILE TYPE"})},
      {"part", 2, 0, 1, 1, 4, 4,
       log_lines({"UPDHDR   04> - IMAGINARY DATA NOT IN SOURCE", "STINDX   03>"})},
      {"not a number into 16-bit integers", 2, 0, 0, 1, 4, 4,
       log_lines({"STINDX   05> - VALUE NOT FINITE FOR INTEGER FILE"}), std::nanf("")},
      {"infinity into 32-bit integers", 2, 1, 0, 1, 4, 4,
       log_lines({"STINDX   05> - VALUE NOT FINITE FOR INTEGER FILE"}), -HUGE_VALF},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Header ah = header_of(scan_items(c.atyp, 0, 4, 1));
    std::vector<float> a(static_cast<std::size_t>(c.array_size), 1.0f);
    a.back() = c.last;
    open_output(std::string(c.name) + ".dat");
    Header h = header_of(scan_items(1, 1, 1, 42));
    const Header before = h;
    textio::CaptureOutput out;
    int32_t ierr = 0;
    STINDX(kOut, h, a, ah, c.ftyp, c.irep, c.i1, c.i2, ierr);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), c.messages);
    EXPECT_EQ(h, before);
    EXPECT_TRUE(output_bytes(std::string(c.name) + ".dat").empty());
  }
}

// An array too short for the selection stops the run.
TEST_F(ScanAccessDeathTest, AnArrayTooShortForTheRangeStopsTheRun) {
  ScanFileBytes f;
  f.add_header(scan_items(0, 2, 10, 1));  // 10 complex points, 20 elements
  f.add_data(ramp16(20));
  open_input(f.bytes());
  open_output();
  const auto load = [] {
    Header h, ah;
    int32_t curscn = 1, ierr = 0, ieof = 0;
    GETHDR(kIn, h, curscn, 1, ierr, ieof);
    std::vector<float> a(19);
    LDINDX(kIn, h, a, ah, 2, 2, 1, 10, ierr);
  };
  const auto store = [] {
    const Header ah = header_of(scan_items(2, 0, 4, 1));
    const std::vector<float> a(3, 1.0f);
    Header h;
    int32_t ierr = 0;
    STINDX(kOut, h, a, ah, 0, 0, 1, 4, ierr);
  };
  FTS_EXPECT_STOP(load(), "^ #LDINDX   06> - ARRAY TOO SMALL FOR RANGE\n#ERROR\n$");
  FTS_EXPECT_STOP(store(), "^ #STINDX   04> - RANGE NOT IN ARRAY\n#ERROR\n$");
}

// The value an element of an array of type TYPE with scale exponent SCL stands for.
double value_of(double element, int32_t type, int32_t scl) {
  if (type == 0) return std::ldexp(element, scl - 15);
  if (type == 1) return std::ldexp(element, scl - 31);
  return element;
}

// Every array type into every file type, for each part of real, imaginary and complex arrays:
// the file holds the selected elements normalised (integer files) or as values (float files),
// truncated toward zero, behind the right scale exponent, the last record padded with zeros; and
// loading the scan back gives those values.
TEST_F(ScanAccessTest, StoreAndLoadRoundTripEveryTypePairAndPart) {
  struct Part {
    int32_t arep, irep;
  };
  constexpr Part kParts[] = {{0, 0}, {1, 1}, {2, 0}, {2, 1}, {2, 2}};
  constexpr int32_t kPoints = 301;
  constexpr int32_t kI1 = 4, kI2 = 290;
  constexpr int32_t kArrayScale[] = {5, -3, 0, 0};
  int file_number = 0;
  for (int32_t atyp = 0; atyp <= 3; ++atyp) {
    for (int32_t ftyp = 0; ftyp <= 2; ++ftyp) {
      for (const Part& p : kParts) {
        SCOPED_TRACE("array " + std::to_string(atyp) + " file " + std::to_string(ftyp) + " part " +
                     std::to_string(p.arep) + "/" + std::to_string(p.irep));
        // An array of mixed signs and magnitudes whose largest element lies inside the
        // selection.
        const int32_t size = p.arep == 2 ? 2 * kPoints : kPoints;
        Header ah = header_of(scan_items(atyp, p.arep, kPoints, 1));
        ah(QQDSCL) = kArrayScale[atyp];
        std::vector<double> v(static_cast<std::size_t>(size));
        for (int32_t k = 0; k < size; ++k) {
          const double u = std::sin(0.37 * k + atyp) * (k % 7 == 3 ? 1.0 : 0.3);
          v[static_cast<std::size_t>(k)] = atyp == 0   ? std::trunc(u * 20000)
                                           : atyp == 1 ? std::trunc(u * 1.9e9)
                                           : atyp == 2 ? static_cast<float>(u * 37.5)
                                                       : u * 1.0e-3;
        }
        std::vector<int16_t> i2;
        std::vector<int32_t> i4;
        std::vector<float> r4;
        for (double x : v) {
          i2.push_back(atyp == 0 ? static_cast<int16_t>(x) : int16_t{0});
          i4.push_back(atyp == 1 ? static_cast<int32_t>(x) : 0);
          r4.push_back(static_cast<float>(x));
        }
        const ConstElementArray arrays[] = {ConstElementArray(i2), ConstElementArray(i4),
                                            ConstElementArray(r4), ConstElementArray(v)};

        // Store, and the expected file exponent from the largest selected magnitude.
        int32_t j1 = 0, j2 = 0, jstep = 0, nj = 0;
        INDICE(p.arep, p.irep, kI1, kI2, j1, j2, jstep, nj);
        double largest = 0;
        for (int32_t j = j1; j <= j2; j += jstep) {
          largest = std::max(largest, std::fabs(v[static_cast<std::size_t>(j - 1)]));
        }
        int32_t e = 0;
        std::frexp(largest, &e);
        const int32_t s = ftyp == 2      ? kArrayScale[atyp]
                          : largest == 0 ? 0
                                         : (atyp == 0   ? 15
                                            : atyp == 1 ? 31
                                                        : 0) -
                                               e;
        const int32_t dscl = kArrayScale[atyp] - s;
        const std::string name = "trip" + std::to_string(++file_number) + ".dat";
        open_output(name);
        Header h;
        int32_t ierr = -1;
        STINDX(kOut, h, arrays[atyp], ah, ftyp, p.irep, kI1, kI2, ierr);
        ASSERT_EQ(ierr, 0);
        EXPECT_EQ(h(QQDSCL), dscl);
        EXPECT_EQ(h(QQDREP), p.irep);
        EXPECT_EQ(h(QQDSIZ), nj);

        // The file, element by element.
        const Bytes b = output_bytes(name);
        const int32_t per = ftyp == 0 ? 256 : 128;
        ASSERT_EQ(b.size(), kRec * static_cast<std::size_t>(1 + (nj - 1) / per + 1));
        EXPECT_EQ(le32(b, 136), (nj - 1) / per + 1);
        EXPECT_EQ(le32(b, 144), dscl);
        std::vector<double> expected;
        double file_largest = 0;
        for (int32_t j = j1, k = 0; j <= j2; j += jstep, ++k) {
          const double value =
              value_of(v[static_cast<std::size_t>(j - 1)], atyp, kArrayScale[atyp]);
          const double in_file = ftyp == 2   ? static_cast<float>(value)
                                 : ftyp == 0 ? std::trunc(std::ldexp(value, 15 - dscl))
                                             : std::trunc(std::ldexp(value, 31 - dscl));
          ASSERT_EQ(le_element(b, kRec, static_cast<std::size_t>(k), ftyp), in_file)
              << "element " << j;
          file_largest = std::max(file_largest, std::fabs(in_file));
          expected.push_back(value_of(in_file, ftyp, dscl));
        }
        for (std::size_t k = static_cast<std::size_t>(nj);
             k < (b.size() - kRec) / (ftyp == 0 ? 2 : 4); ++k) {
          ASSERT_EQ(le_element(b, kRec, k, ftyp), 0) << "padding slot " << k;
        }
        if (ftyp == 0) {
          EXPECT_TRUE(file_largest >= 16384 && file_largest < 32768);
        } else if (ftyp == 1) {
          EXPECT_TRUE(file_largest >= 1073741824.0 && file_largest < 2147483648.0);
        }

        // Back into a 64-bit array: the values the file holds.
        reopen(name);
        int32_t curscn = 1, ieof = -1;
        Header fh, bh;
        GETHDR(kIn, fh, curscn, 1, ierr, ieof);
        std::vector<double> back(static_cast<std::size_t>(nj));
        const int32_t points = kI2 - kI1 + 1;
        LDINDX(kIn, fh, back, bh, 3, p.irep, 1, points, ierr);
        ASSERT_EQ(ierr, 0);
        EXPECT_EQ(bh(QQDSCL), 0);
        for (std::size_t k = 0; k < expected.size(); ++k) {
          ASSERT_NEAR(back[k], expected[k], kExact) << "element " << k + 1;
        }
        lun::close(kIn);
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Interferograms and spectra.

// A spectrum header: 100 points, bins of 1/(8192 * 6328e-10), spacing 1 bin, first point at
// bin 40.
HeaderItems spectrum_items(int32_t type) {
  HeaderItems items = scan_items(type, 0, 100, 1, 1);
  items[QQSSUN - 1] = 1;
  items[QQSTSZ - 1] = 8192;
  items[QQSSMP - 1] = 6328;
  items[QQSSLP - 1] = 1;
  items[QQSOFF - 1] = 40;
  return items;
}

TEST_F(ScanAccessTest, GetsptLoadsThePointsAroundARangeWidenedByEight) {
  ScanFileBytes f;
  f.add_header(spectrum_items(0));
  f.add_data(ramp16(100, 1));
  const Header h = header_of(spectrum_items(0));
  double smp = 0, con = 0, w1 = 0, w2 = 0;
  SPTCON(h, smp, con);
  SPTRNG(h, w1, w2);
  struct Case {
    const char* name;
    double w1, w2;
    int32_t first, last;
  };
  const Case kCases[] = {
      {"whole spectrum", w1, w2, 1, 100},
      {"points 30 to 50", 30 * smp + con, 50 * smp + con, 22, 58},
      {"nearest points", 30.49 * smp + con, 49.51 * smp + con, 22, 58},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    open_input(f.bytes());
    int32_t curscn = 1, ierr = -1, ieof = -1;
    Header fh, ah;
    GETHDR(kIn, fh, curscn, 1, ierr, ieof);
    std::vector<float> a(100);
    GETSPT(kIn, fh, a, ah, 2, 0, c.w1, c.w2, ierr);
    ASSERT_EQ(ierr, 0);
    EXPECT_EQ(ah(QQSLEN), c.last - c.first + 1);
    EXPECT_EQ(ah(QQSOFF), 40 + c.first - 1);
    EXPECT_EQ(a[0], std::ldexp(float(c.first), -15));
    EXPECT_EQ(lun::current_record(kIn), 3);
    lun::close(kIn);
  }
}

TEST_F(ScanAccessTest, EntryPointsRefuseTheOtherKindAndChainTheirMessages) {
  ScanFileBytes f;
  f.add_header(spectrum_items(0));
  f.add_data(ramp16(100, 1));
  f.add_header(scan_items(0, 0, 10, 2));
  f.add_data(ramp16(10, 1));
  const Header spectrum = header_of(spectrum_items(0));
  const Header interferogram = header_of(scan_items(0, 0, 10, 2));
  const Header float_spectrum = header_of(spectrum_items(2));
  const Header float_interferogram = header_of(scan_items(2, 0, 10, 2));
  Header unknown_unit = spectrum;
  unknown_unit(QQSSUN) = 7;  // no axis: every position lies at an infinite point index
  double w1 = 0, w2 = 0;
  SPTRNG(spectrum, w1, w2);
  std::vector<float> a(200, 1.0f);
  struct Case {
    const char* name;
    std::function<void(Header&, Header&, int32_t&)> call;
    std::string messages;
  };
  const Case kCases[] = {
      {"GETINT of a spectrum",
       [&](Header&, Header& ah, int32_t& ierr) { GETINT(kIn, spectrum, a, ah, 2, 0, 1, 10, ierr); },
       log_lines({"GETINT   01> - SCAN NOT INTERFEROGRAM"})},
      {"GETSPT of an interferogram",
       [&](Header&, Header& ah, int32_t& ierr) {
         GETSPT(kIn, interferogram, a, ah, 2, 0, w1, w2, ierr);
       },
       log_lines({"GETSPT   01> - SCAN NOT SPECTRUM"})},
      {"GETINT beyond the data",
       [&](Header&, Header& ah, int32_t& ierr) {
         GETINT(kIn, interferogram, a, ah, 2, 0, 1, 11, ierr);
       },
       log_lines({"UPDHDR   07> - RANGE NOT IN DATA", "LDINDX   03>", "GETINT   02>"})},
      {"GETSPT beyond the spectrum",
       [&](Header&, Header& ah, int32_t& ierr) {
         GETSPT(kIn, spectrum, a, ah, 2, 0, w1, w2 + 1000, ierr);
       },
       log_lines({"UPDHDR   07> - RANGE NOT IN DATA", "LDINDX   03>", "GETSPT   02>"})},
      {"GETSPT below the spectrum",
       [&](Header&, Header& ah, int32_t& ierr) {
         GETSPT(kIn, spectrum, a, ah, 2, 0, w1 - 1000, w2, ierr);
       },
       log_lines({"UPDHDR   06> - ILLEGAL RANGE SPECIFICATION", "LDINDX   03>", "GETSPT   02>"})},
      {"GETSPT of a spectrum without a known sample unit",
       [&](Header&, Header& ah, int32_t& ierr) {
         GETSPT(kIn, unknown_unit, a, ah, 2, 0, w1, w2, ierr);
       },
       log_lines({"UPDHDR   07> - RANGE NOT IN DATA", "LDINDX   03>", "GETSPT   02>"})},
      {"PUTINT of a spectrum",
       [&](Header& h, Header&, int32_t& ierr) {
         PUTINT(kOut, h, a, float_spectrum, 0, 0, 1, 10, ierr);
       },
       log_lines({"PUTINT   01> - ARRAY NOT INTERFEROGRAM"})},
      {"PUTSPT of an interferogram",
       [&](Header& h, Header&, int32_t& ierr) {
         PUTSPT(kOut, h, a, float_interferogram, 0, 0, w1, w2, ierr);
       },
       log_lines({"PUTSPT   01> - ARRAY NOT SPECTRUM"})},
      {"PUTINT to a float64 file",
       [&](Header& h, Header&, int32_t& ierr) {
         PUTINT(kOut, h, a, float_interferogram, 3, 0, 1, 10, ierr);
       },
       log_lines({"STINDX   02> ILLEGAL FILE TYPE", "PUTINT   02>"})},
      {"PUTSPT beyond the spectrum",
       [&](Header& h, Header&, int32_t& ierr) {
         PUTSPT(kOut, h, a, float_spectrum, 0, 0, w1, w2 + 1000, ierr);
       },
       log_lines({"UPDHDR   07> - RANGE NOT IN DATA", "STINDX   03>", "PUTSPT   02>"})},
  };
  open_input(f.bytes());
  open_output();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Header h, ah;
    textio::CaptureOutput out;
    int32_t ierr = 0;
    c.call(h, ah, ierr);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), c.messages);
    EXPECT_EQ(lun::current_record(kIn), 1);
    EXPECT_EQ(lun::current_record(kOut), 1);
  }
}

TEST_F(ScanAccessTest, PutsptStoresThePointsAroundARangeOfTheArrayAxis) {
  Header ah = header_of(spectrum_items(2));
  std::vector<float> a(100);
  for (std::size_t k = 0; k < a.size(); ++k) a[k] = static_cast<float>(k + 1) / 128.0f;
  double smp = 0, con = 0;
  SPTCON(ah, smp, con);
  open_output();
  Header h;
  int32_t ierr = -1;
  PUTSPT(kOut, h, a, ah, 2, 0, 30 * smp + con, 50 * smp + con, ierr);
  ASSERT_EQ(ierr, 0);
  EXPECT_EQ(h(QQSLEN), 37);
  EXPECT_EQ(h(QQSOFF), 61);
  const Bytes b = output_bytes();
  ASSERT_EQ(b.size(), 2 * kRec);
  for (std::size_t k = 0; k < 37; ++k) EXPECT_EQ(le_element(b, kRec, k, 2), a[k + 21]);
}

// ---------------------------------------------------------------------------------------------
// A scan whose data records are missing ends the run.

TEST_F(ScanAccessTest, WalkingIntoAScanCutShortStopsTheRun) {
  ScanFileBytes f;
  f.add_header(scan_items(0, 0, 600, 1));  // three data records claimed
  f.add_data(ramp16(256));
  open_input(f.bytes(), "cut.dat");
  const auto walk = [] {
    Header h;
    int32_t curscn = 1, ierr = 0, ieof = 0;
    GETHDR(kIn, h, curscn, 2, ierr, ieof);
  };
  FTS_EXPECT_STOP(
      walk(),
      "RECORD NOT READ, UNIT 1, RECORD 3 \\(END OF FILE\\), FILE [^\n]*cut\\.dat\n#ERROR\n");
}

}  // namespace
}  // namespace fts
