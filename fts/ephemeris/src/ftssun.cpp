// ftssun: solar ephemeris: time scales, Julian dates, the sun's position, observer geometry.
//
// Reference for the whole module: J. Meeus, Astronomical Formulae for Calculators, 4th ed.
// (Willmann-Bell, 1988): Julian Day, sidereal time, coordinate transformations, nutation, solar
// coordinates, parallax.
#include "fts/ftssun.hpp"

#include <cmath>
#include <limits>
#include <numbers>

#include "ephemeris_shared.hpp"
#include "fts/detail/numeric.hpp"

namespace fts {

namespace {

// pi as 4 atan(1) (the same double as std::numbers::pi).
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * kPi;

constexpr double kJdOfDayZero = 1721424.5;  // Julian Date of day number 0 at 0h
constexpr double kMsPerDay = 86400000.0;
constexpr double kJd1900 = 2415020.0;  // 1900 January 0.5 ET, the origin of T
constexpr double kDaysPerCentury = 36525.0;

// Earth's radius: 6378.14 km at 32-bit precision (shadow height); 6378140 m (parallax).
constexpr double kEarthRadiusKm = 6378.14013671875;
constexpr double kEarthRadiusM = 6378140.0;
// Polar over equatorial radius of the reference ellipsoid.
constexpr double kAxisRatio = 0.9966471868221031;

// Arc-seconds in pi radians.
constexpr double kArcsecPerPi = 648000.0;

// The fractional part of X, with the sign of X.
double frac(double x) {
  return x - std::trunc(x);
}

// Julian centuries of ephemeris time since 1900 January 0.5.
double centuries(double jde) {
  return (jde - kJd1900) / kDaysPerCentury;
}

using detail::apparent_sun_longitude;
using detail::geomoon;
using detail::MoonElements;
using detail::quadrant_atan;
using detail::saturate_int32;

// Arcsine of a sine that rounding may have carried just beyond +-1.
double safe_asin(double s) {
  return std::asin(detail::clamp_unit(s));
}

// Leap years: Gregorian from 1583 on, Julian (every fourth year) before, as JULIAN counts them.
bool leap_year(double year) {
  if (std::fmod(year, 4.0) != 0.0) return false;
  if (year <= 1582.0) return true;
  return std::fmod(year, 100.0) != 0.0 || std::fmod(year, 400.0) == 0.0;
}

// Days in MONTH (1 to 12) of YEAR; any other month is given no end.
double month_length(double month, double year) {
  switch (static_cast<int>(month >= 1.0 && month <= 12.0 ? month : 0.0)) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
      return 31.0;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30.0;
    case 2:
      return leap_year(year) ? 29.0 : 28.0;
    default:
      return std::numeric_limits<double>::infinity();
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------

// ADJUST: reduce an angle modulo 2 pi, keeping its sign.
// Given and returned:
//            X        angle (radians); returned as s (|X| - trunc(|X| / 2 pi) 2 pi), s the sign
// Notes: the result lies strictly inside (-2 pi, 2 pi); a negative angle stays negative.
void ADJUST(double& X) {
  const double s = X >= 0.0 ? 1.0 : -1.0;
  const double a = std::fabs(X);
  X = s * (a - std::trunc(a / kTwoPi) * kTwoPi);
}

// JULIAN: Julian Date of a calendar date and hour.
// Given:     YEAR, MONTH  calendar year and month (1 to 12)
//            DAY      day of the month, may carry a fraction
//            HOUR     hours
// Returned:  JD       Julian Date
// Notes: dates up to 1582 October 14.5 are taken in the Julian calendar, later ones in the
//        Gregorian. Years before 1 are not handled (the year terms truncate toward zero).
//        A day past the end of its month gives the Julian Date of the following days.
void JULIAN(double YEAR, double MONTH, double DAY, double HOUR, double& JD) {
  const double d = DAY + HOUR / 24.0;
  // January and February count as months 13 and 14 of the previous year.
  double y = YEAR;
  double m = MONTH;
  if (MONTH == 1.0 || MONTH == 2.0) {
    y = YEAR - 1.0;
    m = MONTH + 12.0;
  }
  double jd = std::trunc(365.25 * y) + std::trunc(30.6001 * (m + 1.0)) + d + 1720994.5;
  // Gregorian correction from the switch on (the threshold is 1582.1015 at 32-bit precision).
  if (YEAR + MONTH / 100.0 + d / 10000.0 >= 1582.1014404296875) {
    const double a = std::trunc(y / 100.0);
    const double b = 2.0 - a + std::trunc(0.25 * a);
    jd = jd + b;
  }
  JD = jd;
}

// DAYJUL: calendar date and hour of a Julian Date.
// Given:     JD       Julian Date
// Returned:  YEAR, MONTH, DAY  calendar date (Julian calendar before 1582 October 15)
//            HOUR     hours since 0h of DAY
// Notes: 122.1 and 30.6001 enter at 32-bit precision here. Negative Julian Dates are not
//        handled.
void DAYJUL(double JD, double& YEAR, double& MONTH, double& DAY, double& HOUR) {
  const double j = JD + 0.5;
  const double z = std::trunc(j);
  const double f = frac(j);
  // Undo the Gregorian correction.
  double a = z;
  if (z >= 2299161.0) {
    const double alpha = std::trunc((z - 1867216.25) / 36524.25);
    a = z + 1.0 + alpha - std::trunc(0.25 * alpha);
  }
  // Years and months of the March-based calendar.
  const double b = a + 1524.0;
  const double c = std::trunc((b - 122.0999984741211) / 365.25);
  const double ep = std::trunc(365.25 * c);
  const double e = std::trunc((b - ep) / 30.600099563598633);
  const double d = b - ep - std::trunc(30.600099563598633 * e) + f;
  HOUR = 24.0 * frac(d);
  DAY = std::trunc(d);
  MONTH = e < 13.5 ? e - 1.0 : e - 13.0;
  YEAR = MONTH > 2.5 ? c - 4716.0 : c - 4715.0;
}

// JDSTMP: Julian Date of a time stamp.
// Given:     JDAY     day number (1 January of year 1 = day 1)
//            MSEC     milliseconds since midnight
// Returned:  JD       JDAY + 1721424.5 + MSEC / 86400000
void JDSTMP(int32_t JDAY, int32_t MSEC, double& JD) {
  JD = static_cast<double>(JDAY) + kJdOfDayZero + static_cast<double>(MSEC) / kMsPerDay;
}

// DELTAT: difference of ephemeris time and universal time.
// Given:     YEAR     calendar year
// Returned:  DT       ET - UT in minutes, 0.41 + 1.2053 tau + 0.4992 tau^2, tau = (YEAR-1900)/100
void DELTAT(double YEAR, double& DT) {
  const double tau = (YEAR - 1900.0) / 100.0;
  const double tau2 = tau * tau;
  DT = 0.41 + 1.2053 * tau + 0.4992 * tau2;
}

// JU2JE: Julian Date in ephemeris time of a Julian Date in universal time.
// Given:     JD       Julian Date (UT)
// Returned:  JDE      Julian Date (ET), JD plus the ET - UT of JD's calendar year
// Notes: the addition is made on the calendar date, which rolls over into the next day, month
//        and year as needed.
void JU2JE(double JD, double& JDE) {
  double year = 0;
  double month = 0;
  double day = 0;
  double hour = 0;
  DAYJUL(JD, year, month, day, hour);
  const double m0 = std::trunc(month);
  double dt = 0;
  DELTAT(year, dt);
  hour = hour + dt / 60.0;
  if (hour >= 24.0) {
    hour = hour - 24.0;
    day = day + 1.0;
    if (day > 28.0 && day > month_length(m0, year)) {
      month = month + 1.0;
      day = 1.0;
      if (month > 12.0) {
        month = 1.0;
        year = year + 1.0;
      }
    }
  }
  JULIAN(year, month, day, hour, JDE);
}

// JE2JU: Julian Date in universal time of a Julian Date in ephemeris time.
// Given:     JDE      Julian Date (ET)
// Returned:  JD       Julian Date (UT), JDE less the ET - UT of JDE's calendar year
//            JD0      Julian Date of 0h UT of JD's civil day
// Notes: the subtraction is made on the calendar date, which rolls back into the previous day,
//        month and year as needed; February has 29 days in the leap years of the calendar JULIAN
//        uses (Gregorian from 1583 on), so that 1 March 1900 rolls back to 28 February.
void JE2JU(double JDE, double& JD, double& JD0) {
  double year = 0;
  double month = 0;
  double day = 0;
  double hour = 0;
  DAYJUL(JDE, year, month, day, hour);
  double dt = 0;
  DELTAT(year, dt);
  hour = hour - dt / 60.0;
  if (hour < 0.0) {
    hour = hour + 24.0;
    day = day - 1.0;
    if (day <= 0.0) {
      month = month - 1.0;
      if (month <= 0.0) {
        month = 12.0;
        year = year - 1.0;
      }
      day = month_length(month, year);
    }
  }
  JULIAN(year, month, day, hour, JD);
  // Julian Days begin at noon: 0h UT lies half a day before or after the integer part.
  JD0 = frac(JD) < 0.5 ? std::trunc(JD) - 1.0 + 0.5 : std::trunc(JD) + 0.5;
}

// GEOSUN: the sun's mean elements.
// Given:     JDE      Julian Date (ET)
// Returned:  RL0      geometric mean longitude L0 (radians)
//            RM       mean anomaly M (radians)
//            C        equation of the centre (radians)
// Notes: each result is passed through ADJUST.
void GEOSUN(double JDE, double& RL0, double& RM, double& C) {
  const double t = centuries(JDE);
  const double t2 = t * t;
  const double t3 = t2 * t;
  double l0 = (279.69668 + 36000.76892 * t + 0.0003025 * t2) * kPi / 180.0;
  ADJUST(l0);
  double m = 6.256583575 + 628.3019466 * t - 2.617993878e-06 * t2 - 5.759586532e-08 * t3 -
             3.10319541e-05 * std::sin(0.893608577 + 0.352556508 * t);
  ADJUST(m);
  double c = ((1.919460 - 0.004789 * t - 0.000014 * t2) * std::sin(m) +
              (0.020094 - 0.000100 * t) * std::sin(2.0 * m) + 0.000293 * std::sin(3.0 * m)) *
             kPi / 180.0;
  ADJUST(c);
  RL0 = l0;
  RM = m;
  C = c;
}

// NUTCOR: mean obliquity of the ecliptic and nutation.
// Given:     JDE      Julian Date (ET)
// Returned:  EPS0     mean obliquity (radians, through ADJUST)
//            DEPS     nutation in obliquity (radians)
//            DPSI     nutation in longitude (radians)
// Notes: the true obliquity is EPS0 + DEPS, which callers pass through ADJUST.
void NUTCOR(double JDE, double& EPS0, double& DEPS, double& DPSI) {
  const double t = centuries(JDE);
  const double t2 = t * t;
  const double t3 = t2 * t;
  double eps0 =
      0.40931975841522217 - 0.0002271109689 * t - 2.862339973e-08 * t2 + 8.779006138e-09 * t3;
  ADJUST(eps0);
  // Mean elements of the sun and the moon.
  double l = 0;
  double m = 0;
  double c = 0;
  GEOSUN(JDE, l, m, c);
  const MoonElements moon = geomoon(JDE);
  // Periodic terms in arc-seconds.
  const double dpsi =
      -(17.2327 + 0.01737 * t) * std::sin(moon.om) - (1.2729 + 0.00013 * t) * std::sin(2.0 * l) +
      0.2088 * std::sin(2.0 * moon.om) - 0.2037 * std::sin(2.0 * moon.lp) +
      (0.1261 - 0.00031 * t) * std::sin(m) + 0.0675 * std::sin(moon.mp) -
      (0.0497 - 0.00012 * t) * std::sin(2.0 * l + m) - 0.0342 * std::sin(2.0 * moon.lp - moon.om) -
      0.0261 * std::sin(2.0 * moon.lp + moon.mp) + 0.0214 * std::sin(2.0 * l - m) -
      0.0149 * std::sin(2.0 * l - 2.0 * moon.lp + moon.mp) + 0.0124 * std::sin(2.0 * l - moon.om) +
      0.0114 * std::sin(2.0 * moon.lp - moon.mp);
  const double deps = (9.2100 + 0.00091 * t) * std::cos(moon.om) +
                      (0.5522 - 0.00029 * t) * std::cos(2.0 * l) -
                      0.0904 * std::cos(2.0 * moon.om) + 0.0884 * std::cos(2.0 * moon.lp) +
                      0.0216 * std::cos(2.0 * l + m) + 0.0183 * std::cos(2.0 * moon.lp - moon.om) +
                      0.0113 * std::cos(2.0 * moon.lp + moon.mp) - 0.0093 * std::cos(2.0 * l - m) -
                      0.0066 * std::cos(2.0 * l - moon.om);
  EPS0 = eps0;
  DEPS = deps / 3600.0 * kPi / 180.0;
  DPSI = dpsi / 3600.0 * kPi / 180.0;
}

// SIDAPP: apparent sidereal time at Greenwich.
// Given:     JDE      Julian Date (ET)
// Returned:  THETA    apparent sidereal time (radians, through ADJUST)
// Notes: mean sidereal time of 0h UT, advanced at the sidereal rate over the hours since, plus
//        the equation of the equinoxes (nutation in longitude times cos of the true obliquity).
void SIDAPP(double JDE, double& THETA) {
  double jd = 0;
  double jd0 = 0;
  JE2JU(JDE, jd, jd0);
  const double t0 = (jd0 - kJd1900) / kDaysPerCentury;
  const double t = 24.0 * (jd - jd0);
  // Mean sidereal time in revolutions at 0h UT, then in hours at the moment.
  const double theta0 = 0.276919398 + 100.0021359 * t0 + 1.075e-06 * t0 * t0;
  double theta = 1.0027378797531128 * t + 24.0 * frac(theta0);
  // Equation of the equinoxes.
  double eps0 = 0;
  double deps = 0;
  double dpsi = 0;
  NUTCOR(JDE, eps0, deps, dpsi);
  double eps = eps0 + deps;
  ADJUST(eps);
  theta = theta + (dpsi * 180.0 / kPi / 15.0) * std::cos(eps);
  theta = theta * kTwoPi / 24.0;
  ADJUST(theta);
  THETA = theta;
}

// apparent_sun_longitude: the sun's apparent longitude, with aberration and nutation in
// longitude.
// Given:     JDE      Julian Date (ET)
//            OM       longitude of the moon's ascending node (radians, as GEOMOON gives it)
// Returned:  M        the sun's mean anomaly (radians, as GEOSUN gives it)
//            (value)  apparent longitude (radians, through ADJUST)
double detail::apparent_sun_longitude(double JDE, double OM, double& M) {
  double l0 = 0;
  double c = 0;
  GEOSUN(JDE, l0, M, c);
  double lsun = l0 + c - (0.00569 + 0.00479 * std::sin(OM)) * kPi / 180.0;
  ADJUST(lsun);
  return lsun;
}

// SUNPOS: the sun's apparent geocentric equatorial position.
// Given:     JDE      Julian Date (ET)
// Returned:  RA       right ascension (radians)
//            DEC      declination (radians)
//            PAR      equatorial horizontal parallax (radians), the constant 8.794 arc-seconds
// Notes: the apparent longitude carries aberration and nutation in longitude.
void SUNPOS(double JDE, double& RA, double& DEC, double& PAR) {
  // True obliquity, the moon's node and the sun's mean elements.
  double eps0 = 0;
  double deps = 0;
  double dpsi = 0;
  NUTCOR(JDE, eps0, deps, dpsi);
  double eps = eps0 + deps;
  ADJUST(eps);
  const MoonElements moon = geomoon(JDE);
  double m = 0;
  const double lsun = apparent_sun_longitude(JDE, moon.om, m);
  // Ecliptic to equatorial.
  double ra = quadrant_atan(std::sin(lsun) * std::cos(eps), std::cos(lsun));
  ADJUST(ra);
  double dec = safe_asin(std::sin(eps) * std::sin(lsun));
  ADJUST(dec);
  double par = 0.002442777777777778 * kPi / 180.0;
  ADJUST(par);
  RA = ra;
  DEC = dec;
  PAR = par;
}

// TOPOCEN: topocentric right ascension and declination.
// Given:     JDE      Julian Date (ET)
//            RLAT     site latitude (degrees, +N)
//            RLON     site longitude (degrees, +W)
//            HEIGHT   site height above sea level (m)
//            PAR      equatorial horizontal parallax of the body (radians)
//            RA, DEC  geocentric right ascension and declination (radians)
// Returned:  RAT, DECT  topocentric right ascension and declination (radians, through ADJUST)
void TOPOCEN(double JDE, double RLAT, double RLON, double HEIGHT, double PAR, double RA, double DEC,
             double& RAT, double& DECT) {
  double theta = 0;
  SIDAPP(JDE, theta);
  const double phi = RLAT * kPi / 180.0;
  const double lon = RLON * kPi / 180.0;
  const double h = theta - lon - RA;
  // Geocentric position of the site on the ellipsoid, in Earth radii.
  const double u = std::atan(kAxisRatio * std::tan(phi));
  const double rcos = std::cos(u) + (HEIGHT / kEarthRadiusM) * std::cos(phi);
  const double rsin = kAxisRatio * std::sin(u) + (HEIGHT / kEarthRadiusM) * std::sin(phi);
  // Parallax in right ascension, then the topocentric declination.
  const double y = -rcos * std::sin(PAR) * std::sin(h);
  const double x = std::cos(DEC) - rcos * std::sin(PAR) * std::cos(h);
  const double dra = quadrant_atan(y, x);
  double rat = RA + dra;
  double dect = std::atan((std::sin(DEC) - rsin * std::sin(PAR)) * std::cos(dra) / x);
  ADJUST(dect);
  ADJUST(rat);
  RAT = rat;
  DECT = dect;
}

// HORIZON: azimuth and elevation of an equatorial position seen from a site.
// Given:     JDE      Julian Date (ET)
//            RLAT     site latitude (degrees, +N)
//            RLON     site longitude (degrees, +W)
//            RA, DEC  right ascension and declination (radians)
// Returned:  AZ       azimuth from north through east, 0 <= AZ < 2 pi
//            EL       elevation (radians), geometric
// Notes: at the zenith or nadir, where the azimuth is undefined, AZ is pi (south).
void HORIZON(double JDE, double RLAT, double RLON, double RA, double DEC, double& AZ, double& EL) {
  double theta = 0;
  SIDAPP(JDE, theta);
  const double phi = RLAT * kPi / 180.0;
  const double lon = RLON * kPi / 180.0;
  const double h = theta - lon - RA;
  double el =
      safe_asin(std::cos(h) * std::cos(phi) * std::cos(DEC) + std::sin(DEC) * std::sin(phi));
  // Azimuth counted westward from south.
  const double num = std::sin(h);
  const double den = std::cos(h) * std::sin(phi) - std::cos(phi) * std::tan(DEC);
  double az = quadrant_atan(num, den);
  ADJUST(el);
  // From north through east.
  az = az + kPi;
  ADJUST(az);
  AZ = az;
  EL = el;
}

// SUNAZEL: the sun's topocentric azimuth and elevation, and the height of the Earth's shadow.
// Given:     JDE      Julian Date (ET)
//            RLAT     site latitude (degrees, +N)
//            RLON     site longitude (degrees, +W)
//            HEIGHT   site height above sea level (m)
// Returned:  AZ       azimuth from north through east (radians)
//            EL       elevation (radians)
//            SHADOW   height of the Earth's shadow above the site (km), 0 with the sun up
void SUNAZEL(double JDE, double RLAT, double RLON, double HEIGHT, double& AZ, double& EL,
             double& SHADOW) {
  double ra = 0;
  double dec = 0;
  double par = 0;
  SUNPOS(JDE, ra, dec, par);
  double rat = 0;
  double dect = 0;
  TOPOCEN(JDE, RLAT, RLON, HEIGHT, par, ra, dec, rat, dect);
  HORIZON(JDE, RLAT, RLON, rat, dect, AZ, EL);
  SHADOW = EL > 0.0 ? 0.0 : (1.0 / std::cos(EL) - 1.0) * kEarthRadiusKm;
}

// SUN: the sun's azimuth and elevation for a time stamp and a site, in whole units.
// Given:     JDAY     day number (UT)
//            MSEC     milliseconds since midnight (UT)
//            ILAT     site latitude (arc-seconds, +N)
//            ILON     site longitude (arc-seconds, +W)
//            IALT     site height above sea level (m)
// Returned:  IAZ      azimuth from north through east (arc-seconds, truncated)
//            IEL      elevation (arc-seconds, truncated toward zero)
//            IEAST    1 when 0 <= IAZ < 648000 (the sun east of the meridian), else 0
//            ISHADW   height of the Earth's shadow above the site (m, truncated)
// Notes: with the sun within about 0.17 degrees of the nadir the shadow height exceeds the
//        32-bit range and is returned as 2147483647.
void SUN(int32_t JDAY, int32_t MSEC, int32_t ILAT, int32_t ILON, int32_t IALT, int32_t& IAZ,
         int32_t& IEL, int32_t& IEAST, int32_t& ISHADW) {
  double jd = 0;
  JDSTMP(JDAY, MSEC, jd);
  double jde = 0;
  JU2JE(jd, jde);
  double az = 0;
  double el = 0;
  double shadow = 0;
  SUNAZEL(jde, static_cast<double>(ILAT) / 3600.0, static_cast<double>(ILON) / 3600.0,
          static_cast<double>(IALT), az, el, shadow);
  IAZ = saturate_int32(az * kArcsecPerPi / kPi);
  IEL = saturate_int32(el * kArcsecPerPi / kPi);
  ISHADW = saturate_int32(1000.0 * shadow);
  IEAST = IAZ >= 0 && IAZ < 648000 ? 1 : 0;
}

}  // namespace fts
