// ftsuser1: spectrum helpers: axis ranges, interpolation by position, line shapes, peaks (the
// ephemeris and the least-squares solvers have modules of their own: ftssun, ftsmoon, ftslsq).
#pragma once

#include <cstdint>
#include <span>

#include "fts/ftsioprm.hpp"
#include "fts/header.hpp"

namespace fts {

// ---------------------------------------------------------------------------------------------
// Spectra on their axis. An array header AHDR (from GETSPF or GETSPT) gives the axis of the
// loaded points: point i lies at i*SMP + CON (SPTCON). Only the first QQDSIZ elements of an
// array count as loaded; samples beyond them count as 0 in the interpolation.

// Loads the points nearest to W1 ... W2 (no margin); NPTS, W1P and W2P tell what was asked for.
void GETSPF(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, int32_t& NPTS, double W1, double W2, double& W1P, double& W2P,
            int32_t& IERR);
// Value (K 0), first (1) or second (2) derivative per point of a loaded spectrum at position W.
float SPTR4I(const Header& AHDR, std::span<const float> ARRAY, double W, int32_t K);

// ---------------------------------------------------------------------------------------------
// Instrument line shape of the header's apodisation window (QQAPOD) and resolution (SPTRES).

float SPTAPV(const Header& AHDR, double DW);             // line shape at DW from the line centre
void SPTAPN(const Header& AHDR, int32_t N, double& HW);  // distance of the line shape's zero N

// ---------------------------------------------------------------------------------------------
// Peak search: the strongest maxima (MODE 0) or minima (MODE 1), strongest first, strength =
// |second derivative|.

// Up to MAXPK peaks or dips of a loaded real spectrum between W1 and W2, searched in steps of DW
// (DW <= 0: one axis unit); positions PKW on the axis, strengths PKV per axis unit squared.
void SPTPKS(std::span<const float> ARRAY, const Header& AHDR, double W1, double W2, double DW,
            int32_t MAXPK, int32_t MODE, std::span<double> PKW, std::span<float> PKV, int32_t& NPK,
            int32_t& IERR);
// The same search on point indices I1 ... I2 in steps of STEP points; strengths per point
// squared. At most as many peaks as PKX and PKV hold.
void SR4PKS(std::span<const float> ARRAY, int32_t I1, int32_t I2, float STEP, int32_t MAXPK,
            int32_t MODE, std::span<double> PKX, std::span<float> PKV, int32_t& NPK);

}  // namespace fts
