// ledgorix: lists every item of the headers of chosen scans of a scan file as a paged report.
#include "ledgorix.hpp"

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/lun.hpp"
#include "fts/shell.hpp"
#include "fts/textio.hpp"

namespace ledgorix {

namespace textio = fts::textio;

namespace {

constexpr std::size_t kText = 32;  // characters of the data-source and remark texts
constexpr std::size_t kDate = 19;  // characters of the date text
constexpr int kNumberColumns = 3;  // page and scan numbers
constexpr int kValueColumns = 11;  // item values
const std::string kGap(5, ' ');    // between the parts of the page and scan lines

constexpr std::string_view kPrintFileNotWritten = "LEDGORIX 06> - PRINT FILE NOT WRITTEN";

// The first and last items of the three blocks of a page.
constexpr int32_t kFirstByteItem = 65;
constexpr int32_t kLastByteItem = 128;
constexpr int32_t kFirstWordItem = 129;
constexpr int32_t kLastWordItem = 192;
constexpr int32_t kFirstUserItem = 193;
constexpr int32_t kLastUserItem = 224;

// TEXT cut or blank-padded to LENGTH characters.
std::string fitted(std::string_view text, std::size_t length) {
  std::string s(text.substr(0, length));
  s.resize(length, ' ');
  return s;
}

// A block of the page: an empty line, its title, an empty line, then its items.
void add_block(std::vector<std::string>& lines, std::string_view title, const fts::Header& HDR,
               int32_t first, int32_t last) {
  lines.emplace_back();
  lines.emplace_back(title);
  lines.emplace_back();
  for (std::string& line : item_block(HDR, first, last)) lines.push_back(std::move(line));
}

// Stops the run when IOS, the status of a transfer to the report file, tells of a failure.
void check_report(int32_t ios) {
  int32_t ierr = 0;
  fts::TSTIOS(ios, ierr);
  fts::STPLOG(ierr, kPrintFileNotWritten);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Report layout.

// item_entry: one header item as an entry of the report.
// Given:     HDR      header
//            ITEM     item number (1-224)
// Returned:  (value)  20 characters: two blanks, the six-character name (HDRNAM; "UNDEFD" for
//                     reserved items), ":", the value as a signed integer in 11 columns
// Notes: byte items show 0-255, integer items their full 32-bit value, which always fits.
std::string item_entry(const fts::Header& HDR, int32_t ITEM) {
  std::string name;
  fts::HDRNAM(name, ITEM);
  return "  " + fitted(name, 6) + ":" + textio::int_field(HDR(ITEM), kValueColumns);
}

// item_block: a run of header items as lines of entries.
// Given:     HDR      header
//            FIRST, LAST  the items, FIRST <= LAST
// Returned:  (value)  lines of six entries (120 characters); the last line holds the rest
std::vector<std::string> item_block(const fts::Header& HDR, int32_t FIRST, int32_t LAST) {
  std::vector<std::string> lines;
  for (int32_t item = FIRST; item <= LAST; item += kEntriesPerLine) {
    std::string line;
    for (int32_t i = item; i <= LAST && i < item + kEntriesPerLine; ++i) {
      line += item_entry(HDR, i);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// page_line: the line that heads every page.
// Given:     page        page number (from 1)
//            date        date text of the run's start
//            input_name  the scan file's name as typed
// Returned:  (value)  a blank, "PAGE ", the page number in three digits with leading zeros, five
//                     blanks, the 19-character date text, five blanks, the 64-character name
// Notes: a page number above 999 shows as "***".
std::string page_line(int64_t page, std::string_view date, std::string_view input_name) {
  return " PAGE " + textio::zero_padded_field(page, kNumberColumns) + kGap + fitted(date, kDate) +
         kGap + fitted(input_name, kName);
}

// scan_line: the line that names a page's scan.
// Given:     scan     scan number
//            HDR      its header
// Returned:  (value)  " SCAN : ", the scan number right-aligned in 3 columns, five blanks,
//                     "SOURCE : ", the 32-character data-source text, five blanks,
//                     " REMARK : ", the 32-character remark text
// Notes: a scan number above 999 shows as "***".
std::string scan_line(int32_t scan, const fts::Header& HDR) {
  std::string source(kText, ' ');
  std::string remark(kText, ' ');
  fts::GTDSRC(HDR, source);
  fts::GTRMRK(HDR, remark);
  return " SCAN : " + textio::int_field(scan, kNumberColumns) + kGap + "SOURCE : " + source + kGap +
         " REMARK : " + remark;
}

// page_lines: the lines of a scan's page.
// Given:     HDR         the scan's header
//            scan        its number
//            page        the page number
//            date        date text of the run's start
//            input_name  the scan file's name as typed
// Returned:  (value)  an empty line, the page line, two empty lines, the scan line, then the
//                     blocks " BYTE DATA" (items 65-128), " INTEGER*4 DATA" (129-192) and
//                     " USER DATA" (193-224), each after an empty line and followed by one
// Notes: the page break that goes before every page but the first is not among them.
std::vector<std::string> page_lines(const fts::Header& HDR, int32_t scan, int64_t page,
                                    std::string_view date, std::string_view input_name) {
  std::vector<std::string> lines;
  lines.emplace_back();
  lines.push_back(page_line(page, date, input_name));
  lines.emplace_back();
  lines.emplace_back();
  lines.push_back(scan_line(scan, HDR));
  add_block(lines, " BYTE DATA", HDR, kFirstByteItem, kLastByteItem);
  add_block(lines, " INTEGER*4 DATA", HDR, kFirstWordItem, kLastWordItem);
  add_block(lines, " USER DATA", HDR, kFirstUserItem, kLastUserItem);
  return lines;
}

// ---------------------------------------------------------------------------------------------
// The program.

// print_page: write a scan's page to the report file.
// Given:     report   names, date text and page number of the run
//            HDR      the scan's header
//            scan     its number
// Notes: pages after the first begin with the page break (NEWPAG); a line that cannot be
//        written stops the run with the status line of TSTIOS and
//        "LEDGORIX 06> - PRINT FILE NOT WRITTEN".
void print_page(const Report& report, const fts::Header& HDR, int32_t scan) {
  if (report.page > 1) fts::NEWPAG(kPrintUnit);
  for (const std::string& line :
       page_lines(HDR, scan, report.page, report.date, report.input_name)) {
    check_report(fts::lun::write_line(kPrintUnit, line));
  }
}

// ask_range: ask for the next range of scans.
// Returned:  FROM, TO  first and last scan; an empty field (or one starting with "U") gives 1
//                      for FROM and 10000 for TO
// Notes: an answer that is not two numbers stops the run with "LEDGORIX 03>" after the reader's
//        message; a range that fails 0 <= FROM <= TO with "LEDGORIX 04> - RANGE ERROR".
void ask_range(int32_t& FROM, int32_t& TO) {
  int32_t d1 = 0, d2 = 0, v3 = 0, d3 = 0, ierr = 0;
  fts::REQUES("ACCESS SCANS       (#FROM,#TO) : ");
  fts::GETNUM(2, FROM, d1, TO, d2, v3, d3, ierr);
  fts::STPLOG(ierr, "LEDGORIX 03>");
  if (d1 != 0) FROM = kFirstScan;
  if (d2 != 0) TO = kLastScan;
  fts::TSTNUM(FROM, 0, TO, ierr);
  fts::STPLOG(ierr, "LEDGORIX 04> - RANGE ERROR");
}

// print_range: print the pages of a range of scans.
// Given:     FROM, TO  first and last scan, 1 <= FROM <= TO
// Given and returned:
//            report    the scan position CURSCN and the page number, both carried on
// Returned:  (value)   false when the scan file ended inside the range ("LEDGORIX 05> - END OF
//                      INPUT" written after GETHDR's line), else true
// Notes:
// 1. A range that starts before the current scan is read again from the start of the file.
// 2. A scan's page is printed as soon as its header is read, before its data are skipped, so
//    that a scan whose data the file cuts short still shows its header before the run stops
//    on the read failure.
// 3. A failure of GETHDR stops the run with "LEDGORIX 05>"; when it refused the header wanted
//    for its negative record count, that header is printed first.
bool print_range(Report& report, int32_t FROM, int32_t TO) {
  fts::Header HDR;
  const int64_t count = int64_t{TO} - FROM + 1;
  for (int64_t k = 0; k < count; ++k) {
    const auto NXTSCN = static_cast<int32_t>(FROM + k);
    int32_t ierr = 0, ieof = 0;
    fts::GETHDR(kScanUnit, HDR, report.CURSCN, NXTSCN, ierr, ieof);
    if (ierr != 0) {
      if (report.CURSCN == NXTSCN && HDR(fts::QQFLEN) < 0) print_page(report, HDR, NXTSCN);
      fts::STPLOG(ierr, "LEDGORIX 05>");
    }
    if (ieof != 0) {
      fts::WRTLOG(1, "LEDGORIX 05> - END OF INPUT");
      return false;
    }
    print_page(report, HDR, NXTSCN);
    fts::SKPDAT(kScanUnit, HDR);
    // Past the last possible scan number the position turns negative, which GETHDR refuses.
    report.CURSCN = static_cast<int32_t>(int64_t{report.CURSCN} + 1);
    ++report.page;
  }
  return true;
}

// run: the program LEDGORIX: open the scan file and the report, then print ranges of scans
// until the answer 0 or the end of the scan file.
// Returned:  (value)  the exit status, 0 (also after an error stop, which ends with "#ERROR")
// Notes: the report is closed before the final line, so that a failure to write its last lines
//        is reported ("LEDGORIX 06> - PRINT FILE NOT WRITTEN") instead of a normal end.
int run() {
  Report report;
  fts::SKPLIN(1);

  // The scan file and the report file.
  using fts::shell::File;
  report.input_name = fts::shell::ask_name("ENTER INPUT FILE NAME   (NAME) : ", kName);
  fts::shell::open_or_stop(File::scan_input, kScanUnit, report.input_name,
                           "LEDGORIX 01> - INPUT FILE");
  const std::string print_name = fts::shell::ask_name("ENTER PRINT FILE NAME   (NAME) : ", kName);
  fts::shell::open_or_stop(File::text_output, kPrintUnit, print_name, "LEDGORIX 02> - PRINT FILE");
  fts::DATSTR(report.date);

  // Ranges until the answer FROM = 0 or the end of the file.
  for (;;) {
    int32_t from = 0, to = 0;
    ask_range(from, to);
    if (from == 0 || !print_range(report, from, to)) break;
  }

  // The report is complete only once its last buffered lines have reached the file.
  return fts::shell::finish({{kPrintUnit, kPrintFileNotWritten}}, " #LEDGORIX     - OK");
}

}  // namespace ledgorix
