// Tests of the dialogue routines, message lines, range tests, file openers and the clock.
#include "fts/ftsiface.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "fts/lun.hpp"
#include "fts/textio.hpp"
#include "fts_testing/run.hpp"

namespace fts {
namespace {

using textio::CaptureOutput;
using textio::ReplaceInput;
using textio::StringLineSource;

// Values and default flags of one GETNUM call.
struct Numbers {
  int32_t v1 = -1, d1 = -1, v2 = -1, d2 = -1, v3 = -1, d3 = -1, ierr = -1;
};

Numbers get_numbers(int32_t icnt, const std::string& answer, std::string* log = nullptr) {
  StringLineSource src(answer + "\n");
  ReplaceInput input(src);
  CaptureOutput out;
  Numbers n;
  GETNUM(icnt, n.v1, n.d1, n.v2, n.d2, n.v3, n.d3, n.ierr);
  if (log) *log = out.text();
  return n;
}

TEST(GetNum, SplitsCommaSeparatedFields) {
  struct Case {
    int32_t icnt;
    const char* answer;
    int32_t v1, d1, v2, d2, ierr;
    const char* log;
  };
  // Each case starts from slots left by the one before; V2 of "7" shows the persistence.
  const Case kCases[] = {
      {2, "3,7", 3, 0, 7, 0, 0, ""},
      {2, ",7", 3, 1, 7, 0, 0, ""},
      {2, "u,8", 3, 1, 8, 0, 0, ""},
      {2, "7", 7, 0, 8, 0, 1, " #GETNUM   03> - WRONG NUMBER OF ENTRIES\n"},
      {1, "", 7, 1, 8, 0, 0, ""},
      {1, " 5 ", 5, 0, 8, 0, 0, ""},
      {1, "1 000", 1000, 0, 8, 0, 0, ""},
      {2, "  ,4", 0, 0, 4, 0, 0, ""},
      {2, ",", 0, 1, 4, 1, 0, ""},
      {2, "U,U", 0, 1, 4, 1, 0, ""},
      {1, "-12", -12, 0, 4, 1, 0, ""},
      {2, "1,2,3,4", 1, 0, 2, 0, 1, " #GETNUM   03> - WRONG NUMBER OF ENTRIES\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.answer);
    std::string log;
    const Numbers n = get_numbers(c.icnt, c.answer, &log);
    EXPECT_EQ(n.v1, c.v1);
    EXPECT_EQ(n.d1, c.d1);
    EXPECT_EQ(n.v2, c.v2);
    EXPECT_EQ(n.d2, c.d2);
    EXPECT_EQ(n.ierr, c.ierr);
    EXPECT_EQ(log, c.log);
  }
}

TEST(GetNum, UnreadableFieldLeavesTheOutputsAlone) {
  get_numbers(2, "3,7");
  std::string log;
  const Numbers n = get_numbers(2, "3,X", &log);
  EXPECT_EQ(n.ierr, 1);
  EXPECT_EQ(n.v1, -1);
  EXPECT_EQ(n.d1, -1);
  EXPECT_EQ(log, " #GETNUM   02> - ENTRY NOT LEGAL NUMBER\n");
  EXPECT_EQ(get_numbers(1, "99999999999", &log).ierr, 1);
  EXPECT_EQ(log, " #GETNUM   02> - ENTRY NOT LEGAL NUMBER\n");
  // A field is read from its first 12 characters only.
  EXPECT_EQ(get_numbers(1, "000000000123456").v1, 123);
}

TEST(GetNum, IllegalCountReadsNothing) {
  StringLineSource src("5\n");
  ReplaceInput input(src);
  for (const int32_t icnt : {0, 4}) {
    CaptureOutput out;
    Numbers n;
    GETNUM(icnt, n.v1, n.d1, n.v2, n.d2, n.v3, n.d3, n.ierr);
    EXPECT_EQ(n.ierr, 1);
    EXPECT_EQ(n.v1, -1);
    EXPECT_EQ(out.text(), " #GETNUM   01> - ILLEGAL ICNT\n");
  }
  std::string line;
  EXPECT_TRUE(textio::standard_input().next_line(line));
  EXPECT_EQ(line, "5");
}

TEST(GetNum, LongAnswerIsCutAtSixtyFourCharacters) {
  // The second field starts at position 62: only "123" of "1234" lies within the buffer.
  EXPECT_EQ(get_numbers(2, std::string(60, ' ') + ",1234").v2, 123);
  // A 64-character answer still gets its closing comma: two fields.
  EXPECT_EQ(get_numbers(2, std::string(62, ' ') + ",5").v2, 5);
}

TEST(GetFltAndGetDbl, ReadRealFields) {
  struct Case {
    const char* answer;
    double value;
  };
  constexpr Case kCases[] = {{"2", 2.0}, {"1.5E3", 1500.0}, {"-.25", -0.25}, {"1.5d-1", 0.15}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.answer);
    float f1 = 0, f2 = 0, f3 = 0;
    double g1 = 0, g2 = 0, g3 = 0;
    int32_t d1 = 0, d2 = 0, d3 = 0, ierr = 0;
    StringLineSource src(std::string(c.answer) + "\n" + c.answer + "\n");
    ReplaceInput input(src);
    GETFLT(1, f1, d1, f2, d2, f3, d3, ierr);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(f1, static_cast<float>(c.value));
    GETDBL(1, g1, d1, g2, d2, g3, d3, ierr);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(g1, c.value);
  }
  StringLineSource src("1.5.2\n0\n");
  ReplaceInput input(src);
  CaptureOutput out;
  float f1 = 0, f2 = 0, f3 = 0;
  double g1 = 0, g2 = 0, g3 = 0;
  int32_t d1 = 0, d2 = 0, d3 = 0, ierr = 0;
  GETFLT(1, f1, d1, f2, d2, f3, d3, ierr);
  GETDBL(5, g1, d1, g2, d2, g3, d3, ierr);
  EXPECT_EQ(out.text(), " #GETFLT   02> - ENTRY NOT LEGAL NUMBER\n #GETDBL   01> - ILLEGAL ICNT\n");
}

TEST(GetAbr, ChoosesByTheFirstLetter) {
  struct Case {
    const char* codes;
    const char* answer;
    int32_t icho, ierr;
  };
  constexpr Case kCases[] = {{"FRB", "b", 3, 0},       {"FRB", "Both", 3, 0}, {"AC", "abs", 1, 0},
                             {"AC", "Absolute", 1, 0}, {"FRB", "X", 4, 1},    {"FRB", "", 4, 1},
                             {"A B", "", 2, 0}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.answer);
    StringLineSource src(std::string(c.answer) + "\n");
    ReplaceInput input(src);
    CaptureOutput out;
    int32_t icho = 0, ierr = 0;
    GETABR(c.codes, icho, ierr);
    EXPECT_EQ(icho, c.icho);
    EXPECT_EQ(ierr, c.ierr);
    EXPECT_EQ(out.text(), c.ierr ? " #GETABR   01> - ENTRY NOT RECOGNIZED\n" : "");
  }
}

TEST(GetStr, CutsOrPadsToTheDeclaredLength) {
  StringLineSource src("abcdef\nab\n");
  ReplaceInput input(src);
  std::string s(4, '?');
  GETSTR(s);
  EXPECT_EQ(s, "abcd");
  GETSTR(s);
  EXPECT_EQ(s, "ab  ");
}

TEST(Messages, LinesAndPrompts) {
  CaptureOutput out;
  REQUES("ACCESS SCANS           (#FROM,#TO) : ");
  MSGNUM("COMBIRAX 08> - SCAN ", 12);
  MSGNUM("X ", -1);
  MSGNUM("X ", 1000000);
  WRTLOG(0, "NOT WRITTEN");
  WRTLOG(1, "WRITTEN");
  STPLOG(0, "NOT WRITTEN EITHER");
  SKPLIN(2);
  SKPLIN(0);
  EXPECT_EQ(out.text(),
            " #ACCESS SCANS           (#FROM,#TO) :  #COMBIRAX 08> - SCAN 000012\n"
            " #X ******\n #X ******\n #WRITTEN\n \n \n");
}

TEST(Tests, RangesAndStatus) {
  CaptureOutput out;
  int32_t ierr = -1;
  TSTIOS(-1, ierr);
  EXPECT_EQ(ierr, 0);
  TSTIOS(0, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(out.text(), "");
  TSTIOS(2, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(out.text(), " #TSTIOS   01> - ERROR, IOSTAT = 000002\n");
  out.clear();
  TSTNUM(5, 0, 5, ierr);
  EXPECT_EQ(ierr, 0);
  TSTNUM(5, 6, 5, ierr);
  EXPECT_EQ(ierr, 1);
  TSTFLT(std::nanf(""), -1e30f, 1e30f, ierr);
  EXPECT_EQ(ierr, 1);
  TSTDBL(0.5, 0.5, 0.5, ierr);
  EXPECT_EQ(ierr, 0);
  TSTDBL(-1.0, 0.0, 1.0, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(out.text(),
            " #TSTNUM   01> - NUMBER OUT OF RANGE\n #TSTFLT   01> - NUMBER OUT OF RANGE\n"
            " #TSTDBL   01> - NUMBER OUT OF RANGE\n");
}

TEST(Files, OpenersReportFailuresWithTwoLines) {
  testing::TempDir dir;
  const std::string existing = (dir / "exists.txt").string();
  testing::write_file(existing, "x\n");
  CaptureOutput out;
  int32_t ierr = -1;
  OPTOUT(7, existing + "   ", ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(out.text(),
            " #TSTIOS   01> - ERROR, IOSTAT = 000017\n #OPTOUT   01> - FILE OPEN ERROR\n");
  EXPECT_EQ(testing::read_file(existing), "x\n");
  out.clear();
  OPFINP(1, (dir / "missing").string(), ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(out.text(),
            " #TSTIOS   01> - ERROR, IOSTAT = 000002\n #OPFINP   01> - FILE OPEN ERROR\n");
  out.clear();
  OPFOUT(101, (dir / "scan").string(), ierr);  // scan files live on units 1 to 100
  EXPECT_EQ(ierr, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "scan"));
  out.clear();
  OPTINP(8, existing, ierr);
  EXPECT_EQ(ierr, 0);
  std::string line;
  EXPECT_TRUE(lun::text_input(8).next_line(line));
  EXPECT_EQ(line, "x");
  OPTOUT(9, (dir / "new.txt").string(), ierr);
  EXPECT_EQ(ierr, 0);
  NEWPAG(9);
  lun::close_all();
  EXPECT_EQ(testing::read_file(dir / "new.txt"), " \f\n");
  EXPECT_EQ(out.text(), "");
}

TEST(Clock, DayNumberAndMillisecondsFromTheTexts) {
  int32_t jday = 0, msec = 0;
  detail::clock_from_texts("05-Mar-24", "21:07:03", jday, msec);
  EXPECT_EQ(jday, 738950);
  EXPECT_EQ(msec, ((21 * 60 + 7) * 60 + 3) * 1000);
  detail::clock_from_texts("01-jan-00", "00:00:00", jday, msec);
  EXPECT_EQ(jday, 730120);
  EXPECT_EQ(msec, 0);
  std::string s;
  DATSTR(s);
  EXPECT_EQ(s.size(), 19u);
  EXPECT_EQ(s.substr(9, 2), "  ");
  SYSTIM(jday, msec);
  EXPECT_GE(jday, 730120);
  EXPECT_LT(msec, 86400000);
}

}  // namespace
}  // namespace fts
