// Runs the dialogue probe as a real process with an answer file on standard input and its
// standard output through a pipe.
#include <gtest/gtest.h>

#include <filesystem>

#include "fts_testing/run.hpp"

namespace fts {
namespace {

constexpr const char* kPrompts[] = {
    " #NAME                   (TEXT) : ",
    " #DIRECTION        (FOR/REV/BOTH) : ",
    " #ACCESS SCANS           (#FROM,#TO) : ",
    " #FACTOR                    (X) : ",
};

struct Case {
  const char* name;
  const char* answers;
  std::string output;
  const char* file;  // expected content of probe.txt, nullptr when it must not exist
};

TEST(Dialogue, RunsThroughRealPipesInOrder) {
  const std::string p0 = kPrompts[0], p1 = kPrompts[1], p2 = kPrompts[2], p3 = kPrompts[3];
  const Case kCases[] = {
      {"every answer good", "spectra\nboth\n3,7\n2.5\n",
       p0 + p1 + p2 + p3 + " FACTOR=  2.50000\n #PROBE        - OK\n",
       " spectra           3  3  7\n"},
      {"defaults of the range", "x\nf\n,\n1\n",
       p0 + p1 + p2 + p3 + " FACTOR=  1.00000\n #PROBE        - OK\n",
       " x                 1  1  1000000\n"},
      {"unreadable range", "spectra\nr\n3,X\n",
       p0 + p1 + p2 +
           " #GETNUM   02> - ENTRY NOT LEGAL NUMBER\n #PROBE    02> - ? SCAN RANGE\n#ERROR\n",
       nullptr},
      {"wrong choice", "spectra\nsideways\n",
       p0 + p1 + " #GETABR   01> - ENTRY NOT RECOGNIZED\n #PROBE    01> - ? DIRECTION\n#ERROR\n",
       nullptr},
      {"error after the file was written", "spectra\nb\n1,2\nmuch\n",
       p0 + p1 + p2 + p3 +
           " #GETFLT   02> - ENTRY NOT LEGAL NUMBER\n #PROBE    04> - ? FACTOR\n#ERROR\n",
       " spectra           3  1  2\n"},
      {"end of input at a prompt", "spectra\nb\n",
       p0 + p1 + p2 + " #GETNUM   04> - END OF INPUT\n#ERROR\n", nullptr},
      {"end of input at once", "", p0 + " #GETSTR   01> - END OF INPUT\n#ERROR\n", nullptr},
      {"last answer without end of line", "spectra\nb\n1,2\n4",
       p0 + p1 + p2 + p3 + " FACTOR=  4.00000\n #PROBE        - OK\n",
       " spectra           3  1  2\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const auto result = testing::run_program(testing::test_program("dialogue_probe"), c.answers,
                                             dir.path(), std::chrono::seconds(20));
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(testing::same_lines(c.output, result.output));
    const auto file = dir / "probe.txt";
    if (c.file == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(file));
    } else {
      EXPECT_EQ(testing::read_file(file), c.file);
    }
  }
}

TEST(Dialogue, ExistingOutputFileIsNeverOverwritten) {
  testing::TempDir dir;
  testing::write_file(dir / "probe.txt", "precious\n");
  const auto result =
      testing::run_program(testing::test_program("dialogue_probe"), "a\nb\n1,2\n3\n", dir.path());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_TRUE(testing::same_lines(
      std::string(kPrompts[0]) + kPrompts[1] + kPrompts[2] +
          " #TSTIOS   01> - ERROR, IOSTAT = 000017\n #OPTOUT   01> - FILE OPEN ERROR\n"
          " #PROBE    03> - ? OUTPUT FILE\n#ERROR\n",
      result.output));
  EXPECT_EQ(testing::read_file(dir / "probe.txt"), "precious\n");
}

}  // namespace
}  // namespace fts
