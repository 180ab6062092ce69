// Unit tests of ftsioprm: scan-file records built byte by byte from the format's tables (own and
// foreign byte order), header packing, swapping, skipping, the element conversions and the fatal
// input/output stops.
#include "fts/ftsioprm.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fts/ftsiface.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/stops.hpp"

namespace fts {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fts::testing::TempDir;

constexpr double kExact = 0.0;
constexpr std::size_t kRec = 512;
constexpr int32_t kIn = 1;   // unit of the file read
constexpr int32_t kOut = 2;  // unit of the file written

// ---------------------------------------------------------------------------------------------
// Bytes of the format, written independently of the library.

enum class Order { little, big };

void put_word(Bytes& b, std::size_t off, std::uint64_t v, int width, Order order) {
  for (int k = 0; k < width; ++k) {
    const int shift = 8 * (order == Order::little ? k : width - 1 - k);
    b[off + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>((v >> shift) & 0xff);
  }
}

std::uint64_t get_word(const Bytes& b, std::size_t off, int width, Order order) {
  std::uint64_t v = 0;
  for (int k = 0; k < width; ++k) {
    const int shift = 8 * (order == Order::little ? k : width - 1 - k);
    v |= std::uint64_t{b[off + static_cast<std::size_t>(k)]} << shift;
  }
  return v;
}

// A sample value for every header item: two texts, byte items over 0-255, 32-bit items of both
// signs with all four bytes in use.
int32_t sample_item(int32_t i) {
  static const std::string source = "OH(6-2) MEINEL BAND, STATION A1 ";
  static const std::string remark = "NIGHT 2024-03-05, FILTER 1.55UM ";
  if (i <= 32) return static_cast<unsigned char>(source.at(static_cast<std::size_t>(i - 1)));
  if (i <= 64) return static_cast<unsigned char>(remark.at(static_cast<std::size_t>(i - 33)));
  if (i <= 128) return (i * 37 + 11) % 256;
  return (i - 128) * 20000003 - 1000000000;
}

Header sample_header(int32_t mark) {
  Header h;
  for (int32_t i = 1; i <= kHeaderItems; ++i) h(i) = sample_item(i);
  h(QQBORD) = mark;
  return h;
}

// A header record by the table of the layout: items 1-128 one byte each at byte i-1, items
// 129-224 as 32-bit words at byte 4*(i-97) in the given order.
Bytes header_record(const Header& h, Order order) {
  Bytes b(kRec, 0);
  for (int32_t i = 1; i <= 128; ++i)
    b[static_cast<std::size_t>(i - 1)] = static_cast<std::uint8_t>(h(i) & 0xff);
  for (int32_t i = 129; i <= kHeaderItems; ++i) {
    put_word(b, static_cast<std::size_t>(4 * (i - 97)), static_cast<std::uint32_t>(h(i)), 4, order);
  }
  return b;
}

// Data records of element type FTYP (0 int16, 1 int32, 2 float) holding VALUES from slot 1 on,
// the rest of the last record zero. Floats are written in the machine's order unless FLOAT_ORDER
// says otherwise.
Bytes data_records(const std::vector<double>& values, int32_t ftyp, Order order,
                   Order float_order = Order::little) {
  const std::size_t width = ftyp == 0 ? 2 : 4;
  const std::size_t per = kRec / width;
  const std::size_t records = values.empty() ? 1 : (values.size() - 1) / per + 1;
  Bytes b(records * kRec, 0);
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (ftyp == 0) {
      put_word(b, 2 * k, static_cast<std::uint16_t>(static_cast<int16_t>(values[k])), 2, order);
    } else if (ftyp == 1) {
      put_word(b, 4 * k, static_cast<std::uint32_t>(static_cast<int32_t>(values[k])), 4, order);
    } else {
      put_word(b, 4 * k, std::bit_cast<std::uint32_t>(static_cast<float>(values[k])), 4,
               float_order);
    }
  }
  return b;
}

// Element K (from 0) of type FTYP in little-endian file bytes.
double file_element(const Bytes& b, std::size_t k, int32_t ftyp) {
  if (ftyp == 0) return static_cast<int16_t>(get_word(b, 2 * k, 2, Order::little));
  if (ftyp == 1) return static_cast<int32_t>(get_word(b, 4 * k, 4, Order::little));
  return std::bit_cast<float>(static_cast<std::uint32_t>(get_word(b, 4 * k, 4, Order::little)));
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes buffer_bytes() {
  Bytes b(kRec);
  std::memcpy(b.data(), QQFTSB.data(), kRec);
  return b;
}

// An array of element type ATYP holding its values as doubles, for table-driven conversions.
struct AnyArray {
  std::vector<int16_t> i2;
  std::vector<int32_t> i4;
  std::vector<float> r4;
  std::vector<double> r8;
  int32_t type;

  AnyArray(int32_t atyp, const std::vector<double>& values) : type(atyp) {
    for (double v : values) {
      i2.push_back(static_cast<int16_t>(atyp == 0 ? v : 0));
      i4.push_back(static_cast<int32_t>(atyp == 1 ? v : 0));
      r4.push_back(static_cast<float>(v));
      r8.push_back(v);
    }
  }
  ElementArray ref() {
    switch (type) {
      case 0:
        return ElementArray(i2);
      case 1:
        return ElementArray(i4);
      case 2:
        return ElementArray(r4);
      default:
        return ElementArray(r8);
    }
  }
  double at(std::size_t k) const {
    switch (type) {
      case 0:
        return i2[k];
      case 1:
        return i4[k];
      case 2:
        return r4[k];
      default:
        return r8[k];
    }
  }
};

class ScanFileTest : public ::testing::Test {
 protected:
  void TearDown() override { lun::close_all(); }

  // Writes BYTES as a file and opens it on unit kIn.
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
  // Closes the output unit and returns the file's bytes.
  Bytes output_bytes(const std::string& name = "out.dat") {
    lun::close(kOut);
    return fts::testing::read_bytes(dir_ / name);
  }

  TempDir dir_;
};

// ---------------------------------------------------------------------------------------------
// Header records.

TEST_F(ScanFileTest, LoadhdReadsEveryItemOfAnOwnOrderHeader) {
  const Header expected = sample_header(1);
  open_input(join({header_record(expected, Order::little), Bytes(kRec, 0)}));
  Header h;
  int32_t ieof = -1;
  LOADHD(kIn, h, ieof);
  EXPECT_EQ(ieof, 0);
  for (int32_t i = 1; i <= kHeaderItems; ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    EXPECT_EQ(h(i), expected(i));
  }
  EXPECT_EQ(QQFILE(kIn), 1);
  EXPECT_EQ(lun::current_record(kIn), 2);
}

TEST_F(ScanFileTest, ForeignMarkSwapsTheIntegerItemsOnly) {
  struct Case {
    int32_t mark;
  };
  constexpr Case kCases[] = {{0}, {2}, {255}};
  for (const Case& c : kCases) {
    SCOPED_TRACE("mark " + std::to_string(c.mark));
    const Header expected = sample_header(c.mark);
    open_input(join({header_record(expected, Order::big)}), "foreign.dat");
    Header h;
    int32_t ieof = -1;
    LOADHD(kIn, h, ieof);
    EXPECT_EQ(ieof, 0);
    EXPECT_EQ(h, expected);
    EXPECT_EQ(h(QQBORD), c.mark);
    EXPECT_EQ(QQFILE(kIn), c.mark);
    lun::close(kIn);
  }
}

TEST_F(ScanFileTest, ByteItemsReadUnsignedAndStoreTheirLowEightBits) {
  Header h = sample_header(1);
  h(5) = 300;
  h(70) = 200;
  h(100) = -1;
  open_output();
  STORHD(kOut, h);
  lun::close(kOut);
  int32_t ierr = -1;
  OPFINP(kIn, (dir_ / "out.dat").string(), ierr);
  ASSERT_EQ(ierr, 0);
  Header back;
  int32_t ieof = -1;
  LOADHD(kIn, back, ieof);
  ASSERT_EQ(ieof, 0);
  EXPECT_EQ(back(5), 44);
  EXPECT_EQ(back(70), 200);
  EXPECT_EQ(back(100), 255);
}

TEST_F(ScanFileTest, StorhdStampsTheHeaderAndWritesTheTableLayout) {
  Header h = sample_header(0);
  h(QQSYSV) = 7;
  open_output();
  int32_t day0 = 0, ms0 = 0, day1 = 0, ms1 = 0;
  SYSTIM(day0, ms0);
  STORHD(kOut, h);
  SYSTIM(day1, ms1);
  EXPECT_EQ(lun::current_record(kOut), 2);
  const Bytes b = output_bytes();
  ASSERT_EQ(b.size(), kRec);

  // The caller's header keeps the stamp.
  EXPECT_EQ(h(QQSYSV), 2);
  EXPECT_EQ(h(QQBORD), 1);
  const auto stamp = std::make_pair(h(QQFCDY), h(QQFCMS));
  EXPECT_GE(stamp, std::make_pair(day0, ms0));
  EXPECT_LE(stamp, std::make_pair(day1, ms1));

  // Bytes as the table says, the stamp included.
  EXPECT_EQ(b[64], 2);
  EXPECT_EQ(b[93], 1);
  EXPECT_EQ(static_cast<int32_t>(get_word(b, 128, 4, Order::little)), h(QQFCDY));
  EXPECT_EQ(static_cast<int32_t>(get_word(b, 132, 4, Order::little)), h(QQFCMS));
  EXPECT_EQ(b, header_record(h, Order::little));
}

TEST_F(ScanFileTest, HeaderAfterTheLastScanOrInAnEmptyFileGivesIeof) {
  struct Case {
    const char* name;
    int32_t records;
  };
  constexpr Case kCases[] = {{"empty file", 0}, {"after one header", 1}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    QQFILE.set(kIn, 7);  // a failed header read leaves the table alone
    Bytes bytes;
    for (int32_t r = 0; r < c.records; ++r)
      bytes = join({bytes, header_record(sample_header(1), Order::little)});
    open_input(bytes);
    SKPREC(kIn, c.records);
    Header h = sample_header(3);
    const Header before = h;
    int32_t ieof = -1;
    LOADHD(kIn, h, ieof);
    EXPECT_EQ(ieof, 1);
    EXPECT_EQ(h, before);
    EXPECT_EQ(QQFILE(kIn), 7);
    lun::close(kIn);
  }
}

// ---------------------------------------------------------------------------------------------
// Data records and byte order.

TEST_F(ScanFileTest, DataRecordsFollowTheMarkOfTheirHeaderButFloatsAreNeverSwapped) {
  struct Case {
    const char* name;
    Order order;
    int32_t mark;
  };
  constexpr Case kCases[] = {{"own order", Order::little, 1}, {"foreign", Order::big, 0}};
  const std::vector<double> i2 = {1, -2, 32767, -32768, 258};
  const std::vector<double> i4 = {1, -2, 2147483647, -2147483647 - 1.0, 16909060};
  const std::vector<double> r4 = {1.5, -0.1, 3.0e-30};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    // Floats of a foreign file as the foreign machine wrote them.
    const Bytes floats = data_records(r4, 2, c.order, c.order);
    open_input(join({header_record(sample_header(c.mark), c.order), data_records(i2, 0, c.order),
                     data_records(i4, 1, c.order), floats}));
    Header h;
    int32_t ieof = -1;
    LOADHD(kIn, h, ieof);
    RDFI2(kIn);
    for (std::size_t k = 0; k < i2.size(); ++k)
      EXPECT_EQ(QQFTSB.i2(static_cast<int32_t>(k + 1)), i2[k]);
    EXPECT_EQ(QQFTSB.i2(256), 0);
    RDFI4(kIn);
    for (std::size_t k = 0; k < i4.size(); ++k)
      EXPECT_EQ(QQFTSB.i4(static_cast<int32_t>(k + 1)), i4[k]);
    RDFR4(kIn);
    EXPECT_EQ(buffer_bytes(), floats);
    lun::close(kIn);
  }
}

TEST_F(ScanFileTest, SwapRoutinesReverseTheirWords) {
  Bytes pattern(kRec);
  for (std::size_t k = 0; k < kRec; ++k) pattern[k] = static_cast<std::uint8_t>(k * 7 + 3);
  struct Case {
    const char* name;
    void (*swap)();
    std::size_t from;   // first byte swapped
    std::size_t width;  // bytes per word
  };
  const Case kCases[] = {{"SWPI2", SWPI2, 0, 2}, {"SWPI4", SWPI4, 0, 4}, {"SWPHD", SWPHD, 128, 4}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::memcpy(QQFTSB.data(), pattern.data(), kRec);
    c.swap();
    const Bytes b = buffer_bytes();
    for (std::size_t k = 0; k < kRec; ++k) {
      const std::size_t word = k >= c.from ? (k - c.from) / c.width : 0;
      const std::size_t expected_from =
          k < c.from ? k : c.from + word * c.width + (c.width - 1 - (k - c.from) % c.width);
      ASSERT_EQ(b[k], pattern[expected_from]) << "byte " << k;
    }
  }
}

TEST_F(ScanFileTest, SkprecReadsNothingForZeroOrNegativeCounts) {
  open_input(join({data_records({1}, 0, Order::little), data_records({2}, 0, Order::little)}));
  for (int32_t n : {0, -1, -1000}) {
    SKPREC(kIn, n);
    EXPECT_EQ(lun::current_record(kIn), 1);
  }
  SKPREC(kIn, 2);
  EXPECT_EQ(lun::current_record(kIn), 3);
}

TEST_F(ScanFileTest, SkprecLeavesTheLastSkippedRecordUnswapped) {
  const Bytes last = data_records({1, 2, 3}, 0, Order::big);
  Bytes file = header_record(sample_header(0), Order::big);
  for (int r = 0; r < 300; ++r) file = join({file, data_records({double(r)}, 0, Order::big)});
  file = join({file, last});
  open_input(file);
  Header h;
  int32_t ieof = -1;
  LOADHD(kIn, h, ieof);
  SKPREC(kIn, 301);
  EXPECT_EQ(lun::current_record(kIn), 303);
  EXPECT_EQ(buffer_bytes(), last);
}

TEST_F(ScanFileTest, CpyrecCopiesRecordsAsTheyStand) {
  const Bytes records =
      join({data_records({1, -2}, 0, Order::big), data_records({3}, 1, Order::big)});
  open_input(join({header_record(sample_header(0), Order::big), records}));
  open_output();
  SKPREC(kIn, 1);
  CPYREC(kIn, 2, kOut);
  EXPECT_EQ(output_bytes(), records);
}

TEST_F(ScanFileTest, OpenersReportAFailedOpenInTwoLines) {
  fts::testing::write_file(dir_ / "exists.dat", "");
  struct Case {
    void (*open)(int32_t, std::string_view, int32_t&);
    std::string name;
    std::string expected;
  };
  const Case kCases[] = {
      {OPFOUT, "exists.dat",
       " #TSTIOS   01> - ERROR, IOSTAT = 000017\n #OPFOUT   01> - FILE OPEN ERROR\n"},
      {OPFINP, "missing.dat",
       " #TSTIOS   01> - ERROR, IOSTAT = 000002\n #OPFINP   01> - FILE OPEN ERROR\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    textio::CaptureOutput out;
    int32_t ierr = 0;
    c.open(kIn, (dir_ / c.name).string() + "   ", ierr);
    EXPECT_EQ(ierr, 1);
    EXPECT_EQ(out.text(), c.expected);
  }
  EXPECT_EQ(fts::testing::read_file(dir_ / "exists.dat"), "");
}

// ---------------------------------------------------------------------------------------------
// Element conversions.

// One conversion: values of type FROM_TYPE (the file's for loads, the array's for stores) and
// what they become in TO_TYPE with scale shift S.
struct ConversionCase {
  const char* name;
  int32_t from_type;
  int32_t to_type;
  int32_t s;
  std::vector<double> from;
  std::vector<double> to;
};

TEST_F(ScanFileTest, LoadsConvertByTheirPairOfTypesAndScaleShift) {
  const double p = std::ldexp(1.0, -12);
  const ConversionCase kCases[] = {
      {"LDI2I2 copies", 0, 0, 0, {-32768, 5, 32767}, {-32768, 5, 32767}},
      {"LDI2I4 truncates toward zero",
       1,
       0,
       0,
       {65535, -65536, -65535, 2147418112},
       {0, -1, 0, 32767}},
      {"LDI4I2 shifts up 16 places",
       0,
       1,
       0,
       {-32768, 32767, -1},
       {-2147483648.0, 2147418112, -65536}},
      {"LDI4I4 copies", 1, 1, 0, {-2147483648.0, 7}, {-2147483648.0, 7}},
      {"LDR4I2 scales by the exponent", 0, 2, 3, {16384, -1, 0}, {4.0, -p, 0}},
      {"LDR4I4 rounds once to float", 1, 2, 0, {2147483647, 1073741824}, {1.0, 0.5}},
      {"LDR4R4 copies", 2, 2, 9, {1.5, -3.0e-30, 0.1}, {1.5, float(-3.0e-30), float(0.1)}},
      {"LDR8I2 is exact", 0, 3, -5, {3, -32768}, {3 * std::ldexp(1.0, -20), -std::ldexp(1.0, -5)}},
      {"LDR8I4 is exact",
       1,
       3,
       0,
       {1073741824, 2147483647},
       {0.5, 2147483647 * std::ldexp(1.0, -31)}},
      {"LDR8R4 widens", 2, 3, 4, {0.1}, {double(float(0.1))}},
      {"LDR8I2 keeps values below the float range", 0, 3, -165, {768}, {std::ldexp(0.75, -170)}},
  };
  for (const ConversionCase& c : kCases) {
    SCOPED_TRACE(c.name);
    QQFILE.set(kIn, 1);
    open_input(join({data_records(c.from, c.from_type, Order::little)}));
    AnyArray array(c.to_type, std::vector<double>(c.from.size(), 99));
    const auto n = static_cast<int32_t>(c.from.size());
    LDWORD(kIn, c.from_type, array.ref(), c.to_type, 1, n, 1, 1, c.s);
    for (std::size_t k = 0; k < c.to.size(); ++k) EXPECT_NEAR(array.at(k), c.to[k], kExact) << k;
    EXPECT_EQ(lun::current_record(kIn), 2);
    lun::close(kIn);
  }
}

TEST_F(ScanFileTest, StoresConvertByTheirPairOfTypesAndScaleShift) {
  const double e13 = std::ldexp(1.0, -13);
  const ConversionCase kCases[] = {
      {"STI2I2 shifts up", 0, 0, 1, {1000, -3}, {2000, -6}},
      {"STI2I4 shifts up 16 places", 0, 1, 0, {32767, -1}, {2147418112, -65536}},
      {"STI2R4 scales to the value", 0, 2, 3, {16384}, {4.0}},
      {"STI4I2 truncates toward zero", 1, 0, 0, {65535, -65536, -65535}, {0, -1, 0}},
      {"STI4I4 truncates toward zero", 1, 1, -1, {-3, 3}, {-1, 1}},
      {"STI4R4 scales to the value", 1, 2, 0, {1073741824}, {0.5}},
      {"STR4I2 truncates toward zero", 2, 0, -2, {3.0, -1.99 * e13, 0.9 * e13}, {24576, -1, 0}},
      {"STR4I4 fills 31 bits", 2, 1, 0, {0.75, -0.5}, {1610612736, -1073741824}},
      {"STR4R4 copies", 2, 2, 5, {-2.5, 1.0e-30}, {-2.5, float(1.0e-30)}},
      {"STR8I2 fills 15 bits", 3, 0, 0, {0.5, -1.0, 0.99999}, {16384, -32768, 32767}},
      {"STR8I4 fills 31 bits", 3, 1, 0, {0.5, -0.75}, {1073741824, -1610612736}},
      {"STR8R4 rounds to float", 3, 2, 0, {0.1}, {double(float(0.1))}},
      {"STR8I2 keeps values below the float range", 3, 0, 165, {std::ldexp(0.75, -170)}, {768}},
  };
  for (const ConversionCase& c : kCases) {
    SCOPED_TRACE(c.name);
    open_output(std::string(c.name) + ".dat");
    AnyArray array(c.from_type, c.from);
    const auto n = static_cast<int32_t>(c.from.size());
    STWORD(kOut, c.to_type, array.ref(), c.from_type, 1, n, 1, c.s);
    const Bytes b = output_bytes(std::string(c.name) + ".dat");
    ASSERT_EQ(b.size(), kRec);
    for (std::size_t k = 0; k < c.to.size(); ++k) {
      EXPECT_NEAR(file_element(b, k, c.to_type), c.to[k], kExact) << k;
    }
  }
}

TEST_F(ScanFileTest, StoringThreeHundredShortsWritesTwoRecordsPaddedWithZeros) {
  std::vector<int16_t> a(300);
  for (std::size_t k = 0; k < a.size(); ++k) a[k] = static_cast<int16_t>(1000 + k);
  open_output();
  STI2I2(kOut, a, 1, 300, 1, 0);
  const Bytes b = output_bytes();
  ASSERT_EQ(b.size(), 2 * kRec);
  for (std::size_t k = 0; k < 256; ++k) {
    const std::size_t element = 256 + k;  // slot k + 1 of the second record
    EXPECT_EQ(file_element(b, element, 0), k < 44 ? a[element] : 0) << "slot " << k + 1;
  }
}

TEST_F(ScanFileTest, LoadsReadOnlyTheRecordsTheyNeedAndSkipTheRest) {
  struct Case {
    const char* name;
    int32_t j1, j2, jstep;
    std::vector<double> expected;
  };
  const Case kCases[] = {
      {"255-258", 255, 258, 1, {255, 256, 257, 258}},
      {"from 255 step 2", 255, 261, 2, {255, 257, 259, 261}},
      {"last element", 1024, 1024, 1, {1024}},
  };
  std::vector<double> values(4 * 256);
  for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<double>(k + 1);
  const Bytes next = header_record(sample_header(1), Order::little);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    QQFILE.set(kIn, 1);
    open_input(join({data_records(values, 0, Order::little), next}));
    std::vector<int16_t> a(c.expected.size() + 3, -7);
    LDI2I2(kIn, a, c.j1, c.j2, c.jstep, 4, 0);
    for (std::size_t k = 0; k < c.expected.size(); ++k) EXPECT_EQ(a[k], c.expected[k]) << k;
    EXPECT_EQ(a[c.expected.size()], -7);  // nothing beyond the selection
    EXPECT_EQ(lun::current_record(kIn), 5);
    Header h;
    int32_t ieof = -1;
    LOADHD(kIn, h, ieof);
    EXPECT_EQ(ieof, 0);
    lun::close(kIn);
  }
}

TEST_F(ScanFileTest, LoadsOfAForeignFileSwapIntegersButNotFloats) {
  const std::vector<double> values = {1, -2, 30000, -30000};
  open_input(join({header_record(sample_header(0), Order::big), data_records(values, 0, Order::big),
                   data_records(values, 1, Order::big),
                   data_records(values, 2, Order::big, Order::little)}));
  Header h;
  int32_t ieof = -1;
  LOADHD(kIn, h, ieof);
  std::vector<float> a(4);
  std::vector<int32_t> b(4);
  std::vector<double> c(4);
  LDR4I2(kIn, a, 1, 4, 1, 1, 0);
  LDI4I4(kIn, b, 1, 4, 1, 1, 0);
  LDR8R4(kIn, c, 1, 4, 1, 1);
  for (std::size_t k = 0; k < values.size(); ++k) {
    EXPECT_EQ(a[k], values[k]);
    EXPECT_EQ(b[k], values[k]);
    EXPECT_EQ(c[k], values[k]);
  }
}

// Round trips over long ranges that cross the block boundaries: integers keep their values,
// floats keep theirs up to the conversions' own rounding.
TEST_F(ScanFileTest, StoreThenLoadRoundTripsEveryPairOverManyRecords) {
  constexpr int32_t kN = 70001;  // 274 records of 16-bit data, 547 of 32-bit
  struct Case {
    int32_t atyp, ftyp, s;
  };
  // Floats stored as integers with S = -14 land as x * 2 (16-bit) or x * 2^17 (32-bit).
  constexpr Case kCases[] = {{0, 0, 0},   {0, 1, 0}, {1, 0, 0},   {1, 1, 0},   {2, 0, -14},
                             {2, 1, -14}, {2, 2, 0}, {3, 0, -14}, {3, 1, -14}, {3, 2, 0}};
  for (const Case& c : kCases) {
    SCOPED_TRACE("array " + std::to_string(c.atyp) + " file " + std::to_string(c.ftyp));
    // Values exactly representable on both sides: 16-bit integers, 32-bit integers that are
    // multiples of 2^16, halves below 2^14 for the floats.
    std::vector<double> values(kN);
    for (int32_t k = 0; k < kN; ++k) {
      const double v = (k * 7919) % 32768 - 16384;
      values[static_cast<std::size_t>(k)] = c.atyp == 0 ? v : c.atyp == 1 ? v * 65536 : v / 2;
    }
    const std::string name = "trip" + std::to_string(c.atyp) + std::to_string(c.ftyp) + ".dat";
    AnyArray out(c.atyp, values);
    open_output(name);
    // The file exponent is S below the array's: store with S, load into floats with -S.
    STWORD(kOut, c.ftyp, out.ref(), c.atyp, 1, kN, 1, c.s);
    lun::close(kOut);
    QQFILE.set(kIn, 1);
    int32_t ierr = -1;
    OPFINP(kIn, (dir_ / name).string(), ierr);
    ASSERT_EQ(ierr, 0);
    const int32_t per = c.ftyp == 0 ? 256 : 128;
    const int32_t nrec = (kN - 1) / per + 1;
    AnyArray back(c.atyp, std::vector<double>(kN, 0));
    const int32_t s_back = c.atyp >= 2 ? -c.s : 0;
    LDWORD(kIn, c.ftyp, back.ref(), c.atyp, 1, kN, 1, nrec, s_back);
    EXPECT_EQ(lun::current_record(kIn), nrec + 1);
    for (int32_t k = 0; k < kN; ++k) {
      const auto i = static_cast<std::size_t>(k);
      ASSERT_EQ(back.at(i), out.at(i)) << "element " << k + 1;
    }
    lun::close(kIn);
  }
}

TEST_F(ScanFileTest, AnEmptySelectionMovesNoElement) {
  QQFILE.set(kIn, 1);
  open_input(join({data_records({1, 2, 3}, 1, Order::little), Bytes(kRec, 0)}));
  std::vector<int32_t> a(2, -7);
  LDI4I4(kIn, a, 2, 1, 1, 1, 0);  // J2 < J1: the scan's one record is skipped
  EXPECT_EQ(a, std::vector<int32_t>(2, -7));
  EXPECT_EQ(lun::current_record(kIn), 2);
  open_output();
  STI4I4(kOut, a, 3, 2, 1, 0);  // one record of zeros, as for any store
  EXPECT_EQ(output_bytes(), Bytes(kRec, 0));
}

TEST_F(ScanFileTest, DispatchersIgnoreAPairOutsideTheirTables) {
  QQFILE.set(kIn, 1);
  open_input(data_records({1.5}, 2, Order::little));
  std::vector<int32_t> a(1, -7);
  LDWORD(kIn, 2, a, 1, 1, 1, 1, 1, 0);  // float file into an integer array
  LDWORD(kIn, 2, a, 4, 1, 1, 1, 1, 0);  // no array type 4
  EXPECT_EQ(a[0], -7);
  EXPECT_EQ(lun::current_record(kIn), 1);
}

// ---------------------------------------------------------------------------------------------
// Calls the record layer cannot honour stop the run with the routine's own message.

using ScanFileDeathTest = ScanFileTest;

TEST_F(ScanFileDeathTest, ASlotOrUnitOutsideTheSharedStoresStopsTheRun) {
  FTS_EXPECT_STOP(QQFTSB.i2(257), "^ #QQFTSB   01> - SLOT 257 OUTSIDE THE RECORD\n#ERROR\n$");
  FTS_EXPECT_STOP(QQFTSB.set_r4(129, 0),
                  "^ #QQFTSB   01> - SLOT 129 OUTSIDE THE RECORD\n#ERROR\n$");
  FTS_EXPECT_STOP(QQFTSB.i4(0), "^ #QQFTSB   01> - SLOT 0 OUTSIDE THE RECORD\n#ERROR\n$");
  FTS_EXPECT_STOP(QQFILE(0), "^ #QQFILE   01> - UNIT 0 OUTSIDE 1-100\n#ERROR\n$");
  FTS_EXPECT_STOP(QQFILE.set(101, 1), "^ #QQFILE   01> - UNIT 101 OUTSIDE 1-100\n#ERROR\n$");
}

TEST_F(ScanFileDeathTest, ASelectionTheArrayOrTheScanCannotHoldStopsTheRun) {
  QQFILE.set(kIn, 1);
  std::vector<double> values(600, 1.0);
  open_input(join({data_records(values, 1, Order::little)}));  // 5 records of 32-bit integers
  open_output();
  struct Case {
    void (*call)();
    const char* message;
  };
  const Case kCases[] = {
      {[] {
         std::vector<int32_t> a(3);
         LDI4I4(kIn, a, 250, 253, 1, 5, 0);
       },
       "LDI4I4   02> - ARRAY TOO SHORT FOR THE SELECTION"},
      {[] {
         std::vector<float> a(10);
         LDR4I4(kIn, a, 250, 259, 1, 1, 0);  // element 259 lies in record 3
       },
       "LDR4I4   03> - SELECTION BEYOND THE SCAN'S RECORDS"},
      {[] {
         std::vector<double> a(10);
         LDR8I4(kIn, a, 2, 1, 1, -1, 0);
       },
       "LDR8I4   03> - SELECTION BEYOND THE SCAN'S RECORDS"},
      {[] {
         std::vector<int16_t> a(10);
         LDI2I4(kIn, a, 0, 5, 1, 5, 0);
       },
       "LDI2I4   01> - ILLEGAL SELECTION"},
      {[] {
         std::vector<int16_t> a(10);
         LDI2I4(kIn, a, 1, 5, 0, 5, 0);
       },
       "LDI2I4   01> - ILLEGAL SELECTION"},
      {[] {
         const std::vector<float> a(10);
         STR4I2(kOut, a, 1, 11, 2, 0);
       },
       "STR4I2   02> - ARRAY TOO SHORT FOR THE SELECTION"},
      {[] {
         const std::vector<double> a(10);
         STR8R4(kOut, a, 1, 10, -1);
       },
       "STR8R4   01> - ILLEGAL SELECTION"},
      {[] {
         std::vector<int32_t> a(1);
         LDWORD(kIn, 0, a, 2, 1, 1, 1, 1, 0);  // an int32_t array said to hold floats
       },
       "LDWORD   01> - ARRAY NOT OF TYPE ATYP"},
      {[] {
         const std::vector<float> a(1);
         STWORD(kOut, 1, a, 3, 1, 1, 1, 0);
       },
       "STWORD   01> - ARRAY NOT OF TYPE ATYP"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.message);
    FTS_EXPECT_STOP(c.call(), std::string("^ #") + c.message + "\n#ERROR\n$");
  }
}

// ---------------------------------------------------------------------------------------------
// Fatal input/output: the run ends with a diagnostic naming the file and "#ERROR"; files already
// written stay intact.

TEST_F(ScanFileTest, FileEndingInsideAScanStopsTheRunAndKeepsOtherFiles) {
  Header h = sample_header(1);
  h(QQFLEN) = 3;
  open_input(join({header_record(h, Order::little), data_records({1}, 0, Order::little)}),
             "cut.dat");
  open_output();
  const auto copy_header_and_skip = [] {
    Header in;
    int32_t ieof = 0;
    LOADHD(kIn, in, ieof);
    STORHD(kOut, in);
    SKPREC(kIn, in(QQFLEN));
  };
  FTS_EXPECT_STOP(
      copy_header_and_skip(),
      "RECORD NOT READ, UNIT 1, RECORD 3 \\(END OF FILE\\), FILE [^\n]*cut\\.dat\n#ERROR\n");
  const Bytes written = output_bytes();
  ASSERT_EQ(written.size(), kRec);
  EXPECT_EQ(written[65], h(QQDTYP));
  EXPECT_EQ(get_word(written, 136, 4, Order::little), 3u);
}

TEST_F(ScanFileTest, ShortLastRecordStopsTheRun) {
  Bytes file = join({header_record(sample_header(1), Order::little), Bytes(kRec + 100, 0)});
  open_input(file, "short.dat");
  const auto load = [] {
    Header in;
    int32_t ieof = 0;
    LOADHD(kIn, in, ieof);
    std::vector<float> a(512);
    LDR4I2(kIn, a, 1, 512, 1, 2, 0);
  };
  FTS_EXPECT_STOP(
      load(),
      "RECORD NOT READ, UNIT 1, RECORD 3 \\(RECORD CUT SHORT\\), FILE [^\n]*short\\.dat\n#ERROR\n");
}

TEST_F(ScanFileTest, HeaderRecordCutShortStopsTheRun) {
  Header h = sample_header(1);
  h(QQFLEN) = 0;
  open_input(join({header_record(h, Order::little), Bytes(300, 0)}), "short.dat");
  FTS_EXPECT_STOP(
      {
        Header in;
        int32_t ieof = 0;
        LOADHD(kIn, in, ieof);
        LOADHD(kIn, in, ieof);
      },
      "RECORD NOT READ, UNIT 1, RECORD 2 \\(RECORD CUT SHORT\\), FILE [^\n]*short\\.dat\n#ERROR\n");
}

}  // namespace
}  // namespace fts
