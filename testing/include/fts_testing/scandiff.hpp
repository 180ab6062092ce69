// A readable comparison of scan files: scan by scan, header item by header item, data element by
// data element.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace fts::testing {

// Compares two scan files. On a difference the failure lists, scan by scan, every header item
// that differs (item number, its bytes in the record, both values) and every data element that
// differs (element number, both values, read as the expected header's QQDTYP says: 16-bit or
// 32-bit integers or 32-bit floats), then a difference in the number of scans or in bytes behind
// the last scan. Headers are read in the byte order that their byte 93 names, as the library
// reads them. Use it as a Compare of a Case (cases.hpp), after the stamp mask (scanmask.hpp).
::testing::AssertionResult same_scan_file(const std::string& expected, const std::string& actual);

}  // namespace fts::testing
