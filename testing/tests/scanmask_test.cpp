// Tests of the scan-file stamp mask: exactly the stamp bytes of every header, nothing else.
#include "fts_testing/scanmask.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fts_testing/scanbytes.hpp"

namespace {

namespace ft = fts::testing;

constexpr std::size_t kRecord = 512;
// A write day and time with no zero byte, so that the mask changes every byte of the stamp.
constexpr int32_t kDay = 0x01020304;
constexpr int32_t kMsec = 0x05060708;

std::string text_of(const ft::ScanFileBytes& file) {
  return std::string(file.bytes().begin(), file.bytes().end());
}

// Header items of a scan with a stamp and FLEN data records.
ft::HeaderItems stamped(int32_t flen, int32_t mark) {
  ft::HeaderItems items = ft::blank_items();
  items[93] = mark;
  items[128] = kDay;
  items[129] = kMsec;
  items[130] = flen;
  return items;
}

// The byte positions of a content that the mask changed.
std::set<std::size_t> changed(const std::string& before, const std::string& after) {
  std::set<std::size_t> at;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] != after[i]) at.insert(i);
  }
  return at;
}

// Bytes 128-135 of the header records at the given record numbers (from 1).
std::set<std::size_t> stamp_bytes(const std::vector<std::size_t>& records) {
  std::set<std::size_t> at;
  for (std::size_t r : records) {
    for (std::size_t k = 128; k < 136; ++k) at.insert((r - 1) * kRecord + k);
  }
  return at;
}

TEST(ScanStampMask, ZeroesTheStampOfEveryHeaderAndNothingElse) {
  struct Case {
    const char* what;
    bool big_endian;
    int32_t mark;
  };
  constexpr Case kCases[] = {{"own byte order", false, 1}, {"foreign byte order", true, 0}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    // Scan 1 with two data records of 16-bit data, scan 2 with one record of 32-bit data; the
    // data hold non-zero bytes where a header holds its stamp.
    ft::ScanFileBytes file(c.big_endian);
    file.add_header(stamped(2, c.mark));
    file.add_data(std::vector<int16_t>(512, 0x1111));
    file.add_header(stamped(1, c.mark));
    file.add_data(std::vector<int32_t>(128, 0x22222222));
    const std::string before = text_of(file);

    const std::string after = ft::mask_scan_stamps(before);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(changed(before, after), stamp_bytes({1, 4}));
    for (std::size_t i : stamp_bytes({1, 4})) EXPECT_EQ(after[i], '\0');
  }
}

TEST(ScanStampMask, StopsWhereTheWalkCannotGoOn) {
  struct Case {
    const char* what;
    int32_t first_flen;
    std::vector<std::size_t> masked;  // header records masked
  };
  // Three records: a header and two records that would be the second scan's header and data.
  const Case kCases[] = {
      {"a count reaching beyond the end", 5, {1}},
      {"a negative count", -1, {1}},
      {"a count of zero: the next record is a header", 0, {1, 2}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ft::ScanFileBytes file;
    file.add_header(stamped(c.first_flen, 1));
    file.add_header(stamped(1, 1));
    file.add_data(std::vector<int32_t>(128, 0x33333333));
    const std::string before = text_of(file);
    EXPECT_EQ(changed(before, ft::mask_scan_stamps(before)), stamp_bytes(c.masked));
  }
}

TEST(ScanStampMask, LeavesARecordCutShortAlone) {
  ft::ScanFileBytes file;
  file.add_header(stamped(0, 1));
  const std::string whole = text_of(file);
  const std::string cut = whole.substr(0, 300);
  EXPECT_EQ(ft::mask_scan_stamps(cut), cut);
  EXPECT_EQ(ft::mask_scan_stamps(""), "");
}

}  // namespace
