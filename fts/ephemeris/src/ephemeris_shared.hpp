// ephemeris_shared: what the sun's and the moon's sources both need of each other, kept out of the
// public headers so that neither public header includes the other.
#pragma once

namespace fts::detail {

// The results of GEOMOON as one value, for callers that need only some of them (nutation needs
// the node, the moon's phase the elongation).
struct MoonElements {
  double lam = 0, beta = 0, par = 0, lp = 0, mp = 0, d = 0, f = 0, om = 0;
};
MoonElements geomoon(double JDE);

// The sun's apparent longitude (radians, through ADJUST) from GEOSUN and the moon's node OM;
// M returns the sun's mean anomaly.
double apparent_sun_longitude(double JDE, double OM, double& M);

}  // namespace fts::detail
