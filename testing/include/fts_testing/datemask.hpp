// The mask of the date text that reports carry (the run's date and time), for comparing reports
// with expected ones.
#pragma once

#include <string>
#include <string_view>

namespace fts::testing {

// What every date text becomes under the mask; expected reports hold it where the date stands.
inline constexpr std::string_view kDateTextMask = "dd-Mon-yy  hh:mm:ss";

// TEXT with every date text replaced by kDateTextMask. A date text is 19 characters of the form
// "05-Mar-24  21:07:03": day, month name in mixed case and year between "-", two blanks, hours,
// minutes and seconds between ":", every number two digits. Nothing else is changed. Use it as a
// Mask of a Case (cases.hpp).
std::string mask_date_texts(const std::string& text);

}  // namespace fts::testing
