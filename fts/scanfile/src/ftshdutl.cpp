// ftshdutl: scan header items: names, copies and merges, texts, calibration pairs, units, axes.
#include "fts/ftshdutl.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "fts/ftscaldr.hpp"
#include "fts/ftsmtutl.hpp"

namespace fts {

namespace {

// Names of the byte items 65-94 and of the integer items 129-175, in item order.
constexpr std::array<std::string_view, 30> kByteNames = {
    "QQSYSV", "QQDTYP", "QQDKND", "QQDREP", "QQDYUN", "QQDXUN", "QQDEVC", "QQMOTN",
    "QQCDWN", "QQGAN1", "QQGAN2", "QQGAN3", "QQTTYP", "QQTSFT", "QQPHCR", "QQAPOD",
    "QQNTRP", "QQPWGT", "QQSSUN", "QQCYUN", "QQCXUN", "QQDYPW", "QQCYPW", "QQDINV",
    "QQDRAT", "QQGCOR", "QQSCOR", "QQCTYP", "QQISUN", "QQBORD"};
constexpr std::array<std::string_view, 47> kIntegerNames = {
    "QQFCDY", "QQFCMS", "QQFLEN", "QQDSIZ", "QQDSCL", "QQSRCF", "QQIBDY", "QQIBMS",
    "QQIEDY", "QQIEMS", "QQIDUR", "QQADDS", "QQISIZ", "QQADBT", "QQADRG", "QQADSB",
    "QQISMP", "QQISLP", "QQIOFF", "QQILEN", "QQICEN", "QQIMOD", "QQISUB", "QQIAVG",
    "QQTBEG", "QQTLEN", "QQTCEN", "QQTSIZ", "QQRESL", "QQPHSZ", "QQAPAR", "QQSSMP",
    "QQSTSZ", "QQSSLP", "QQSOFF", "QQSLEN", "QQCFA0", "QQCFA1", "QQCFB0", "QQCFB1",
    "QQCFC0", "QQCFC1", "QQCFD0", "QQCFD1", "QQCFE0", "QQCFE1", "QQALIA"};
static_assert(QQSYSV + static_cast<int32_t>(kByteNames.size()) - 1 == QQBORD);
static_assert(QQFCDY + static_cast<int32_t>(kIntegerNames.size()) - 1 == QQALIA);

constexpr int32_t kTextLength = 32;  // characters of each header text

// Size of one axis count for sample unit codes 0 and 1, and for code 2.
constexpr double kCount01 = 1.0e-10;
constexpr double kCount2 = 1.0e-12;

// Line-width factors of the apodisation windows 0-5 (32-bit constants).
constexpr std::array<float, 6> kFwhmFactor = {1.207f, 1.737f, 2.127f, 2.443f, 2.717f, 2.961f};

// 32-bit integer sums wrap around instead of overflowing.
int32_t wrap_add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t wrap_sub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Stores TEXT, cut or blank-padded to 32 characters, as character codes 0-255 from item FIRST.
void put_text(Header& hdr, int32_t first, std::string_view text) {
  for (int32_t i = 0; i < kTextLength; ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    const char c = k < text.size() ? text[k] : ' ';
    hdr(first + i) = static_cast<unsigned char>(c);
  }
}

// The 32 characters of the items from FIRST (low 8 bits of each), cut or blank-padded to the
// size of TEXT; an empty TEXT takes all 32.
void get_text(const Header& hdr, int32_t first, std::string& text) {
  const std::size_t length = text.empty() ? kTextLength : text.size();
  text.assign(length, ' ');
  for (int32_t i = 0; i < kTextLength && static_cast<std::size_t>(i) < length; ++i) {
    text[static_cast<std::size_t>(i)] = static_cast<char>(hdr(first + i) & 0xFF);
  }
}

// True when (day1, ms1) lies before (day2, ms2).
bool earlier(int32_t day1, int32_t ms1, int32_t day2, int32_t ms2) {
  return day1 < day2 || (day1 == day2 && ms1 < ms2);
}

}  // namespace

// HDRNAM: name of a header item.
// Given:     ITEM  item number (1-224)
// Returned:  NAME  its six-character name: "QQDSRC" for items 1-32, "QQRMRK" for 33-64,
//                  "UNDEFD" for reserved and user items, "WHAT ?" outside 1-224
void HDRNAM(std::string& NAME, int32_t ITEM) {
  if (ITEM < 1 || ITEM > kHeaderItems) {
    NAME = "WHAT ?";
  } else if (ITEM < QQRMRK) {
    NAME = "QQDSRC";
  } else if (ITEM < QQSYSV) {
    NAME = "QQRMRK";
  } else if (ITEM <= QQBORD) {
    NAME = kByteNames[static_cast<std::size_t>(ITEM - QQSYSV)];
  } else if (ITEM >= QQFCDY && ITEM <= QQALIA) {
    NAME = kIntegerNames[static_cast<std::size_t>(ITEM - QQFCDY)];
  } else {
    NAME = "UNDEFD";
  }
}

// INITHD: initialise a header.
// Returned:  HDR  items 1-64 = 32 (both texts blank), items 65-224 = 0
void INITHD(Header& HDR) {
  HDR.items().fill(0);
  for (int32_t i = QQDSRC; i < QQSYSV; ++i) HDR(i) = ' ';
}

// DUPHDR: copy a header.
// Given:     HDRA  header
// Returned:  HDRB  copy of all 224 items of HDRA
void DUPHDR(const Header& HDRA, Header& HDRB) {
  HDRB = HDRA;
}

// ADDHDR: merge the times and counts of one header into another, as for a sum of scans.
// Given:     HDRA  header of the scan added
// Given and returned:
//            HDRB  header of the sum: begin time the earlier, end time the later of the two;
//                  QQIDUR and QQADDS summed
// Notes: 1. Times compare by day number, then milliseconds; equal times change nothing.
//        2. The sums are 32-bit and wrap around on overflow. No other item changes.
void ADDHDR(const Header& HDRA, Header& HDRB) {
  // Begin time: keep the earlier.
  if (earlier(HDRA(QQIBDY), HDRA(QQIBMS), HDRB(QQIBDY), HDRB(QQIBMS))) {
    HDRB(QQIBDY) = HDRA(QQIBDY);
    HDRB(QQIBMS) = HDRA(QQIBMS);
  }
  // End time: keep the later.
  if (earlier(HDRB(QQIEDY), HDRB(QQIEMS), HDRA(QQIEDY), HDRA(QQIEMS))) {
    HDRB(QQIEDY) = HDRA(QQIEDY);
    HDRB(QQIEMS) = HDRA(QQIEMS);
  }
  // Duration and scan count add up.
  HDRB(QQIDUR) = wrap_add(HDRB(QQIDUR), HDRA(QQIDUR));
  HDRB(QQADDS) = wrap_add(HDRB(QQADDS), HDRA(QQADDS));
}

// PTDSRC: put the data-source text into a header.
// Given:     TEXT  text; cut after 32 characters, blank-padded to 32
// Given and returned:
//            HDR   items 1-32 = the character codes (0-255)
void PTDSRC(Header& HDR, std::string_view TEXT) {
  put_text(HDR, QQDSRC, TEXT);
}

// PTRMRK: put the remark text into a header.
// Given:     TEXT  text; cut after 32 characters, blank-padded to 32
// Given and returned:
//            HDR   items 33-64 = the character codes (0-255)
void PTRMRK(Header& HDR, std::string_view TEXT) {
  put_text(HDR, QQRMRK, TEXT);
}

// GTDSRC: get the data-source text of a header.
// Given:     HDR   header
// Given and returned:
//            TEXT  the 32 characters of items 1-32 (low 8 bits of each as the code), cut or
//                  blank-padded to the size of TEXT; an empty TEXT becomes 32 characters
void GTDSRC(const Header& HDR, std::string& TEXT) {
  get_text(HDR, QQDSRC, TEXT);
}

// GTRMRK: get the remark text of a header.
// Given:     HDR   header
// Given and returned:
//            TEXT  the 32 characters of items 33-64, as for GTDSRC
void GTRMRK(const Header& HDR, std::string& TEXT) {
  get_text(HDR, QQRMRK, TEXT);
}

// PTCALB: store five calibration coefficients as mantissa/binary-exponent pairs.
// Given:     CAL   the coefficients
// Given and returned:
//            HDR   items 165+2(k-1) = mantissa, 166+2(k-1) = exponent E of CAL(k), so that
//                  CAL(k) = mantissa * 2^E with 2^30 <= |mantissa| < 2^31; QQSCOR = 1
// Notes: 1. With e the binary exponent of CAL(k) (SCALDB), E = e - 31 and the mantissa is
//           CAL(k)/2^E truncated toward zero: 31 significant bits.
//        2. A zero coefficient, and one that is infinite or not a number (which has no such
//           pair), is stored as 0, 0.
void PTCALB(Header& HDR, std::span<const double, 5> CAL) {
  for (int32_t k = 0; k < 5; ++k) {
    const double c = CAL[static_cast<std::size_t>(k)];
    int32_t mantissa = 0;
    int32_t exponent = 0;
    if (c != 0 && std::isfinite(c)) {
      int32_t e = 0;
      SCALDB(c, e);
      exponent = e - 31;
      // ldexp scales exactly, also where 2^-exponent alone would not be representable.
      mantissa = static_cast<int32_t>(std::trunc(std::ldexp(c, -exponent)));
    }
    HDR(QQCFA0 + 2 * k) = mantissa;
    HDR(QQCFA1 + 2 * k) = exponent;
  }
  HDR(QQSCOR) = 1;
}

// GTCALB: the five calibration coefficients of a header.
// Given:     HDR   header
// Returned:  CAL   CAL(k) = HDR(163+2k) * 2^HDR(164+2k), k = 1..5 (exact where representable)
void GTCALB(const Header& HDR, std::span<double, 5> CAL) {
  for (int32_t k = 0; k < 5; ++k) {
    CAL[static_cast<std::size_t>(k)] =
        std::ldexp(static_cast<double>(HDR(QQCFA0 + 2 * k)), HDR(QQCFA1 + 2 * k));
  }
}

// CNVARB: volts per count of the analogue-to-digital converter.
// Given:     HDR   header (QQADRG range in microvolts, QQADBT bits)
// Returned:  VPC   QQADRG * 1e-6 / 2^QQADBT
// Notes: computed in double and rounded once to 32 bits. The exponent is negated in 64 bits (the
//        bits may be any 32-bit value); a quotient beyond the float range is an infinity of its
//        sign.
void CNVARB(const Header& HDR, float& VPC) {
  const auto exponent = static_cast<int>(std::clamp<int64_t>(-int64_t{HDR(QQADBT)}, -4096, 4096));
  const double v = std::ldexp(static_cast<double>(HDR(QQADRG)) * 1.0e-6, exponent);
  constexpr double kMax = std::numeric_limits<float>::max();
  VPC = v > kMax    ? std::numeric_limits<float>::infinity()
        : v < -kMax ? -std::numeric_limits<float>::infinity()
                    : static_cast<float>(v);
}

// GTDATE: date text of the acquisition begin.
// Given:     HDR   header
// Given and returned:
//            TEXT  its first 8 characters = JULSTR of QQIBDY ("mm/dd/yy")
void GTDATE(const Header& HDR, std::string& TEXT) {
  JULSTR(TEXT, HDR(QQIBDY));
}

// GTTIME: time text of the acquisition begin.
// Given:     HDR   header
// Given and returned:
//            TEXT  its first 12 characters = MSCSTR of QQIBMS ("hh:mm:ss.mmm")
void GTTIME(const Header& HDR, std::string& TEXT) {
  MSCSTR(TEXT, HDR(QQIBMS));
}

// DATUNI: unit text of the data values.
// Given:     HDR   header
//            A     exponent denominator
//            S1    text shown at the start of a superscript
//            S2    text shown at its end
// Returned:  U     DUNITS(HDR, A) with the superscript markers replaced (DEFSSC)
void DATUNI(const Header& HDR, int32_t A, std::string_view S1, std::string_view S2, UnitText& U) {
  DUNITS(HDR, A, U);
  DEFSSC(U, S1, S2);
}

// SMPUNI: unit text of the sample axis.
// Given:     HDR   header
//            S1    text shown at the start of a superscript
//            S2    text shown at its end
// Given and returned:
//            U     IBASUN(QQISUN) for an interferogram, SBASUN(QQSSUN) for a spectrum, left as
//                  it was for another kind; then the superscript markers replaced (DEFSSC)
void SMPUNI(const Header& HDR, std::string_view S1, std::string_view S2, UnitText& U) {
  if (HDR(QQDKND) == 0) {
    IBASUN(HDR(QQISUN), U);
  } else if (HDR(QQDKND) == 1) {
    SBASUN(HDR(QQSSUN), U);
  }
  DEFSSC(U, S1, S2);
}

// INTSID: points on either side of the interferogram centre.
// Given:     HDR   header
// Returned:  NL    QQICEN + 1, the points up to and including the centre
//            NR    QQILEN - QQICEN, the points from the centre on
// Notes: both 0 when QQILEN = 0; the 32-bit sums wrap around on overflow.
void INTSID(const Header& HDR, int32_t& NL, int32_t& NR) {
  if (HDR(QQILEN) == 0) {
    NL = 0;
    NR = 0;
    return;
  }
  NL = wrap_add(HDR(QQICEN), 1);
  NR = wrap_sub(HDR(QQILEN), HDR(QQICEN));
}

// INTCNT: physical size of one interferogram axis count.
// Given:     HDR   header
// Given and returned:
//            CNT   QQISMP * 1e-10 for sample unit code QQISUN 0 or 1, QQISMP * 1e-12 for
//                  code 2; left as it was for any other code
void INTCNT(const Header& HDR, double& CNT) {
  switch (HDR(QQISUN)) {
    case 0:
    case 1:
      CNT = static_cast<double>(HDR(QQISMP)) * kCount01;
      break;
    case 2:
      CNT = static_cast<double>(HDR(QQISMP)) * kCount2;
      break;
    default:
      break;
  }
}

// INTSMP: interferogram sample spacing.
// Given:     HDR   header
// Returned:  SMP   QQISLP * INTCNT (0 for an unknown sample unit code)
void INTSMP(const Header& HDR, double& SMP) {
  double cnt = 0;
  INTCNT(HDR, cnt);
  SMP = static_cast<double>(HDR(QQISLP)) * cnt;
}

// INTOFF: position of interferogram point 1.
// Given:     HDR   header
// Returned:  OFF   QQIOFF * INTCNT (0 for an unknown sample unit code)
void INTOFF(const Header& HDR, double& OFF) {
  double cnt = 0;
  INTCNT(HDR, cnt);
  OFF = static_cast<double>(HDR(QQIOFF)) * cnt;
}

// INTCON: interferogram axis constants.
// Given:     HDR   header
// Returned:  SMP   sample spacing (INTSMP)
//            CON   position of point 0, INTOFF - INTSMP
void INTCON(const Header& HDR, double& SMP, double& CON) {
  double off = 0;
  INTSMP(HDR, SMP);
  INTOFF(HDR, off);
  CON = off - SMP;
}

// INTIND: interferogram point index of a position.
// Given:     X     position; SMP, CON axis constants (INTCON)
// Returned:  (function) (X - CON)/SMP
double INTIND(double X, double SMP, double CON) {
  return (X - CON) / SMP;
}

// INTDIS: position of a (fractional) interferogram point.
// Given:     X     point index; SMP, CON axis constants (INTCON)
// Returned:  (function) X*SMP + CON
double INTDIS(double X, double SMP, double CON) {
  return X * SMP + CON;
}

// SPTBIN: width of one spectral bin.
// Given:     HDR   header
// Given and returned:
//            BIN   1/(QQSTSZ * 1e-10 * QQSSMP) for sample unit code QQSSUN 0 or 1,
//                  1/(QQSTSZ * 1e-12 * QQSSMP) for code 2; 0 when the product is 0; left as it
//                  was for any other code
// Notes: the reciprocal of the transform length in physical units (seconds give hertz).
void SPTBIN(const Header& HDR, double& BIN) {
  double length = 0;
  switch (HDR(QQSSUN)) {
    case 0:
    case 1:
      length = static_cast<double>(HDR(QQSTSZ)) * kCount01 * HDR(QQSSMP);
      break;
    case 2:
      length = static_cast<double>(HDR(QQSTSZ)) * kCount2 * HDR(QQSSMP);
      break;
    default:
      return;
  }
  BIN = length != 0 ? 1.0 / length : 0.0;
}

// SPTSMP: spectrum sample spacing.
// Given:     HDR   header
// Returned:  SMP   QQSSLP * SPTBIN (0 for an unknown sample unit code)
void SPTSMP(const Header& HDR, double& SMP) {
  double bin = 0;
  SPTBIN(HDR, bin);
  SMP = static_cast<double>(HDR(QQSSLP)) * bin;
}

// SPTOFF: position of spectrum point 1.
// Given:     HDR   header
// Returned:  OFF   QQSOFF * SPTBIN (0 for an unknown sample unit code)
void SPTOFF(const Header& HDR, double& OFF) {
  double bin = 0;
  SPTBIN(HDR, bin);
  OFF = static_cast<double>(HDR(QQSOFF)) * bin;
}

// SPTCON: spectrum axis constants.
// Given:     HDR   header
// Returned:  SMP   sample spacing (SPTSMP)
//            CON   position of point 0, SPTOFF - SPTSMP
void SPTCON(const Header& HDR, double& SMP, double& CON) {
  double off = 0;
  SPTSMP(HDR, SMP);
  SPTOFF(HDR, off);
  CON = off - SMP;
}

// SPTIND: spectrum point index of a position.
// Given:     W     position; SMP, CON axis constants (SPTCON)
// Returned:  (function) (W - CON)/SMP
double SPTIND(double W, double SMP, double CON) {
  return (W - CON) / SMP;
}

// SPTWAV: position of a (fractional) spectrum point.
// Given:     X     point index; SMP, CON axis constants (SPTCON)
// Returned:  (function) X*SMP + CON
double SPTWAV(double X, double SMP, double CON) {
  return X * SMP + CON;
}

// SPTRES: spectral resolution.
// Given:     HDR   header
// Returned:  RES   1/(QQRESL * INTSMP), from the interferogram items; 0 when the product is 0
void SPTRES(const Header& HDR, double& RES) {
  double smp = 0;
  INTSMP(HDR, smp);
  const double length = static_cast<double>(HDR(QQRESL)) * smp;
  RES = length != 0 ? 1.0 / length : 0.0;
}

// SPTFWH: full width at half maximum of the instrument line.
// Given:     HDR   header
// Given and returned:
//            FWHM  f(QQAPOD) * SPTRES, f = 1.207, 1.737, 2.127, 2.443, 2.717, 2.961 for the
//                  windows 0-5; left as it was for any other window code
void SPTFWH(const Header& HDR, double& FWHM) {
  const int32_t window = HDR(QQAPOD);
  if (window < 0 || window >= static_cast<int32_t>(kFwhmFactor.size())) return;
  double res = 0;
  SPTRES(HDR, res);
  FWHM = static_cast<double>(kFwhmFactor[static_cast<std::size_t>(window)]) * res;
}

// SPTRNG: the spectral range that the spectrum readers fetch whole.
// Given:     HDR   header
// Returned:  W1    position of point 9, 8*SMP + OFF
//            W2    position of point QQSLEN - 8, (QQSLEN - 9)*SMP + OFF
// Notes: the readers widen a range by 8 points on each side, so W1-W2 loads points 1-QQSLEN.
void SPTRNG(const Header& HDR, double& W1, double& W2) {
  double smp = 0;
  double off = 0;
  SPTSMP(HDR, smp);
  SPTOFF(HDR, off);
  W1 = 8.0 * smp + off;
  W2 = (static_cast<double>(HDR(QQSLEN)) - 9.0) * smp + off;
}

}  // namespace fts
