// ftssun: solar ephemeris: time scales, Julian dates, the sun's position, observer geometry.
//
// Low-precision theory from mean elements counted from 1900 (Meeus, Astronomical Formulae for
// Calculators). Everything is computed in 64-bit arithmetic; angles are in radians unless a
// line says degrees. Sites: latitude in degrees (+N), longitude in degrees positive WEST of
// Greenwich, height in metres. Azimuths count from north through east; elevations are
// geometric (no refraction). The moon's mean elements and series (GEOMOON) live in ftsmoon.hpp;
// nutation needs them, through the ephemeris' private header.
#pragma once

#include <cstdint>

namespace fts {

// ---------------------------------------------------------------------------------------------
// The sun for a time stamp and a site, in whole units.

// Sun's azimuth and elevation (arc-seconds), east flag and shadow height (m) for UT day number
// JDAY, MSEC milliseconds, a site in arc-seconds (+N, +W) and metres.
void SUN(int32_t JDAY, int32_t MSEC, int32_t ILAT, int32_t ILON, int32_t IALT, int32_t& IAZ,
         int32_t& IEL, int32_t& IEAST, int32_t& ISHADW);
// Sun's topocentric azimuth, elevation (radians) and the shadow height (km) for JDE and a site.
void SUNAZEL(double JDE, double RLAT, double RLON, double HEIGHT, double& AZ, double& EL,
             double& SHADOW);

// ---------------------------------------------------------------------------------------------
// Geocentric positions and the quantities they need.

void SUNPOS(double JDE, double& RA, double& DEC, double& PAR);  // apparent RA, Dec, parallax
void GEOSUN(double JDE, double& RL0, double& RM, double& C);    // mean longitude, anomaly, centre
void NUTCOR(double JDE, double& EPS0, double& DEPS, double& DPSI);  // obliquity and nutation
void SIDAPP(double JDE, double& THETA);  // apparent sidereal time at Greenwich

// ---------------------------------------------------------------------------------------------
// Observer geometry.

// Topocentric RA and Dec of a body of horizontal parallax PAR seen from a site.
void TOPOCEN(double JDE, double RLAT, double RLON, double HEIGHT, double PAR, double RA, double DEC,
             double& RAT, double& DECT);
// Azimuth (from north through east) and elevation of RA, Dec seen from a site.
void HORIZON(double JDE, double RLAT, double RLON, double RA, double DEC, double& AZ, double& EL);

// ---------------------------------------------------------------------------------------------
// Time scales and Julian Dates.

void JDSTMP(int32_t JDAY, int32_t MSEC, double& JD);  // JD of a day number and milliseconds
void DELTAT(double YEAR, double& DT);                 // ET - UT in minutes for a calendar year
void JU2JE(double JD, double& JDE);                   // universal time to ephemeris time
void JE2JU(double JDE, double& JD, double& JD0);      // ephemeris time to UT, and 0h UT of that day
void JULIAN(double YEAR, double MONTH, double DAY, double HOUR, double& JD);     // date to JD
void DAYJUL(double JD, double& YEAR, double& MONTH, double& DAY, double& HOUR);  // JD to date

// ---------------------------------------------------------------------------------------------
// Angles.

void ADJUST(double& X);  // X reduced modulo 2 pi, keeping its sign

}  // namespace fts
