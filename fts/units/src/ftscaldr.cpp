// ftscaldr: day numbers, calendar dates, weekdays, times of day and their texts.
#include "fts/ftscaldr.hpp"

#include "fts/textio.hpp"

namespace fts {

namespace {

// Floor division for a positive divisor.
int64_t floor_div(int64_t a, int64_t b) {
  int64_t q = a / b;
  if (a % b != 0 && a < 0) --q;
  return q;
}

// Historical years: 1 BC (year -1) counts as year 0 for the leap rule.
bool leap_year(int32_t year) {
  const int64_t y = year < 0 ? int64_t{year} + 1 : year;
  return y % 400 == 0 || (y % 4 == 0 && y % 100 != 0);
}

// Day numbers are 32-bit; the arithmetic runs in 64 bits and wraps back like 32-bit integers,
// so absurd header values give some number rather than an overflow.
int32_t wrap32(int64_t v) {
  return static_cast<int32_t>(v);
}

// Copies TEXT into the first characters of STR, growing STR when it is shorter.
void put_text(std::string& STR, const std::string& text) {
  if (STR.size() < text.size()) STR.resize(text.size(), ' ');
  STR.replace(0, text.size(), text);
}

}  // namespace

void GRJUL1(int32_t IYEAR, int32_t IDOY, int32_t& JDAY) {
  const int64_t y = IYEAR > 0 ? int64_t{IYEAR} - 1 : IYEAR;
  const int64_t q = floor_div(y, 400);
  const int64_t r = y - 400 * q;
  const int64_t c = r / 100;
  const int64_t f = (r % 100) / 4;
  const int64_t e = (r % 100) % 4;
  JDAY = wrap32(146097 * q + 36524 * c + 1461 * f + 365 * e + IDOY);
}

void JULGR1(int32_t JDAY, int32_t& IYEAR, int32_t& IDOY) {
  const int64_t a = int64_t{JDAY} - 1;
  const int64_t q = floor_div(a, 146097);
  int64_t r = a - 146097 * q;
  int64_t c = r / 36524;
  if (c > 3) c = 3;
  r -= 36524 * c;
  const int64_t f = r / 1461;
  r %= 1461;
  int64_t e = r / 365;
  if (e > 3) e = 3;
  r -= 365 * e;
  int64_t y = 400 * q + 100 * c + 4 * f + e;
  if (y >= 0) y += 1;
  IYEAR = wrap32(y);
  IDOY = wrap32(r + 1);
}

void DATDAY(int32_t IYEAR, int32_t IMON, int32_t IDAY, int32_t& IDOY) {
  // A 30-day February is assumed first, then corrected.
  int64_t b = (int64_t{IMON} + 2) * 611 / 20 - 91 + IDAY;
  if (leap_year(IYEAR)) {
    if (b > 60) b -= 1;
  } else if (b > 59) {
    b -= 2;
  }
  IDOY = wrap32(b);
}

void DAYDAT(int32_t IDOY, int32_t IYEAR, int32_t& IMON, int32_t& IDAY) {
  int64_t c = int64_t{IDOY} + 91;
  if (leap_year(IYEAR)) {
    if (c > 151) c += 1;
  } else if (c > 150) {
    c += 2;
  }
  const int64_t m = c * 20 / 611;
  IMON = wrap32(m - 2);
  IDAY = wrap32(c - m * 611 / 20);
}

void GRJUL2(int32_t IYEAR, int32_t IMON, int32_t IDAY, int32_t& JDAY) {
  int32_t doy = 0;
  DATDAY(IYEAR, IMON, IDAY, doy);
  GRJUL1(IYEAR, doy, JDAY);
}

void JULGR2(int32_t JDAY, int32_t& IYEAR, int32_t& IMON, int32_t& IDAY) {
  int32_t doy = 0;
  JULGR1(JDAY, IYEAR, doy);
  DAYDAT(doy, IYEAR, IMON, IDAY);
}

void ZELLR3(int32_t JDAY, int32_t& IWDAY) {
  int32_t r = JDAY % 7;
  if (r < 0) r += 7;
  IWDAY = r + 1;
}

void ZELLR1(int32_t IYEAR, int32_t IDOY, int32_t& IWDAY) {
  int32_t jday = 0;
  GRJUL1(IYEAR, IDOY, jday);
  ZELLR3(jday, IWDAY);
}

void ZELLR2(int32_t IYEAR, int32_t IMON, int32_t IDAY, int32_t& IWDAY) {
  int32_t jday = 0;
  GRJUL2(IYEAR, IMON, IDAY, jday);
  ZELLR3(jday, IWDAY);
}

void TIMEMS(int32_t IHOUR, int32_t IMIN, int32_t ISEC, int32_t IMSEC, int32_t& MSEC) {
  MSEC = wrap32(((int64_t{IHOUR} * 60 + IMIN) * 60 + ISEC) * 1000 + IMSEC);
}

void MSTIME(int32_t MSEC, int32_t& IHOUR, int32_t& IMIN, int32_t& ISEC, int32_t& IMSEC) {
  IHOUR = MSEC / 3600000;
  const int32_t rest = MSEC - 3600000 * IHOUR;
  IMIN = rest / 60000;
  const int32_t rest2 = rest - 60000 * IMIN;
  ISEC = rest2 / 1000;
  IMSEC = rest2 - 1000 * ISEC;
}

void JULSTR(std::string& STR, int32_t JDAY) {
  int32_t year = 0, month = 0, day = 0;
  JULGR2(JDAY, year, month, day);
  using textio::zero_padded_field;
  put_text(STR, zero_padded_field(month, 2) + "/" + zero_padded_field(day, 2) + "/" +
                    zero_padded_field(year % 100, 2));
}

void MSCSTR(std::string& STR, int32_t MSEC) {
  int32_t h = 0, m = 0, s = 0, ms = 0;
  MSTIME(MSEC, h, m, s, ms);
  using textio::zero_padded_field;
  put_text(STR, zero_padded_field(h, 2) + ":" + zero_padded_field(m, 2) + ":" +
                    zero_padded_field(s, 2) + "." + zero_padded_field(ms, 3));
}

}  // namespace fts
