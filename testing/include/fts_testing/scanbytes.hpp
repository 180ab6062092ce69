// Scan-file fixtures built byte by byte from the record layout, without the library's writer:
// a header record (texts and byte items one byte each, items 129-224 as 32-bit integers in the
// chosen byte order) followed by data records padded with zeros to 512 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace fts::testing {

using HeaderItems = std::array<int32_t, 224>;  // item i at index i - 1

// Items 1-64 blank (two empty texts), everything else 0.
HeaderItems blank_items();

class ScanFileBytes {
 public:
  // BIG_ENDIAN: integers (header items 129-224 and integer data) are written most significant
  // byte first, as a machine of the other byte order writes them. Float data are always written
  // little-endian: the readers take them as stored.
  explicit ScanFileBytes(bool big_endian = false) : big_endian_(big_endian) {}

  void add_header(const HeaderItems& items);
  // Data records holding VALUES, the last one padded with zeros (one zero record when empty).
  void add_data(const std::vector<int16_t>& values);
  void add_data(const std::vector<int32_t>& values);
  void add_data(const std::vector<float>& values);
  // Appends raw bytes (for files that end inside a record).
  void add_bytes(const std::vector<std::uint8_t>& raw);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  void put16(int16_t v);
  void put32(uint32_t v, bool big);
  void pad_record(std::size_t start);

  bool big_endian_;
  std::vector<std::uint8_t> bytes_;
};

// Number of 512-byte data records holding N elements of SIZE bytes: (N - 1) div per record + 1,
// so a scan without elements has one record.
int32_t records_for(int64_t n, int32_t size);

}  // namespace fts::testing
