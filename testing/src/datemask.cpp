// The mask of date texts in reports.
#include "fts_testing/datemask.hpp"

#include <array>
#include <cctype>

namespace fts::testing {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Whether the 19 characters of TEXT from AT form a date text.
bool date_text_at(const std::string& text, std::size_t at) {
  const std::string_view s = std::string_view(text).substr(at, kDateTextMask.size());
  if (s.size() != kDateTextMask.size()) return false;
  // Positions of the two-digit numbers, and the separators between them.
  for (std::size_t i : {0, 1, 7, 8, 11, 12, 14, 15, 17, 18}) {
    if (!digit(s[i])) return false;
  }
  if (s[2] != '-' || s[6] != '-' || s.substr(9, 2) != "  " || s[13] != ':' || s[16] != ':') {
    return false;
  }
  for (std::string_view m : kMonths) {
    if (s.substr(3, 3) == m) return true;
  }
  return false;
}

}  // namespace

// mask_date_texts: replace the date texts of a report by a fixed text.
// Given:     text     a report
// Returned:  (value)  TEXT with every date text "dd-Mon-yy  hh:mm:ss" replaced by kDateTextMask
std::string mask_date_texts(const std::string& text) {
  std::string out = text;
  for (std::size_t at = 0; at + kDateTextMask.size() <= out.size();) {
    if (date_text_at(out, at)) {
      out.replace(at, kDateTextMask.size(), kDateTextMask);
      at += kDateTextMask.size();
    } else {
      ++at;
    }
  }
  return out;
}

}  // namespace fts::testing
