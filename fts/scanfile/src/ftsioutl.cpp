// ftsioutl: scan access: walking to a scan's header, skipping and copying data, loading and
// storing point ranges.
#include "fts/ftsioutl.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fts/ftsarutl.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/lun.hpp"

namespace fts {

namespace {

// Largest point number of complex data whose element numbers (twice the point number) still
// fit 32 bits.
constexpr int32_t kMaxComplexPoint = std::numeric_limits<int32_t>::max() / 2;

// Header items are 32-bit integers that wrap like the items of the original arithmetic.
int32_t wrapped(int64_t v) {
  return static_cast<int32_t>(v);
}

bool fits_32_bits(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// The nearest integer to X, half away from zero, limited to the 32-bit range; a value that is
// not a number gives 0.
int64_t nearest(double x) {
  if (std::isnan(x)) return 0;
  constexpr double lo = std::numeric_limits<int32_t>::min();
  constexpr double hi = std::numeric_limits<int32_t>::max();
  return static_cast<int64_t>(std::clamp(std::round(x), lo, hi));
}

// A point number as a range bound: the nearest point to fractional index X moved by D points,
// limited to 32 bits, so that a range beyond the data is refused by UPDHDR.
int32_t widened(double x, int32_t d) {
  return static_cast<int32_t>(std::clamp<int64_t>(
      nearest(x) + d, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A header read while walking the file must give a usable count of data records, or the walk
// would take data records for headers.
bool walkable(const Header& HDR, int32_t scan, int32_t& IERR) {
  if (HDR(QQFLEN) >= 0) return true;
  IERR = 1;
  MSGNUM("GETHDR   04> - BAD RECORD COUNT IN SCAN ", scan);
  return false;
}

// The normalising shift of array elements J1, J1+JSTEP, ... up to J2 (NORMI2 ... NORMR8).
int32_t normalising_shift(const ConstElementArray& ARRAY, int32_t J1, int32_t J2, int32_t JSTEP) {
  int32_t shift = 0;
  switch (ARRAY.type()) {
    case 0:
      NORMI2(ARRAY.as<int16_t>(), J1, J2, JSTEP, shift);
      break;
    case 1:
      NORMI4(ARRAY.as<int32_t>(), J1, J2, JSTEP, shift);
      break;
    case 2:
      NORMR4(ARRAY.as<float>(), J1, J2, JSTEP, shift);
      break;
    default:
      NORMR8(ARRAY.as<double>(), J1, J2, JSTEP, shift);
      break;
  }
  return shift;
}

// True when array elements J1, J1+JSTEP, ... up to J2 (inside the array) are all finite; integer
// arrays always are.
bool all_finite(const ConstElementArray& ARRAY, int32_t J1, int32_t J2, int32_t JSTEP) {
  auto finite = [&](auto span) {
    for (int64_t j = J1; j <= J2; j += JSTEP) {
      if (!std::isfinite(span[static_cast<std::size_t>(j - 1)])) return false;
    }
    return true;
  };
  if (ARRAY.type() == 2) return finite(ARRAY.as<float>());
  if (ARRAY.type() == 3) return finite(ARRAY.as<double>());
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Walking a scan file.

// GETHDR: position a scan file at scan NXTSCN and read its header.
// Given:     LUN      unit of an open scan file
//            NXTSCN   scan wanted (from 1)
// Given and returned:
//            CURSCN   scan whose header is the unit's current record
// Returned:  HDR      the header read (the last one read at end of file)
//            IERR     0 = read or end of file, 1 = bad CURSCN or NXTSCN, or a scan on the way
//                     with a negative QQFLEN (message written)
//            IEOF     1 when the file ends before scan NXTSCN
// Notes:
// 1. Going back rewinds the file and counts from scan 1; NXTSCN = CURSCN reads the header at
//    the current position.
// 2. At the end of the file the line "GETHDR   03> - EOF AFTER SCAN " and the number of the
//    last scan that exists is written; IERR stays 0.
// 3. The walk skips QQFLEN records behind every header; a header with a negative QQFLEN cannot
//    be walked past and is refused with "GETHDR   04> - BAD RECORD COUNT IN SCAN " and its
//    scan number.
void GETHDR(int32_t LUN, Header& HDR, int32_t& CURSCN, int32_t NXTSCN, int32_t& IERR,
            int32_t& IEOF) {
  if (CURSCN < 1) {
    IERR = 1;
    MESSAG("GETHDR   01> - CURSCN VALUE IS .LT. 1");
    return;
  }
  if (NXTSCN < 1) {
    IERR = 1;
    MESSAG("GETHDR   02> - NXTSCN VALUE IS .LT. 1");
    return;
  }
  IERR = 0;

  // Going back: start again from scan 1.
  if (NXTSCN < CURSCN) {
    lun::rewind(LUN);
    CURSCN = 1;
  }

  // Walk over the scans before NXTSCN.
  IEOF = 0;
  while (CURSCN < NXTSCN) {
    LOADHD(LUN, HDR, IEOF);
    if (IEOF == 1) break;
    if (!walkable(HDR, CURSCN, IERR)) return;
    SKPDAT(LUN, HDR);
    ++CURSCN;
  }

  // Read the header wanted.
  if (IEOF == 0) {
    LOADHD(LUN, HDR, IEOF);
    if (IEOF == 0 && !walkable(HDR, CURSCN, IERR)) return;
  }
  if (IEOF == 1) MSGNUM("GETHDR   03> - EOF AFTER SCAN ", CURSCN - 1);
}

// SKPDAT: skip the data records of the scan whose header was just read.
// Given:     LUN    unit standing at the scan's first data record
//            HDR    the scan's header (QQFLEN records are skipped)
void SKPDAT(int32_t LUN, const Header& HDR) {
  SKPREC(LUN, HDR(QQFLEN));
}

// CPYDAT: copy a scan to another scan file.
// Given:     LUNIN    unit standing at the scan's first data record
//            LUNOUT   unit of the scan file written
// Given and returned:
//            HDR      the scan's header; stamped by STORHD before it is written
// Notes: the QQFLEN data records follow as 16-bit (QQDTYP 0) or 32-bit (1) integers, turned into
// the suite's byte order, or as floats (any other type), copied as they stand.
void CPYDAT(int32_t LUNIN, Header& HDR, int32_t LUNOUT) {
  STORHD(LUNOUT, HDR);
  for (int32_t r = 1; r <= HDR(QQFLEN); ++r) {
    if (HDR(QQDTYP) == 0) {
      RDFI2(LUNIN);
      WRFI2(LUNOUT);
    } else if (HDR(QQDTYP) == 1) {
      RDFI4(LUNIN);
      WRFI4(LUNOUT);
    } else {
      RDFR4(LUNIN);
      WRFR4(LUNOUT);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Selections of points.

// INDICE: the elements that hold a range of points in one part of real, imaginary or complex
// data.
// Given:     SREP     part held by the data: 0 real, 1 imaginary, 2 complex (real and imaginary
//                     parts alternating)
//            IREP     part wanted
//            I1, I2   points wanted (from 1)
// Returned:  J1, J2, JSTEP   elements J1, J1+JSTEP, ... up to J2
//            NJ       their number
// Notes: 1. Real from real and imaginary from imaginary take elements I1-I2; real from complex
//           2*I1-1 ... 2*I2-1 and imaginary from complex 2*I1 ... 2*I2 in steps of 2; complex
//           from complex 2*I1-1 ... 2*I2.
//        2. Any other pair (UPDHDR refuses them first) stops the run with "INDICE   01> - PART
//           NOT IN THE DATA"; element numbers or a count beyond 32 bits (UPDHDR refuses such
//           ranges first) with "INDICE   02> - ELEMENT NUMBERS BEYOND 32 BITS".
void INDICE(int32_t SREP, int32_t IREP, int32_t I1, int32_t I2, int32_t& J1, int32_t& J2,
            int32_t& JSTEP, int32_t& NJ) {
  int64_t j1 = 1, j2 = 0, step = 1;
  if ((IREP == 0 && SREP == 0) || (IREP == 1 && SREP == 1)) {
    j1 = I1;
    j2 = I2;
  } else if (IREP == 0 && SREP == 2) {
    j1 = 2 * int64_t{I1} - 1;
    j2 = 2 * int64_t{I2} - 1;
    step = 2;
  } else if (IREP == 1 && SREP == 2) {
    j1 = 2 * int64_t{I1};
    j2 = 2 * int64_t{I2};
    step = 2;
  } else if (IREP == 2 && SREP == 2) {
    j1 = 2 * int64_t{I1} - 1;
    j2 = 2 * int64_t{I2};
  } else {
    STPLOG(1, "INDICE   01> - PART NOT IN THE DATA");
  }
  const int64_t nj = (j2 - j1) / step + 1;
  if (!fits_32_bits(j1) || !fits_32_bits(j2) || !fits_32_bits(nj)) {
    STPLOG(1, "INDICE   02> - ELEMENT NUMBERS BEYOND 32 BITS");
  }
  J1 = static_cast<int32_t>(j1);
  J2 = static_cast<int32_t>(j2);
  JSTEP = static_cast<int32_t>(step);
  NJ = static_cast<int32_t>(nj);
}

// UPDHDR: check a request for points of some data and build the header of the selection.
// Given:     HDRA     header of the data the points come from
//            ITYP     element type of the selection (0-3)
//            IREP     part wanted: 0 real, 1 imaginary, 2 complex
//            I1, I2   points wanted (from 1)
// Returned:  HDRB     HDRA with type, part, size, records and axis items of the selection;
//                     untouched on failure
//            IERR     0 = built, 1 = request refused (one message line)
// Notes:
// 1. Checks in order: 01 type, 02 part, 03-05 part not in the data, 06 range (I1 >= 1,
//    I2 >= I1, and for complex data a range whose element numbers fit 32 bits), 07 range beyond
//    QQILEN (interferogram) or QQSLEN (spectrum).
// 2. With N = I2 - I1 + 1: QQDSIZ = N, or 2N for complex; QQFLEN = (QQDSIZ - 1) div 256 + 1 for
//    type 0, div 128 + 1 for types 1 and 2, 0 for type 3. An interferogram gets QQIOFF moved by
//    I1 - 1 samples, QQILEN = N, QQICEN moved back by I1 - 1 and QQIDUR scaled by N / QQILEN
//    (rounded to a 32-bit float, then to the nearest integer); a spectrum gets QQSOFF moved by
//    I1 - 1 samples and QQSLEN = N. QQDSCL and all other items stay.
// 3. HDRA and HDRB may be the same header: it is then updated in place, and QQILEN already holds
//    the new length when the duration is scaled, so QQIDUR keeps its value (up to the 32-bit
//    rounding).
void UPDHDR(const Header& HDRA, Header& HDRB, int32_t ITYP, int32_t IREP, int32_t I1, int32_t I2,
            int32_t& IERR) {
  const int32_t rep = HDRA(QQDREP);
  const int32_t kind = HDRA(QQDKND);
  const char* failure = nullptr;
  if (ITYP < 0 || ITYP > 3) {
    failure = "UPDHDR   01> - ILLEGAL DATA TYPE";
  } else if (IREP < 0 || IREP > 2) {
    failure = "UPDHDR   02> - ILLEGAL DATA REPRESENTATION";
  } else if (IREP == 0 && rep != 0 && rep != 2) {
    failure = "UPDHDR   03> - REAL DATA NOT IN SOURCE";
  } else if (IREP == 1 && rep != 1 && rep != 2) {
    failure = "UPDHDR   04> - IMAGINARY DATA NOT IN SOURCE";
  } else if (IREP == 2 && rep != 2) {
    failure = "UPDHDR   05> - COMPLEX DATA NOT IN SOURCE";
  } else if (I1 < 1 || I2 < I1 || (rep == 2 && I2 > kMaxComplexPoint)) {
    failure = "UPDHDR   06> - ILLEGAL RANGE SPECIFICATION";
  } else if ((kind == 0 && HDRA(QQILEN) < I2) || (kind == 1 && HDRA(QQSLEN) < I2)) {
    failure = "UPDHDR   07> - RANGE NOT IN DATA";
  }
  if (failure != nullptr) {
    IERR = 1;
    MESSAG(failure);
    return;
  }

  // Type, part, size and records of the selection.
  Header b;
  DUPHDR(HDRA, b);
  const int32_t n = I2 - I1 + 1;
  b(QQDTYP) = ITYP;
  b(QQDREP) = IREP;
  b(QQDSIZ) = IREP == 2 ? 2 * n : n;
  b(QQFLEN) = ITYP == 0 ? (b(QQDSIZ) - 1) / 256 + 1 : ITYP == 3 ? 0 : (b(QQDSIZ) - 1) / 128 + 1;

  // Axis items of the points kept.
  const int64_t before = int64_t{I1} - 1;
  if (kind == 0) {
    b(QQIOFF) = wrapped(before * HDRA(QQISLP) + HDRA(QQIOFF));
    b(QQILEN) = n;
    b(QQICEN) = wrapped(HDRA(QQICEN) - before);
    const int32_t length = &HDRA == &HDRB ? n : HDRA(QQILEN);
    const auto scaled = static_cast<float>(static_cast<double>(HDRA(QQIDUR)) * n / length);
    b(QQIDUR) = static_cast<int32_t>(nearest(scaled));
  } else if (kind == 1) {
    b(QQSOFF) = wrapped(before * HDRA(QQSSLP) + HDRA(QQSOFF));
    b(QQSLEN) = n;
  }
  HDRB = b;
  IERR = 0;
}

// ---------------------------------------------------------------------------------------------
// Loading and storing point ranges.

// LDINDX: load a range of points of a scan into an array.
// Given:     LUN      unit standing at the scan's first data record (right after GETHDR)
//            HDR      the scan's header
//            ATYP     element type of ARRAY (0-3)
//            IREP     part wanted: 0 real, 1 imaginary, 2 complex
//            I1, I2   points wanted (from 1)
// Returned:  ARRAY    the selected elements from element 1 on
//            AHDR     header of the array: HDR with the selection's type, part, size and axis,
//                     QQDSCL = the file's for integer arrays, 0 for float arrays
//            IERR     0 = loaded, 1 = refused (messages written, nothing read)
// Notes:
// 1. Refusals: "LDINDX   01> ILLEGAL ARRAY TYPE" (ATYP outside 0-3 or not the type of ARRAY),
//    "LDINDX   02> ILLEGAL FILE TYPE", "LDINDX   03> REAL TO INTEGER LOAD", a request refused
//    by UPDHDR (its line, then "LDINDX   03>").
// 2. The sizes read from the file are checked before anything is read: "LDINDX   04> - BAD
//    SIZE IN SCAN HEADER" when QQFLEN or QQDSIZ is negative or QQDSIZ elements do not fit in
//    QQFLEN records; "LDINDX   05> - RANGE NOT IN SCAN DATA" when the selection reaches beyond
//    QQDSIZ. An ARRAY that cannot hold the selection stops the run with "LDINDX   06> - ARRAY
//    TOO SMALL FOR RANGE" (the caller checks its capacity against the file's claims first).
// 3. Integer data loaded into float arrays become the values they stand for (scale shift
//    S = QQDSCL); into integer arrays they keep their integers and the file's exponent. The file
//    is left at the next scan's header.
void LDINDX(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR) {
  const int32_t ftyp = HDR(QQDTYP);
  const int32_t frep = HDR(QQDREP);
  const int32_t nrec = HDR(QQFLEN);
  const int32_t dsiz = HDR(QQDSIZ);
  const int32_t dscl = HDR(QQDSCL);
  IERR = 1;
  if (ATYP < 0 || ATYP > 3 || ATYP != ARRAY.type()) {
    MESSAG("LDINDX   01> ILLEGAL ARRAY TYPE");
    return;
  }
  if (ftyp < 0 || ftyp > 2) {
    MESSAG("LDINDX   02> ILLEGAL FILE TYPE");
    return;
  }
  if (ftyp == 2 && ATYP <= 1) {
    MESSAG("LDINDX   03> REAL TO INTEGER LOAD");
    return;
  }
  Header a;
  int32_t ierr = 0;
  UPDHDR(HDR, a, ATYP, IREP, I1, I2, ierr);
  if (ierr != 0) {
    MESSAG("LDINDX   03>");
    return;
  }
  int32_t j1 = 0, j2 = 0, jstep = 0, nj = 0;
  INDICE(frep, IREP, I1, I2, j1, j2, jstep, nj);

  // What the file claims must hold the selection, and the array must hold it too.
  const int64_t per_record = ftyp == 0 ? kSlotsI2 : kSlotsI4;
  if (nrec < 0 || dsiz < 0 || dsiz > nrec * per_record) {
    MESSAG("LDINDX   04> - BAD SIZE IN SCAN HEADER");
    return;
  }
  if (j2 > dsiz) {
    MESSAG("LDINDX   05> - RANGE NOT IN SCAN DATA");
    return;
  }
  if (static_cast<std::size_t>(nj) > ARRAY.size()) {
    STPLOG(1, "LDINDX   06> - ARRAY TOO SMALL FOR RANGE");
  }

  // Scale shift: floats take the values themselves.
  const int32_t s = ATYP <= 1 ? 0 : dscl;
  a(QQDSCL) = dscl - s;
  LDWORD(LUN, ftyp, ARRAY, ATYP, j1, j2, jstep, nrec, s);
  AHDR = a;
  IERR = 0;
}

// STINDX: write a range of points of an array as a new scan.
// Given:     LUN      unit of a scan file open for writing
//            ARRAY    the array, of the element type AHDR names
//            AHDR     header of the array
//            FTYP     element type of the scan's data (0-2)
//            IREP     part wanted: 0 real, 1 imaginary, 2 complex
//            I1, I2   points wanted (from 1)
// Returned:  HDR      header written: AHDR with the selection's type, part, size and axis, and
//                     the file's scale exponent; stamped by STORHD
//            IERR     0 = written, 1 = refused (messages written, nothing written)
// Notes:
// 1. Refusals: "STINDX   01> ILLEGAL ARRAY TYPE" (AHDR's QQDTYP outside 0-3 or not the type of
//    ARRAY), "STINDX   02> ILLEGAL FILE TYPE", a request refused by UPDHDR (its line, then
//    "STINDX   03>"), "STINDX   05> - VALUE NOT FINITE FOR INTEGER FILE" when an integer file
//    is asked for a selection of reals of which one is infinite or not a number (integers cannot
//    hold it, and it would leave no scale for the others: they would all be written as full
//    scale or as 0). A selection that reaches beyond the end of ARRAY stops the run with
//    "STINDX   04> - RANGE NOT IN ARRAY", before anything is written.
// 2. Integer files are written normalised: S is the normalising shift of the selected elements
//    (NORMI2 ... NORMR8), so that their largest magnitude fills half to full scale, and the file
//    exponent is AHDR's QQDSCL - S. Float files take S = AHDR's QQDSCL and exponent 0.
// 3. HDR and AHDR may be the same header (a mean written behind its own array header): it is
//    then cut to the points written in place (UPDHDR of the header onto itself, so the duration
//    is kept), and left as it was when the store is refused.
void STINDX(int32_t LUN, Header& HDR, ConstElementArray ARRAY, const Header& AHDR, int32_t FTYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR) {
  const int32_t atyp = AHDR(QQDTYP);
  const int32_t arep = AHDR(QQDREP);
  const int32_t ascl = AHDR(QQDSCL);
  IERR = 1;
  if (atyp < 0 || atyp > 3 || atyp != ARRAY.type()) {
    MESSAG("STINDX   01> ILLEGAL ARRAY TYPE");
    return;
  }
  if (FTYP < 0 || FTYP > 2) {
    MESSAG("STINDX   02> ILLEGAL FILE TYPE");
    return;
  }
  Header h = AHDR;
  int32_t ierr = 0;
  UPDHDR(&HDR == &AHDR ? h : AHDR, h, FTYP, IREP, I1, I2, ierr);
  if (ierr != 0) {
    MESSAG("STINDX   03>");
    return;
  }
  int32_t j1 = 0, j2 = 0, jstep = 0, nj = 0;
  INDICE(arep, IREP, I1, I2, j1, j2, jstep, nj);
  if (static_cast<std::size_t>(j2) > ARRAY.size()) STPLOG(1, "STINDX   04> - RANGE NOT IN ARRAY");
  if (FTYP <= 1 && !all_finite(ARRAY, j1, j2, jstep)) {
    MESSAG("STINDX   05> - VALUE NOT FINITE FOR INTEGER FILE");
    return;
  }

  // Scale shift and the file's exponent.
  const int32_t s = FTYP <= 1 ? normalising_shift(ARRAY, j1, j2, jstep) : ascl;
  h(QQDSCL) = wrapped(int64_t{ascl} - s);

  // Header record, then the data records.
  HDR = h;
  STORHD(LUN, HDR);
  STWORD(LUN, FTYP, ARRAY, atyp, j1, j2, jstep, s);
  IERR = 0;
}

// ---------------------------------------------------------------------------------------------
// Interferograms and spectra.

// GETINT: LDINDX for an interferogram scan.
// Given, Returned: as LDINDX.
// Notes: "GETINT   01> - SCAN NOT INTERFEROGRAM" unless HDR's QQDKND is 0; a failed load adds
// "GETINT   02>".
void GETINT(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR) {
  if (HDR(QQDKND) != 0) {
    IERR = 1;
    MESSAG("GETINT   01> - SCAN NOT INTERFEROGRAM");
    return;
  }
  LDINDX(LUN, HDR, ARRAY, AHDR, ATYP, IREP, I1, I2, IERR);
  WRTLOG(IERR, "GETINT   02>");
}

// GETSPT: LDINDX of the spectrum points covering a range of the spectrum axis.
// Given:     LUN, HDR, ATYP, IREP   as LDINDX
//            W1, W2   range on the spectrum axis
// Returned:  ARRAY, AHDR, IERR      as LDINDX
// Notes:
// 1. "GETSPT   01> - SCAN NOT SPECTRUM" unless HDR's QQDKND is 1; a failed load adds
//    "GETSPT   02>".
// 2. The points are those nearest to W1 and W2 (SPTCON, SPTIND; half away from zero), widened
//    by 8 points on each side. A position that gives no point number (a zero sample spacing)
//    makes the range illegal.
void GETSPT(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, double W1, double W2, int32_t& IERR) {
  if (HDR(QQDKND) != 1) {
    IERR = 1;
    MESSAG("GETSPT   01> - SCAN NOT SPECTRUM");
    return;
  }
  double smp = 0, con = 0;
  SPTCON(HDR, smp, con);
  const int32_t i1 = widened(SPTIND(W1, smp, con), -8);
  const int32_t i2 = widened(SPTIND(W2, smp, con), 8);
  LDINDX(LUN, HDR, ARRAY, AHDR, ATYP, IREP, i1, i2, IERR);
  WRTLOG(IERR, "GETSPT   02>");
}

// PUTINT: STINDX for an interferogram array.
// Given, Returned: as STINDX.
// Notes: "PUTINT   01> - ARRAY NOT INTERFEROGRAM" unless AHDR's QQDKND is 0; a failed store
// adds "PUTINT   02>".
void PUTINT(int32_t LUN, Header& HDR, ConstElementArray ARRAY, const Header& AHDR, int32_t FTYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR) {
  if (AHDR(QQDKND) != 0) {
    IERR = 1;
    MESSAG("PUTINT   01> - ARRAY NOT INTERFEROGRAM");
    return;
  }
  STINDX(LUN, HDR, ARRAY, AHDR, FTYP, IREP, I1, I2, IERR);
  WRTLOG(IERR, "PUTINT   02>");
}

// PUTSPT: STINDX of the array points covering a range of the spectrum axis.
// Given:     LUN, ARRAY, AHDR, FTYP, IREP   as STINDX
//            W1, W2   range on the spectrum axis of AHDR
// Returned:  HDR, IERR                      as STINDX
// Notes: "PUTSPT   01> - ARRAY NOT SPECTRUM" unless AHDR's QQDKND is 1; the points as GETSPT
// finds them, from AHDR's axis; a failed store adds "PUTSPT   02>".
void PUTSPT(int32_t LUN, Header& HDR, ConstElementArray ARRAY, const Header& AHDR, int32_t FTYP,
            int32_t IREP, double W1, double W2, int32_t& IERR) {
  if (AHDR(QQDKND) != 1) {
    IERR = 1;
    MESSAG("PUTSPT   01> - ARRAY NOT SPECTRUM");
    return;
  }
  double smp = 0, con = 0;
  SPTCON(AHDR, smp, con);
  const int32_t i1 = widened(SPTIND(W1, smp, con), -8);
  const int32_t i2 = widened(SPTIND(W2, smp, con), 8);
  STINDX(LUN, HDR, ARRAY, AHDR, FTYP, IREP, i1, i2, IERR);
  WRTLOG(IERR, "PUTSPT   02>");
}

}  // namespace fts
