// Scan-file fixtures built byte by byte.
#include "fts_testing/scanbytes.hpp"

#include <cstring>

namespace fts::testing {

namespace {
constexpr std::size_t kRecord = 512;
}

HeaderItems blank_items() {
  HeaderItems items{};
  for (int i = 0; i < 64; ++i) items[static_cast<std::size_t>(i)] = 32;
  return items;
}

void ScanFileBytes::add_header(const HeaderItems& items) {
  for (int i = 0; i < 128; ++i) {
    bytes_.push_back(static_cast<std::uint8_t>(items[static_cast<std::size_t>(i)] & 0xff));
  }
  for (int i = 128; i < 224; ++i) {
    put32(static_cast<uint32_t>(items[static_cast<std::size_t>(i)]), big_endian_);
  }
}

void ScanFileBytes::add_data(const std::vector<int16_t>& values) {
  const std::size_t start = bytes_.size();
  for (int16_t v : values) put16(v);
  pad_record(start);
}

void ScanFileBytes::add_data(const std::vector<int32_t>& values) {
  const std::size_t start = bytes_.size();
  for (int32_t v : values) put32(static_cast<uint32_t>(v), big_endian_);
  pad_record(start);
}

void ScanFileBytes::add_data(const std::vector<float>& values) {
  const std::size_t start = bytes_.size();
  for (float v : values) {
    uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    put32(bits, false);
  }
  pad_record(start);
}

void ScanFileBytes::add_bytes(const std::vector<std::uint8_t>& raw) {
  bytes_.insert(bytes_.end(), raw.begin(), raw.end());
}

void ScanFileBytes::put16(int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  const auto lo = static_cast<std::uint8_t>(u & 0xff);
  const auto hi = static_cast<std::uint8_t>(u >> 8);
  if (big_endian_) {
    bytes_.push_back(hi);
    bytes_.push_back(lo);
  } else {
    bytes_.push_back(lo);
    bytes_.push_back(hi);
  }
}

void ScanFileBytes::put32(uint32_t v, bool big) {
  for (int k = 0; k < 4; ++k) {
    const int shift = big ? 8 * (3 - k) : 8 * k;
    bytes_.push_back(static_cast<std::uint8_t>((v >> shift) & 0xff));
  }
}

void ScanFileBytes::pad_record(std::size_t start) {
  // A scan without elements still has its one (zero) data record.
  if (bytes_.size() == start) bytes_.push_back(0);
  while (bytes_.size() % kRecord != 0) bytes_.push_back(0);
}

int32_t records_for(int64_t n, int32_t size) {
  // The format's own count, with truncating division: no elements still take one record.
  const int64_t per = static_cast<int64_t>(kRecord) / size;
  return static_cast<int32_t>((n - 1) / per + 1);
}

}  // namespace fts::testing
