// textio: the run's log on standard output, the answer reader on standard input, free-format
// ("list-directed") number reading and writing, and fixed-width fields.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

namespace fts::textio {

// ---------------------------------------------------------------------------------------------
// Standard output: every prompt, message and line of a run goes through these, in order.

void put(std::string_view text);       // text as it stands, no end of line (prompts)
void put_line(std::string_view text);  // text and an end of line
void flush();                          // hand everything written so far to the system

// For tests: while a CaptureOutput lives, what is written to standard output is collected in
// it instead.
class CaptureOutput {
 public:
  CaptureOutput();
  ~CaptureOutput();
  CaptureOutput(const CaptureOutput&) = delete;
  CaptureOutput& operator=(const CaptureOutput&) = delete;
  const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

 private:
  std::string text_;
  std::string* previous_;
};

// ---------------------------------------------------------------------------------------------
// Line sources: standard input and text files, read one line at a time. A line is returned
// without its end-of-line characters (a trailing carriage return is dropped too).

class LineSource {
 public:
  virtual ~LineSource() = default;
  // Next line into LINE; false at the end of the input (LINE is then empty).
  virtual bool next_line(std::string& line) = 0;
};

// Standard input; flushes standard output before every read, so a prompt is seen before the
// program waits for its answer.
LineSource& standard_input();

// For tests: while a ReplaceInput lives, standard_input() reads from SOURCE.
class ReplaceInput {
 public:
  explicit ReplaceInput(LineSource& source);
  ~ReplaceInput();
  ReplaceInput(const ReplaceInput&) = delete;
  ReplaceInput& operator=(const ReplaceInput&) = delete;

 private:
  LineSource* previous_;
};

// A text file opened by the caller; the caller keeps ownership of the stream.
class FileLineSource final : public LineSource {
 public:
  explicit FileLineSource(std::FILE* file) : file_(file) {}
  bool next_line(std::string& line) override;
  // True when a read failed (next_line then returned false as at the end of the file).
  bool failed() const { return std::ferror(file_) != 0; }

 private:
  std::FILE* file_;
};

// Reads lines from a fixed text (for tests and for re-reading a line already taken).
class StringLineSource final : public LineSource {
 public:
  explicit StringLineSource(std::string text) : text_(std::move(text)) {}
  bool next_line(std::string& line) override;

 private:
  std::string text_;
  std::size_t pos_ = 0;
};

// TEXT without its trailing blanks: a name as typed into a fixed-length answer.
std::string without_trailing_blanks(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Free-format reading. One call reads one record: it starts at the next line of the source and
// takes as many lines as it needs until every value is read; the rest of the last line used is
// ignored. Values are separated by blanks or commas; an empty value between two commas (a null
// value) leaves its variable unchanged; a slash ends the record and leaves the remaining
// variables unchanged; "r*c" stands for r copies of c, "r*" for r null values.

enum class ReadStatus {
  ok,   // every value read (or left unchanged by a null value or a slash)
  bad,  // a value could not be read; variables before it may have been set
  end,  // the source ended before every value was read
};

class FreeReader {
 public:
  explicit FreeReader(LineSource& source) : source_(source) {}

  // Reads the values of one record into the given variables (int32_t, float, double).
  template <class... T>
  ReadStatus read(T&... values) {
    start_record();
    ReadStatus status = ReadStatus::ok;
    ((status = status == ReadStatus::ok ? read_one(values) : status), ...);
    return status;
  }

 private:
  void start_record();
  // One value of type int32_t, float or double.
  template <class T>
  ReadStatus read_one(T& value);
  // The next item of the record: a value (its text in TEXT), a null value, the end of the
  // record (a slash was read) or the end of the input.
  enum class Item { value, null, end_of_record, end_of_input };
  Item next_item(std::string& text);

  LineSource& source_;
  std::string line_;
  std::size_t pos_ = 0;
  bool have_line_ = false;
  bool after_value_ = false;  // a value was taken and its separator not yet passed
  bool slash_seen_ = false;
  int repeat_left_ = 0;      // copies of REPEAT_TEXT_ still to hand out
  std::string repeat_text_;  // empty for r* (null values)
};

// Single-value parsers shared by the dialogue routines: the whole of TEXT must be the number
// (surrounding blanks allowed). Integers: optional sign and decimal digits, within 32 bits.
// Reals: optional sign, digits with an optional decimal point, an optional exponent introduced
// by E or D (either case) with an optional sign; also the exponent form without a letter
// ("1.5+3"). Reals are converted directly at the precision asked for.
bool parse_int(std::string_view text, int32_t& value);
bool parse_float(std::string_view text, float& value);
bool parse_double(std::string_view text, double& value);

// ---------------------------------------------------------------------------------------------
// Free-format writing: a line begins with one blank; texts are written unchanged; a number is
// preceded by two blanks, or one when it is negative; logicals are a blank and T or F.
// 32-bit reals: 6 significant digits, fixed from 0.1 up to 10^6 and for 0, else d.ddddddE+dd.
// 64-bit reals: 15 significant digits, fixed from 0.1 up to 10^15 and for 0, else
// d.dddddddddddddddE+ddd.

std::string free_item(int32_t value);
std::string free_item(float value);
std::string free_item(double value);
std::string free_item(bool value);

// Builds one free-format line: FreeLine() << " Files from " << first << " to " << last.
class FreeLine {
 public:
  FreeLine() : text_(" ") {}
  FreeLine& operator<<(std::string_view text) {
    text_ += text;
    return *this;
  }
  FreeLine& operator<<(const char* text) { return *this << std::string_view(text); }
  FreeLine& operator<<(const std::string& text) { return *this << std::string_view(text); }
  FreeLine& operator<<(int32_t value) { return append(free_item(value)); }
  FreeLine& operator<<(float value) { return append(free_item(value)); }
  FreeLine& operator<<(double value) { return append(free_item(value)); }
  FreeLine& operator<<(bool value) { return append(free_item(value)); }
  const std::string& str() const { return text_; }

 private:
  FreeLine& append(const std::string& item) {
    text_ += item;
    return *this;
  }
  std::string text_;
};

// ---------------------------------------------------------------------------------------------
// Fixed-width fields. A value that does not fit its field is written as asterisks filling it.

// Integer right-aligned in WIDTH columns.
std::string int_field(int64_t value, int width);
// Integer in exactly WIDTH digits with leading zeros; negative or too large gives asterisks.
std::string zero_padded_field(int64_t value, int width);
// Fixed-point number right-aligned in WIDTH columns with DECIMALS digits after the point (the
// leading zero of a value below 1 is dropped only when the field is otherwise too narrow).
std::string fixed_field(double value, int width, int decimals);
// Exponent form right-aligned in WIDTH columns: one digit before the point, DECIMALS after it,
// E and a signed exponent of at least EXPONENT_DIGITS digits.
std::string exponent_field(double value, int width, int decimals, int exponent_digits = 2);
// The general 11-column form: 4 significant digits; for 0 and for 0.1 <= |x| < 10000 (after
// rounding to 4 digits) a fixed-point number in 7 columns followed by 4 blanks (0 is 0.000),
// otherwise the exponent form d.ddddE+dd in 11 columns.
std::string general11(float value);

}  // namespace fts::textio
