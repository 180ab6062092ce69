// shell: the start and the end of a program's run.
#include "fts/shell.hpp"

#include "fts/ftsiface.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"

namespace fts::shell {

// read_name: one answer line as a file name.
// Given:     LENGTH   declared length of the name
// Returned:  NAME     the line cut or blank-padded to LENGTH characters
//            (value)  false when standard input has ended (NAME unchanged, nothing written)
bool read_name(std::string& NAME, std::size_t LENGTH) {
  std::string line;
  if (!textio::standard_input().next_line(line)) return false;
  line.resize(LENGTH, ' ');
  NAME = std::move(line);
  return true;
}

// ask_name: a prompted file name.
// Given:     PROMPT   the question, written by REQUES (the cursor stays behind it)
//            LENGTH   declared length of the answer
// Returned:  (value)  the answer's first LENGTH characters without trailing blanks
// Notes: the answer is read by GETSTR, so the end of standard input stops the run with its
//        message.
std::string ask_name(std::string_view PROMPT, std::size_t LENGTH) {
  REQUES(PROMPT);
  std::string answer(LENGTH, ' ');
  GETSTR(answer);
  return textio::without_trailing_blanks(answer);
}

// open_or_stop: open a file or end the run.
// Given:     KIND     scan or text file, existing (input) or new (output)
//            LUN      unit to open it on
//            NAME     its name (trailing blanks ignored)
//            MESSAGE  the program's message line when the file cannot be opened
// Notes: a failed open writes the opener's lines, then MESSAGE and "#ERROR" (STPLOG).
void open_or_stop(File KIND, int32_t LUN, std::string_view NAME, std::string_view MESSAGE) {
  int32_t ierr = 0;
  switch (KIND) {
    case File::scan_input:
      OPFINP(LUN, NAME, ierr);
      break;
    case File::scan_output:
      OPFOUT(LUN, NAME, ierr);
      break;
    case File::text_input:
      OPTINP(LUN, NAME, ierr);
      break;
    case File::text_output:
      OPTOUT(LUN, NAME, ierr);
      break;
  }
  STPLOG(ierr, MESSAGE);
}

// finish: the normal end of a run.
// Given:     OUTPUTS     the units the run wrote, each with the message of a failed close
//            FINAL_LINE  the program's last line, written as composed (nothing when empty)
// Returned:  (value)     the exit status, 0
// Notes: an output is complete only once its last buffered data have reached the file, so each
//        is closed and checked (TSTIOS) before the final line; a failure stops the run with the
//        output's message and "#ERROR" instead of a normal end.
int finish(std::initializer_list<Output> OUTPUTS, std::string_view FINAL_LINE) {
  for (const Output& out : OUTPUTS) {
    int32_t ierr = 0;
    TSTIOS(lun::close(out.LUN), ierr);
    STPLOG(ierr, out.MESSAGE);
  }
  if (!FINAL_LINE.empty()) textio::put_line(FINAL_LINE);
  lun::close_all();
  textio::flush();
  return 0;
}

}  // namespace fts::shell
