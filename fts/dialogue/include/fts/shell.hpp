// shell: what every program of the suite does at its start and its end: ask a file name, open a
// file or stop with the program's message, and finish a run (outputs closed and checked, the
// final line, every unit closed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace fts::shell {

// Declared length of a file-name answer.
constexpr std::size_t kNameLength = 64;

// ---------------------------------------------------------------------------------------------
// File names.

// One answer line as a name of LENGTH characters (cut or blank-padded); false at end of input.
bool read_name(std::string& NAME, std::size_t LENGTH = kNameLength);
// The prompt (REQUES), then one answer line without its trailing blanks; end of input stops.
std::string ask_name(std::string_view PROMPT, std::size_t LENGTH = kNameLength);

// ---------------------------------------------------------------------------------------------
// Opening files.

enum class File { scan_input, scan_output, text_input, text_output };

// Opens NAME on LUN; when that fails (the opener's lines written), stops the run with MESSAGE.
void open_or_stop(File KIND, int32_t LUN, std::string_view NAME, std::string_view MESSAGE);

// ---------------------------------------------------------------------------------------------
// The end of a run.

// An output unit and the message that stops the run when its last data do not reach the file.
struct Output {
  int32_t LUN;
  std::string_view MESSAGE;
};

// Closes the OUTPUTS in order (each checked), writes FINAL_LINE as a whole line (nothing when
// empty), closes every unit and flushes the log. Returns the exit status, 0.
int finish(std::initializer_list<Output> OUTPUTS, std::string_view FINAL_LINE);

}  // namespace fts::shell
