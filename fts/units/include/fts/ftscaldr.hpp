// ftscaldr: day numbers of the proleptic Gregorian calendar (1 January of year 1 = day 1),
// calendar dates, weekdays, times of day in milliseconds, and their short texts.
#pragma once

#include <cstdint>
#include <string>

namespace fts {

// ---------------------------------------------------------------------------------------------
// Day numbers and calendar dates. Years count historically (1 BC = year -1, no year 0).

void GRJUL1(int32_t IYEAR, int32_t IDOY, int32_t& JDAY);                 // year, day of year -> day
void JULGR1(int32_t JDAY, int32_t& IYEAR, int32_t& IDOY);                // day -> year, day of year
void DATDAY(int32_t IYEAR, int32_t IMON, int32_t IDAY, int32_t& IDOY);   // date -> day of year
void DAYDAT(int32_t IDOY, int32_t IYEAR, int32_t& IMON, int32_t& IDAY);  // day of year -> date
void GRJUL2(int32_t IYEAR, int32_t IMON, int32_t IDAY, int32_t& JDAY);   // date -> day number
void JULGR2(int32_t JDAY, int32_t& IYEAR, int32_t& IMON, int32_t& IDAY);  // day number -> date

// ---------------------------------------------------------------------------------------------
// Weekdays: 1 = Sunday .. 7 = Saturday.

void ZELLR3(int32_t JDAY, int32_t& IWDAY);
void ZELLR1(int32_t IYEAR, int32_t IDOY, int32_t& IWDAY);
void ZELLR2(int32_t IYEAR, int32_t IMON, int32_t IDAY, int32_t& IWDAY);

// ---------------------------------------------------------------------------------------------
// Times of day in milliseconds since midnight.

void TIMEMS(int32_t IHOUR, int32_t IMIN, int32_t ISEC, int32_t IMSEC, int32_t& MSEC);
void MSTIME(int32_t MSEC, int32_t& IHOUR, int32_t& IMIN, int32_t& ISEC, int32_t& IMSEC);

// ---------------------------------------------------------------------------------------------
// Texts. The first 8 (12) characters of STR are written; STR grows to that length if shorter.

void JULSTR(std::string& STR, int32_t JDAY);  // "mm/dd/yy"
void MSCSTR(std::string& STR, int32_t MSEC);  // "hh:mm:ss.mmm"

}  // namespace fts
