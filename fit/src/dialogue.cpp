// dialogue: the fit programs' questions and answers, the termination lines and the end of a run.
#include "fit/dialogue.hpp"

#include "fit/settings.hpp"
#include "fts/shell.hpp"

namespace fit {

namespace textio = fts::textio;

// name: ask for a file name.
// Given:     prompt   the question, written as a whole line
// Returned:  (value)  the answer line, cut or blank-padded to 64 characters
// Notes: the end of standard input ends the run (terminate).
std::string Dialogue::name(std::string_view prompt) {
  textio::put_line(prompt);
  std::string name;
  if (!fts::shell::read_name(name, kNameLength)) terminate();
  return name;
}

// letter: ask for a one-letter choice.
// Given:     prompt   the question, written as a whole line
// Returned:  (value)  the first character of the answer line, a blank for an empty line
// Notes: the end of standard input ends the run (terminate).
char Dialogue::letter(std::string_view prompt) {
  textio::put_line(prompt);
  std::string line;
  if (!textio::standard_input().next_line(line)) terminate();
  return line.empty() ? ' ' : line[0];
}

// terminate: end the run after an answer that cannot be read.
// Notes: 1. The flag shown by "ERROR=" is the state of the failed read, which is never success
//           (an unreadable answer and the end of standard input alike).
//        2. The run then ends normally: Terminated takes it back to run(), which closes its
//           files and returns.
void Dialogue::terminate() {
  textio::put_line(
      (textio::FreeLine() << " USER REQUESTED TERMINATION, FILE=" << last_scan_).str());
  textio::put_line((textio::FreeLine() << "                            ERROR=" << true).str());
  throw Terminated{};
}

// close_run: close the run's files.
// Notes: the status report and the fit values file are complete only once their last lines have
//        reached the files: a failure to close either stops the run with the status line of
//        TSTIOS and " ERROR WRITING STATUS REPORT" or " ERROR WRITING FIT VALUES FILE". The fit
//        programs write no final line.
void close_run() {
  fts::shell::finish({{kStatusUnit, kWriteStatus}, {kValuesUnit, kWriteValues}}, "");
}

}  // namespace fit
