// header: the stop for an item number that no scan header has.
#include "fts/header.hpp"

#include <string>

#include "fts/lun.hpp"

namespace fts::detail {

// item_outside_header: end the run on an item number outside 1-224.
// Given:     item   the item number asked for
// Notes: writes "HEADER   01> - ITEM n OUTSIDE 1-224" and "#ERROR", closes every unit and ends
// the process with exit status 0, as the error stop does; the header layer lies below the
// dialogue, so it stops through the unit table (lun::stop_with_message), not STPLOG.
void item_outside_header(int32_t item) {
  lun::stop_with_message("HEADER   01> - ITEM " + std::to_string(item) + " OUTSIDE 1-224");
}

}  // namespace fts::detail
