// ftsmoon: lunar ephemeris: the moon's position, elevation and illuminated fraction.
//
// The same low-precision theory and conventions as ftssun.hpp (radians; site latitude in degrees
// +N, longitude in degrees positive WEST, height in metres; azimuth from north through east).
#pragma once

#include <cstdint>

namespace fts {

// ---------------------------------------------------------------------------------------------
// The moon for a time stamp and a site, in whole units.

// Moon's azimuth and elevation (arc-seconds), east flag and illuminated percentage for UT day
// number JDAY, MSEC milliseconds, a site in arc-seconds (+N, +W) and metres.
void MOON(int32_t JDAY, int32_t MSEC, int32_t ILAT, int32_t ILON, int32_t IALT, int32_t& IAZ,
          int32_t& IEL, int32_t& IEAST, int32_t& ILLUM);
// Moon's topocentric azimuth and elevation (radians) for JDE and a site.
void MOONAZEL(double JDE, double RLAT, double RLON, double HEIGHT, double& AZ, double& EL);

// ---------------------------------------------------------------------------------------------
// Geocentric position and phase.

void MOONPOS(double JDE, double& RA, double& DEC, double& PAR);  // RA, Dec, horizontal parallax
void MOONILLU(double JDE, double& K);  // illuminated fraction of the disk, 0 to 1
// Ecliptic longitude, latitude and horizontal parallax of the moon, then its mean longitude L',
// mean anomaly M', mean elongation D, argument of latitude F and the node's longitude OMEGA.
void GEOMOON(double JDE, double& RLAM, double& BETA, double& PAR, double& RLP, double& RMP,
             double& D, double& F, double& OM);

}  // namespace fts
