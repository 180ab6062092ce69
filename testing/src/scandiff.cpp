// A readable comparison of scan files.
#include "fts_testing/scandiff.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

#include "fts_testing/cases.hpp"

namespace fts::testing {

namespace {

constexpr std::size_t kRecord = 512;
constexpr int kItems = 224;
constexpr int kByteItems = 128;    // items 1-128 are one byte each
constexpr int kFlen = 131;         // data records behind the header
constexpr int kDtyp = 66;          // element type of the data
constexpr std::size_t kMark = 93;  // byte-order mark: 1 = little-endian
constexpr int kShownLines = 40;    // differences listed before the rest is only counted

// One scan of a file as read: its header items, byte order and data bytes.
struct Scan {
  std::array<int64_t, kItems + 1> item{};  // item i at index i
  bool big = false;
  std::string data;
  bool cut = false;  // the file ended inside the scan's data
};

struct ScanFile {
  std::vector<Scan> scans;
  std::string rest;  // bytes behind the last whole header that form no scan
};

uint32_t word(std::string_view s, std::size_t at, std::size_t bytes, bool big) {
  uint32_t v = 0;
  for (std::size_t k = 0; k < bytes; ++k) {
    const auto b = static_cast<uint32_t>(static_cast<unsigned char>(s[at + k]));
    v |= b << (big ? 8 * (bytes - 1 - k) : 8 * k);
  }
  return v;
}

ScanFile parse(const std::string& content) {
  ScanFile file;
  std::size_t at = 0;
  while (at + kRecord <= content.size()) {
    Scan scan;
    scan.big = static_cast<unsigned char>(content[at + kMark]) != 1;
    for (int i = 1; i <= kByteItems; ++i) {
      scan.item[static_cast<std::size_t>(i)] = static_cast<unsigned char>(content[at + i - 1]);
    }
    for (int i = kByteItems + 1; i <= kItems; ++i) {
      const std::size_t pos = at + 4 * static_cast<std::size_t>(i - 97);
      scan.item[static_cast<std::size_t>(i)] =
          static_cast<int32_t>(word(content, pos, 4, scan.big));
    }
    at += kRecord;
    const int64_t flen = scan.item[kFlen];
    const uint64_t want = flen > 0 ? static_cast<uint64_t>(flen) * kRecord : 0;
    const std::size_t left = content.size() - at;
    scan.cut = want > left;
    const std::size_t take = scan.cut ? left : static_cast<std::size_t>(want);
    scan.data = content.substr(at, take);
    at += take;
    file.scans.push_back(std::move(scan));
  }
  file.rest = content.substr(at);
  return file;
}

// Byte range of item I in the header record, as text.
std::string item_bytes(int i) {
  if (i <= kByteItems) return "byte " + std::to_string(i - 1);
  const int first = 4 * (i - 97);
  return "bytes " + std::to_string(first) + "-" + std::to_string(first + 3);
}

// Data element K (from 0) of DATA as text, by element type TYPE; "(none)" beyond its end.
std::string element(const std::string& data, std::size_t k, int64_t type, bool big) {
  const std::size_t size = type == 0 ? 2 : 4;
  const std::size_t at = k * size;
  if (at + size > data.size()) return "(none)";
  const uint32_t bits = word(data, at, size, type == 2 ? false : big);
  std::ostringstream s;
  if (type == 0) {
    s << static_cast<int16_t>(bits);
  } else if (type == 1) {
    s << static_cast<int32_t>(bits);
  } else {
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    s.precision(9);
    s << f;
  }
  return s.str();
}

class Report {
 public:
  void line(const std::string& text) {
    if (shown_ < kShownLines) out_ << "  " << text << "\n";
    ++shown_;
  }
  bool empty() const { return shown_ == 0; }
  std::string text() const {
    std::string t = out_.str();
    if (shown_ > kShownLines) t += "  ... and " + std::to_string(shown_ - kShownLines) + " more\n";
    return t;
  }

 private:
  std::ostringstream out_;
  int shown_ = 0;
};

void compare_scan(int n, const Scan& e, const Scan& a, Report& report) {
  const std::string where = "scan " + std::to_string(n) + ", ";
  for (int i = 1; i <= kItems; ++i) {
    const auto ei = e.item[static_cast<std::size_t>(i)];
    const auto ai = a.item[static_cast<std::size_t>(i)];
    if (ei != ai) {
      report.line(where + "header item " + std::to_string(i) + " (" + item_bytes(i) +
                  "): expected " + std::to_string(ei) + ", got " + std::to_string(ai));
    }
  }
  if (e.cut != a.cut) {
    report.line(where + (e.cut ? "expected" : "actual") + " file ends inside the scan's data");
  }
  const int64_t type = e.item[kDtyp] >= 0 && e.item[kDtyp] <= 2 ? e.item[kDtyp] : 1;
  const std::size_t size = type == 0 ? 2 : 4;
  const std::size_t elements = (std::max(e.data.size(), a.data.size()) + size - 1) / size;
  for (std::size_t k = 0; k < elements; ++k) {
    const std::string ev = element(e.data, k, type, e.big);
    const std::string av = element(a.data, k, type, a.big);
    if (ev != av) {
      report.line(where + "data element " + std::to_string(k + 1) + " (record " +
                  std::to_string(k * size / kRecord + 1) + " of the scan): expected " + ev +
                  ", got " + av);
    }
  }
}

}  // namespace

// same_scan_file: compare two scan files scan by scan.
// Given:     expected, actual  the contents of two scan files
// Returned:  (value)  success when the contents are equal, else a failure listing the
//                     differing header items and data elements by scan
// Notes: contents that hold the same items and elements but differ in their bytes (another byte
//        order, or bytes behind the last scan) fall back to the byte comparison of cases.hpp.
::testing::AssertionResult same_scan_file(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  const ScanFile e = parse(expected);
  const ScanFile a = parse(actual);
  Report report;
  const std::size_t common = std::min(e.scans.size(), a.scans.size());
  for (std::size_t s = 0; s < common; ++s) {
    compare_scan(static_cast<int>(s + 1), e.scans[s], a.scans[s], report);
  }
  if (e.scans.size() != a.scans.size()) {
    report.line("expected " + std::to_string(e.scans.size()) + " scans, got " +
                std::to_string(a.scans.size()));
  }
  if (e.rest != a.rest) {
    report.line("bytes behind the last scan: expected " + std::to_string(e.rest.size()) + ", got " +
                std::to_string(a.rest.size()) +
                (e.rest.size() == a.rest.size() ? " (their contents differ)" : ""));
  }
  if (report.empty()) return same_content(expected, actual);
  return ::testing::AssertionFailure() << "scan files differ (expected " << expected.size()
                                       << " bytes, got " << actual.size() << "):\n"
                                       << report.text();
}

}  // namespace fts::testing
