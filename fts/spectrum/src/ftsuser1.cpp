// ftsuser1: spectrum helpers: axis ranges, interpolation by position, line shapes, peaks (the
// ephemeris and the least-squares solvers have modules of their own: ftssun, ftsmoon, ftslsq).
#include "fts/ftsuser1.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftsmtutl.hpp"
#include "fts/ftssmprm.hpp"
#include "fts/ftswtapd.hpp"

namespace fts {

namespace {

// Window constants of the line reach: c = beta^2 of the Kaiser-Bessel windows 1-5 (0 for the
// boxcar), so that the reach of order N is the N-th zero of the line shape.
constexpr float kReachConstant[6] = {0.0f, 20.24923f, 53.05662f, 97.86550f, 154.3319f, 222.2475f};

// pi^2 rounded to single precision, used as a double.
constexpr double kPiSquared = 9.869604110717773;

// A double rounded to 32 bits; a magnitude beyond the float range becomes an infinity of its
// sign instead of an undefined conversion.
float rounded(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) return std::numeric_limits<float>::infinity();
  if (v < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

// The nearest point number to fractional index X, halves away from zero, limited to the 32-bit
// range; an index that is not a number gives point 0, which no load accepts.
int32_t nearest_point(double x) {
  if (std::isnan(x)) return 0;
  constexpr double kLo = std::numeric_limits<int32_t>::min();
  constexpr double kHi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::round(x), kLo, kHi));
}

// The elements of ARRAY that its header says are loaded (QQDSIZ of them, at most all).
std::span<const float> loaded(const Header& AHDR, std::span<const float> ARRAY) {
  const auto n = static_cast<std::size_t>(std::max(AHDR(QQDSIZ), 0));
  return ARRAY.first(std::min(n, ARRAY.size()));
}

// A sign change of the first derivative between two samples D0 (left) and D1 (right): a zero at
// the left sample counts, a zero at the right one is left to the next step.
bool sign_change(float d0, float d1) {
  return (d0 >= 0.0f && d1 < 0.0f) || (d0 <= 0.0f && d1 > 0.0f);
}

// The peak list as a heap of at most its capacity with the weakest entry at the root: entry k
// (from 1) has children 2k and 2k+1, none weaker than its parent.
class PeakHeap {
 public:
  PeakHeap(std::span<double> x, std::span<float> v) : x_(x), v_(v) {}

  // Puts (X, V) at position K and moves it up while its parent is stronger.
  void sift_up(int32_t k, double x, float v) {
    while (k > 1 && strength(k / 2) > v) {
      move(k / 2, k);
      k /= 2;
    }
    put(k, x, v);
  }

  // Puts (X, V) at the root of a heap of N entries and moves it down, swapping with the weaker
  // child (the left one when both are equal) while that child is weaker.
  void sift_down(int32_t n, double x, float v) {
    int32_t k = 1;
    while (k <= n / 2) {
      int32_t child = 2 * k;
      if (child < n && strength(child + 1) < strength(child)) ++child;
      if (!(strength(child) < v)) break;
      move(child, k);
      k = child;
    }
    put(k, x, v);
  }

  // Heapsort step on a heap of M entries: the root (the weakest) goes to position M, and the
  // entry that stood there moves down from the root of the remaining M - 1.
  void retire_root(int32_t m) {
    const double x = position(m);
    const float v = strength(m);
    move(1, m);
    sift_down(m - 1, x, v);
  }

  float strength(int32_t k) const { return v_[static_cast<std::size_t>(k - 1)]; }

 private:
  double position(int32_t k) const { return x_[static_cast<std::size_t>(k - 1)]; }
  void put(int32_t k, double x, float v) {
    x_[static_cast<std::size_t>(k - 1)] = x;
    v_[static_cast<std::size_t>(k - 1)] = v;
  }
  void move(int32_t from, int32_t to) { put(to, position(from), strength(from)); }

  std::span<double> x_;
  std::span<float> v_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Spectra on their axis.

// GETSPF: load exactly the spectrum points nearest to an axis range.
// Given:     LUN      unit standing at the scan's first data record (right after GETHDR)
//            HDR      the scan's header
//            ATYP     element type of ARRAY (0-3)
//            IREP     part wanted: 0 real, 1 imaginary, 2 complex
//            W1, W2   range on the spectrum axis
// Returned:  ARRAY    the points I1 ... I2 nearest to W1 and W2, from element 1 on
//            AHDR     header of the array (LDINDX)
//            NPTS     I2 - I1 + 1, the points asked for
//            W1P, W2P the axis positions of points I1 and I2
//            IERR     0 = loaded, 1 = refused (messages written)
// Notes:
// 1. "GETSPF   01> - SCAN NOT SPECTRUM" unless HDR's QQDKND is 1 (nothing else returned).
// 2. I1 and I2 are the nearest integers (halves away from zero) to the point indices of W1 and
//    W2 (SPTCON, SPTIND). NPTS, W1P and W2P are returned before any further test, so a caller
//    sees the range even when it is refused.
// 3. "GETSPF   02> - ZERO POINTS REQUESTED" when NPTS < 1; a failed load writes LDINDX's lines,
//    then "GETSPF   03>" (a range beyond the spectrum, an array too small for NPTS points).
// 4. Unlike GETSPT no margin is added. A count beyond the 32-bit range is limited to it.
void GETSPF(int32_t LUN, const Header& HDR, ElementArray ARRAY, Header& AHDR, int32_t ATYP,
            int32_t IREP, int32_t& NPTS, double W1, double W2, double& W1P, double& W2P,
            int32_t& IERR) {
  if (HDR(QQDKND) != 1) {
    IERR = 1;
    MESSAG("GETSPF   01> - SCAN NOT SPECTRUM");
    return;
  }

  // Points nearest to the two ends and their exact positions.
  double smp = 0;
  double con = 0;
  SPTCON(HDR, smp, con);
  const int32_t i1 = nearest_point(SPTIND(W1, smp, con));
  const int32_t i2 = nearest_point(SPTIND(W2, smp, con));
  W1P = SPTWAV(i1, smp, con);
  W2P = SPTWAV(i2, smp, con);
  const int64_t n = int64_t{i2} - i1 + 1;
  NPTS = static_cast<int32_t>(std::clamp<int64_t>(n, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
  if (NPTS < 1) {
    IERR = 1;
    MESSAG("GETSPF   02> - ZERO POINTS REQUESTED");
    return;
  }

  LDINDX(LUN, HDR, ARRAY, AHDR, ATYP, IREP, i1, i2, IERR);
  WRTLOG(IERR, "GETSPF   03>");
}

// SPTR4I: interpolate a loaded spectrum, or its derivatives, at a position on its axis.
// Given:     AHDR   header of the array (its axis and its QQDSIZ loaded elements)
//            ARRAY  the spectrum, 32-bit floats
//            W      position on the axis
//            K      0 value, 1 first derivative, 2 second derivative
// Returned:  (function) SR4VAL(ARRAY, SPTIND(W), K): derivatives are per point, not per axis
//            unit; 0 for any other K
// Notes: samples beyond the loaded elements count as 0, so a position near or beyond the ends
//        of the loaded points is safe (and its value drops towards 0).
float SPTR4I(const Header& AHDR, std::span<const float> ARRAY, double W, int32_t K) {
  double smp = 0;
  double con = 0;
  SPTCON(AHDR, smp, con);
  return SR4VAL(loaded(AHDR, ARRAY), SPTIND(W, smp, con), K);
}

// ---------------------------------------------------------------------------------------------
// Instrument line shape.

// SPTAPV: value of the instrument line shape at a distance from the line centre.
// Given:     AHDR   header of the spectrum (QQAPOD, and the resolution items of SPTRES)
//            DW     distance from the line centre on the spectrum axis
// Returned:  (function) L * R4WNDk(DW * L) for window k = QQAPOD, L = 1/SPTRES; 0 for a window
//            code outside 0-5
// Notes: 1. L is QQRESL times the interferogram sample spacing (0 when the header gives no
//           resolution). DW * L and the result are rounded to 32 bits.
//        2. Every window's line shape has area 1 on the axis; the boxcar's is L high at the
//           centre.
float SPTAPV(const Header& AHDR, double DW) {
  double res = 0;
  SPTRES(AHDR, res);
  const double l = res != 0 ? 1.0 / res : 0.0;
  const float u = rounded(DW * l);
  float shape = 0;
  switch (AHDR(QQAPOD)) {
    case 0:
      shape = R4WND0(u);
      break;
    case 1:
      shape = R4WND1(u);
      break;
    case 2:
      shape = R4WND2(u);
      break;
    case 3:
      shape = R4WND3(u);
      break;
    case 4:
      shape = R4WND4(u);
      break;
    case 5:
      shape = R4WND5(u);
      break;
    default:
      return 0.0f;
  }
  return rounded(static_cast<double>(shape) * l);
}

// SPTAPN: distance from the line centre that the line shape reaches, for order N.
// Given:     AHDR   header of the spectrum (QQAPOD, and the resolution items of SPTRES)
//            N      order
// Returned:  HW     RES * sqrt((c + N^2 P)/P), RES = SPTRES, P = pi^2 rounded to 32 bits,
//                   c = beta^2 of window QQAPOD (0 for the boxcar, where HW = N * RES)
// Notes: 1. With c = beta^2, HW is where the argument of KBWIND reaches -(N pi)^2: the N-th zero
//           of the line shape beyond its main lobe.
//        2. A window code outside 0-5 has no line shape (SPTAPV gives 0 everywhere), so it
//           reaches nowhere: HW = 0.
//        3. N^2 is formed in double precision, so a large N cannot overflow.
void SPTAPN(const Header& AHDR, int32_t N, double& HW) {
  const int32_t window = AHDR(QQAPOD);
  if (window < 0 || window > 5) {
    HW = 0.0;
    return;
  }
  double res = 0;
  SPTRES(AHDR, res);
  const double c = kReachConstant[window];
  const double n2 = static_cast<double>(N) * static_cast<double>(N);
  HW = res * std::sqrt((c + n2 * kPiSquared) / kPiSquared);
}

// ---------------------------------------------------------------------------------------------
// Peak search.

// SPTPKS: find the strongest peaks or dips of a loaded real spectrum between two positions.
// Given:     ARRAY   the spectrum, 32-bit floats (its first QQDSIZ elements are the data)
//            AHDR    header of the array
//            W1, W2  search range on the axis (either order)
//            DW      search step on the axis; DW <= 0 means one axis unit
//            MAXPK   most peaks wanted
//            MODE    0 maxima, 1 minima (any other finds nothing)
// Returned:  PKW     positions on the axis, strongest first (NPK of them)
//            PKV     strengths: |second derivative| per axis unit squared
//            NPK     peaks found (0 on a refusal)
//            IERR    0 = searched, 1 = refused (message written)
// Notes:
// 1. Refusals, in this order: "SPTPKS   01> - SCAN NOT SPECTRUM" (QQDKND not 1), "SPTPKS   02> -
//    INPUT ARRAY NOT TYPE REAL" (QQDTYP not 2), "SPTPKS   03> - DATA REPRESENTATION NOT REAL"
//    (QQDREP not 0); W1 outside the range of SPTRNG (points 9 ... QQSLEN-8): TSTDBL's line,
//    then "SPTPKS   04> - SEARCH RANGE OUTSIDE DATA RANGE"; W2 likewise with "SPTPKS   05>";
//    "SPTPKS   06> - PEAK LIST LONGER THAN ITS ARRAYS" when PKW or PKV holds fewer than MAXPK
//    entries.
// 2. The search runs on point indices (SR4PKS) from the floor of the index of min(W1, W2) to the
//    ceiling of that of max(W1, W2), in steps of DW/SMP points (1/SMP for DW <= 0) kept as a
//    32-bit float; its positions and strengths are then turned into axis units.
void SPTPKS(std::span<const float> ARRAY, const Header& AHDR, double W1, double W2, double DW,
            int32_t MAXPK, int32_t MODE, std::span<double> PKW, std::span<float> PKV, int32_t& NPK,
            int32_t& IERR) {
  NPK = 0;
  IERR = 1;

  // The array must be a real spectrum of 32-bit floats.
  if (AHDR(QQDKND) != 1) {
    MESSAG("SPTPKS   01> - SCAN NOT SPECTRUM");
    return;
  }
  if (AHDR(QQDTYP) != 2) {
    MESSAG("SPTPKS   02> - INPUT ARRAY NOT TYPE REAL");
    return;
  }
  if (AHDR(QQDREP) != 0) {
    MESSAG("SPTPKS   03> - DATA REPRESENTATION NOT REAL");
    return;
  }

  // Both ends inside the range whose interpolation has every sample it needs.
  double r1 = 0;
  double r2 = 0;
  SPTRNG(AHDR, r1, r2);
  int32_t ierr = 0;
  TSTDBL(W1, r1, r2, ierr);
  if (ierr != 0) {
    MESSAG("SPTPKS   04> - SEARCH RANGE OUTSIDE DATA RANGE");
    return;
  }
  TSTDBL(W2, r1, r2, ierr);
  if (ierr != 0) {
    MESSAG("SPTPKS   05> - SEARCH RANGE OUTSIDE DATA RANGE");
    return;
  }

  // The peak list must fit the caller's arrays.
  if (MAXPK > 0 && static_cast<std::size_t>(MAXPK) > std::min(PKW.size(), PKV.size())) {
    MESSAG("SPTPKS   06> - PEAK LIST LONGER THAN ITS ARRAYS");
    return;
  }

  // Step and index range, then the search on indices.
  double smp = 0;
  double con = 0;
  SPTCON(AHDR, smp, con);
  const float step = rounded(DW > 0 ? DW / smp : 1.0 / smp);
  const int32_t i1 = LDBOT(SPTIND(std::min(W1, W2), smp, con));
  const int32_t i2 = LDTOP(SPTIND(std::max(W1, W2), smp, con));
  SR4PKS(loaded(AHDR, ARRAY), i1, i2, step, MAXPK, MODE, PKW, PKV, NPK);

  // Indices to axis positions, curvatures per point squared to per axis unit squared.
  const double smp2 = smp * smp;
  for (std::size_t k = 0; k < static_cast<std::size_t>(NPK); ++k) {
    PKW[k] = SPTWAV(PKW[k], smp, con);
    PKV[k] = rounded(static_cast<double>(PKV[k]) / smp2);
  }
  IERR = 0;
}

// SR4PKS: the strongest zeros of the first derivative of an array, on point indices.
// Given:     ARRAY   samples 1..N, 32-bit floats (beyond them samples count as 0)
//            I1, I2  index range searched
//            STEP    sampling step of the first derivative, in points
//            MAXPK   most peaks wanted
//            MODE    0 maxima (second derivative < 0), 1 minima (> 0); any other finds nothing
// Returned:  PKX     positions (fractional indices), strongest first (NPK of them)
//            PKV     strengths |second derivative| per point squared
//            NPK     peaks found
// Notes:
// 1. The first derivative (SR4VAL) is sampled at I1, I1+STEP, ... while below I2. Between two
//    samples d0, d1 a zero lies where d0 >= 0 > d1 or d0 <= 0 < d1; ten bisections on offsets
//    from the right sample narrow it to STEP/1024 points and its midpoint is taken.
// 2. The accepted zeros are kept in a heap of the MAXPK strongest (weakest at the root); a new
//    zero replaces the root only when strictly stronger. A heapsort then leaves them strongest
//    first (Williams, Comm. ACM 7 (1964) 347, algorithm 232).
// 3. At most as many peaks are kept as PKX and PKV both hold, whatever MAXPK says. A STEP that
//    is not positive, or too small to move the position, ends the search instead of looping.
void SR4PKS(std::span<const float> ARRAY, int32_t I1, int32_t I2, float STEP, int32_t MAXPK,
            int32_t MODE, std::span<double> PKX, std::span<float> PKV, int32_t& NPK) {
  NPK = 0;
  const std::size_t room = std::min(PKX.size(), PKV.size());
  const int32_t maxpk =
      MAXPK < 1
          ? 0
          : static_cast<int32_t>(std::min<std::size_t>(static_cast<std::size_t>(MAXPK), room));
  if (maxpk < 1 || !(STEP > 0.0f)) return;

  PeakHeap heap(PKX, PKV);
  int32_t n = 0;
  double x = I1;
  float d0 = SR4VAL(ARRAY, x, 1);
  x = x + STEP;
  while (x < I2) {
    const float d1 = SR4VAL(ARRAY, x, 1);
    if (sign_change(d0, d1)) {
      // Bisection on offsets from x: lo = -STEP (derivative d0) to hi = 0 (derivative d1).
      float lo = -STEP;
      float hi = 0.0f;
      float dlo = d0;
      for (int i = 0; i < 10; ++i) {
        const float mid = (lo + hi) * 0.5f;
        const float dm = SR4VAL(ARRAY, x + mid, 1);
        if (sign_change(dlo, dm)) {
          hi = mid;
        } else {
          lo = mid;
          dlo = dm;
        }
      }
      const double xp = x + static_cast<double>((lo + hi) * 0.5f);

      // Classify by the second derivative and keep the strongest.
      const float c = SR4VAL(ARRAY, xp, 2);
      if ((MODE == 0 && c < 0.0f) || (MODE == 1 && c > 0.0f)) {
        const float v = std::fabs(c);
        if (n < maxpk) {
          ++n;
          heap.sift_up(n, xp, v);
        } else if (v > heap.strength(1)) {
          heap.sift_down(n, xp, v);
        }
      }
    }
    d0 = d1;
    const double next = x + STEP;
    if (!(next > x)) break;
    x = next;
  }
  NPK = n;

  // Heapsort: the weakest goes to the end until one entry is left.
  for (int32_t m = n; m > 1; --m) heap.retire_root(m);
}

}  // namespace fts
