// Tests of the readable scan-file comparison.
#include "fts_testing/scandiff.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "fts_testing/scanbytes.hpp"

namespace {

namespace ft = fts::testing;

// A file of one float spectrum scan of three points, with item 133 set to SCALE.
std::string float_scan(std::vector<float> data, int32_t scale = 0) {
  ft::HeaderItems items = ft::blank_items();
  items[93] = 1;
  items[65] = 2;  // 32-bit floats
  items[130] = 1;
  items[131] = static_cast<int32_t>(data.size());
  items[132] = scale;
  ft::ScanFileBytes file;
  file.add_header(items);
  file.add_data(data);
  return std::string(file.bytes().begin(), file.bytes().end());
}

bool mentions(const ::testing::AssertionResult& r, const std::string& text) {
  return std::string(r.message()).find(text) != std::string::npos;
}

TEST(ScanFileComparison, NamesTheDifferingItemsAndElements) {
  const std::string expected = float_scan({1.0f, 2.0f, 3.0f});
  struct Case {
    const char* what;
    std::string actual;
    const char* message;
  };
  const Case kCases[] = {
      {"a header item", float_scan({1.0f, 2.0f, 3.0f}, 3),
       "scan 1, header item 133 (bytes 144-147): expected 0, got 3"},
      {"a data element", float_scan({1.0f, 2.5f, 3.0f}),
       "scan 1, data element 2 (record 1 of the scan): expected 2, got 2.5"},
      {"a second scan", expected + expected, "expected 1 scans, got 2"},
      {"a file cut inside the data", expected.substr(0, 700),
       "actual file ends inside the scan's data"},
      {"bytes behind the last scan", expected + "xyz", "bytes behind the last scan: expected 0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const auto result = ft::same_scan_file(expected, c.actual);
    EXPECT_FALSE(result);
    EXPECT_TRUE(mentions(result, c.message)) << result.message();
  }
  EXPECT_TRUE(ft::same_scan_file(expected, expected));
}

TEST(ScanFileComparison, FallsBackToBytesWhenTheValuesReadTheSame) {
  // Two not-a-number floats that differ in their bits only.
  const float quiet = std::bit_cast<float>(0x7fc00000u);
  const float payload = std::bit_cast<float>(0x7fc00001u);
  const auto result = ft::same_scan_file(float_scan({quiet}), float_scan({payload}));
  EXPECT_FALSE(result);
  EXPECT_TRUE(mentions(result, "binary contents differ")) << result.message();
}

}  // namespace
