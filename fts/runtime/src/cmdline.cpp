// cmdline: --help, --version and the refusal of any other argument, the same for every program.
#include "fts/cmdline.hpp"

#include <algorithm>
#include <cstdio>

#include "fts/textio.hpp"

#ifndef FTS_VERSION
#error "FTS_VERSION is set by the build (project version in the top-level CMakeLists.txt)"
#endif

namespace fts::cmdline {

namespace {

constexpr std::string_view kSuite = "FTS airglow reduction suite";

// Appends TEXT after a label of WIDTH columns: its first line follows the label, every further
// line is indented to the same column.
void append_indented(std::string& out, std::string_view label, std::size_t width,
                     std::string_view text) {
  out += label;
  out.append(width > label.size() ? width - label.size() : 1, ' ');
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    out += text.substr(start, end == std::string_view::npos ? end : end - start);
    out += '\n';
    if (end == std::string_view::npos) break;
    start = end + 1;
    out.append(width, ' ');
  }
}

// TEXT broken at blanks into lines of at most WIDTH columns, each with its end of line.
std::string wrapped(std::string_view text, std::size_t width) {
  std::string out;
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += line + "\n";
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
    start = end + 1;
  }
  return out + line + "\n";
}

// ARGUMENT as it can be shown on one line: control characters become '?', and a very long one is
// cut.
std::string shown(std::string_view argument) {
  constexpr std::size_t kShown = 60;
  std::string out;
  for (const char c : argument.substr(0, kShown)) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 32 || u == 127) ? '?' : c;
  }
  if (argument.size() > kShown) out += "...";
  return out;
}

}  // namespace

const Program* find_program(std::string_view name) {
  const auto all = programs();
  const auto it =
      std::find_if(all.begin(), all.end(), [&](const Program& p) { return p.name == name; });
  return it == all.end() ? nullptr : &*it;
}

std::string_view version() {
  return FTS_VERSION;
}

std::string_view log_rule() {
  return "Standard output is the log of the run. A run that fails ends with the line #ERROR, and "
         "the exit status is 0 whether the run failed or not: the last line of the log tells. "
         "No program ever overwrites an existing file.";
}

// help_text: the full --help of PROGRAM.
// Notes: the questions are lined up in one column, their answers in the next.
std::string help_text(const Program& program) {
  const std::string name(program.name);
  std::string out = "Usage: " + name + " [--help | --version]\n\n";
  out += wrapped(name + " " + std::string(program.summary) + ".", 90);
  out += '\n';
  out +=
      "Without arguments it asks these questions on standard output and reads one answer per\n"
      "line from standard input, a terminal or a file of answers (" +
      name + " < answers):\n\n";
  std::size_t width = 0;
  for (const Question& q : program.questions) width = std::max(width, q.prompt.size());
  for (const Question& q : program.questions) {
    append_indented(out, "  " + std::string(q.prompt), width + 5, q.answer);
  }
  if (!program.dialogue_notes.empty()) {
    out += '\n';
    append_indented(out, "", 2, program.dialogue_notes);
  }
  out += '\n';
  append_indented(out, "Reads:", 8, program.reads);
  append_indented(out, "Writes:", 8, program.writes);
  out += "\nAn example answer file:\n";
  for (const std::string_view line : program.example) {
    out += "  ";
    out += line;
    out += '\n';
  }
  out += '\n';
  out += wrapped(log_rule(), 90);
  out += "\nThe full description, with the file formats and every message: man ";
  out += name;
  out += '\n';
  return out;
}

std::string version_text(std::string_view name) {
  return std::string(name) + " (" + std::string(kSuite) + ") " + std::string(version()) + "\n";
}

std::string usage_line(std::string_view name, std::string_view argument) {
  const std::string n(name);
  return n + ": unknown argument '" + shown(argument) + "'; usage: " + n +
         " [--help | --version], answers on standard input\n";
}

// handle: --help, --version or a refusal, before the dialogue.
// Given:    NAME   the program's name
//           ARGC, ARGV   main's arguments
// Returned: nothing when there are no arguments (the dialogue runs), else the exit status.
// Notes: exactly one argument, "--help" or "--version", is accepted; "--help --version" and the
// like are refused like any other argument, naming the first one that is not accepted alone.
std::optional<int> handle(std::string_view name, int argc, const char* const* argv) {
  if (argc <= 1) return std::nullopt;
  const std::string_view first = argv[1] != nullptr ? argv[1] : "";
  if (argc == 2 && (first == "--help" || first == "--version")) {
    std::string text;
    if (first == "--version") {
      text = version_text(name);
    } else if (const Program* program = find_program(name)) {
      text = help_text(*program);
    } else {
      text = "Usage: " + std::string(name) + " [--help | --version]\n";
    }
    textio::put(text);
    textio::flush();
    if (std::ferror(stdout) != 0) {
      std::fprintf(stderr, "%.*s: standard output cannot be written\n",
                   static_cast<int>(name.size()), name.data());
      return 1;
    }
    return 0;
  }
  const bool first_accepted = first == "--help" || first == "--version";
  const std::string_view refused = first_accepted && argv[2] != nullptr ? argv[2] : first;
  const std::string line = usage_line(name, refused);
  std::fputs(line.c_str(), stderr);
  return kUsageStatus;
}

}  // namespace fts::cmdline
