// harness: what the fuzzing harnesses share: a private working folder, files in and out of it,
// library code or a whole program run inside the harness's own process (an error stop comes back
// to the harness instead of ending it), and the checks whose failure is a finding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fts::fuzz {

// Thrown by the error stop while a harness runs something (lun::set_stop_handler).
struct Stopped {};

// A finding that is no crash: prints WHAT and aborts, so the fuzzer keeps the input.
[[noreturn]] void fail(std::string_view what);

// Fails with WHAT when CONDITION does not hold.
inline void expect(bool condition, std::string_view what) {
  if (!condition) fail(what);
}

// Empties the private working folder (made on first use) and lays out what every run finds
// there besides its own files: a folder "dir" and a link "link" to a file that does not exist.
void reset_folder();

// Files of the working folder, by plain name.
void write_file(const std::string& name, std::string_view bytes);
std::string read_file(const std::string& name);  // empty when the file cannot be read
bool file_exists(const std::string& name);

// Runs BODY in the working folder with ANSWERS as standard input and what it writes to standard
// output collected in LOG. Returns false when it ended in an error stop. While it runs, files can
// be opened only by plain names, inside the working folder.
template <class Body>
bool run_in_folder(std::string_view answers, std::string& log, Body&& body);

// ---------------------------------------------------------------------------------------------
// Behind run_in_folder.

namespace detail {
struct Session {
  Session(std::string_view answers, std::string& log);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  struct State;
  State* state;
};
}  // namespace detail

template <class Body>
bool run_in_folder(std::string_view answers, std::string& log, Body&& body) {
  detail::Session session(answers, log);
  try {
    body();
  } catch (const Stopped&) {
    return false;
  }
  return true;
}

}  // namespace fts::fuzz
