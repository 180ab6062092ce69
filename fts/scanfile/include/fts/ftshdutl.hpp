// ftshdutl: scan header items: names, copies and merges, texts, calibration pairs, units, axes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fts/ftsunits.hpp"
#include "fts/header.hpp"

namespace fts {

// ---------------------------------------------------------------------------------------------
// Item names.

void HDRNAM(std::string& NAME, int32_t ITEM);  // six-character name; "WHAT ?" outside 1-224

// ---------------------------------------------------------------------------------------------
// Whole headers.

void INITHD(Header& HDR);                       // texts blank, every other item 0
void DUPHDR(const Header& HDRA, Header& HDRB);  // HDRB = HDRA
void ADDHDR(const Header& HDRA, Header& HDRB);  // merge times, duration and scan count into HDRB

// ---------------------------------------------------------------------------------------------
// Texts (32 characters each). A returned TEXT keeps its size (its declared length), cut or
// blank-padded; an empty TEXT receives all 32 characters.

void PTDSRC(Header& HDR, std::string_view TEXT);    // data-source text into items 1-32
void PTRMRK(Header& HDR, std::string_view TEXT);    // remark text into items 33-64
void GTDSRC(const Header& HDR, std::string& TEXT);  // data-source text from items 1-32
void GTRMRK(const Header& HDR, std::string& TEXT);  // remark text from items 33-64

// ---------------------------------------------------------------------------------------------
// Calibration coefficients, five mantissa/binary-exponent pairs in items 165-174.

void PTCALB(Header& HDR, std::span<const double, 5> CAL);  // store the pairs, QQSCOR = 1
void GTCALB(const Header& HDR, std::span<double, 5> CAL);  // CAL(k) = mantissa * 2^exponent

// ---------------------------------------------------------------------------------------------
// Converter, dates and units.

void CNVARB(const Header& HDR, float& VPC);         // volts per converter count
void GTDATE(const Header& HDR, std::string& TEXT);  // begin date "mm/dd/yy" (8 characters)
void GTTIME(const Header& HDR, std::string& TEXT);  // begin time "hh:mm:ss.mmm" (12 characters)
// Unit text of the data values, exponent denominator A, superscripts shown as S1 ... S2.
void DATUNI(const Header& HDR, int32_t A, std::string_view S1, std::string_view S2, UnitText& U);
// Unit text of the sample axis (interferogram or spectrum); U is left as it was for another kind
// of data before its superscripts are replaced.
void SMPUNI(const Header& HDR, std::string_view S1, std::string_view S2, UnitText& U);

// ---------------------------------------------------------------------------------------------
// Interferogram axis: point i (from 1) lies at i*SMP + CON.

void INTSID(const Header& HDR, int32_t& NL, int32_t& NR);  // points left, right of the centre
void INTCNT(const Header& HDR, double& CNT);  // size of one axis count (unchanged: unknown unit)
void INTSMP(const Header& HDR, double& SMP);  // sample spacing
void INTOFF(const Header& HDR, double& OFF);  // position of point 1
void INTCON(const Header& HDR, double& SMP, double& CON);  // spacing and position of point 0
double INTIND(double X, double SMP, double CON);           // point index of position X
double INTDIS(double X, double SMP, double CON);           // position of (fractional) point X

// ---------------------------------------------------------------------------------------------
// Spectrum axis: point i (from 1) lies at i*SMP + CON.

void SPTBIN(const Header& HDR, double& BIN);  // width of one spectral bin (unchanged: unknown unit)
void SPTSMP(const Header& HDR, double& SMP);  // sample spacing
void SPTOFF(const Header& HDR, double& OFF);  // position of point 1
void SPTCON(const Header& HDR, double& SMP, double& CON);  // spacing and position of point 0
double SPTIND(double W, double SMP, double CON);           // point index of position W
double SPTWAV(double X, double SMP, double CON);           // position of (fractional) point X
void SPTRES(const Header& HDR, double& RES);               // spectral resolution
void SPTFWH(const Header& HDR, double& FWHM);  // instrument line width (unchanged: unknown window)
void SPTRNG(const Header& HDR, double& W1, double& W2);  // range the spectrum readers fetch whole

}  // namespace fts
