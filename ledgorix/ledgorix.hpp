// ledgorix: the header printer: the layout of a report page (the page and scan lines, the blocks
// of 20-character item entries), the walk over the scan ranges asked for, and the run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fts/header.hpp"

namespace ledgorix {

constexpr int32_t kScanUnit = 1;      // the scan file read
constexpr int32_t kPrintUnit = 2;     // the report written
constexpr std::size_t kName = 64;     // characters of a file name, as typed
constexpr int32_t kFirstScan = 1;     // a range's first scan when its field is left empty
constexpr int32_t kLastScan = 10000;  // a range's last scan when its field is left empty
constexpr int kEntriesPerLine = 6;    // item entries of 20 characters on a report line

// ---------------------------------------------------------------------------------------------
// Report layout

// One item as a 20-character entry: two blanks, its name, ":", its value in 11 columns.
std::string item_entry(const fts::Header& HDR, int32_t ITEM);
// Items FIRST to LAST as lines of six entries, the last line holding the rest.
std::vector<std::string> item_block(const fts::Header& HDR, int32_t FIRST, int32_t LAST);
// " PAGE nnn", the date text and the input file name.
std::string page_line(int64_t page, std::string_view date, std::string_view input_name);
// " SCAN : nnn", the data-source text and the remark text of the header.
std::string scan_line(int32_t scan, const fts::Header& HDR);
// Every line of a scan's page after the page break.
std::vector<std::string> page_lines(const fts::Header& HDR, int32_t scan, int64_t page,
                                    std::string_view date, std::string_view input_name);

// ---------------------------------------------------------------------------------------------
// The program

// What lives through the run: the names, the date text of start-up, the scan position and the
// page number.
struct Report {
  std::string input_name;
  std::string date;
  int32_t CURSCN = 1;
  int64_t page = 1;
};

// Writes the page of scan SCAN with header HDR to the report file (a page break first unless
// it is the first page).
void print_page(const Report& report, const fts::Header& HDR, int32_t scan);
// Reads the range answer; stops the run on an answer that is not two numbers or not a range.
void ask_range(int32_t& FROM, int32_t& TO);
// Prints scans FROM to TO; false when the scan file has ended.
bool print_range(Report& report, int32_t FROM, int32_t TO);
// The whole run; returns the exit status.
int run();

}  // namespace ledgorix
