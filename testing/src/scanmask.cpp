// The mask of a scan file's write-time stamps.
#include "fts_testing/scanmask.hpp"

#include <cstdint>

namespace fts::testing {

namespace {

constexpr std::size_t kRecord = 512;   // bytes of a scan-file record
constexpr std::size_t kStampAt = 128;  // items 129 and 130: bytes 128-135
constexpr std::size_t kStampBytes = 8;
constexpr std::size_t kFlenAt = 136;  // item 131 QQFLEN: bytes 136-139
constexpr std::size_t kMarkAt = 93;   // item 94 QQBORD: 1 = little-endian

// The 32-bit integer at byte AT of TEXT, little- or big-endian.
int32_t word_at(const std::string& text, std::size_t at, bool big) {
  uint32_t v = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    const auto b = static_cast<uint32_t>(static_cast<unsigned char>(text[at + k]));
    v |= b << (big ? 8 * (3 - k) : 8 * k);
  }
  return static_cast<int32_t>(v);
}

}  // namespace

// mask_scan_stamps: blank the write-time stamps of every header of a scan file.
// Given:     content  the bytes of a scan file
// Returned:  (value)  the same bytes with bytes 128-135 of every header record set to zero
// Notes: headers are found by walking the file by their record counts (QQFLEN); the walk ends at
//        a header record cut short by the end of the content or with a negative count.
std::string mask_scan_stamps(const std::string& content) {
  std::string out = content;
  std::size_t at = 0;
  while (at + kRecord <= out.size()) {
    // This header's stamp.
    for (std::size_t k = 0; k < kStampBytes; ++k) out[at + kStampAt + k] = '\0';

    // On to the next header, behind this scan's data records.
    const bool big = static_cast<unsigned char>(out[at + kMarkAt]) != 1;
    const int32_t flen = word_at(out, at + kFlenAt, big);
    if (flen < 0) break;
    const auto step = (static_cast<uint64_t>(flen) + 1) * kRecord;
    if (step > out.size() - at) break;
    at += static_cast<std::size_t>(step);
  }
  return out;
}

}  // namespace fts::testing
