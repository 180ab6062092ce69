// End-to-end cases of ledgorix: the built program run on the answer files of tests/cases, over
// scan files built byte by byte, with the expected reports built here from the report layout.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fts_testing/cases.hpp"
#include "fts_testing/datemask.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/scanbytes.hpp"

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;

const fs::path kCases = ft::source_path("ledgorix/tests/cases");
const std::string kScans = "scans.dat";    // the scan file every case reads
const std::string kReport = "report.txt";  // the report every case asks for

// ---------------------------------------------------------------------------------------------
// Scan files. Items are numbered from 1 (item i at index i - 1).

constexpr int kMark = 94;   // QQBORD, the byte-order mark
constexpr int kFlen = 131;  // QQFLEN, data records behind the header

int32_t& item(ft::HeaderItems& items, int i) {
  return items[static_cast<std::size_t>(i - 1)];
}

void put_text(ft::HeaderItems& items, int first, const std::string& text) {
  for (int k = 0; k < 32; ++k) {
    item(items, first + k) =
        k < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(k)] : ' ';
  }
}

// A scan file: the headers of its scans as they are meant to be read, and its bytes.
struct ScanFile {
  std::vector<ft::HeaderItems> headers;
  std::vector<std::uint8_t> bytes;
};

// Header of scan N of the sample files: both texts, every byte item, integer item and user item
// set to a value of its own (integer items of both signs and the full 32-bit range), FLEN data
// records announced, byte-order mark MARK.
ft::HeaderItems sample_header(int n, int32_t flen, int32_t mark) {
  ft::HeaderItems items = ft::blank_items();
  put_text(items, 1, "INSTRUMENT " + std::to_string(n));
  put_text(items, 33, "NIGHT OF 5 MARCH, SCAN " + std::to_string(n));
  for (int i = 65; i <= 128; ++i) item(items, i) = (7 * i + 13 * n) % 256;
  for (int i = 129; i <= 224; ++i) {
    item(items, i) = static_cast<int32_t>(static_cast<int64_t>(i - 170) * 46337 * (n + 1));
  }
  item(items, 160) = 2147483647;
  item(items, 161) = -2147483647 - 1;
  item(items, kMark) = mark;
  item(items, kFlen) = flen;
  return items;
}

// N scans in the suite's byte order; scan n has (n - 1) % 3 records of 16-bit data.
ScanFile sample_scans(int n) {
  ScanFile file;
  ft::ScanFileBytes bytes;
  for (int s = 1; s <= n; ++s) {
    const int32_t flen = (s - 1) % 3;
    file.headers.push_back(sample_header(s, flen, 1));
    bytes.add_header(file.headers.back());
    if (flen > 0) bytes.add_data(std::vector<int16_t>(static_cast<std::size_t>(256 * flen), -3));
  }
  file.bytes = bytes.bytes();
  return file;
}

// Two scans written by a machine of the other byte order (mark 0), 32-bit data.
ScanFile foreign_scans() {
  ScanFile file;
  ft::ScanFileBytes bytes(true);
  for (int s = 1; s <= 2; ++s) {
    file.headers.push_back(sample_header(s, 1, 0));
    bytes.add_header(file.headers.back());
    bytes.add_data(std::vector<int32_t>(128, 0x01020304));
  }
  file.bytes = bytes.bytes();
  return file;
}

// Scan 1 whole; scan 2 announces 3 data records, of which the file holds only the first,
// followed by EXTRA bytes of the second.
ScanFile cut_scans(std::size_t extra) {
  ScanFile file;
  ft::ScanFileBytes bytes;
  file.headers = {sample_header(1, 1, 1), sample_header(2, 3, 1)};
  bytes.add_header(file.headers[0]);
  bytes.add_data(std::vector<int16_t>(256, 5));
  bytes.add_header(file.headers[1]);
  bytes.add_data(std::vector<int16_t>(256, 6));
  bytes.add_bytes(std::vector<std::uint8_t>(extra, 7));
  file.bytes = bytes.bytes();
  return file;
}

// Scan 1 with sizes and counts that describe no data at all, but no data records; scan 2 with a
// negative record count, which no walk can pass.
ScanFile absurd_scans() {
  ScanFile file;
  ft::ScanFileBytes bytes;
  file.headers = {sample_header(1, 0, 1), sample_header(2, -1, 1)};
  item(file.headers[0], 132) = -5;           // QQDSIZ
  item(file.headers[0], 148) = -2147483647;  // QQILEN
  item(file.headers[0], 164) = 2147483647;   // QQSLEN
  for (const auto& h : file.headers) bytes.add_header(h);
  file.bytes = bytes.bytes();
  return file;
}

// 1000 scans without data: page and scan numbers beyond three digits.
ScanFile thousand_scans() {
  ScanFile file;
  ft::ScanFileBytes bytes;
  for (int s = 1; s <= 1000; ++s) {
    file.headers.push_back(sample_header(s % 7, 0, 1));
    bytes.add_header(file.headers.back());
  }
  file.bytes = bytes.bytes();
  return file;
}

// ---------------------------------------------------------------------------------------------
// Expected reports, from the layout of a page.

// Item names in item order, items 65-94 and 129-175; the other items shown are reserved.
constexpr std::array<const char*, 30> kByteNames = {
    "QQSYSV", "QQDTYP", "QQDKND", "QQDREP", "QQDYUN", "QQDXUN", "QQDEVC", "QQMOTN",
    "QQCDWN", "QQGAN1", "QQGAN2", "QQGAN3", "QQTTYP", "QQTSFT", "QQPHCR", "QQAPOD",
    "QQNTRP", "QQPWGT", "QQSSUN", "QQCYUN", "QQCXUN", "QQDYPW", "QQCYPW", "QQDINV",
    "QQDRAT", "QQGCOR", "QQSCOR", "QQCTYP", "QQISUN", "QQBORD"};
constexpr std::array<const char*, 47> kWordNames = {
    "QQFCDY", "QQFCMS", "QQFLEN", "QQDSIZ", "QQDSCL", "QQSRCF", "QQIBDY", "QQIBMS",
    "QQIEDY", "QQIEMS", "QQIDUR", "QQADDS", "QQISIZ", "QQADBT", "QQADRG", "QQADSB",
    "QQISMP", "QQISLP", "QQIOFF", "QQILEN", "QQICEN", "QQIMOD", "QQISUB", "QQIAVG",
    "QQTBEG", "QQTLEN", "QQTCEN", "QQTSIZ", "QQRESL", "QQPHSZ", "QQAPAR", "QQSSMP",
    "QQSTSZ", "QQSSLP", "QQSOFF", "QQSLEN", "QQCFA0", "QQCFA1", "QQCFB0", "QQCFB1",
    "QQCFC0", "QQCFC1", "QQCFD0", "QQCFD1", "QQCFE0", "QQCFE1", "QQALIA"};

std::string name_of(int i) {
  if (i >= 65 && i <= 94) return kByteNames[static_cast<std::size_t>(i - 65)];
  if (i >= 129 && i <= 175) return kWordNames[static_cast<std::size_t>(i - 129)];
  return "UNDEFD";
}

std::string text_of(const ft::HeaderItems& h, int first) {
  std::string s;
  for (int k = 0; k < 32; ++k)
    s.push_back(static_cast<char>(h[static_cast<std::size_t>(first - 1 + k)] & 0xff));
  return s;
}

// A number in three columns, "***" when it needs more.
std::string three(int n, bool zeros) {
  if (n > 999) return "***";
  char buf[16];
  std::snprintf(buf, sizeof buf, zeros ? "%03d" : "%3d", n);
  return buf;
}

// The page of a scan with header H, number SCAN, on page PAGE.
std::string page(const ft::HeaderItems& h, int scan, int page) {
  std::string out = page > 1 ? " \f\n" : "";
  char name[80];
  std::snprintf(name, sizeof name, "%-64s", kScans.c_str());
  out += "\n PAGE " + three(page, true) + "     " + std::string(ft::kDateTextMask) + "     " +
         name + "\n\n\n";
  out += " SCAN : " + three(scan, false) + "     SOURCE : " + text_of(h, 1) +
         "      REMARK : " + text_of(h, 33) + "\n";
  const auto block = [&](const char* title, int first, int last) {
    out += std::string("\n") + title + "\n\n";
    for (int i = first; i <= last; ++i) {
      const int32_t v = i <= 128 ? (h[static_cast<std::size_t>(i - 1)] & 0xff)
                                 : h[static_cast<std::size_t>(i - 1)];
      char entry[32];
      std::snprintf(entry, sizeof entry, "  %-6s:%11d", name_of(i).c_str(), v);
      out += entry;
      if ((i - first) % 6 == 5 || i == last) out += "\n";
    }
  };
  block(" BYTE DATA", 65, 128);
  block(" INTEGER*4 DATA", 129, 192);
  block(" USER DATA", 193, 224);
  return out;
}

// The report of the scans SCANS of FILE, printed in this order on pages 1, 2, ...
std::string report(const ScanFile& file, const std::vector<int>& scans) {
  std::string out;
  int p = 0;
  for (int s : scans) out += page(file.headers[static_cast<std::size_t>(s - 1)], s, ++p);
  return out;
}

// ---------------------------------------------------------------------------------------------
// The cases.

// What becomes of the report file: written by the run (possibly empty), there before the run
// and left unchanged, or never there.
enum class ReportFile { written, existing, none };

struct ReportCase {
  const char* name;
  std::function<ScanFile()> file;  // the scan file read, none when empty
  std::vector<int> scans;          // scans on the report's pages, in order
  ReportFile report = ReportFile::written;
};

const ReportCase kReportCases[] = {
    // Scans 2 and 3, then the answer 0.
    {"two_scans", [] { return sample_scans(5); }, {2, 3}},
    // «0,5» ends the run at once; the report stays empty.
    {"zero_ends_the_run", [] { return sample_scans(5); }, {}},
    // «4,9» on five scans: scans 4 and 5, then the end of the file ends the run normally.
    {"range_past_the_end", [] { return sample_scans(5); }, {4, 5}},
    // «,» prints every scan to the end of the file.
    {"whole_file", [] { return sample_scans(5); }, {1, 2, 3, 4, 5}},
    // «2,2» then «1,1»: the file is read again from its start; the pages go on counting.
    {"rewind", [] { return sample_scans(5); }, {2, 1}},
    // A later range ahead of the current position and one behind it.
    {"ranges_forward_and_back", [] { return sample_scans(5); }, {1, 2, 4, 3}},
    // Integer items converted from the other byte order; QQBORD shows the 0 it holds.
    {"foreign_byte_order", foreign_scans, {1, 2}},
    // Standard input ends after one range: the error stop keeps the page written.
    {"end_of_answers", [] { return sample_scans(5); }, {1}},
    // The file ends inside the data of scan 2: its page is printed, then the run stops.
    {"data_cut_at_a_record", [] { return cut_scans(0); }, {1, 2}},
    {"data_cut_inside_a_record", [] { return cut_scans(100); }, {1, 2}},
    // The file ends inside the header record of scan 3: pages 1 and 2, then the run stops.
    {"header_cut_short",
     [] {
       ScanFile f = sample_scans(2);
       f.bytes.insert(f.bytes.end(), 300, ' ');
       return f;
     },
     {1, 2}},
    // Absurd sizes print as they are; a negative record count prints, then stops the run.
    {"absurd_counts", absurd_scans, {1, 2}},
    // Page and scan numbers above 999.
    {"thousand_scans", thousand_scans, std::vector<int>(1000)},
    // Answers that stop the run before any page.
    {"range_backwards", [] { return sample_scans(5); }, {}},
    {"range_answer_empty", [] { return sample_scans(5); }, {}},
    {"range_answer_not_a_number", [] { return sample_scans(5); }, {}},
    {"range_negative", [] { return sample_scans(5); }, {}},
    // The report file exists already: it is left as it was.
    {"report_exists", [] { return sample_scans(1); }, {}, ReportFile::existing},
    // The scan file does not exist.
    {"scan_file_missing", nullptr, {}, ReportFile::none},
    // Standard input ends at the first question.
    {"no_answers", [] { return sample_scans(1); }, {}, ReportFile::none},
};

// Shown by name in the test log.
void PrintTo(const ReportCase& rc, std::ostream* os) {
  *os << rc.name;
}

class LedgorixCase : public ::testing::TestWithParam<ReportCase> {};

TEST_P(LedgorixCase, RunsAsExpected) {
  const ReportCase& rc = GetParam();
  const ScanFile file = rc.file ? rc.file() : ScanFile{};
  std::vector<int> scans = rc.scans;
  // The thousand-scan case prints scans 1 to 1000.
  if (scans.size() == 1000) {
    for (std::size_t k = 0; k < scans.size(); ++k) scans[k] = static_cast<int>(k + 1);
  }
  ft::Case c{.name = rc.name,
             .setup =
                 [&](const fs::path& dir) {
                   if (rc.file) ft::write_bytes(dir / kScans, file.bytes);
                   if (rc.report == ReportFile::existing) {
                     ft::write_file(dir / kReport, "an older report\n");
                   }
                 },
             .masks = {{kReport, ft::mask_date_texts}}};
  if (rc.report == ReportFile::written) c.expected[kReport] = report(file, scans);
  EXPECT_TRUE(ft::run_case("ledgorix", kCases, c));
}

INSTANTIATE_TEST_SUITE_P(Cases, LedgorixCase, ::testing::ValuesIn(kReportCases),
                         [](const auto& test) { return std::string(test.param.name); });

// The layout of a report as a file to read: the first case's report, kept beside its answers.
TEST(LedgorixReport, MatchesTheKeptExample) {
  const ft::Case c{
      .name = "example",
      .setup = [](const fs::path& dir) { ft::write_bytes(dir / kScans, sample_scans(2).bytes); },
      .masks = {{kReport, ft::mask_date_texts}}};
  EXPECT_TRUE(ft::run_case("ledgorix", kCases, c));
}

}  // namespace
