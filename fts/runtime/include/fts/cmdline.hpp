// cmdline: what every program of the suite does with its command line before its dialogue.
// Without arguments nothing happens and the dialogue runs; "--help" describes the program,
// "--version" names the suite's version, and anything else is refused with a one-line usage
// message. The description of every program (its questions, files and an example answer file) is
// kept here, in one table, and the manual pages and the README are tested against it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace fts::cmdline {

// ---------------------------------------------------------------------------------------------
// The programs of the suite.

// One question of a dialogue: the prompt as the program writes it (without the lead-in blank and
// "#" and without the blank after it) and what the answer line holds.
struct Question {
  std::string_view prompt;
  std::string_view answer;
};

// A program as its --help describes it. Texts may hold line breaks; they are indented to their
// column when printed.
struct Program {
  std::string_view name;                      // as installed and called
  std::string_view summary;                   // what it does, after its name (no full stop)
  std::span<const Question> questions;        // in the order asked
  std::string_view dialogue_notes;            // how the dialogue goes on and ends (may be empty)
  std::string_view reads;                     // the files it reads
  std::string_view writes;                    // the files it writes
  std::span<const std::string_view> example;  // an example answer file, one answer a line
};

std::span<const Program> programs();  // every program, in the README's order
// The program called NAME; nullptr for a name not in the table.
const Program* find_program(std::string_view name);

// ---------------------------------------------------------------------------------------------
// Texts.

std::string_view version();  // the suite's version, one number for all six programs
// What every program's log and exit status mean, the same for all of them.
std::string_view log_rule();

// The --help of PROGRAM: usage, what it does, its questions, files and an example answer file.
std::string help_text(const Program& program);
// The --version line of the program called NAME.
std::string version_text(std::string_view name);
// The one line (with its end of line) that refuses ARGUMENT.
std::string usage_line(std::string_view name, std::string_view argument);

// ---------------------------------------------------------------------------------------------
// The command line.

constexpr int kUsageStatus = 2;  // exit status after a refused command line

// The first thing a program's main does: --help, --version or a refusal. Without arguments: returns
// nothing, and the dialogue runs as it always did. "--help" or "--version" alone: the text on
// standard output, returns the exit status (0, or 1 when standard output cannot take it). Anything
// else: the usage line on standard error, returns kUsageStatus; the program then ends without
// reading any answer.
std::optional<int> handle(std::string_view name, int argc, const char* const* argv);

}  // namespace fts::cmdline
