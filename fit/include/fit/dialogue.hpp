// dialogue: the fit programs' questions and answers. Every prompt is a whole line; names and
// letters are one answer line each, numbers are read in free format over as many lines as they
// need. An answer that cannot be read, or the end of standard input, ends the run with the
// termination lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fit/settings.hpp"
#include "fts/textio.hpp"

namespace fit {

class Dialogue {
 public:
  // Writes PROMPT as a line and returns the answer line cut or blank-padded to 64 characters.
  std::string name(std::string_view prompt);
  // Writes PROMPT as a line and returns the first character of the answer (a blank for an empty
  // line).
  char letter(std::string_view prompt);
  // Writes PROMPT as a line and reads VALUES (int32_t, float, double) as one free-format record;
  // a null value leaves its variable as it was.
  template <class... T>
  void numbers(std::string_view prompt, T&... values) {
    fts::textio::put_line(prompt);
    fts::textio::FreeReader reader(fts::textio::standard_input());
    if (reader.read(values...) != fts::textio::ReadStatus::ok) terminate();
  }

  // The number of the last data scan read, shown by the termination lines (0 before any).
  void set_last_scan(int32_t scan) { last_scan_ = scan; }
  int32_t last_scan() const { return last_scan_; }

  // The termination lines " USER REQUESTED TERMINATION, FILE=" with the last scan read and
  // "                            ERROR= T", then the normal end of the run: throws Terminated,
  // which run() catches to close the run's files and return.
  [[noreturn]] void terminate();

 private:
  int32_t last_scan_ = 0;
};

// Thrown by Dialogue::terminate once the termination lines are written; caught by run() alone,
// which then ends the run normally (close_run) and returns. It carries the run out of any depth
// of its questions without ending the process from inside, so that a caller of run() (a test or
// the fuzzing harness) gets control back.
struct Terminated {};

// True for an answer letter that says yes ("Y" or "y").
constexpr bool is_yes(char c) {
  return c == 'Y' || c == 'y';
}

// The messages of an output file whose last lines cannot be handed to the system (each followed
// by "#ERROR").
inline constexpr const char* kWriteStatus = " ERROR WRITING STATUS REPORT";
inline constexpr const char* kWriteValues = " ERROR WRITING FIT VALUES FILE";

// Ends the run normally: the status report and the fit values file are closed and checked (a
// failure stops the run with the file's message) and every other unit is closed.
void close_run();

}  // namespace fit
