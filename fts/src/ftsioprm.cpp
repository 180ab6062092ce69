// ftsioprm: scan-file records, byte order and header packing, and the element conversions between file records and arrays.
#include "fts/ftsioprm.hpp"

namespace fts {}  // namespace fts
