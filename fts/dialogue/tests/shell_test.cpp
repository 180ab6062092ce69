// Tests of the program shell: file-name answers, opening or stopping, the end of a run.
#include "fts/shell.hpp"

#include <gtest/gtest.h>

#include "fts/lun.hpp"
#include "fts/textio.hpp"
#include "fts_testing/run.hpp"
#include "fts_testing/stops.hpp"

namespace fts::shell {
namespace {

using textio::CaptureOutput;
using textio::ReplaceInput;
using textio::StringLineSource;

TEST(Names, AnAnswerIsCutOrPaddedAndAskedNamesLoseTrailingBlanks) {
  StringLineSource src("abcdef\nab\nname.scn   \n");
  ReplaceInput input(src);
  CaptureOutput out;
  std::string name;
  ASSERT_TRUE(read_name(name, 4));
  EXPECT_EQ(name, "abcd");
  ASSERT_TRUE(read_name(name, 4));
  EXPECT_EQ(name, "ab  ");
  EXPECT_EQ(ask_name("FILE : "), "name.scn");
  EXPECT_EQ(out.text(), " #FILE : ");
  EXPECT_FALSE(read_name(name));
  EXPECT_EQ(name, "ab  ");
}

TEST(Names, EndOfInputAtAnAskedNameStops) {
  FTS_EXPECT_STOP(
      {
        StringLineSource src("");
        ReplaceInput input(src);
        ask_name("FILE : ");
      },
      "#GETSTR   01> - END OF INPUT\n#ERROR\n");
}

TEST(Open, AFileThatCannotBeOpenedStopsWithTheProgramsMessage) {
  testing::TempDir dir;
  FTS_EXPECT_STOP(
      open_or_stop(File::scan_input, 1, (dir / "missing").string(), "PROG     01> - INPUT"),
      "#OPFINP   01> - FILE OPEN ERROR\n #PROG     01> - INPUT\n#ERROR\n");
  testing::write_file(dir / "exists", "x\n");
  FTS_EXPECT_STOP(
      open_or_stop(File::text_output, 2, (dir / "exists").string(), "PROG     02> - OUT"),
      "#OPTOUT   01> - FILE OPEN ERROR\n #PROG     02> - OUT\n#ERROR\n");
  EXPECT_EQ(testing::read_file(dir / "exists"), "x\n");
}

TEST(Finish, ClosesTheOutputsThenWritesTheFinalLine) {
  testing::TempDir dir;
  CaptureOutput out;
  open_or_stop(File::text_output, 4, (dir / "report.txt").string(), "PROG     02> - OUT");
  open_or_stop(File::text_input, 7, (dir / "report.txt").string(), "PROG     03> - IN");
  lun::write_line(4, " line");
  EXPECT_EQ(finish({{4, "PROG     04> - REPORT NOT WRITTEN"}}, " #PROG     - OK"), 0);
  EXPECT_EQ(out.text(), " #PROG     - OK\n");
  EXPECT_EQ(testing::read_file(dir / "report.txt"), " line\n");
  EXPECT_FALSE(lun::is_open(7)) << "every unit is closed";
  out.clear();
  EXPECT_EQ(finish({}, ""), 0);
  EXPECT_EQ(out.text(), "");
}

}  // namespace
}  // namespace fts::shell
