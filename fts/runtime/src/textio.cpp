// textio: the log writer, the line sources, free-format reading and writing, fixed-width fields.
#include "fts/textio.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace fts::textio {

namespace {

// Free-format reals: significant digits, the largest decimal exponent still written in fixed
// notation, and the digits of the exponent otherwise.
constexpr int kFloatDigits = 6;
constexpr int kFloatFixedMax = 5;  // up to 10^6
constexpr int kFloatExponentDigits = 2;
constexpr int kDoubleDigits = 15;
constexpr int kDoubleFixedMax = 14;  // up to 10^15
constexpr int kDoubleExponentDigits = 3;

// The general 11-column form: 4 significant digits, fixed in 7 columns and 4 blanks for decimal
// exponents -1 to 3, else d.ddddE+dd.
constexpr int kGeneralWidth = 11;
constexpr int kGeneralDigits = 4;
constexpr int kGeneralFixedWidth = 7;
constexpr int kGeneralFixedMax = 3;
constexpr int kGeneralExponentDigits = 2;

std::string* capture_sink = nullptr;   // collects standard output in tests
LineSource* input_override = nullptr;  // replaces standard input in tests

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads one line of FILE without its end of line; false at the end of the file.
bool read_file_line(std::FILE* file, std::string& line) {
  line.clear();
  int c = std::getc(file);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    line.push_back(static_cast<char>(c));
    c = std::getc(file);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

class StandardInput final : public LineSource {
 public:
  bool next_line(std::string& line) override {
    flush();
    return read_file_line(stdin, line);
  }
};

// Checks the real-number forms accepted by the readers and rewrites TEXT into the form the C
// library converts (sign, mantissa, "e", exponent).
bool normalise_real(std::string_view text, std::string& out) {
  text = trim_blanks(text);
  out.clear();
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') out.push_back('-');
    ++i;
  }
  std::size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    out.push_back(text[i++]);
    ++digits;
  }
  if (i < text.size() && text[i] == '.') {
    out.push_back(text[i++]);
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      out.push_back(text[i++]);
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i == text.size()) return true;
  // Exponent: a letter E or D (with an optional sign) or a sign alone.
  char c = text[i];
  if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) c = text[i++];
  } else if (c != '+' && c != '-') {
    return false;
  } else {
    ++i;
  }
  out.push_back('e');
  if (c == '-') out.push_back('-');
  std::size_t exp_digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    out.push_back(text[i++]);
    ++exp_digits;
  }
  return exp_digits > 0 && i == text.size();
}

// Decimal exponent of VALUE once rounded to SIG significant digits (VALUE finite, not zero).
int rounded_exponent(double value, int sig) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", sig - 1, value);
  const char* e = std::strchr(buf, 'e');
  return e ? std::atoi(e + 1) : 0;
}

// VALUE in exponent form: one digit before the point, DECIMALS after it, "E", the exponent's
// sign and at least EXPONENT_DIGITS digits.
std::string exponent_text(double value, int decimals, int exponent_digits) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%.*E", decimals, value);
  std::string text(buf);
  const auto epos = text.find('E');
  if (epos == std::string::npos) return text;
  const char sign = text[epos + 1];
  std::string digits = text.substr(epos + 2);
  if (static_cast<int>(digits.size()) < exponent_digits) {
    digits = std::string(static_cast<std::size_t>(exponent_digits) - digits.size(), '0') + digits;
  }
  while (static_cast<int>(digits.size()) > exponent_digits && digits.front() == '0') {
    digits.erase(0, 1);
  }
  return text.substr(0, epos + 1) + sign + digits;
}

std::string non_finite_text(double value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Infinity" : "Infinity";
}

// Free-format text of a real with SIG significant digits, fixed for exponents -1 .. FIXED_MAX.
std::string free_real(double value, int sig, int fixed_max, int exponent_digits) {
  std::string body;
  if (!std::isfinite(value)) {
    body = non_finite_text(value);
  } else if (value == 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", sig - 1, 0.0);
    body = buf;
  } else {
    const int x = rounded_exponent(value, sig);
    if (x >= -1 && x <= fixed_max) {
      const int decimals = sig - 1 - x;
      char buf[96];
      std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
      body = buf;
      if (decimals == 0) body += '.';
    } else {
      body = exponent_text(value, sig, exponent_digits);
    }
  }
  return (body.front() == '-' ? " " : "  ") + body;
}

std::string asterisks(int width) {
  return std::string(static_cast<std::size_t>(width), '*');
}

std::string right_aligned(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return asterisks(width);
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Standard output.

void put(std::string_view text) {
  if (capture_sink != nullptr) {
    capture_sink->append(text);
  } else {
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
}

void put_line(std::string_view text) {
  put(text);
  put("\n");
}

void flush() {
  std::fflush(stdout);
}

CaptureOutput::CaptureOutput() : previous_(capture_sink) {
  capture_sink = &text_;
}
CaptureOutput::~CaptureOutput() {
  capture_sink = previous_;
}

// ---------------------------------------------------------------------------------------------
// Line sources.

LineSource& standard_input() {
  static StandardInput input;
  return input_override != nullptr ? *input_override : input;
}

ReplaceInput::ReplaceInput(LineSource& source) : previous_(input_override) {
  input_override = &source;
}
ReplaceInput::~ReplaceInput() {
  input_override = previous_;
}

bool FileLineSource::next_line(std::string& line) {
  return read_file_line(file_, line);
}

bool StringLineSource::next_line(std::string& line) {
  line.clear();
  if (pos_ >= text_.size()) return false;
  auto end = text_.find('\n', pos_);
  if (end == std::string::npos) end = text_.size();
  line = text_.substr(pos_, end - pos_);
  pos_ = end + 1;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// ---------------------------------------------------------------------------------------------
// Number parsers.

bool parse_int(std::string_view text, int32_t& value) {
  text = trim_blanks(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    v = v * 10 + (text[i] - '0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool parse_float(std::string_view text, float& value) {
  std::string normal;
  if (!normalise_real(text, normal)) return false;
  const float v = std::strtof(normal.c_str(), nullptr);
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

bool parse_double(std::string_view text, double& value) {
  std::string normal;
  if (!normalise_real(text, normal)) return false;
  const double v = std::strtod(normal.c_str(), nullptr);
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Free-format reading.

void FreeReader::start_record() {
  have_line_ = false;
  after_value_ = false;
  slash_seen_ = false;
  repeat_left_ = 0;
  repeat_text_.clear();
}

FreeReader::Item FreeReader::next_item(std::string& text) {
  if (slash_seen_) return Item::end_of_record;
  if (repeat_left_ > 0) {
    --repeat_left_;
    text = repeat_text_;
    return text.empty() ? Item::null : Item::value;
  }
  for (;;) {
    if (!have_line_) {
      if (!source_.next_line(line_)) return Item::end_of_input;
      have_line_ = true;
      pos_ = 0;
    }
    while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
    if (pos_ >= line_.size()) {
      // The end of a line separates values like a blank; the record goes on in the next line.
      have_line_ = false;
      continue;
    }
    const char c = line_[pos_];
    if (c == ',') {
      ++pos_;
      if (after_value_) {
        after_value_ = false;
        continue;
      }
      return Item::null;
    }
    if (c == '/') {
      slash_seen_ = true;
      return Item::end_of_record;
    }
    const std::size_t start = pos_;
    while (pos_ < line_.size() && !is_blank(line_[pos_]) && line_[pos_] != ',' &&
           line_[pos_] != '/') {
      ++pos_;
    }
    text = line_.substr(start, pos_ - start);
    after_value_ = true;
    // A repeat count: r*c or r*.
    const auto star = text.find('*');
    if (star != std::string::npos && star > 0) {
      int32_t count = 0;
      if (!parse_int(std::string_view(text).substr(0, star), count) || count < 1 ||
          text[0] == '+' || text[0] == '-') {
        return Item::value;  // not a repeat count: the parser will refuse the text
      }
      repeat_text_ = text.substr(star + 1);
      repeat_left_ = count - 1;
      text = repeat_text_;
      return text.empty() ? Item::null : Item::value;
    }
    return Item::value;
  }
}

namespace {

bool parse(std::string_view text, int32_t& value) {
  return parse_int(text, value);
}
bool parse(std::string_view text, float& value) {
  return parse_float(text, value);
}
bool parse(std::string_view text, double& value) {
  return parse_double(text, value);
}

}  // namespace

template <class T>
ReadStatus FreeReader::read_one(T& value) {
  std::string text;
  switch (next_item(text)) {
    case Item::value:
      return parse(text, value) ? ReadStatus::ok : ReadStatus::bad;
    case Item::end_of_input:
      return ReadStatus::end;
    default:
      return ReadStatus::ok;
  }
}

template ReadStatus FreeReader::read_one(int32_t& value);
template ReadStatus FreeReader::read_one(float& value);
template ReadStatus FreeReader::read_one(double& value);

std::string without_trailing_blanks(std::string_view text) {
  const auto end = text.find_last_not_of(' ');
  return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

// ---------------------------------------------------------------------------------------------
// Free-format writing.

std::string free_item(int32_t value) {
  return (value < 0 ? " " : "  ") + std::to_string(value);
}

std::string free_item(float value) {
  return free_real(static_cast<double>(value), kFloatDigits, kFloatFixedMax, kFloatExponentDigits);
}

std::string free_item(double value) {
  return free_real(value, kDoubleDigits, kDoubleFixedMax, kDoubleExponentDigits);
}

std::string free_item(bool value) {
  return value ? " T" : " F";
}

// ---------------------------------------------------------------------------------------------
// Fixed-width fields.

std::string int_field(int64_t value, int width) {
  return right_aligned(std::to_string(value), width);
}

std::string zero_padded_field(int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (value < 0 || static_cast<int>(digits.size()) > width) return asterisks(width);
  return std::string(static_cast<std::size_t>(width) - digits.size(), '0') + digits;
}

std::string fixed_field(double value, int width, int decimals) {
  if (!std::isfinite(value)) return right_aligned(non_finite_text(value), width);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string text(buf);
  if (decimals == 0) text += '.';  // the point is always written
  if (static_cast<int>(text.size()) > width) {
    // The optional leading zero goes first.
    if (text.rfind("0.", 0) == 0) {
      text.erase(0, 1);
    } else if (text.rfind("-0.", 0) == 0) {
      text.erase(1, 1);
    }
  }
  return right_aligned(text, width);
}

std::string exponent_field(double value, int width, int decimals, int exponent_digits) {
  if (!std::isfinite(value)) return right_aligned(non_finite_text(value), width);
  std::string text = exponent_text(value, decimals, exponent_digits);
  if (static_cast<int>(text.size() - text.find('E')) - 2 > exponent_digits) {
    return asterisks(width);
  }
  return right_aligned(text, width);
}

std::string general11(float value) {
  const double v = value;
  if (!std::isfinite(v)) return right_aligned(non_finite_text(v), kGeneralWidth);
  // Zero is written like a value from 1 up: 0.000.
  const int x = v == 0 ? 0 : rounded_exponent(v, kGeneralDigits);
  if (x >= -1 && x <= kGeneralFixedMax) {
    return fixed_field(v == 0 ? 0.0 : v, kGeneralFixedWidth, kGeneralDigits - 1 - x) +
           std::string(kGeneralWidth - kGeneralFixedWidth, ' ');
  }
  return exponent_field(v, kGeneralWidth, kGeneralDigits, kGeneralExponentDigits);
}

}  // namespace fts::textio
