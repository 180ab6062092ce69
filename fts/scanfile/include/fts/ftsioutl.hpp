// ftsioutl: scan access: walking to a scan's header, skipping and copying data, loading and
// storing point ranges.
#pragma once

#include <cstdint>

#include "fts/ftsioprm.hpp"
#include "fts/header.hpp"

namespace fts {

// ---------------------------------------------------------------------------------------------
// Walking a scan file. CURSCN is the scan whose header record is the unit's current record (1
// after opening); after GETHDR the caller consumes the scan's data (SKPDAT or a loader) and adds
// 1 to CURSCN.

// Reads the header of scan NXTSCN (rewinding for an earlier one); IEOF = 1 when the file ends
// before it.
void GETHDR(int32_t LUN, Header& HDR, int32_t& CURSCN, int32_t NXTSCN, int32_t& IERR,
            int32_t& IEOF);
// Skips the QQFLEN data records of the scan whose header HDR was just read.
void SKPDAT(int32_t LUN, const Header& HDR);
// Writes HDR (stamped) to LUNOUT and copies the scan's data records, integers in the suite's
// byte order.
void CPYDAT(int32_t LUNIN, Header& HDR, int32_t LUNOUT);

// ---------------------------------------------------------------------------------------------
// Selections of points.

// Elements J1, J1+JSTEP, ... up to J2 (NJ of them) holding points I1-I2 in part IREP of data
// held in part SREP.
void INDICE(int32_t SREP, int32_t IREP, int32_t I1, int32_t I2, int32_t& J1, int32_t& J2,
            int32_t& JSTEP, int32_t& NJ);
// Checks a request and builds in HDRB the header of points I1-I2 of the data of HDRA in type
// ITYP and part IREP.
void UPDHDR(const Header& HDRA, Header& HDRB, int32_t ITYP, int32_t IREP, int32_t I1, int32_t I2,
            int32_t& IERR);

// ---------------------------------------------------------------------------------------------
// Loading and storing point ranges. ARRAY has the element type ATYP (loads) or AHDR's QQDTYP
// (stores); integer data keep one binary scale exponent per scan (QQDSCL).

// Loads points I1-I2 of part IREP of the scan whose header HDR was just read into ARRAY as type
// ATYP; AHDR describes what was loaded.
void LDINDX(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR);
// Writes points I1-I2 of part IREP of the array described by AHDR as a new scan of type FTYP:
// the header HDR, then its data.
void STINDX(int32_t LUN, Header& HDR, ConstElementArray ARRAY, const Header& AHDR, int32_t FTYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR);

// ---------------------------------------------------------------------------------------------
// Interferograms and spectra. The spectrum routines take the points covering W1-W2 on the
// spectrum axis, widened by 8 points on each side.

void GETINT(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR);  // LDINDX of an interferogram
void GETSPT(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, double W1, double W2, int32_t& IERR);  // LDINDX of a spectrum range
void PUTINT(int32_t LUN, Header& HDR, ConstElementArray ARRAY, const Header& AHDR, int32_t FTYP,
            int32_t IREP, int32_t I1, int32_t I2, int32_t& IERR);  // STINDX of an interferogram
void PUTSPT(int32_t LUN, Header& HDR, ConstElementArray ARRAY, const Header& AHDR, int32_t FTYP,
            int32_t IREP, double W1, double W2, int32_t& IERR);  // STINDX of a spectrum range

}  // namespace fts
