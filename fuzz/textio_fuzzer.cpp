// textio_fuzzer: the free-format reader and the number parsers over arbitrary text, and the
// fixed-width and free-format writers over arbitrary values.
//
// The first byte chooses the layout of a record (ten integers; an integer, eight reals and an
// integer, as the time series have it; or two reals, an integer, a real and an integer) and, by
// its bit 7, reals of double precision; the rest is the text, read record after record to its
// end, and each of its lines is also given to the three number parsers. The
// writers take their values from the bytes of the text. Findings besides crashes: a fixed-width
// field that is not exactly its width, a free-format item that does not begin with its blanks.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fts/textio.hpp"
#include "harness.hpp"

namespace {

namespace textio = fts::textio;
using fts::fuzz::expect;

constexpr int kMaxRecords = 256;

// Reads records of the layout that SHAPE chooses until the text ends.
template <class Real>
void read_records(std::string_view text, unsigned shape) {
  textio::StringLineSource lines{std::string(text)};
  textio::FreeReader reader(lines);
  for (int r = 0; r < kMaxRecords; ++r) {
    int32_t i[10] = {};
    Real x[10] = {};
    textio::ReadStatus status;
    if ((shape & 0x7f) == 0) {
      status = reader.read(i[0], i[1], i[2], i[3], i[4], i[5], i[6], i[7], i[8], i[9]);
    } else if ((shape & 1) != 0) {
      status = reader.read(i[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], x[8], i[9]);
    } else {
      status = reader.read(x[0], x[1], i[2], x[3], i[4]);
    }
    if (status == textio::ReadStatus::end) return;
  }
}

void parse_lines(std::string_view text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    int32_t i = 0;
    float f = 0;
    double d = 0;
    textio::parse_int(line, i);
    textio::parse_float(line, f);
    textio::parse_double(line, d);
    start = end + 1;
  }
}

// Formats values taken from BYTES and checks the widths.
void write_values(std::string_view bytes) {
  for (std::size_t at = 0; at + 12 <= bytes.size(); at += 12) {
    double d = 0;
    float f = 0;
    std::memcpy(&d, bytes.data() + at, sizeof d);
    std::memcpy(&f, bytes.data() + at + 8, sizeof f);
    const auto b = static_cast<unsigned char>(bytes[at + 8]);
    const int width = 1 + b % 40;
    const int decimals = b / 40 % 20;
    const int exponent_digits = 1 + b % 4;
    const auto n = static_cast<int64_t>(d == d && d > -9.2e18 && d < 9.2e18 ? d : 0);
    expect(textio::int_field(n, width).size() == static_cast<std::size_t>(width),
           "an integer field is not its width");
    expect(textio::zero_padded_field(n, width).size() == static_cast<std::size_t>(width),
           "a zero-padded field is not its width");
    expect(textio::fixed_field(d, width, decimals).size() == static_cast<std::size_t>(width),
           "a fixed-point field is not its width");
    expect(textio::exponent_field(d, width, decimals, exponent_digits).size() ==
               static_cast<std::size_t>(width),
           "an exponent field is not its width");
    expect(textio::general11(f).size() == 11, "a general field is not 11 columns");
    for (const std::string& item :
         {textio::free_item(f), textio::free_item(d), textio::free_item(static_cast<int32_t>(n))}) {
      expect(item.size() >= 2 && item[0] == ' ' && (item[1] == ' ' || item[1] == '-'),
             "a free-format item does not begin with its blanks");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned shape = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((shape & 0x80) != 0) {
    read_records<double>(text, shape);
  } else {
    read_records<float>(text, shape);
  }
  parse_lines(text);
  write_values(text);
  return 0;
}
