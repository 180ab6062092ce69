// programs: the suite's programs as the program harness runs them, one entry each.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace fts::fuzz {

struct Program {
  std::string_view name;
  int (*run)();  // the program's whole run, as its main calls it
  // The file that the fuzzed bytes become, by the name the answers give it.
  std::string_view input;
  // Answer scripts run on every fuzzed file when the answers are not fuzzed too.
  std::vector<std::string_view> answers;
  // The last line of the log after a normal end (after an error stop it is "#ERROR"); empty
  // when a normal end writes no line of its own.
  std::string_view final_line;
  // Further input files every run finds, as {name, fixture file of fuzz/fixtures}.
  std::vector<std::pair<std::string_view, std::string_view>> fixtures = {};
};

// The entry of the program NAME (every program harness is built for one of them).
const Program& program(std::string_view name);

}  // namespace fts::fuzz
