// ftsioprm: scan-file records, byte order and header packing, and the element conversions between
// file records and arrays.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ranges>
#include <span>
#include <type_traits>
#include <variant>

#include "fts/header.hpp"

namespace fts {

// ---------------------------------------------------------------------------------------------
// Shared stores.

constexpr int32_t kRecordSize = 512;  // bytes per scan-file record
constexpr int32_t kSlotsI2 = 256;     // 16-bit elements per data record
constexpr int32_t kSlotsI4 = 128;     // 32-bit integer elements per data record
constexpr int32_t kSlotsR4 = 128;     // 32-bit float elements per data record
constexpr int32_t kScanUnits = 100;   // scan files live on units 1 .. 100

// The one 512-byte record buffer of the process. The same bytes are seen as 256 16-bit
// integers, 128 32-bit integers or 128 32-bit floats, all in the machine's byte order; slots
// count from 1. Its content is valid only until the next record operation.
class RecordBuffer {
 public:
  std::byte* data() { return bytes_.data(); }
  const std::byte* data() const { return bytes_.data(); }
  std::span<std::byte, kRecordSize> bytes() { return bytes_; }
  std::span<const std::byte, kRecordSize> bytes() const { return bytes_; }

  int16_t i2(int32_t slot) const { return get<int16_t>(slot); }
  int32_t i4(int32_t slot) const { return get<int32_t>(slot); }
  float r4(int32_t slot) const { return get<float>(slot); }
  void set_i2(int32_t slot, int16_t value) { set(slot, value); }
  void set_i4(int32_t slot, int32_t value) { set(slot, value); }
  void set_r4(int32_t slot, float value) { set(slot, value); }

 private:
  template <class T>
  T get(int32_t slot) const {
    T value;
    std::memcpy(&value, bytes_.data() + offset<T>(slot), sizeof(T));
    return value;
  }
  template <class T>
  void set(int32_t slot, T value) {
    std::memcpy(bytes_.data() + offset<T>(slot), &value, sizeof(T));
  }
  template <class T>
  static std::size_t offset(int32_t slot) {
    // A slot outside the record wraps into it rather than leave the buffer.
    constexpr auto n = static_cast<int32_t>(kRecordSize / sizeof(T));
    int32_t i = (slot - 1) % n;
    if (i < 0) i += n;
    return static_cast<std::size_t>(i) * sizeof(T);
  }
  alignas(8) std::array<std::byte, kRecordSize> bytes_{};
};

extern RecordBuffer QQFTSB;

// The byte-order table: entry u (units 1 to 100) holds the byte-order mark of the last header
// record read on unit u; 0 until one is read. A unit outside 1 .. 100 reads as 0 and is never
// stored.
class ByteOrderTable {
 public:
  int32_t operator()(int32_t unit) const {
    return unit >= 1 && unit <= kScanUnits ? marks_[static_cast<std::size_t>(unit - 1)] : 0;
  }
  void set(int32_t unit, int32_t mark) {
    if (unit >= 1 && unit <= kScanUnits) marks_[static_cast<std::size_t>(unit - 1)] = mark;
  }

 private:
  std::array<int32_t, kScanUnits> marks_{};
};

extern ByteOrderTable QQFILE;

// ---------------------------------------------------------------------------------------------
// Element arrays. A caller's array of one of the four element types of QQDTYP: 0 = int16_t,
// 1 = int32_t, 2 = float, 3 = double. Made from a span or any contiguous container of one of
// them; its type() is the code of the elements it holds.

namespace detail {
template <class T>
inline constexpr int32_t element_code = std::is_same_v<T, int16_t>   ? 0
                                        : std::is_same_v<T, int32_t> ? 1
                                        : std::is_same_v<T, float>   ? 2
                                        : std::is_same_v<T, double>  ? 3
                                                                     : -1;

template <class R>
using range_element_t = std::remove_reference_t<std::ranges::range_reference_t<R>>;
}  // namespace detail

class ElementArray {
 public:
  template <std::ranges::contiguous_range R>
  requires std::ranges::borrowed_range<R> &&(detail::element_code<detail::range_element_t<R>> >= 0)
      ElementArray(R&& range)
      : array_(std::span<detail::range_element_t<R>>(std::ranges::data(range),
                                                     std::ranges::size(range))) {}

  int32_t type() const { return static_cast<int32_t>(array_.index()); }
  std::size_t size() const {
    return std::visit([](auto s) { return s.size(); }, array_);
  }
  // The elements as type T; an empty span when the array holds another type.
  template <class T>
  std::span<T> as() const {
    const auto* s = std::get_if<std::span<T>>(&array_);
    return s ? *s : std::span<T>();
  }

 private:
  friend class ConstElementArray;
  std::variant<std::span<int16_t>, std::span<int32_t>, std::span<float>, std::span<double>> array_;
};

class ConstElementArray {
 public:
  template <std::ranges::contiguous_range R>
  requires std::ranges::borrowed_range<R> &&
      (detail::element_code<std::remove_const_t<detail::range_element_t<R>>> >= 0)
          ConstElementArray(R&& range)
      : array_(std::span<const std::remove_const_t<detail::range_element_t<R>>>(
            std::ranges::data(range), std::ranges::size(range))) {}
  ConstElementArray(const ElementArray& array)
      : array_(std::visit(
            [](auto s) -> Variant {
              return std::span<const typename decltype(s)::element_type>(s);
            },
            array.array_)) {}

  int32_t type() const { return static_cast<int32_t>(array_.index()); }
  std::size_t size() const {
    return std::visit([](auto s) { return s.size(); }, array_);
  }
  // The elements as type T; an empty span when the array holds another type.
  template <class T>
  std::span<const T> as() const {
    const auto* s = std::get_if<std::span<const T>>(&array_);
    return s ? *s : std::span<const T>();
  }

 private:
  using Variant = std::variant<std::span<const int16_t>, std::span<const int32_t>,
                               std::span<const float>, std::span<const double>>;
  Variant array_;
};

// ---------------------------------------------------------------------------------------------
// Header records. A scan file is opened with OPFINP / OPFOUT (ftsiface.hpp).

// Reads the current record of LUN as a header record and settles its byte order (IERR = 1 when
// there is no such record or it cannot be read).
void RDFHD(int32_t LUN, int32_t& IERR);
// Reads the current record of LUN as a header into HDR; IEOF = 1 (HDR unchanged) when there is
// none.
void LOADHD(int32_t LUN, Header& HDR, int32_t& IEOF);
// Stamps HDR (format 2, byte order 1, write day and time) and writes it as the current record.
void STORHD(int32_t LUN, Header& HDR);

// ---------------------------------------------------------------------------------------------
// Data records through QQFTSB. A record that cannot be read or written ends the run with an
// input/output diagnostic naming the file.

void RDFI2(int32_t LUN);  // current record as 16-bit integers, swapped for a foreign file
void RDFI4(int32_t LUN);  // current record as 32-bit integers, swapped for a foreign file
void RDFR4(int32_t LUN);  // current record as 32-bit floats, never swapped
void WRFHD(int32_t LUN);  // writes QQFTSB as the current record
void WRFI2(int32_t LUN);  // writes QQFTSB (16-bit integers) as the current record
void WRFI4(int32_t LUN);  // writes QQFTSB (32-bit integers) as the current record
void WRFR4(int32_t LUN);  // writes QQFTSB (32-bit floats) as the current record
// Reads and discards NREC records (none when NREC <= 0); QQFTSB keeps the last, unswapped.
void SKPREC(int32_t LUN, int32_t NREC);
// Copies NREC records from LUNIN to LUNOUT unchanged.
void CPYREC(int32_t LUNIN, int32_t NREC, int32_t LUNOUT);

// ---------------------------------------------------------------------------------------------
// Byte order of QQFTSB.

void SWPI2();  // swaps the bytes of each of the 256 16-bit words
void SWPI4();  // reverses the bytes of each of the 128 32-bit words
void SWPHD();  // reverses the bytes of each 32-bit word in bytes 128-511 (96 words)

// ---------------------------------------------------------------------------------------------
// Element conversions: dispatchers. Loads move file elements J1, J1+JSTEP, ... up to J2 of the
// scan whose first data record is LUN's current record into ARRAY(1), ARRAY(2), ..., and leave
// the file at the next header (NREC = the scan's QQFLEN). Stores move array elements J1,
// J1+JSTEP, ... up to J2 into file elements 1, 2, ... as new data records, the last one padded
// with zeros. S is the scale shift of the scan access routines; FTYP and ATYP are QQDTYP codes.

void LDWORD(int32_t LUN, int32_t FTYP, ElementArray ARRAY, int32_t ATYP, int32_t J1, int32_t J2,
            int32_t JSTEP, int32_t NREC, int32_t S);
void STWORD(int32_t LUN, int32_t FTYP, ConstElementArray ARRAY, int32_t ATYP, int32_t J1,
            int32_t J2, int32_t JSTEP, int32_t S);

// ---------------------------------------------------------------------------------------------
// Load routines LDaabb (array type aa, file type bb). Integer pairs shift by ISHFT (quotients
// truncated toward zero); float arrays take v * 2^ISHFT rounded once to their precision.

void LDI2I2(int32_t LUN, std::span<int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDI2I4(int32_t LUN, std::span<int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDI4I2(int32_t LUN, std::span<int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDI4I4(int32_t LUN, std::span<int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDR4I2(int32_t LUN, std::span<float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDR4I4(int32_t LUN, std::span<float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDR4R4(int32_t LUN, std::span<float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC);
void LDR8I2(int32_t LUN, std::span<double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDR8I4(int32_t LUN, std::span<double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC, int32_t ISHFT);
void LDR8R4(int32_t LUN, std::span<double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t NREC);

// ---------------------------------------------------------------------------------------------
// Store routines STaabb (array type aa, file type bb). Integer pairs shift by ISHFT; integer to
// float takes v * 2^ISHFT rounded to float; float to integer takes x * 2^ISHFT truncated toward
// zero.

void STI2I2(int32_t LUN, std::span<const int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STI2I4(int32_t LUN, std::span<const int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STI2R4(int32_t LUN, std::span<const int16_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STI4I2(int32_t LUN, std::span<const int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STI4I4(int32_t LUN, std::span<const int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STI4R4(int32_t LUN, std::span<const int32_t> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STR4I2(int32_t LUN, std::span<const float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STR4I4(int32_t LUN, std::span<const float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STR4R4(int32_t LUN, std::span<const float> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP);
void STR8I2(int32_t LUN, std::span<const double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STR8I4(int32_t LUN, std::span<const double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP,
            int32_t ISHFT);
void STR8R4(int32_t LUN, std::span<const double> ARRAY, int32_t J1, int32_t J2, int32_t JSTEP);

}  // namespace fts
