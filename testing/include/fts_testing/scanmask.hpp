// The mask of a scan file's write-time stamps, for comparing written scan files with expected ones.
#pragma once

#include <string>

namespace fts::testing {

// CONTENT with the write-time stamp of every scan header set to zero: header items 129 and 130
// (day number and milliseconds of the write), bytes 128-135 of each header record. The file is
// walked scan by scan from record 1: a header record, then as many data records as its item 131
// (QQFLEN, bytes 136-139, read in the byte order that the header's byte 93 names) says. The walk
// stops at a header record that is not whole or has a negative record count; nothing else is
// changed. Use it as a Mask of a Case (cases.hpp).
std::string mask_scan_stamps(const std::string& content);

}  // namespace fts::testing
