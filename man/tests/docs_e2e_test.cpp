// The command line of every built program (--help, --version, any other argument), and the
// agreement of what --help says with the manual pages, the README and the programs' real
// dialogues.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fts/cmdline.hpp"
#include "fts_testing/run.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace ft = fts::testing;
using fts::cmdline::Program;

// The programs the build makes (the top-level FTS_PROGRAMS list, comma-separated).
std::vector<std::string> built_programs() {
  std::vector<std::string> names;
  std::stringstream list(FTS_PROGRAMS);
  for (std::string name; std::getline(list, name, ',');) names.push_back(name);
  return names;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs PROGRAM with ARGS in DIR, an answer file on standard input and standard output into OUT
// (a file of DIR, or a device such as /dev/full).
Outcome run(const std::string& program, const std::vector<std::string>& args, const fs::path& dir,
            const std::string& out = "stdout") {
  ft::write_file(dir / "stdin", "night.scn\nnight.txt\n1,1\n0,0\n");
  const fs::path exe = ft::program(program);
  std::vector<char*> argv = {const_cast<char*>(exe.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "stdin", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  Outcome r;
  if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  if (out == "stdout") r.out = ft::read_file(dir / "stdout");
  r.err = ft::read_file(dir / "stderr");
  return r;
}

// Every program the build makes has its entry in the help table, and every entry of the table
// whose folder is in the source tree is built.
TEST(CommandLine, EveryBuiltProgramIsInTheHelpTableAndBack) {
  std::set<std::string> table;
  for (const Program& p : fts::cmdline::programs()) {
    const std::string name(p.name);
    if (fs::exists(ft::source_path(name + "/main.cpp"))) table.insert(name);
  }
  const auto built = built_programs();
  EXPECT_EQ(table, std::set<std::string>(built.begin(), built.end()));
  for (const std::string& name : built) EXPECT_NE(fts::cmdline::find_program(name), nullptr);
}

// Per program: what each command line writes where, with which exit status; no command line but
// the empty one starts the dialogue, and none leaves a file behind.
TEST(CommandLine, HelpVersionAndRefusalOfEveryProgram) {
  for (const std::string& name : built_programs()) {
    const Program* p = fts::cmdline::find_program(name);
    ASSERT_NE(p, nullptr) << name;
    struct Case {
      std::vector<std::string> args;
      int status;
      std::string out;
      std::string err;
    };
    const Case cases[] = {
        {{"--help"}, 0, fts::cmdline::help_text(*p), ""},
        {{"--version"}, 0, fts::cmdline::version_text(name), ""},
        {{"-h"}, 2, "", fts::cmdline::usage_line(name, "-h")},
        {{"night.scn"}, 2, "", fts::cmdline::usage_line(name, "night.scn")},
        {{"--help", "--version"}, 2, "", fts::cmdline::usage_line(name, "--version")},
        {{""}, 2, "", fts::cmdline::usage_line(name, "")},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(name + " " + (c.args.empty() ? "" : c.args[0]));
      ft::TempDir dir;
      const Outcome r = run(name, c.args, dir.path());
      EXPECT_EQ(r.status, c.status);
      EXPECT_TRUE(ft::same_lines(c.out, r.out));
      EXPECT_EQ(r.err, c.err);
      std::set<std::string> files;
      for (const auto& e : fs::directory_iterator(dir.path())) {
        files.insert(e.path().filename().string());
      }
      EXPECT_EQ(files, (std::set<std::string>{"stdin", "stdout", "stderr"}));
    }
    SCOPED_TRACE(name + " --help > /dev/full");
    ft::TempDir dir;
    const Outcome full = run(name, {"--help"}, dir.path(), "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, name + ": standard output cannot be written\n");
  }
}

// ---------------------------------------------------------------------------------------------
// The same words in --help, the manual pages and the README.

// TEXT with every run of blanks and line breaks made one blank.
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

// The manual page as a reader sees it, in plain text with very long lines.
std::string rendered(const fs::path& page) {
  const std::string command = "groff -man -Tascii -rLL=2000n -P-cbou '" + page.string() + "'";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) text.append(buf, n);
    pclose(pipe);
  }
  return one_line(text);
}

// The README without its code marks.
std::string readme_text() {
  std::string text = ft::read_file(ft::source_path("README.md"));
  text.erase(std::remove(text.begin(), text.end(), '`'), text.end());
  return text;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string first_line(std::string_view text) {
  return std::string(text.substr(0, text.find('\n')));
}

// The prompts a program really writes, from the standard output of its end-to-end cases.
std::string case_outputs(const std::string& name) {
  std::string all;
  const fs::path cases = ft::source_path(name + "/tests/cases");
  if (!fs::exists(cases)) return all;
  for (const auto& e : fs::directory_iterator(cases)) {
    if (e.path().extension() == ".stdout") all += ft::read_file(e.path());
  }
  return all;
}

TEST(Docs, ManualPagesREADMEAndHelpSayTheSame) {
  const std::string readme = readme_text();
  const std::string readme_line = one_line(readme);
  const std::string rule = one_line(std::string(fts::cmdline::log_rule()));
  EXPECT_TRUE(contains(readme_line, rule)) << "README lacks: " << rule;
  for (const std::string& name : built_programs()) {
    SCOPED_TRACE(name);
    const Program* p = fts::cmdline::find_program(name);
    ASSERT_NE(p, nullptr);
    const fs::path page = ft::source_path("man/" + name + ".1");
    ASSERT_TRUE(fs::exists(page)) << page;
    const std::string source = ft::read_file(page);
    const std::string man = rendered(page);
    ASSERT_FALSE(man.empty()) << "groff renders nothing";

    // What it does: the manual page's NAME line and the README's table of programs.
    EXPECT_TRUE(contains(man, one_line(name + " - " + std::string(p->summary))));
    EXPECT_TRUE(contains(readme, "| " + name + " | " + std::string(p->summary) + " |"));
    // The questions, as the program writes them and as the manual page and README list them.
    const std::string outputs = case_outputs(name);
    for (const fts::cmdline::Question& q : p->questions) {
      const std::string prompt(q.prompt);
      EXPECT_TRUE(contains(outputs, prompt)) << "no case shows the prompt " << prompt;
      EXPECT_TRUE(contains(man, one_line(prompt))) << prompt;
      EXPECT_TRUE(contains(man, one_line(first_line(q.answer)))) << q.answer;
      EXPECT_TRUE(contains(readme, prompt)) << prompt;
    }
    // The example answer file: an example block of the page, an indented block of the README.
    std::string page_example = "\n.EX\n";
    std::string readme_example = "\n";
    for (const std::string_view line : p->example) {
      page_example += std::string(line) + "\n";
      readme_example += "    " + std::string(line) + "\n";
    }
    EXPECT_TRUE(contains(source, page_example + ".EE\n"));
    EXPECT_TRUE(contains(readme, readme_example + "\n"));
    // The shared rule of the log and the exit status, and the other programs.
    EXPECT_TRUE(contains(man, rule));
    for (const Program& other : fts::cmdline::programs()) {
      if (other.name == p->name) continue;
      EXPECT_TRUE(contains(source, ".BR " + std::string(other.name) + " (1)")) << other.name;
    }
  }
}

}  // namespace
