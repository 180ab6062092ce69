// ftsmoon: lunar ephemeris: the moon's position, elevation and illuminated fraction.
//
// Reference: J. Meeus, Astronomical Formulae for Calculators, 4th ed. (Willmann-Bell, 1988):
// the position of the moon and the illuminated fraction of its disk.
#include "fts/ftsmoon.hpp"

#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <numbers>

#include "ephemeris_shared.hpp"
#include "fts/detail/numeric.hpp"
#include "fts/ftssun.hpp"

namespace fts {

namespace {

// pi as 4 atan(1) (the same double as std::numbers::pi).
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * kPi;

// Arc-seconds in pi radians.
constexpr double kArcsecPerPi = 648000.0;

// One periodic term: coefficient (degrees) times E^EPOW times sin (or cos) of
// D*d + M*m + M'*mp + F*f. EPOW is |m|: terms with the sun's anomaly shrink with the
// eccentricity of the Earth's orbit.
struct Term {
  double coef;
  int d;
  int m;
  int mp;
  int f;
  int epow;
};

// clang-format off
// Longitude (sine terms).
constexpr Term kLongitude[] = {
    {+6.288750, 0, 0, 1, 0, 0},
    {+1.274018, 2, 0, -1, 0, 0},
    {+0.658309, 2, 0, 0, 0, 0},
    {+0.213616, 0, 0, 2, 0, 0},
    {-0.185596, 0, 1, 0, 0, 1},
    {-0.114336, 0, 0, 0, 2, 0},
    {+0.058793, 2, 0, -2, 0, 0},
    {+0.057212, 2, -1, -1, 0, 1},
    {+0.053320, 2, 0, 1, 0, 0},
    {+0.045874, 2, -1, 0, 0, 1},
    {+0.041024, 0, -1, 1, 0, 1},
    {-0.034718, 1, 0, 0, 0, 0},
    {-0.030465, 0, 1, 1, 0, 1},
    {+0.015326, 2, 0, 0, -2, 0},
    {-0.012528, 0, 0, 1, 2, 0},
    {-0.010980, 0, 0, -1, 2, 0},
    {+0.010674, 4, 0, -1, 0, 0},
    {+0.010034, 0, 0, 3, 0, 0},
    {+0.008548, 4, 0, -2, 0, 0},
    {-0.007910, 2, 1, -1, 0, 1},
    {-0.006783, 2, 1, 0, 0, 1},
    {+0.005162, -1, 0, 1, 0, 0},
    {+0.005000, 1, 1, 0, 0, 1},
    {+0.004049, 2, -1, 1, 0, 1},
    {+0.003996, 2, 0, 2, 0, 0},
    {+0.003862, 4, 0, 0, 0, 0},
    {+0.003665, 2, 0, -3, 0, 0},
    {+0.002695, 0, -1, 2, 0, 1},
    {+0.002602, -2, 0, 1, -2, 0},
    {+0.002396, 2, -1, -2, 0, 1},
    {-0.002349, 1, 0, 1, 0, 0},
    {-0.002249, 2, -2, 0, 0, 2},
    {-0.002125, 0, 1, 2, 0, 1},
    {-0.002079, 0, 2, 0, 0, 2},
    {+0.002059, 2, -2, -1, 0, 2},
    {-0.001773, 2, 0, 1, -2, 0},
    {-0.001595, 2, 0, 0, 2, 0},
    {+0.001220, 4, -1, -1, 0, 1},
    {-0.001110, 0, 0, 2, 2, 0},
    {+0.000892, -3, 0, 1, 0, 0},
    {-0.000811, 2, 1, 1, 0, 1},
    {+0.000761, 4, -1, -2, 0, 1},
    {+0.000717, 0, -2, 1, 0, 2},
    {+0.000704, -2, -2, 1, 0, 2},
    {+0.000693, 2, 1, -2, 0, 1},
    {+0.000598, 2, -1, 0, -2, 1},
    {+0.000550, 4, 0, 1, 0, 0},
    {+0.000538, 0, 0, 4, 0, 0},
    {+0.000521, 4, -1, 0, 0, 1},
    {+0.000486, -1, 0, 2, 0, 0},
};

// Latitude (sine terms).
constexpr Term kLatitude[] = {
    {+5.128189, 0, 0, 0, 1, 0},
    {+0.280606, 0, 0, 1, 1, 0},
    {+0.277693, 0, 0, 1, -1, 0},
    {+0.173238, 2, 0, 0, -1, 0},
    {+0.055413, 2, 0, -1, 1, 0},
    {+0.046272, 2, 0, -1, -1, 0},
    {+0.032573, 2, 0, 0, 1, 0},
    {+0.017198, 0, 0, 2, 1, 0},
    {+0.009267, 2, 0, 1, -1, 0},
    {+0.008823, 0, 0, 2, -1, 0},
    {+0.008247, 2, -1, 0, -1, 1},
    {+0.004323, 2, 0, -2, -1, 0},
    {+0.004200, 2, 0, 1, 1, 0},
    {+0.003372, -2, -1, 0, 1, 1},
    {+0.002222, 2, -1, 0, 1, 1},
    {+0.001877, 0, -1, 1, 1, 1},
    {+0.001828, 4, 0, -1, -1, 0},
    {-0.001803, 0, 1, 0, 1, 1},
    {-0.001750, 0, 0, 0, 3, 0},
    {+0.001570, 0, -1, 1, -1, 1},
    {-0.001487, 1, 0, 0, 1, 0},
    {-0.001481, 0, 1, 1, 1, 1},
    {+0.001417, 0, -1, -1, 1, 1},
    {+0.001350, 0, -1, 0, 1, 1},
    {+0.001330, -1, 0, 0, 1, 0},
    {+0.001106, 0, 0, 3, 1, 0},
    {+0.001020, 4, 0, 0, -1, 0},
    {+0.000833, 4, 0, -1, 1, 0},
    {+0.000670, 4, 0, -2, 1, 0},
    {+0.000606, 2, 0, 0, -3, 0},
    {+0.000597, 2, 0, 2, -1, 0},
    {+0.000498, 0, 0, 1, -3, 0},
    {+0.000492, 2, -1, 1, -1, 1},
    {+0.000450, -2, 0, 2, -1, 0},
    {+0.000439, 0, 0, 3, -1, 0},
    {+0.000423, 2, 0, 2, 1, 0},
    {+0.000422, 2, 0, -3, -1, 0},
    {-0.000400, 2, -1, -1, -1, 1},
    {-0.000367, 2, 1, -1, 1, 1},
    {-0.000353, 2, 1, 0, 1, 1},
    {+0.000331, 4, 0, 0, 1, 0},
    {+0.000317, 2, -1, 1, 1, 1},
    {+0.000306, 2, -2, 0, -1, 2},
};

// Horizontal parallax (cosine terms; the first is the constant).
constexpr Term kParallax[] = {
    {+0.950724, 0, 0, 0, 0, 0},
    {+0.051818, 0, 0, 1, 0, 0},
    {+0.009531, 2, 0, -1, 0, 0},
    {+0.007843, 2, 0, 0, 0, 0},
    {+0.002824, 0, 0, 2, 0, 0},
    {+0.000857, 2, 0, 1, 0, 0},
    {+0.000533, 2, -1, 0, 0, 1},
    {+0.000401, 2, -1, -1, 0, 1},
    {+0.000320, 0, -1, 1, 0, 1},
    {-0.000271, 1, 0, 0, 0, 0},
    {-0.000264, 0, 1, 1, 0, 1},
    {-0.000198, 0, 0, -1, 2, 0},
    {+0.000173, 0, 0, 3, 0, 0},
    {+0.000167, 4, 0, -1, 0, 0},
    {-0.000111, 0, 1, 0, 0, 1},
    {+0.000103, 4, 0, -2, 0, 0},
    {-0.000084, -2, 0, 2, 0, 0},
    {-0.000083, 2, 1, 0, 0, 1},
    {+0.000079, 2, 0, 2, 0, 0},
    {+0.000072, 4, 0, 0, 0, 0},
    {+0.000064, 2, -1, 1, 0, 1},
    {-0.000063, 2, 1, -1, 0, 1},
    {+0.000041, 1, 1, 0, 0, 1},
    {+0.000035, 0, -1, 2, 0, 1},
    {-0.000033, -2, 0, 3, 0, 0},
    {-0.000030, 1, 0, 1, 0, 0},
    {-0.000029, -2, 0, 0, 2, 0},
    {-0.000029, 0, 1, 2, 0, 1},
    {+0.000026, 2, -2, 0, 0, 2},
    {-0.000023, -2, 0, 1, 2, 0},
    {+0.000019, 4, -1, -1, 0, 1},
};
// clang-format on

static_assert(std::size(kLongitude) == 50 && std::size(kLatitude) == 43 &&
              std::size(kParallax) == 31);

// True when every term's power of E is the size of its multiple of M.
template <std::size_t N>
constexpr bool eccentricity_powers_match(const Term (&table)[N]) {
  for (const Term& term : table) {
    if (term.epow != (term.m < 0 ? -term.m : term.m)) return false;
  }
  return true;
}
static_assert(eccentricity_powers_match(kLongitude) && eccentricity_powers_match(kLatitude) &&
              eccentricity_powers_match(kParallax));

// Sum of the terms of TABLE: sine terms, or cosine terms when COSINE.
template <std::size_t N>
double series(const Term (&table)[N], bool cosine, double d, double m, double mp, double f,
              double e) {
  const double e2 = e * e;
  double sum = 0.0;
  for (const Term& term : table) {
    const double arg = d * term.d + m * term.m + mp * term.mp + f * term.f;
    double factor = term.coef * kPi / 180.0;
    if (term.epow == 1) {
      factor = factor * e;
    } else if (term.epow == 2) {
      factor = factor * e2;
    }
    sum += factor * (cosine ? std::cos(arg) : std::sin(arg));
  }
  return sum;
}

using detail::apparent_sun_longitude;
using detail::clamp_unit;
using detail::geomoon;
using detail::MoonElements;
using detail::quadrant_atan;
using detail::saturate_int32;

}  // namespace

// GEOMOON: the moon's geocentric ecliptic position and parallax, and the mean elements.
// Given:     JDE      Julian Date (ET)
// Returned:  RLAM     ecliptic longitude (radians)
//            BETA     ecliptic latitude (radians)
//            PAR      equatorial horizontal parallax (radians)
//            RLP      mean longitude L'
//            RMP      mean anomaly M'
//            D        mean elongation from the sun
//            F        argument of latitude (mean distance from the ascending node)
//            OM       longitude of the ascending node OMEGA
// Notes: 1. All nine results are passed through ADJUST.
//        2. The series take the sun's mean anomaly M from GEOSUN.
//        3. The longitude is referred to the mean equinox of date (no nutation).
void GEOMOON(double JDE, double& RLAM, double& BETA, double& PAR, double& RLP, double& RMP,
             double& D, double& F, double& OM) {
  const double t = (JDE - 2415020.0) / 36525.0;
  const double t2 = t * t;
  const double t3 = t2 * t;
  // Additive long-period arguments.
  const double s1 = std::sin(0.893608577 + 0.352556508 * t);
  const double s2 = 6.918485155e-05 * std::sin(6.048613056 + 2.31901898 * t - 0.0001601007976 * t2);
  // Mean elements.
  double om = 4.523601515 - 33.7571461 * t + 3.626794186e-05 * t2 + 3.839724354e-08 * t3;
  const double sin_om = std::sin(om);
  double lp = 4.719966572 + 8399.709144 * t - 1.977458043e-05 * t2 + 3.316125579e-08 * t3 +
              4.066617157e-06 * s1 + s2 + 3.427826651e-05 * sin_om;
  double mp = 5.16800034 + 8328.691104 * t + 0.0001604306648 * t2 + 2.513274123e-07 * t3 +
              1.425933999e-05 * s1 + s2 + 4.434881629e-05 * sin_om;
  double d = 6.121523941 + 7771.377194 * t - 2.506292806e-05 * t2 + 3.316125579e-08 * t3 +
             3.509857126e-05 * s1 + s2 + 3.427826651e-05 * sin_om;
  double f = 0.1963650568 + 8433.46629 * t - 5.604252228e-05 * t2 - 5.235987756e-09 * t3 + s2 -
             0.0004309392456 * sin_om -
             7.553785003e-05 * std::sin(om + 4.8005281 - 0.0401425728 * t);
  ADJUST(lp);
  ADJUST(mp);
  ADJUST(d);
  ADJUST(f);
  ADJUST(om);
  double l0 = 0;
  double m = 0;
  double c = 0;
  GEOSUN(JDE, l0, m, c);
  // Eccentricity factor of the Earth's orbit.
  const double e = 1.0 - 0.002495 * t - 0.00000752 * t2;
  // Longitude.
  double sum_lam = series(kLongitude, false, d, m, mp, f, e);
  ADJUST(sum_lam);
  double lam = lp + sum_lam;
  ADJUST(lam);
  // Latitude, with its factor for the node.
  const double b = series(kLatitude, false, d, m, mp, f, e);
  double beta = b * (1.0 - 0.0004664 * std::cos(om) -
                     0.0000754 * std::cos(om + 4.800528049468994 - 0.0401425728 * t));
  ADJUST(beta);
  // Horizontal parallax.
  double par = series(kParallax, true, d, m, mp, f, e);
  ADJUST(par);
  RLAM = lam;
  BETA = beta;
  PAR = par;
  RLP = lp;
  RMP = mp;
  D = d;
  F = f;
  OM = om;
}

// geomoon: GEOMOON's results as one value.
detail::MoonElements detail::geomoon(double JDE) {
  MoonElements e;
  GEOMOON(JDE, e.lam, e.beta, e.par, e.lp, e.mp, e.d, e.f, e.om);
  return e;
}

// MOONPOS: the moon's geocentric equatorial position.
// Given:     JDE      Julian Date (ET)
// Returned:  RA       right ascension (radians)
//            DEC      declination (radians)
//            PAR      equatorial horizontal parallax (radians), as GEOMOON gives it
// Notes: the true obliquity is used; nutation in longitude is not applied.
void MOONPOS(double JDE, double& RA, double& DEC, double& PAR) {
  const MoonElements moon = geomoon(JDE);
  double eps0 = 0;
  double deps = 0;
  double dpsi = 0;
  NUTCOR(JDE, eps0, deps, dpsi);
  double eps = eps0 + deps;
  ADJUST(eps);
  // Ecliptic to equatorial.
  double ra = quadrant_atan(
      std::sin(moon.lam) * std::cos(eps) - std::tan(moon.beta) * std::sin(eps), std::cos(moon.lam));
  double dec = std::asin(clamp_unit(std::sin(moon.beta) * std::cos(eps) +
                                    std::cos(moon.beta) * std::sin(eps) * std::sin(moon.lam)));
  ADJUST(ra);
  ADJUST(dec);
  RA = ra;
  DEC = dec;
  PAR = moon.par;
}

// MOONILLU: illuminated fraction of the moon's disk.
// Given:     JDE      Julian Date (ET)
// Returned:  K        illuminated fraction, (1 + cos i) / 2 with i the phase angle, 0 <= K <= 1
// Notes: the phase angle comes from the geocentric elongation d of the moon from the sun,
//        i = 180 deg - d - 0.1468 deg sin d (1 - 0.0549 sin M') / (1 - 0.0167 sin M).
void MOONILLU(double JDE, double& K) {
  const MoonElements moon = geomoon(JDE);
  double m = 0;
  const double lsun = apparent_sun_longitude(JDE, moon.om, m);
  // Elongation and phase angle.
  double elong = std::acos(clamp_unit(std::cos(moon.lam - lsun) * std::cos(moon.beta)));
  ADJUST(elong);
  double phase = kPi - elong -
                 (kPi / 180.0) * 0.1468 * std::sin(elong) * (1.0 - 0.0549 * std::sin(moon.mp)) /
                     (1.0 - 0.0167 * std::sin(m));
  ADJUST(phase);
  K = (1.0 + std::cos(phase)) * 0.5;
}

// MOONAZEL: the moon's topocentric azimuth and elevation.
// Given:     JDE      Julian Date (ET)
//            RLAT     site latitude (degrees, +N)
//            RLON     site longitude (degrees, +W)
//            HEIGHT   site height above sea level (m)
// Returned:  AZ       azimuth from north through east (radians)
//            EL       elevation (radians), geometric
void MOONAZEL(double JDE, double RLAT, double RLON, double HEIGHT, double& AZ, double& EL) {
  double ra = 0;
  double dec = 0;
  double par = 0;
  MOONPOS(JDE, ra, dec, par);
  double rat = 0;
  double dect = 0;
  TOPOCEN(JDE, RLAT, RLON, HEIGHT, par, ra, dec, rat, dect);
  HORIZON(JDE, RLAT, RLON, rat, dect, AZ, EL);
}

// MOON: the moon's azimuth, elevation and phase for a time stamp and a site, in whole units.
// Given:     JDAY     day number (UT)
//            MSEC     milliseconds since midnight (UT)
//            ILAT     site latitude (arc-seconds, +N)
//            ILON     site longitude (arc-seconds, +W)
//            IALT     site height above sea level (m)
// Returned:  IAZ      azimuth from north through east (arc-seconds, truncated)
//            IEL      elevation (arc-seconds, truncated toward zero)
//            IEAST    1 when 0 <= IAZ < 648000 (the moon east of the meridian), else 0
//            ILLUM    illuminated percentage of the disk (truncated)
void MOON(int32_t JDAY, int32_t MSEC, int32_t ILAT, int32_t ILON, int32_t IALT, int32_t& IAZ,
          int32_t& IEL, int32_t& IEAST, int32_t& ILLUM) {
  double jd = 0;
  JDSTMP(JDAY, MSEC, jd);
  double jde = 0;
  JU2JE(jd, jde);
  double az = 0;
  double el = 0;
  MOONAZEL(jde, static_cast<double>(ILAT) / 3600.0, static_cast<double>(ILON) / 3600.0,
           static_cast<double>(IALT), az, el);
  IAZ = saturate_int32(az * kArcsecPerPi / kPi);
  IEL = saturate_int32(el * kArcsecPerPi / kPi);
  double k = 0;
  MOONILLU(jde, k);
  ILLUM = saturate_int32(100.0 * k);
  IEAST = IAZ >= 0 && IAZ < 648000 ? 1 : 0;
}

}  // namespace fts
