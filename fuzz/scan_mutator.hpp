// scan_mutator: a mutation that knows the scan-file layout, for the harnesses whose inputs hold a
// scan file. Byte-level mutations seldom put a telling value exactly on a header item; this one
// walks the file's headers (each followed by its QQFLEN data records) and sets one item of one of
// them, in that header's byte order, to a value from the edges of the 32-bit range, the suite's
// capacities, a small step from its old value, or any value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t max_size);

namespace fts::fuzz {

// Mutates DATA (SIZE bytes, at most MAX_SIZE), whose scan file starts at byte FILE: half the
// time by the fuzzer's own mutations, else by setting one header item.
inline std::size_t mutate_scan(std::uint8_t* data, std::size_t size, std::size_t max_size,
                               unsigned seed, std::size_t file = 0) {
  constexpr std::size_t kRecord = 512;
  constexpr std::size_t kMarkByte = 93;
  std::minstd_rand rng(seed);
  if (rng() % 2 == 0 || size < file + kRecord) return LLVMFuzzerMutate(data, size, max_size);

  // Item ITEM (129-224) of the header record at HEADER, in that header's byte order.
  auto item_value = [&](std::size_t header, int item) {
    const std::uint8_t* w = data + header + 4 * static_cast<std::size_t>(item - 97);
    const std::uint32_t v = data[header + kMarkByte] == 1
                                ? w[0] | w[1] << 8 | w[2] << 16 | std::uint32_t{w[3]} << 24
                                : w[3] | w[2] << 8 | w[1] << 16 | std::uint32_t{w[0]} << 24;
    return static_cast<std::int32_t>(v);
  };

  // The header records, found as the readers find them.
  std::vector<std::size_t> headers;
  for (std::size_t at = file; at + kRecord <= size && headers.size() < 64;) {
    headers.push_back(at);
    const std::int32_t records = item_value(at, 131);
    if (records < 0 || static_cast<std::size_t>(records) > (size - at) / kRecord) break;
    at += kRecord * (1 + static_cast<std::size_t>(records));
  }
  const std::size_t header = headers[rng() % headers.size()];

  // Byte items: the codes (type, kind, representation, units, direction, window, mark).
  if (rng() % 4 == 0) {
    static constexpr std::uint8_t kCodes[] = {0, 1, 2, 3, 4, 5, 6, 9, 127, 255};
    const std::size_t item = 65 + rng() % 30;  // QQSYSV ... QQBORD
    data[header + item - 1] = kCodes[rng() % std::size(kCodes)];
    return size;
  }

  // 32-bit items: most often those that size, place, time or weigh the data, and the site and
  // sun-angle key of the fit programs.
  static constexpr int kSizing[] = {131, 132, 133, 135, 136, 137, 138, 139, 140, 145,
                                    146, 147, 148, 149, 157, 160, 161, 162, 163, 164,
                                    193, 194, 195, 196, 197, 198, 215, 216, 217, 218};
  const int item =
      rng() % 2 == 0 ? kSizing[rng() % std::size(kSizing)] : 129 + static_cast<int>(rng() % 96);
  const std::size_t at = header + 4 * static_cast<std::size_t>(item - 97);
  static constexpr std::int64_t kEdges[] = {0,
                                            1,
                                            -1,
                                            2,
                                            8,
                                            9,
                                            15,
                                            16,
                                            31,
                                            32,
                                            -31,
                                            -32,
                                            127,
                                            128,
                                            255,
                                            256,
                                            65535,
                                            65536,
                                            65537,
                                            99999,
                                            100000,
                                            100001,
                                            50001,
                                            1073741823,
                                            1 << 30,
                                            16777216,
                                            2147483647,
                                            2147483646,
                                            -2147483648LL,
                                            -2147483647,
                                            2000,
                                            -2000};
  std::int64_t v = 0;
  switch (rng() % 3) {
    case 0:
      v = kEdges[rng() % std::size(kEdges)];
      break;
    case 1:
      v = std::int64_t{item_value(header, item)} + static_cast<std::int64_t>(rng() % 17) - 8;
      break;
    default:
      v = static_cast<std::int32_t>(rng());
      break;
  }
  const auto u = static_cast<std::uint32_t>(v);
  const bool own = data[header + kMarkByte] == 1;
  for (int k = 0; k < 4; ++k) {
    data[at + static_cast<std::size_t>(own ? k : 3 - k)] = static_cast<std::uint8_t>(u >> (8 * k));
  }
  return size;
}

}  // namespace fts::fuzz
