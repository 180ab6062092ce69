// Tests of the command line every program shares: what is accepted, what is written where, and
// what every program's --help holds.
#include "fts/cmdline.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fts/textio.hpp"

namespace fts::cmdline {
namespace {

struct Outcome {
  std::optional<int> status;
  std::string out;
  std::string err;
};

Outcome call(std::vector<const char*> args) {
  args.insert(args.begin(), "ledgorix");
  args.push_back(nullptr);
  Outcome o;
  textio::CaptureOutput capture;
  ::testing::internal::CaptureStderr();
  o.status = handle("ledgorix", static_cast<int>(args.size() - 1), args.data());
  o.err = ::testing::internal::GetCapturedStderr();
  o.out = capture.text();
  return o;
}

// TEXT with every line break and run of blanks made one blank.
std::string one_line(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\t';
    if (!blank) {
      out += c;
    } else if (out.empty() || out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

TEST(CommandLine, WithoutArgumentsNothingIsWrittenAndTheDialogueRuns) {
  const Outcome o = call({});
  EXPECT_FALSE(o.status.has_value());
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "");
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput) {
  const Outcome help = call({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, help_text(*find_program("ledgorix")));
  EXPECT_EQ(help.err, "");

  const Outcome ver = call({"--version"});
  EXPECT_EQ(ver.status, 0);
  EXPECT_EQ(ver.out, "ledgorix (FTS airglow reduction suite) " + std::string(version()) + "\n");
  EXPECT_EQ(ver.err, "");
}

TEST(CommandLine, AnyOtherArgumentIsRefusedOnOneLineOfStandardError) {
  struct Case {
    std::vector<const char*> args;
    std::string named;  // the argument the usage line names
  };
  const Case cases[] = {
      {{"-h"}, "-h"},
      {{"--HELP"}, "--HELP"},
      {{""}, ""},
      {{"night.scn"}, "night.scn"},
      {{"--help", "--version"}, "--version"},
      {{"--version", "x"}, "x"},
      {{"x", "--help"}, "x"},
      {{"a\tb\x1b"}, "a?b?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    const Outcome o = call(c.args);
    EXPECT_EQ(o.status, kUsageStatus);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, usage_line("ledgorix", c.named));
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1);
    EXPECT_NE(o.err.find("'" + c.named + "'"), std::string::npos);
    EXPECT_NE(o.err.find("usage: ledgorix [--help | --version]"), std::string::npos);
  }
}

TEST(CommandLine, AVeryLongArgumentIsCutInTheUsageLine) {
  const std::string line = usage_line("lissorak", std::string(1000, 'x'));
  EXPECT_LT(line.size(), 200u);
  EXPECT_NE(line.find("xxx...'"), std::string::npos);
}

TEST(CommandLine, TheVersionIsOneDottedNumber) {
  const std::string v(version());
  EXPECT_EQ(v.find_first_not_of("0123456789."), std::string::npos) << v;
  EXPECT_EQ(std::count(v.begin(), v.end(), '.'), 2) << v;
  EXPECT_EQ(v.find(".."), std::string::npos) << v;
  EXPECT_FALSE(v.empty() || v.front() == '.' || v.back() == '.') << v;
}

// Every program's help: usage, what it does, each question in order with its answer, the notes,
// the files, the example answer file, the shared rule and the manual page; no line wider than
// 90 columns.
TEST(Help, EveryProgramIsDescribedWhole) {
  ASSERT_FALSE(programs().empty());
  for (const Program& p : programs()) {
    SCOPED_TRACE(std::string(p.name));
    EXPECT_EQ(find_program(p.name), &p);
    const std::string help = help_text(p);
    const std::string name(p.name);
    EXPECT_TRUE(help.starts_with("Usage: " + name + " [--help | --version]\n\n" + name + " "));
    EXPECT_NE(one_line(help).find(name + " " + std::string(p.summary) + ". "), std::string::npos);
    ASSERT_FALSE(p.questions.empty());
    std::size_t at = 0;
    for (const Question& q : p.questions) {
      const std::size_t found = help.find("\n  " + std::string(q.prompt) + " ", at);
      ASSERT_NE(found, std::string::npos) << q.prompt;
      const std::size_t answer = help.find(q.answer.substr(0, q.answer.find('\n')), found);
      EXPECT_EQ(help.find('\n', found + 1), help.find('\n', answer)) << q.answer;
      at = found + 1;
    }
    std::string example = "An example answer file:\n";
    for (const std::string_view line : p.example) example += "  " + std::string(line) + "\n";
    EXPECT_NE(help.find(example), std::string::npos);
    EXPECT_NE(help.find("Reads:  " + std::string(p.reads.substr(0, p.reads.find('\n')))),
              std::string::npos);
    EXPECT_NE(help.find("Writes: " + std::string(p.writes.substr(0, p.writes.find('\n')))),
              std::string::npos);
    EXPECT_NE(help.find("#ERROR"), std::string::npos);
    EXPECT_TRUE(help.ends_with(": man " + name + "\n"));
    std::size_t start = 0;
    while (start < help.size()) {
      const std::size_t end = help.find('\n', start);
      EXPECT_LE(end - start, 90u) << help.substr(start, end - start);
      start = end + 1;
    }
  }
}

TEST(Help, AProgramNotInTheTableIsNotFound) {
  EXPECT_EQ(find_program("kelvor"), nullptr);
  EXPECT_EQ(find_program(""), nullptr);
}

}  // namespace
}  // namespace fts::cmdline
