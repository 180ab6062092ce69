// ftsioprm: scan-file records, byte order and header packing, and the element conversions between file records and arrays.
#pragma once

namespace fts {}  // namespace fts
