// Unit tests of lissorak's own code: times, means, the output layout, reading and smoothing.
#include "lissorak.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using lissorak::Record;
namespace textio = fts::textio;

constexpr double kExact = 0;
constexpr double kFloat = 1e-6;  // relative, a 32-bit rounding

// A record at MINUTES after the start of day 739600, with unit errors and a tag in AUX1.
Record at_minutes(double minutes, float tag) {
  Record r;
  r.DAY = 739600;
  r.HOUR = static_cast<float>(minutes / 60.0);
  r.VAL1 = 100;
  r.ERR1 = 1;
  r.VAL2 = 200;
  r.ERR2 = 1;
  r.AUX1 = tag;
  return r;
}

// ---------------------------------------------------------------------------------------------
// Times and means.

TEST(RecordTime, IsDayPlusHourOverTwentyFour) {
  Record r;
  r.DAY = 730120;
  r.HOUR = 6;
  EXPECT_EQ(lissorak::record_time(r), 730120.25);
  EXPECT_EQ(lissorak::gap_in_days(360), 0.25);
  EXPECT_EQ(lissorak::gap_in_days(10), 10.0 / 60.0 / 24.0);
}

TEST(MeanOf, WeighsValuesByInverseVariance) {
  Record a;
  a.VAL1 = 10;
  a.ERR1 = 1;
  a.VAL2 = 10;
  a.ERR2 = 1;
  Record b = a;
  b.VAL1 = 20;
  b.ERR1 = 2;
  const Record runs[] = {a, b};
  const Record m = lissorak::mean_of(runs);
  EXPECT_NEAR(m.VAL1, 12.0, 12.0 * kFloat);
  EXPECT_NEAR(m.ERR1, 1.0 / std::sqrt(1.25), kFloat);
  EXPECT_NEAR(m.VAL2, 10.0, kExact);
  EXPECT_NEAR(m.ERR2, 1.0 / std::sqrt(2.0), kFloat);
}

TEST(MeanOf, TruncatesTheMeanCountTowardZero) {
  struct Case {
    int32_t counts[5];
    int k;
    int32_t mean;
  };
  constexpr Case kCases[] = {
      {{3, 4}, 2, 3},       {{-3, -4}, 2, -3},       {{1, 1, 2}, 3, 1},
      {{7, 0, 0, 0}, 4, 1}, {{1, 2, 3, 4, 5}, 5, 3}, {{2147483647, 2147483647}, 2, 2147483647},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << "k = " << c.k << ", first count " << c.counts[0]);
    std::vector<Record> run(static_cast<std::size_t>(c.k));
    for (int i = 0; i < c.k; ++i) {
      run[static_cast<std::size_t>(i)].CNT = c.counts[i];
      run[static_cast<std::size_t>(i)].ERR1 = run[static_cast<std::size_t>(i)].ERR2 = 1;
    }
    EXPECT_EQ(lissorak::mean_of(run).CNT, c.mean);
  }
}

TEST(MeanOf, SplitsTheMeanTimeIntoDayAndHour) {
  // 23:00 and 02:00 of the next day: the mean is 00:30 of that day.
  Record a;
  a.DAY = 739600;
  a.HOUR = 23;
  a.ERR1 = a.ERR2 = 1;
  Record b = a;
  b.DAY = 739601;
  b.HOUR = 2;
  const Record runs[] = {a, b};
  const Record m = lissorak::mean_of(runs);
  EXPECT_EQ(m.DAY, 739601);
  EXPECT_NEAR(m.HOUR, 0.5, 1e-6);
}

TEST(MeanOf, AveragesPairsWithAZeroErrorPlainlyAndMarksTheirErrorZero) {
  Record a;
  a.VAL1 = 10;
  a.ERR1 = 0;
  a.VAL2 = 10;
  a.ERR2 = 1;
  Record b = a;
  b.VAL1 = 20;
  b.ERR1 = 2;
  b.VAL2 = 20;
  b.ERR2 = 2;
  const Record runs[] = {a, b, b};
  const Record m = lissorak::mean_of(runs);
  EXPECT_NEAR(m.VAL1, 50.0 / 3.0, 50.0 / 3.0 * kFloat);
  EXPECT_EQ(m.ERR1, 0.0f);
  // The other pair keeps its weighting: (10 + 5 + 5) / (1 + 0.25 + 0.25).
  EXPECT_NEAR(m.VAL2, 20.0 / 1.5, 20.0 / 1.5 * kFloat);
  EXPECT_NEAR(m.ERR2, 1.0 / std::sqrt(1.5), kFloat);
  EXPECT_TRUE(std::isfinite(m.VAL1) && std::isfinite(m.ERR1));
}

TEST(MeanOf, LiesBetweenItsInputsWithAnErrorBelowTheSmallest) {
  // Invariant over many runs of 2 to 5 records with assorted values and errors.
  for (int k = 2; k <= 5; ++k) {
    for (int seed = 1; seed <= 50; ++seed) {
      SCOPED_TRACE(::testing::Message() << "k = " << k << ", seed " << seed);
      std::vector<Record> run(static_cast<std::size_t>(k));
      float lo = 1e30f, hi = -1e30f, smallest = 1e30f;
      for (int i = 0; i < k; ++i) {
        Record& r = run[static_cast<std::size_t>(i)];
        r.VAL1 = static_cast<float>(((seed * 37 + i * 101) % 997) - 400) * 0.37f;
        r.ERR1 = static_cast<float>(((seed * 13 + i * 7) % 50) + 1) * 0.05f;
        r.VAL2 = r.VAL1;
        r.ERR2 = r.ERR1;
        lo = std::min(lo, r.VAL1);
        hi = std::max(hi, r.VAL1);
        smallest = std::min(smallest, r.ERR1);
      }
      const Record m = lissorak::mean_of(run);
      EXPECT_GE(m.VAL1, lo);
      EXPECT_LE(m.VAL1, hi);
      EXPECT_LE(m.ERR1, smallest);
      EXPECT_GE(m.ERR1, smallest / std::sqrt(static_cast<float>(k)) * (1 - 1e-6f));
    }
  }
}

TEST(MeanOf, WithEqualErrorsIsThePlainMeanWithErrorOverRootK) {
  std::vector<Record> run(5);
  for (int i = 0; i < 5; ++i) {
    run[static_cast<std::size_t>(i)].VAL1 = static_cast<float>(i + 1);
    run[static_cast<std::size_t>(i)].ERR1 = 0.5f;
    run[static_cast<std::size_t>(i)].ERR2 = 0.5f;
    run[static_cast<std::size_t>(i)].AUX2 = static_cast<float>(i + 1);
  }
  const Record m = lissorak::mean_of(run);
  EXPECT_NEAR(m.VAL1, 3.0, 3.0 * kFloat);
  EXPECT_EQ(m.AUX2, 3.0f);
  EXPECT_NEAR(m.ERR1, 0.5 / std::sqrt(5.0), kFloat);
}

// ---------------------------------------------------------------------------------------------
// The output layout.

TEST(FormatRecord, LaysOutTheTenFieldsIn108Columns) {
  struct Case {
    Record r;
    const char* line;
  };
  const Case kCases[] = {
      {{739600, 20.5f, 123.456f, 0.0123f, 198.5f, 4.25f, 123456.0f, 0.0f, -0.5f, 43200},
       " 739600  20.5000000   123.5      1.2300E-02  198.5000    4.2500  1.2346E+05   0.000   "
       "  -0.5000        43200"},
      {{-1, -1.25f, -9999.4f, 9999.6f, -12.34567f, 0.00004f, 0.1f, 0.09999f, 1e-30f, -7},
       "     -1  -1.2500000  -9999.      9.9996E+03  -12.3457    0.0000  0.1000     "
       " 9.9990E-02  1.0000E-30       -7"},
      {{1234567, 1000.0f, 1e38f, -1e-38f, 123456.0f, -99999.0f, 1.0f, 10.0f, 999.96f, 12345678},
       " ****** ***********  1.0000E+38 -1.0000E-38 ********* *********   1.000       10.00   "
       "    1000.     12345678"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    const std::string line = lissorak::format_record(c.r);
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(line.size(), 108u);
  }
}

// ---------------------------------------------------------------------------------------------
// Reading.

// The results of reading TEXT record after record, as "record <DAY>", "unreadable" or "end".
std::vector<std::string> read_all(const std::string& text, bool filter) {
  textio::StringLineSource source(text);
  textio::FreeReader reader(source);
  std::vector<std::string> got;
  Record r;
  for (bool first = true;; first = false) {
    const auto result = lissorak::next_record(reader, filter, first, r);
    if (result == lissorak::ReadResult::end) break;
    got.push_back(result == lissorak::ReadResult::record ? "record " + std::to_string(r.DAY)
                                                         : "unreadable");
    if (result == lissorak::ReadResult::unreadable) break;
  }
  got.push_back("end");
  return got;
}

TEST(NextRecord, ReadsRecordsSkipsUnreadableLinesAndFilters) {
  struct Case {
    const char* what;
    const char* text;
    bool filter;
    std::vector<std::string> got;
  };
  const Case kCases[] = {
      {"records on one line each, extra values ignored",
       "1 0 1 1 1 1 0 0 0 5 99\n2,0,1,1,1,1,0,0,0,5\n",
       false,
       {"record 1", "record 2", "end"}},
      {"a record over three lines, blank lines between",
       "1 0 1\n\n1 1 1 0\n0 0 5\n2 0 1 1 1 1 0 0 0 5\n",
       false,
       {"record 1", "record 2", "end"}},
      {"an unreadable first line",
       "DAY HOUR ...\n1 0 1 1 1 1 0 0 0 5\n",
       false,
       {"unreadable", "end"}},
      {"unreadable later lines skipped",
       "1 0 1 1 1 1 0 0 0 5\n2 0 ******* 1 1 1 0 0 0 5\ntext\n3.5 0 1 1 1 1 0 0 0 5\n"
       "4 0 1 1 1 1 0 0 0 5\n",
       false,
       {"record 1", "record 4", "end"}},
      {"a time beyond the day numbers is unreadable",
       "1 0 1 1 1 1 0 0 0 5\n2 1e30 1 1 1 1 0 0 0 5\n3 0 1 1 1 1 0 0 0 5\n",
       false,
       {"record 1", "record 3", "end"}},
      {"a record cut short by the end of the file",
       "1 0 1 1 1 1 0 0 0 5\n2 0 1 1 1\n",
       false,
       {"record 1", "end"}},
      {"filter off keeps zero and negative values",
       "1 0 0 1 1 1 0 0 0 5\n2 0 1 1 -1 1 0 0 0 5\n",
       false,
       {"record 1", "record 2", "end"}},
      {"filter on drops them",
       "1 0 0 1 1 1 0 0 0 5\n2 0 1 1 -1 1 0 0 0 5\n3 0 1 1 1 1 0 0 0 5\n",
       true,
       {"record 3", "end"}},
      {"after a dropped first record unreadable lines are skipped",
       "1 0 0 1 1 1 0 0 0 5\ntext\n3 0 1 1 1 1 0 0 0 5\n",
       true,
       {"record 3", "end"}},
      {"an empty file", "", false, {"end"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read_all(c.text, c.filter), c.got);
  }
}

TEST(ReadRecord, KeepsTheValuesOfFieldsNotGiven) {
  textio::StringLineSource source("1 2 3 4 5 6 7 8 9 10\n11,,13 /\n");
  textio::FreeReader reader(source);
  Record r;
  ASSERT_EQ(lissorak::read_record(reader, r), lissorak::ReadResult::record);
  ASSERT_EQ(lissorak::read_record(reader, r), lissorak::ReadResult::record);
  EXPECT_EQ(r.DAY, 11);
  EXPECT_EQ(r.HOUR, 2.0f);
  EXPECT_EQ(r.VAL1, 13.0f);
  EXPECT_EQ(r.ERR1, 4.0f);
  EXPECT_EQ(r.CNT, 10);
}

// ---------------------------------------------------------------------------------------------
// Smoothing.

// What a smoother writes for records at the given minutes: "tag" of each record written as
// read, "mean <tag>" of each mean (the tags are the record indices, so a mean's tag is the mean
// index).
std::vector<std::string> smooth(std::initializer_list<double> minutes, double limit) {
  std::vector<std::string> got;
  lissorak::Smoother smoother(lissorak::gap_in_days(limit), [&](const Record& r) {
    const bool as_read = r.VAL1 == 100 && r.ERR1 == 1 && r.ERR2 == 1;
    char text[32];
    std::snprintf(text, sizeof text, "%s%g", as_read ? "" : "mean ", static_cast<double>(r.AUX1));
    got.emplace_back(text);
  });
  float tag = 0;
  for (double m : minutes) smoother.add(at_minutes(m, tag++));
  return got;
}

TEST(Smoother, WritesRunningMeansBrokenAtGaps) {
  struct Case {
    const char* what;
    std::initializer_list<double> minutes;
    double limit;
    std::vector<std::string> got;
  };
  const Case kCases[] = {
      {"six records 5 minutes apart: two five-record means",
       {0, 5, 10, 15, 20, 25},
       10,
       {"mean 2", "mean 3"}},
      {"a gap after two: their mean, the third left buffered", {0, 5, 30}, 10, {"mean 0.5"}},
      {"an isolated record is written as read", {0, 5, 60, 120}, 10, {"mean 0.5", "2"}},
      {"one record: nothing", {0}, 10, {}},
      {"two records: nothing", {0, 5}, 10, {}},
      {"three records: nothing", {0, 5, 10}, 10, {}},
      {"four records: nothing", {0, 5, 10, 15}, 10, {}},
      {"nothing after the last five-record mean",
       {0, 1, 2, 3, 4, 5, 6, 7},
       10,
       {"mean 2", "mean 3", "mean 4", "mean 5"}},
      {"a difference equal to the limit is no gap", {0, 360, 1000}, 360, {"mean 0.5"}},
      {"a time running backwards is no gap", {30, 0, 6, 100}, 10, {"mean 1"}},
      {"gaps after four records flush their mean", {0, 1, 2, 3, 50, 51}, 10, {"mean 1.5"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(smooth(c.minutes, c.limit), c.got);
  }
}

// ---------------------------------------------------------------------------------------------
// The questions.

struct Asked {
  bool ok;
  std::string output;
  lissorak::Answers answers;
};

Asked ask_with(const std::string& typed) {
  textio::StringLineSource source(typed);
  textio::ReplaceInput input(source);
  textio::CaptureOutput output;
  Asked a;
  a.ok = lissorak::ask(a.answers);
  a.output = output.text();
  return a;
}

constexpr const char* kAllPrompts =
    " INPUT FILENAME:  OUTPUT FILENAME:  Filter out negative values [Y/N] :  Enter maxumum delta "
    "time (min) allowed : ";

TEST(Ask, AsksFourQuestionsAndReadsTheirAnswers) {
  const Asked a = ask_with("in.txt\nout file.txt  \nY\n 12.5 minutes\n");
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.output, kAllPrompts);
  EXPECT_EQ(a.answers.input, "in.txt");
  EXPECT_EQ(a.answers.output, "out file.txt  ");
  EXPECT_TRUE(a.answers.filter);
  EXPECT_EQ(a.answers.gap_minutes, 12.5);
}

TEST(Ask, SwitchesTheFilterOnlyOnAFirstYOrY) {
  struct Case {
    const char* answer;
    bool filter;
  };
  constexpr Case kCases[] = {{"Y", true}, {"y", true},   {"yes", true}, {"N", false},
                             {"", false}, {" Y", false}, {"J", false}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.answer);
    const Asked a = ask_with(std::string("a\nb\n") + c.answer + "\n10\n");
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.answers.filter, c.filter);
  }
}

TEST(Ask, ReadsTheGapInFreeFormatOverBlankLines) {
  const Asked a = ask_with("a\nb\nn\n\n  \n1.5E1, 99\n");
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.answers.gap_minutes, 15.0);
}

TEST(Ask, StopsWithADiagnosticWhenAnAnswerIsMissingOrNotANumber) {
  struct Case {
    const char* typed;
    const char* tail;  // output after the prompts shown
    int prompts;       // prompts written
  };
  const Case kCases[] = {
      {"", "\n #LISSORAK 01> - END OF INPUT\n#ERROR\n", 1},
      {"a\n", "\n #LISSORAK 01> - END OF INPUT\n#ERROR\n", 2},
      {"a\nb\n", "\n #LISSORAK 01> - END OF INPUT\n#ERROR\n", 3},
      {"a\nb\ny\n", "\n #LISSORAK 01> - END OF INPUT\n#ERROR\n", 4},
      {"a\nb\ny\n\n", "\n #LISSORAK 01> - END OF INPUT\n#ERROR\n", 4},
      {"a\nb\ny\nten\n", "\n #LISSORAK 02> - MAXIMUM DELTA TIME NOT A NUMBER\n#ERROR\n", 4},
      {"a\nb\ny\n,\n", "\n #LISSORAK 02> - MAXIMUM DELTA TIME NOT A NUMBER\n#ERROR\n", 4},
      {"a\nb\ny\n/\n", "\n #LISSORAK 02> - MAXIMUM DELTA TIME NOT A NUMBER\n#ERROR\n", 4},
  };
  const std::string prompts[] = {
      " INPUT FILENAME: ", " OUTPUT FILENAME: ", " Filter out negative values [Y/N] : ",
      " Enter maxumum delta time (min) allowed : "};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.typed);
    const Asked a = ask_with(c.typed);
    EXPECT_FALSE(a.ok);
    std::string expected;
    for (int i = 0; i < c.prompts; ++i) expected += prompts[i];
    EXPECT_EQ(a.output, expected + c.tail);
  }
}

}  // namespace
