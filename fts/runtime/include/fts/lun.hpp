// lun: the table of open units. A unit number names an open file for the whole run: a scan file
// of 512-byte records walked from its current record (units 1 to 100), or a text file read or
// written line by line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fts/textio.hpp"

namespace fts::lun {

constexpr int32_t kRecordBytes = 512;
constexpr int32_t kMaxScanUnit = 100;   // scan files live on units 1 .. 100
constexpr int32_t kShortRecord = 1000;  // status of a last record cut short by the end of a file

enum class Status {
  old_file,
  new_file
};  // open an existing file / create a file that must not exist

// ---------------------------------------------------------------------------------------------
// Opening and closing. IOS follows the usual status convention: 0 success, > 0 an error number
// of the platform. Opening a unit that is already open closes its file first.

void open_scan(int32_t unit, std::string_view name, Status status, int32_t& ios);
void open_text(int32_t unit, std::string_view name, Status status, int32_t& ios);
bool is_open(int32_t unit);
const std::string& file_name(int32_t unit);  // empty when the unit is not open
// Closing hands the last buffered data to the system; the status tells whether that worked
// (0, or the platform's error number). Temporary files are removed.
int32_t close(int32_t unit);
int32_t close_all();  // the first failure among the units, else 0

// Marks the text file on UNIT as temporary: it is removed when the unit is closed.
void remove_on_close(int32_t unit);

// ---------------------------------------------------------------------------------------------
// Scan-file records. The unit's current record starts at 1 and advances by one per record
// transferred; rewind() makes it 1 again.

int64_t current_record(int32_t unit);
void rewind(int32_t unit);

// Reads the current record into DST (512 bytes) and advances. Returns 0 when read, -1 when the
// file has no such record, kShortRecord for a record shorter than 512 bytes, another value > 0
// for a read error.
int32_t read_record(int32_t unit, std::byte* dst);
// Reads COUNT records from the current one on into DST (COUNT * 512 bytes) and advances past
// those read. Returns as read_record; on failure RECORDS_READ tells how many whole records came.
int32_t read_records(int32_t unit, int64_t count, std::byte* dst, int64_t& records_read);
// Writes SRC (512 bytes) as the current record and advances; > 0 on a write error.
int32_t write_record(int32_t unit, const std::byte* src);
// Writes COUNT records from SRC; > 0 on a write error.
int32_t write_records(int32_t unit, int64_t count, const std::byte* src);

// ---------------------------------------------------------------------------------------------
// Text files.

// The line source of the text file opened for reading on UNIT. Any other unit stops the run
// ("TEXTIN   01> - UNIT n NOT OPEN FOR READING").
textio::LineSource& text_input(int32_t unit);
// Writes one line to the text file opened for writing on UNIT; > 0 on a write error.
int32_t write_line(int32_t unit, std::string_view line);

// ---------------------------------------------------------------------------------------------
// Ending the run after an error: writes the line "#ERROR" (no leading blank), closes every unit
// and ends the process with exit status 0.
[[noreturn]] void error_stop();

// What the error stop calls in place of ending the process (see set_stop_handler).
using StopHandler = void (*)();
// Only for a harness that runs whole programs in its own process, run after run (the fuzzers of
// fuzz/): the error stop calls HANDLER in place of ending the process, once "#ERROR" is written
// and every unit closed; HANDLER must leave by an exception of the harness's own that unwinds
// back to it. nullptr, the default, keeps the process exit. Programs never set it.
void set_stop_handler(StopHandler handler);

// A fatal input/output failure on a scan-file record: writes a diagnostic naming the unit and
// file, then stops the run like the error stop (files closed, exit status 0).
[[noreturn]] void io_failure(int32_t unit, std::string_view what, int32_t ios);

// Writes TEXT as a message line (a blank, "#", TEXT) and stops the run like the error stop. The
// layers below the dialogue, which cannot call STPLOG, stop so on a call no routine may honour
// (outside an array's storage, an impossible size, a unit not open as asked).
[[noreturn]] void stop_with_message(std::string_view text);

}  // namespace fts::lun
