// Tests of the date-text mask: every date text of a report and nothing else.
#include "fts_testing/datemask.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace ft = fts::testing;

TEST(DateTextMask, ReplacesEveryDateTextAndNothingElse) {
  struct Case {
    const char* what;
    const char* text;
    const char* masked;
  };
  const Case kCases[] = {
      {"a page line", " PAGE 001     05-Mar-24  21:07:03     scans.dat\n",
       " PAGE 001     dd-Mon-yy  hh:mm:ss     scans.dat\n"},
      {"two dates on two lines", "31-Dec-99  23:59:59\n01-Jan-00  00:00:00",
       "dd-Mon-yy  hh:mm:ss\ndd-Mon-yy  hh:mm:ss"},
      {"already masked", "dd-Mon-yy  hh:mm:ss", "dd-Mon-yy  hh:mm:ss"},
      {"no month name", "05-MAR-24  21:07:03", "05-MAR-24  21:07:03"},
      {"one blank between date and time", "05-Mar-24 21:07:03 ", "05-Mar-24 21:07:03 "},
      {"a digit short", "5-Mar-24  21:07:03", "5-Mar-24  21:07:03"},
      {"cut short by the end", "05-Mar-24  21:07:0", "05-Mar-24  21:07:0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ft::mask_date_texts(c.text), c.masked);
  }
}

}  // namespace
