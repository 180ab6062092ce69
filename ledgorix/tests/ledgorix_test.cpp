// Unit tests of the header printer's report layout.
#include "ledgorix.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "fts_testing/stops.hpp"

namespace {

using fts::Header;

TEST(ItemEntry, ShowsNameAndValueInTwentyColumns) {
  struct Case {
    int32_t item;
    int32_t value;
    const char* entry;
  };
  constexpr Case kCases[] = {
      {66, 2, "  QQDTYP:          2"},
      {94, 255, "  QQBORD:        255"},
      {100, 0, "  UNDEFD:          0"},
      {129, std::numeric_limits<int32_t>::min(), "  QQFCDY:-2147483648"},
      {164, std::numeric_limits<int32_t>::max(), "  QQSLEN: 2147483647"},
      {224, -7, "  UNDEFD:         -7"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.item);
    Header hdr;
    hdr(c.item) = c.value;
    EXPECT_EQ(ledgorix::item_entry(hdr, c.item), c.entry);
  }
}

TEST(ItemBlock, HoldsSixEntriesALineAndTheRestOnTheLast) {
  struct Case {
    int32_t first, last;
    std::size_t lines, last_length;
  };
  constexpr Case kCases[] = {{65, 128, 11, 80}, {129, 192, 11, 80}, {193, 224, 6, 40}};
  const Header hdr;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.first);
    const auto lines = ledgorix::item_block(hdr, c.first, c.last);
    ASSERT_EQ(lines.size(), c.lines);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 120u);
    EXPECT_EQ(lines.back().size(), c.last_length);
  }
}

TEST(PageAndScanLines, ShowAsterisksForNumbersAbove999) {
  const std::string date = "05-Mar-24  21:07:03";
  const std::string name = "scans.dat";
  const std::string tail = "     " + date + "     " + name + std::string(64 - name.size(), ' ');
  EXPECT_EQ(ledgorix::page_line(7, date, name), " PAGE 007" + tail);
  EXPECT_EQ(ledgorix::page_line(999, date, name), " PAGE 999" + tail);
  EXPECT_EQ(ledgorix::page_line(1000, date, name), " PAGE ***" + tail);

  Header hdr;
  for (int32_t i = 1; i <= 64; ++i) hdr(i) = ' ';
  hdr(1) = 'S';
  hdr(33) = 'R';
  const std::string texts =
      "     SOURCE : S" + std::string(31, ' ') + "      REMARK : R" + std::string(31, ' ');
  EXPECT_EQ(ledgorix::scan_line(5, hdr), " SCAN :   5" + texts);
  EXPECT_EQ(ledgorix::scan_line(1000, hdr), " SCAN : ***" + texts);
}

TEST(PrintPage, StopsTheRunWhenTheReportCannotBeWritten) {
  // No report file is open on the print unit.
  const ledgorix::Report report{.input_name = "scans.dat", .date = "05-Mar-24  21:07:03"};
  FTS_EXPECT_STOP(ledgorix::print_page(report, Header(), 1),
                  " #TSTIOS   01> - ERROR, IOSTAT = [0-9]+\n #LEDGORIX 06> - PRINT FILE NOT "
                  "WRITTEN\n#ERROR\n");
}

}  // namespace
