// ftsioprm: scan-file records, byte order and header packing, and the element conversions between
// file records and arrays.
#include "fts/ftsioprm.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "fts/detail/wide.hpp"
#include "fts/ftsiface.hpp"
#include "fts/lun.hpp"

namespace fts {

// Data records are moved between the file and memory as they stand, so "the machine's order" and
// the suite's own order (little-endian, byte-order mark 1) must be the same.
static_assert(std::endian::native == std::endian::little,
              "the scan-file format is written in the machine's byte order, little-endian");
static_assert(kRecordSize == lun::kRecordBytes);

RecordBuffer QQFTSB;
ByteOrderTable QQFILE;

namespace detail {

// slot_outside_record, unit_outside_table: end the run on a slot outside the record buffer or a
// unit outside the byte-order table.
// Given:     slot, unit   the number asked for
// Notes: the line "QQFTSB   01> - SLOT n OUTSIDE THE RECORD" or "QQFILE   01> - UNIT n OUTSIDE
// 1-100", then "#ERROR", as STPLOG writes them.
void slot_outside_record(int32_t slot) {
  lun::stop_with_message("QQFTSB   01> - SLOT " + std::to_string(slot) + " OUTSIDE THE RECORD");
}
void unit_outside_table(int32_t unit) {
  lun::stop_with_message("QQFILE   01> - UNIT " + std::to_string(unit) + " OUTSIDE 1-100");
}

}  // namespace detail

namespace {

constexpr int32_t kOwnByteOrder = 1;  // byte-order mark of a file written on this machine
constexpr int32_t kMarkByte = 93;     // byte of the header record holding QQBORD
constexpr int32_t kWordBytes = 128;   // first byte of the 32-bit header items

// Element data move through a static block of whole records, so that a point range is read or
// written with few large transfers and converted by plain loops over contiguous memory.
constexpr int64_t kChunkRecords = 128;
alignas(64) std::byte chunk[kChunkRecords * kRecordSize];

template <class F>
constexpr int64_t kPerRecord = kRecordSize / static_cast<int64_t>(sizeof(F));

template <class T>
T element(const std::byte* base, int64_t i) {
  T value;
  std::memcpy(&value, base + i * static_cast<int64_t>(sizeof(T)), sizeof(T));
  return value;
}

template <class T>
void put_element(std::byte* base, int64_t i, T value) {
  std::memcpy(base + i * static_cast<int64_t>(sizeof(T)), &value, sizeof(T));
}

// Reverses the bytes of each WIDTH-byte word of BYTES bytes at P.
void swap_words(std::byte* p, int64_t bytes, int64_t width) {
  for (int64_t i = 0; i + width <= bytes; i += width) std::reverse(p + i, p + i + width);
}

// Reads COUNT records of LUN into DST; a record that cannot be read ends the run.
void read_or_stop(int32_t LUN, int64_t count, std::byte* dst) {
  int64_t got = 0;
  const int32_t ios = lun::read_records(LUN, count, dst, got);
  if (ios != 0) lun::io_failure(LUN, "RECORD NOT READ", ios);
}

// Writes COUNT records from SRC to LUN; a record that cannot be written ends the run.
void write_or_stop(int32_t LUN, int64_t count, const std::byte* src) {
  const int32_t ios = lun::write_records(LUN, count, src);
  if (ios != 0) lun::io_failure(LUN, "RECORD NOT WRITTEN", ios);
}

// Reads and discards COUNT records; QQFTSB receives the last one.
void skip_records(int32_t LUN, int64_t count) {
  while (count > 0) {
    const int64_t n = std::min(count, kChunkRecords);
    read_or_stop(LUN, n, chunk);
    count -= n;
    if (count == 0) std::memcpy(QQFTSB.data(), chunk + (n - 1) * kRecordSize, kRecordSize);
  }
}

// Messages of a selection that a load or store routine cannot honour, after the routine's name.
constexpr std::string_view kIllegalSelection = "01> - ILLEGAL SELECTION";
constexpr std::string_view kShortArray = "02> - ARRAY TOO SHORT FOR THE SELECTION";
constexpr std::string_view kBeyondRecords = "03> - SELECTION BEYOND THE SCAN'S RECORDS";

// Stops the run with routine NAME's message TEXT ("LDR4I2   02> - ARRAY TOO SHORT ...").
void refuse(std::string_view name, std::string_view text) {
  std::string line(name);
  line.resize(8, ' ');
  STPLOG(1, line + ' ' + std::string(text));
}

// Number of elements of the selection J1, J1+JSTEP, ... up to J2 of routine NAME: 0 when
// J2 < J1; J1 < 1 or JSTEP < 1 stops the run.
int64_t selection_count(std::string_view name, int32_t J1, int32_t J2, int32_t JSTEP) {
  if (J1 < 1 || JSTEP < 1) refuse(name, kIllegalSelection);
  if (J2 < J1) return 0;
  return (int64_t{J2} - J1) / JSTEP + 1;
}

// S + D as a shift; beyond the 32-bit range the shift is as good as infinite.
int32_t adjusted(int32_t S, int32_t D) {
  const int64_t v = int64_t{S} + D;
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// ---------------------------------------------------------------------------------------------
// Element conversions.

template <class To>
To saturated(int64_t v) {
  return static_cast<To>(
      std::clamp<int64_t>(v, std::numeric_limits<To>::min(), std::numeric_limits<To>::max()));
}

// X truncated toward zero into the integer type To; values beyond its range are limited to it
// and a value that is not a number gives 0 (the scale shifts never produce either).
template <class To>
To truncated(double x) {
  constexpr double lo = static_cast<double>(std::numeric_limits<To>::min()) - 1.0;
  constexpr double hi = static_cast<double>(std::numeric_limits<To>::max()) + 1.0;
  if (std::isnan(x)) return 0;
  if (x <= lo) return std::numeric_limits<To>::min();
  if (x >= hi) return std::numeric_limits<To>::max();
  return static_cast<To>(x);  // the conversion truncates toward zero
}

// The factor 2^ISHFT of the conversions between integers and floats, exact in double precision.
// Within the float exponent range it equals the single-precision power of two; beyond it a float
// factor would be infinite or zero and turn data of very small or very large magnitude into
// saturated or zero elements, while the double factor keeps them.
double power_of_two(int32_t ISHFT) {
  return std::ldexp(1.0, std::clamp(ISHFT, -2000, 2000));
}

// Integer shift by 2^ISHFT: a product for ISHFT >= 0, a quotient truncated toward zero for
// ISHFT < 0; the result is limited to the target type. Returned as one of two functors so that
// the loops over the elements carry no test on the sign.
template <class To>
struct ShiftUp {
  int32_t k;
  To operator()(int64_t v) const { return saturated<To>(v << k); }
};
template <class To>
struct ShiftDown {
  int32_t k;
  int64_t bias;  // 2^k - 1, added to negative values so that the shift truncates toward zero
  To operator()(int64_t v) const { return saturated<To>((v + ((v >> 63) & bias)) >> k); }
};

// Calls BODY with the integer-shift functor for ISHFT.
template <class To, class Body>
void with_integer_shift(int32_t ISHFT, Body body) {
  // Beyond 32 places every 32-bit value is already saturated, or truncated to 0.
  if (ISHFT >= 0) {
    body(ShiftUp<To>{std::min(ISHFT, 32)});
  } else {
    const int32_t k = ISHFT < -32 ? 32 : -ISHFT;
    body(ShiftDown<To>{k, (int64_t{1} << k) - 1});
  }
}

// Integer file data into floats: v * 2^ISHFT, with the factor F = 2^ISHFT exact in double
// precision, rounded once to float.
template <class I>
struct IntegerToFloat {
  double f;
  float operator()(I v) const { return static_cast<float>(static_cast<double>(v) * f); }
};

// The integer data of a block converted to floats by CONV (runs of contiguous elements): N
// elements from SRC into OUT. Where the factor and every product are 32-bit reals of the normal
// range, the product is formed in 32 bits: the integer's float times the factor, the same real as
// the 64-bit product rounded once (an exact product for 16-bit data; for 32-bit data the one
// rounding, of the integer, commutes with the scaling by a power of two), taken many elements at
// a time.
FTS_WIDE_CLONES void floats_of_int16(const std::byte* src, int64_t n, float f, float* out) {
  for (int64_t i = 0; i < n; ++i) out[i] = static_cast<float>(element<int16_t>(src, i)) * f;
}
FTS_WIDE_CLONES void floats_of_int32(const std::byte* src, int64_t n, float f, float* out) {
  for (int64_t i = 0; i < n; ++i) out[i] = static_cast<float>(element<int32_t>(src, i)) * f;
}

// Converts a run of N contiguous file elements at SRC into OUT through CONV.
template <class F, class A, class Conv>
void convert_run(const Conv& conv, const std::byte* src, int64_t n, A* out) {
  for (int64_t i = 0; i < n; ++i) out[i] = conv(element<F>(src, i));
}
template <>
void convert_run<int16_t>(const IntegerToFloat<int16_t>& conv, const std::byte* src, int64_t n,
                          float* out) {
  // 2^15 * 2^112 = 2^127: every product of a factor up to 2^112 stays below the largest float.
  if (conv.f >= 0x1p-126 && conv.f <= 0x1p112) {
    floats_of_int16(src, n, static_cast<float>(conv.f), out);
  } else {
    for (int64_t i = 0; i < n; ++i) out[i] = conv(element<int16_t>(src, i));
  }
}
template <>
void convert_run<int32_t>(const IntegerToFloat<int32_t>& conv, const std::byte* src, int64_t n,
                          float* out) {
  // 2^31 * 2^96 = 2^127.
  if (conv.f >= 0x1p-126 && conv.f <= 0x1p96) {
    floats_of_int32(src, n, static_cast<float>(conv.f), out);
  } else {
    for (int64_t i = 0; i < n; ++i) out[i] = conv(element<int32_t>(src, i));
  }
}

// ---------------------------------------------------------------------------------------------
// The walk over a scan's data records shared by all loads and stores.

// Loads file elements J1, J1+JSTEP, ... up to J2 of type F into ARRAY(1...) through CONV, reading
// the records that hold them and skipping the rest of the scan's NREC records; NAME is the load
// routine's name.
// Notes: a selection that ARRAY cannot hold, or that reaches beyond the scan's NREC records,
// stops the run before anything is read (the scan access routines check both first).
template <class F, class A, class Conv>
void load_elements(std::string_view name, int32_t LUN, std::span<A> ARRAY, int32_t J1, int32_t J2,
                   int32_t JSTEP, int32_t NREC, const Conv& conv) {
  constexpr int64_t m = kPerRecord<F>;
  const int64_t count = selection_count(name, J1, J2, JSTEP);
  if (count > static_cast<int64_t>(ARRAY.size())) refuse(name, kShortArray);
  const int64_t last_element = count > 0 ? J1 + (count - 1) * JSTEP : 0;
  if (NREC < 0 || last_element > int64_t{NREC} * m) refuse(name, kBeyondRecords);
  if (count == 0) {
    skip_records(LUN, NREC);
    return;
  }

  // Skip to the record of element J1.
  const int64_t first = (J1 - 1) / m + 1;
  const int64_t last = (J1 - 1 + (count - 1) * JSTEP) / m + 1;
  skip_records(LUN, first - 1);

  // Read the records up to that of the last element, a block at a time, and convert the
  // elements that each block holds.
  const bool swap = !std::is_same_v<F, float> && QQFILE(LUN) != kOwnByteOrder;
  A* out = ARRAY.data();
  int64_t k = 0;   // elements moved
  int64_t j = J1;  // next file element
  int64_t n = 0;
  for (int64_t rec = first; rec <= last; rec += n) {
    n = std::min(kChunkRecords, last - rec + 1);
    read_or_stop(LUN, n, chunk);
    if (swap) swap_words(chunk, n * kRecordSize, sizeof(F));
    const int64_t base = (rec - 1) * m + 1;  // file element in the block's first slot
    const int64_t end = (rec + n - 1) * m;   // file element in the block's last slot
    if (j > end) continue;
    const int64_t take = std::min(count - k, (end - j) / JSTEP + 1);
    const int64_t from = j - base;
    if (JSTEP == 1) {
      convert_run<F>(conv, chunk + from * static_cast<int64_t>(sizeof(F)), take, out + k);
    } else {
      for (int64_t i = 0; i < take; ++i) out[k + i] = conv(element<F>(chunk, from + i * JSTEP));
    }
    k += take;
    j += take * JSTEP;
  }
  std::memcpy(QQFTSB.data(), chunk + (n - 1) * kRecordSize, kRecordSize);

  // Skip the scan's remaining data records.
  skip_records(LUN, int64_t{NREC} - last);
}

// Stores array elements J1, J1+JSTEP, ... up to J2 through CONV as file elements 1, 2, ... of
// type F, in whole data records, the last one padded with zeros; NAME is the store routine's
// name.
// Notes: an empty selection writes one record of zeros; a selection reaching beyond the end of
// ARRAY stops the run before anything is written (the scan access routines check it first).
template <class F, class A, class Conv>
void store_elements(std::string_view name, int32_t LUN, std::span<const A> ARRAY, int32_t J1,
                    int32_t J2, int32_t JSTEP, const Conv& conv) {
  constexpr int64_t m = kPerRecord<F>;
  const int64_t count = selection_count(name, J1, J2, JSTEP);
  if (count > 0 && J1 + (count - 1) * JSTEP > static_cast<int64_t>(ARRAY.size())) {
    refuse(name, kShortArray);
  }
  const int64_t records = count > 0 ? (count - 1) / m + 1 : 1;

  const A* in = count > 0 ? ARRAY.data() + (J1 - 1) : nullptr;
  int64_t n = 0;
  for (int64_t written = 0; written < records; written += n) {
    n = std::min(kChunkRecords, records - written);
    // Convert the block's share of the selection, then clear its remaining slots.
    const int64_t done = written * m;
    const int64_t take = std::clamp<int64_t>(count - done, 0, n * m);
    if (JSTEP == 1) {
      for (int64_t i = 0; i < take; ++i) put_element<F>(chunk, i, conv(in[done + i]));
    } else {
      for (int64_t i = 0; i < take; ++i) {
        put_element<F>(chunk, i, conv(in[(done + i) * JSTEP]));
      }
    }
    std::fill(chunk + take * static_cast<int64_t>(sizeof(F)), chunk + n * kRecordSize,
              std::byte{0});
    write_or_stop(LUN, n, chunk);
  }
  std::memcpy(QQFTSB.data(), chunk + (n - 1) * kRecordSize, kRecordSize);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Header records.

// RDFHD: read the current record of a scan file as a header record and settle its byte order.
// Given:     LUN    unit of an open scan file
// Returned:  IERR   0 = read, 1 = no such record or a read error (nothing reported)
// Notes:
// 1. The record lands in QQFTSB; its byte 93 (QQBORD) goes to QQFILE(LUN). A mark other than 1
//    is a file from a machine of the other byte order: the 32-bit items are swapped (SWPHD).
// 2. On failure QQFILE is left as it was.
// 3. A file that ends inside the record is damaged, not at its end: as for a data record, the
//    run ends with a diagnostic naming the file (the part of a scan that is there would otherwise
//    go unnoticed as the end of the file).
void RDFHD(int32_t LUN, int32_t& IERR) {
  int64_t got = 0;
  const int32_t ios = lun::read_records(LUN, 1, QQFTSB.data(), got);
  if (ios == lun::kShortRecord) lun::io_failure(LUN, "RECORD NOT READ", ios);
  if (ios != 0) {
    IERR = 1;
    return;
  }
  const auto mark = std::to_integer<int32_t>(QQFTSB.bytes()[kMarkByte]);
  QQFILE.set(LUN, mark);
  if (mark != kOwnByteOrder) SWPHD();
  IERR = 0;
}

// LOADHD: read the current record of a scan file as a scan header.
// Given:     LUN    unit of an open scan file
// Returned:  HDR    items 1-128 from bytes 0-127 (0-255), items 129-224 from the 32-bit words
//                   of bytes 128-511; unchanged when there is no record
//            IEOF   1 when no header record could be read, else 0
void LOADHD(int32_t LUN, Header& HDR, int32_t& IEOF) {
  int32_t ierr = 0;
  RDFHD(LUN, ierr);
  if (ierr != 0) {
    IEOF = 1;
    return;
  }
  const auto bytes = QQFTSB.bytes();
  for (int32_t i = 1; i <= 128; ++i) {
    HDR(i) = std::to_integer<int32_t>(bytes[static_cast<std::size_t>(i - 1)]);
  }
  for (int32_t i = 129; i <= kHeaderItems; ++i) HDR(i) = QQFTSB.i4(i - 96);
  IEOF = 0;
}

// STORHD: stamp a scan header and write it as the current record of a scan file.
// Given:     LUN    unit of a scan file open for writing
// Given and returned:
//            HDR    QQSYSV = 2, QQBORD = 1, QQFCDY and QQFCMS = the write day and time (SYSTIM)
// Notes: items 1-128 are stored as their low 8 bits, items 129-224 as 32-bit little-endian
// words; a record that cannot be written ends the run.
void STORHD(int32_t LUN, Header& HDR) {
  HDR(QQSYSV) = 2;
  HDR(QQBORD) = kOwnByteOrder;
  SYSTIM(HDR(QQFCDY), HDR(QQFCMS));
  const auto bytes = QQFTSB.bytes();
  for (int32_t i = 1; i <= 128; ++i) {
    bytes[static_cast<std::size_t>(i - 1)] = static_cast<std::byte>(HDR(i) & 0xff);
  }
  for (int32_t i = 129; i <= kHeaderItems; ++i) QQFTSB.set_i4(i - 96, HDR(i));
  WRFHD(LUN);
}

// ---------------------------------------------------------------------------------------------
// Data records.

// RDFI2: read the current record of a scan file into QQFTSB as 256 16-bit integers.
// Given:     LUN    unit of an open scan file whose header was read last
// Notes: swapped (SWPI2) when QQFILE(LUN) is not 1; a record that cannot be read ends the run
// with a diagnostic naming the file.
void RDFI2(int32_t LUN) {
  read_or_stop(LUN, 1, QQFTSB.data());
  if (QQFILE(LUN) != kOwnByteOrder) SWPI2();
}

// RDFI4: read the current record of a scan file into QQFTSB as 128 32-bit integers.
// Given:     LUN    unit of an open scan file whose header was read last
// Notes: swapped (SWPI4) when QQFILE(LUN) is not 1; a record that cannot be read ends the run.
void RDFI4(int32_t LUN) {
  read_or_stop(LUN, 1, QQFTSB.data());
  if (QQFILE(LUN) != kOwnByteOrder) SWPI4();
}

// RDFR4: read the current record of a scan file into QQFTSB as 128 32-bit floats.
// Given:     LUN    unit of an open scan file
// Notes: float data are taken as stored, whatever the byte-order mark; a record that cannot be
// read ends the run.
void RDFR4(int32_t LUN) {
  read_or_stop(LUN, 1, QQFTSB.data());
}

// WRFHD, WRFI2, WRFI4, WRFR4: write QQFTSB unchanged as the current record of a scan file.
// Given:     LUN    unit of a scan file open for writing
// Notes: a record that cannot be written ends the run with a diagnostic naming the file.
void WRFHD(int32_t LUN) {
  write_or_stop(LUN, 1, QQFTSB.data());
}
void WRFI2(int32_t LUN) {
  write_or_stop(LUN, 1, QQFTSB.data());
}
void WRFI4(int32_t LUN) {
  write_or_stop(LUN, 1, QQFTSB.data());
}
void WRFR4(int32_t LUN) {
  write_or_stop(LUN, 1, QQFTSB.data());
}

// SKPREC: read and discard records of a scan file.
// Given:     LUN    unit of an open scan file
//            NREC   records to skip; nothing when NREC <= 0
// Notes: the records are read, not sought past, so a file that ends early is noticed: the run
// ends with a diagnostic. QQFTSB then holds the last record skipped, unswapped.
void SKPREC(int32_t LUN, int32_t NREC) {
  skip_records(LUN, NREC);
}

// CPYREC: copy records from one scan file to another unchanged.
// Given:     LUNIN   unit read from its current record on
//            NREC    records to copy; nothing when NREC <= 0
//            LUNOUT  unit written from its current record on
// Notes: no byte-order handling; each record passes through QQFTSB.
void CPYREC(int32_t LUNIN, int32_t NREC, int32_t LUNOUT) {
  for (int32_t i = 1; i <= NREC; ++i) {
    read_or_stop(LUNIN, 1, QQFTSB.data());
    WRFHD(LUNOUT);
  }
}

// ---------------------------------------------------------------------------------------------
// Byte order of the record buffer.

// SWPI2: swap the two bytes of each of the 256 16-bit words of QQFTSB.
void SWPI2() {
  swap_words(QQFTSB.data(), kRecordSize, 2);
}

// SWPI4: reverse the four bytes of each of the 128 32-bit words of QQFTSB.
void SWPI4() {
  swap_words(QQFTSB.data(), kRecordSize, 4);
}

// SWPHD: reverse the four bytes of each 32-bit word in bytes 128-511 of QQFTSB (the 96 integer
// items of a header record); bytes 0-127 are left alone.
void SWPHD() {
  swap_words(QQFTSB.data() + kWordBytes, kRecordSize - kWordBytes, 4);
}

// ---------------------------------------------------------------------------------------------
// Dispatchers.

// LDWORD: load a selection of a scan's file elements into an array, by the pair of types.
// Given:     LUN     unit standing at the scan's first data record
//            FTYP    file element type (QQDTYP code 0-2)
//            ATYP    array element type (0-3); must be the type ARRAY holds
//            J1, J2, JSTEP   file elements J1, J1+JSTEP, ... up to J2
//            NREC    the scan's data records (QQFLEN)
//            S       scale shift: 0 for integer arrays, the file's QQDSCL for float arrays
// Returned:  ARRAY   elements 1, 2, ... converted
// Notes:
// 1. The routine of the pair gets ISHFT = S for equal integer widths, S - 16 from 32 to 16 bits,
//    S + 16 from 16 to 32 bits, S - 15 from 16-bit and S - 31 from 32-bit data to floats.
// 2. A pair not in the table (a float file into an integer array, a type code outside 0-3 or
//    0-2) is ignored: nothing is read. An ARRAY that does not hold elements of type ATYP stops
//    the run with "LDWORD   01> - ARRAY NOT OF TYPE ATYP".
void LDWORD(int32_t LUN, int32_t FTYP, ElementArray ARRAY, int32_t ATYP, int32_t J1, int32_t J2,
            int32_t JSTEP, int32_t NREC, int32_t S) {
  if (ATYP < 0 || ATYP > 3 || FTYP < 0 || FTYP > 2 || (FTYP == 2 && ATYP < 2)) return;
  if (ATYP != ARRAY.type()) STPLOG(1, "LDWORD   01> - ARRAY NOT OF TYPE ATYP");
  switch (ATYP * 4 + FTYP) {
    case 0 * 4 + 0:
      return LDI2I2(LUN, ARRAY.as<int16_t>(), J1, J2, JSTEP, NREC, S);
    case 0 * 4 + 1:
      return LDI2I4(LUN, ARRAY.as<int16_t>(), J1, J2, JSTEP, NREC, adjusted(S, -16));
    case 1 * 4 + 0:
      return LDI4I2(LUN, ARRAY.as<int32_t>(), J1, J2, JSTEP, NREC, adjusted(S, 16));
    case 1 * 4 + 1:
      return LDI4I4(LUN, ARRAY.as<int32_t>(), J1, J2, JSTEP, NREC, S);
    case 2 * 4 + 0:
      return LDR4I2(LUN, ARRAY.as<float>(), J1, J2, JSTEP, NREC, adjusted(S, -15));
    case 2 * 4 + 1:
      return LDR4I4(LUN, ARRAY.as<float>(), J1, J2, JSTEP, NREC, adjusted(S, -31));
    case 2 * 4 + 2:
      return LDR4R4(LUN, ARRAY.as<float>(), J1, J2, JSTEP, NREC);
    case 3 * 4 + 0:
      return LDR8I2(LUN, ARRAY.as<double>(), J1, J2, JSTEP, NREC, adjusted(S, -15));
    case 3 * 4 + 1:
      return LDR8I4(LUN, ARRAY.as<double>(), J1, J2, JSTEP, NREC, adjusted(S, -31));
    case 3 * 4 + 2:
      return LDR8R4(LUN, ARRAY.as<double>(), J1, J2, JSTEP, NREC);
    default:
      return;
  }
}

// STWORD: store a selection of an array's elements as a scan's data records, by the pair of
// types.
// Given:     LUN     unit of a scan file whose header was just written
//            FTYP    file element type (QQDTYP code 0-2)
//            ARRAY   the array; ATYP (0-3) must be the type it holds
//            J1, J2, JSTEP   array elements J1, J1+JSTEP, ... up to J2
//            S       scale shift: the normalising shift for integer files, the array's QQDSCL
//                    for float files
// Notes:
// 1. The routine of the pair gets ISHFT = S for equal integer widths, S + 16 from 16 to 32
//    bits, S - 16 from 32 to 16 bits, S - 15 and S - 31 from 16- and 32-bit arrays to floats,
//    S + 15 and S + 31 from floats to 16- and 32-bit data.
// 2. A pair not in the table (a type code outside 0-3 or 0-2) is ignored: nothing is written.
//    An ARRAY that does not hold elements of type ATYP stops the run with "STWORD   01> -
//    ARRAY NOT OF TYPE ATYP".
void STWORD(int32_t LUN, int32_t FTYP, ConstElementArray ARRAY, int32_t ATYP, int32_t J1,
            int32_t J2, int32_t JSTEP, int32_t S) {
  if (ATYP < 0 || ATYP > 3 || FTYP < 0 || FTYP > 2) return;
  if (ATYP != ARRAY.type()) STPLOG(1, "STWORD   01> - ARRAY NOT OF TYPE ATYP");
  switch (ATYP * 4 + FTYP) {
    case 0 * 4 + 0:
      return STI2I2(LUN, ARRAY.as<int16_t>(), J1, J2, JSTEP, S);
    case 0 * 4 + 1:
      return STI2I4(LUN, ARRAY.as<int16_t>(), J1, J2, JSTEP, adjusted(S, 16));
    case 0 * 4 + 2:
      return STI2R4(LUN, ARRAY.as<int16_t>(), J1, J2, JSTEP, adjusted(S, -15));
    case 1 * 4 + 0:
      return STI4I2(LUN, ARRAY.as<int32_t>(), J1, J2, JSTEP, adjusted(S, -16));
    case 1 * 4 + 1:
      return STI4I4(LUN, ARRAY.as<int32_t>(), J1, J2, JSTEP, S);
    case 1 * 4 + 2:
      return STI4R4(LUN, ARRAY.as<int32_t>(), J1, J2, JSTEP, adjusted(S, -31));
    case 2 * 4 + 0:
      return STR4I2(LUN, ARRAY.as<float>(), J1, J2, JSTEP, adjusted(S, 15));
    case 2 * 4 + 1:
      return STR4I4(LUN, ARRAY.as<float>(), J1, J2, JSTEP, adjusted(S, 31));
    case 2 * 4 + 2:
      return STR4R4(LUN, ARRAY.as<float>(), J1, J2, JSTEP);
    case 3 * 4 + 0:
      return STR8I2(LUN, ARRAY.as<double>(), J1, J2, JSTEP, adjusted(S, 15));
    case 3 * 4 + 1:
      return STR8I4(LUN, ARRAY.as<double>(), J1, J2, JSTEP, adjusted(S, 31));
    case 3 * 4 + 2:
      return STR8R4(LUN, ARRAY.as<double>(), J1, J2, JSTEP);
    default:
      return;
  }
}

// ---------------------------------------------------------------------------------------------
// Load routines.
//
// LDaabb: load file elements J1, J1+JSTEP, ... up to J2 of the scan at LUN's current record into
// ARRAY(1), ARRAY(2), ..., then skip the rest of the scan's NREC data records.
// Given:     LUN     unit standing at the scan's first data record (its header read last)
//            J1, J2, JSTEP   the file elements (from 1)
//            NREC    the scan's data records (QQFLEN)
//            ISHFT   scale shift (not for float file data)
// Returned:  ARRAY   the converted elements
// Notes:
// 1. Integer to integer: v * 2^ISHFT for ISHFT >= 0, else v / 2^-ISHFT truncated toward zero
//    (so -1 shifted by -1 gives 0); the result is limited to the array type.
// 2. Integer to float: v * 2^ISHFT, formed in double precision with the exact factor 2^ISHFT,
//    rounded once to the array type (exact for 64-bit arrays).
// 3. Records are read a block at a time (integer data swapped for a foreign file).
// 4. "01> - ILLEGAL SELECTION" (J1 < 1 or JSTEP < 1), "02> - ARRAY TOO SHORT FOR THE
//    SELECTION" and "03> - SELECTION BEYOND THE SCAN'S RECORDS" (NREC < 0, or an element
//    beyond NREC records) stop the run, after the routine's name, before anything is read.

// LDI2I2: 16-bit file data into a 16-bit array, shifted by ISHFT.
void LDI2I2(int32_t LUN, std::span<int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  with_integer_shift<int16_t>(ISHFT, [&](auto shift) {
    load_elements<int16_t>("LDI2I2", LUN, ARRAY, J1, J2, JSTEP, NREC, shift);
  });
}

// LDI2I4: 32-bit file data into a 16-bit array, shifted by ISHFT (S - 16).
void LDI2I4(int32_t LUN, std::span<int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  with_integer_shift<int16_t>(ISHFT, [&](auto shift) {
    load_elements<int32_t>("LDI2I4", LUN, ARRAY, J1, J2, JSTEP, NREC, shift);
  });
}

// LDI4I2: 16-bit file data into a 32-bit array, shifted by ISHFT (S + 16).
void LDI4I2(int32_t LUN, std::span<int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  with_integer_shift<int32_t>(ISHFT, [&](auto shift) {
    load_elements<int16_t>("LDI4I2", LUN, ARRAY, J1, J2, JSTEP, NREC, shift);
  });
}

// LDI4I4: 32-bit file data into a 32-bit array, shifted by ISHFT.
void LDI4I4(int32_t LUN, std::span<int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  with_integer_shift<int32_t>(ISHFT, [&](auto shift) {
    load_elements<int32_t>("LDI4I4", LUN, ARRAY, J1, J2, JSTEP, NREC, shift);
  });
}

// LDR4I2: 16-bit file data into a float array: v * 2^ISHFT rounded once to float.
void LDR4I2(int32_t LUN, std::span<float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  load_elements<int16_t>("LDR4I2", LUN, ARRAY, J1, J2, JSTEP, NREC,
                         IntegerToFloat<int16_t>{power_of_two(ISHFT)});
}

// LDR4I4: 32-bit file data into a float array: v * 2^ISHFT rounded once to float.
void LDR4I4(int32_t LUN, std::span<float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  load_elements<int32_t>("LDR4I4", LUN, ARRAY, J1, J2, JSTEP, NREC,
                         IntegerToFloat<int32_t>{power_of_two(ISHFT)});
}

// LDR4R4: float file data into a float array, copied.
void LDR4R4(int32_t LUN, std::span<float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC) {
  load_elements<float>("LDR4R4", LUN, ARRAY, J1, J2, JSTEP, NREC, [](float v) { return v; });
}

// LDR8I2: 16-bit file data into a 64-bit array: v * 2^ISHFT, exact.
void LDR8I2(int32_t LUN, std::span<double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  load_elements<int16_t>("LDR8I2", LUN, ARRAY, J1, J2, JSTEP, NREC,
                         [f](int16_t v) { return static_cast<double>(v) * f; });
}

// LDR8I4: 32-bit file data into a 64-bit array: v * 2^ISHFT, exact.
void LDR8I4(int32_t LUN, std::span<double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  load_elements<int32_t>("LDR8I4", LUN, ARRAY, J1, J2, JSTEP, NREC,
                         [f](int32_t v) { return static_cast<double>(v) * f; });
}

// LDR8R4: float file data into a 64-bit array, widened exactly.
void LDR8R4(int32_t LUN, std::span<double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC) {
  load_elements<float>("LDR8R4", LUN, ARRAY, J1, J2, JSTEP, NREC,
                       [](float v) { return static_cast<double>(v); });
}

// ---------------------------------------------------------------------------------------------
// Store routines.
//
// STaabb: store array elements J1, J1+JSTEP, ... up to J2 as file elements 1, 2, ... in new data
// records from LUN's current record on, the last record padded with zeros.
// Given:     LUN     unit of a scan file whose header record was just written
//            ARRAY   the array
//            J1, J2, JSTEP   the array elements (from 1)
//            ISHFT   scale shift (not when both sides are floats)
// Notes:
// 1. Integer to integer: the integer shift of the load routines, limited to the file type.
// 2. Integer to float: v * 2^ISHFT rounded to the nearest float.
// 3. Float to integer: x * 2^ISHFT, formed in double precision, truncated toward zero; a value
//    beyond the file type (never produced by the normalising shift) is limited to it.
// 4. The records written are the selection's element count divided by the elements per record,
//    rounded up: the QQFLEN of the header written before; an empty selection (J2 < J1) writes
//    one record of zeros.
// 5. "01> - ILLEGAL SELECTION" (J1 < 1 or JSTEP < 1) and "02> - ARRAY TOO SHORT FOR THE
//    SELECTION" stop the run, after the routine's name, before anything is written.

// STI2I2: a 16-bit array as 16-bit file data, shifted by ISHFT.
void STI2I2(int32_t LUN, std::span<const int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  with_integer_shift<int16_t>(ISHFT, [&](auto shift) {
    store_elements<int16_t>("STI2I2", LUN, ARRAY, J1, J2, JSTEP, shift);
  });
}

// STI2I4: a 16-bit array as 32-bit file data, shifted by ISHFT (S + 16).
void STI2I4(int32_t LUN, std::span<const int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  with_integer_shift<int32_t>(ISHFT, [&](auto shift) {
    store_elements<int32_t>("STI2I4", LUN, ARRAY, J1, J2, JSTEP, shift);
  });
}

// STI2R4: a 16-bit array as float file data: v * 2^ISHFT rounded to float.
void STI2R4(int32_t LUN, std::span<const int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  store_elements<float>("STI2R4", LUN, ARRAY, J1, J2, JSTEP,
                        [f](int16_t v) { return static_cast<float>(static_cast<double>(v) * f); });
}

// STI4I2: a 32-bit array as 16-bit file data, shifted by ISHFT (S - 16).
void STI4I2(int32_t LUN, std::span<const int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  with_integer_shift<int16_t>(ISHFT, [&](auto shift) {
    store_elements<int16_t>("STI4I2", LUN, ARRAY, J1, J2, JSTEP, shift);
  });
}

// STI4I4: a 32-bit array as 32-bit file data, shifted by ISHFT.
void STI4I4(int32_t LUN, std::span<const int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  with_integer_shift<int32_t>(ISHFT, [&](auto shift) {
    store_elements<int32_t>("STI4I4", LUN, ARRAY, J1, J2, JSTEP, shift);
  });
}

// STI4R4: a 32-bit array as float file data: v * 2^ISHFT rounded to float.
void STI4R4(int32_t LUN, std::span<const int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  store_elements<float>("STI4R4", LUN, ARRAY, J1, J2, JSTEP,
                        [f](int32_t v) { return static_cast<float>(static_cast<double>(v) * f); });
}

// STR4I2: a float array as 16-bit file data: x * 2^ISHFT truncated toward zero.
void STR4I2(int32_t LUN, std::span<const float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  store_elements<int16_t>("STR4I2", LUN, ARRAY, J1, J2, JSTEP,
                          [f](float x) { return truncated<int16_t>(static_cast<double>(x) * f); });
}

// STR4I4: a float array as 32-bit file data: x * 2^ISHFT truncated toward zero.
void STR4I4(int32_t LUN, std::span<const float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  store_elements<int32_t>("STR4I4", LUN, ARRAY, J1, J2, JSTEP,
                          [f](float x) { return truncated<int32_t>(static_cast<double>(x) * f); });
}

// STR4R4: a float array as float file data, copied.
void STR4R4(int32_t LUN, std::span<const float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP) {
  store_elements<float>("STR4R4", LUN, ARRAY, J1, J2, JSTEP, [](float x) { return x; });
}

// STR8I2: a 64-bit array as 16-bit file data: x * 2^ISHFT truncated toward zero.
void STR8I2(int32_t LUN, std::span<const double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  store_elements<int16_t>("STR8I2", LUN, ARRAY, J1, J2, JSTEP,
                          [f](double x) { return truncated<int16_t>(x * f); });
}

// STR8I4: a 64-bit array as 32-bit file data: x * 2^ISHFT truncated toward zero.
void STR8I4(int32_t LUN, std::span<const double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT) {
  const double f = power_of_two(ISHFT);
  store_elements<int32_t>("STR8I4", LUN, ARRAY, J1, J2, JSTEP,
                          [f](double x) { return truncated<int32_t>(x * f); });
}

// STR8R4: a 64-bit array as float file data, rounded to the nearest float.
void STR8R4(int32_t LUN, std::span<const double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP) {
  store_elements<float>("STR8R4", LUN, ARRAY, J1, J2, JSTEP,
                        [](double x) { return static_cast<float>(x); });
}

}  // namespace fts
