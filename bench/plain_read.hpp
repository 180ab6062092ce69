// The yardstick of the throughput benchmarks: plain reading of a whole file into memory.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace fts::bench {

// Reads the file PATH into MEMORY (sized to the file beforehand) in large blocks; false when
// fewer bytes came than MEMORY holds.
inline bool read_plain(const std::string& path, std::vector<char>& memory) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return false;
  std::size_t got = 0;
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  while (got < memory.size()) {
    const std::size_t n =
        std::fread(memory.data() + got, 1, std::min(kBlock, memory.size() - got), in);
    if (n == 0) break;
    got += n;
  }
  std::fclose(in);
  return got == memory.size();
}

}  // namespace fts::bench
