// ftschars: fixed-length text helpers, element positions in scan-file records, and the clock
// texts.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace fts {

// ---------------------------------------------------------------------------------------------
// Fixed-length texts (positions from 1).

int32_t KUTL(std::string_view STR);  // first non-blank position; length + 1 when all blank
int32_t KUTR(std::string_view STR);  // last non-blank position; 0 when all blank
void UPCASE(std::string& STR);       // a-z to A-Z in place, all else unchanged

// ---------------------------------------------------------------------------------------------
// Record and slot (from 1) of element N (from 1) in 512-byte records.

void LOCI2(int32_t N, int32_t& IREC, int32_t& IPOS);  // 256 elements per record
void LOCI4(int32_t N, int32_t& IREC, int32_t& IPOS);  // 128 elements per record
void LOCR4(int32_t N, int32_t& IREC, int32_t& IPOS);  // 128 elements per record

// ---------------------------------------------------------------------------------------------
// Clock texts in local time: the date as "dd-Mon-yy" (9 characters), the time as "hh:mm:ss".

void DATE(std::string& STR);
void TIME(std::string& STR);
inline void DATE_(std::string& STR) {
  DATE(STR);
}
inline void TIME_(std::string& STR) {
  TIME(STR);
}

namespace detail {
// The two texts of a broken-down local time.
std::string date_text(const std::tm& t);
std::string time_text(const std::tm& t);
}  // namespace detail

}  // namespace fts
