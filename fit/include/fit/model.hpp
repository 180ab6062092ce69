// model: the band model of the fit: populations and their sums (NORMA), the normalisations
// (RENORM, SCALE), the gain correction (GANSCL), the per-point line-shape coefficient lists and
// the model columns built from them.
//
// Band column b(i) = r(i) A(i)/N1, derivative column d(i) = BI r(i) ((N2/N1) A(i)/N1 - D(i)/N1)
// (the derivative of the band with respect to TFAC), solar column q(i) = r(i) s(i), with
// A(i) = sum_k c(i,k) P(f(i)+k-1) and D(i) = sum_k c(i,k) P(f(i)+k-1) E(f(i)+k-1) over the stored
// list of point i. Sums of A and D are 32-bit, rounded after every term, in list order; the sums
// of NORMA, RENORM and SCALE are 64-bit, stored as 32-bit.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "fit/inputs.hpp"
#include "fts/header.hpp"

namespace fit {

// ---------------------------------------------------------------------------------------------
// Division by a divisor shared by many elements.

// 1/D in 64 bits, for quotient().
inline double reciprocal(float D) {
  return 1.0 / static_cast<double>(D);
}
// X / D for a divisor D that is not a NaN, whose reciprocal() is INV: the same 32-bit real as the
// division X / D, bit for bit, for every X (infinities, zeros and NaNs included), by one
// multiplication.
// Notes: 1. The 64-bit product X INV lies within 2^-28 units in the last place (32-bit) of the
//           exact quotient, and the exact quotient of two 32-bit reals never lies closer than
//           2^-25 units to a point halfway between two 32-bit reals (nor to the rounding
//           boundary beyond the largest one), so the product rounds to the 32-bit real nearest
//           the exact quotient, as the division does.
//        2. The narrowing follows IEEE 754 arithmetic, which the reals of this system are: a
//           product beyond the 32-bit range becomes an infinity of its sign, as the quotient
//           does.
//        3. A NaN divisor is left to the division: with a NaN dividend as well, the product
//           would pass on the divisor's NaN where the division passes on the dividend's.
inline float quotient(float X, double INV) {
  static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);
  return static_cast<float>(static_cast<double>(X) * INV);
}

// ---------------------------------------------------------------------------------------------
// The four array routines.

// Populations POP(j) = exp(-TFAC E(j)) (0 where the exponent exceeds 88) of the lines of NORMAL,
// and N1 = sum S P, N2 = sum E S P; a sum of 0 is returned as 1.
void NORMA(const Normal& NORMAL, float& N1, float& N2, std::span<float> POP, float TFAC);
// Divides ARR(1..N) by the mean of its non-zero elements, AMEAN (1 when there are none).
void RENORM(std::span<float> ARR, int32_t N, float& AMEAN);
// Divides ARR(1..N) by its Euclidean length ANORM (1 for a zero array).
void SCALE(std::span<float> ARR, int32_t N, float& ANORM);
// SCALE in two steps: the sum of squares of ARR(1..N) in 64 bits (a split sum, ftssums), and the
// division by the length that a sum SUM gives.
double sum_of_squares(std::span<const float> ARR, int32_t N);
void scale_by(std::span<float> ARR, int32_t N, double SUM, float& ANORM);
// Divides ARR(1..N) by the product of the header's gains QQGAN1-3 (each below 1 counts as 1).
void GANSCL(std::span<float> ARR, const fts::Header& HDR, int32_t N);

// True when the line shape of the array header AHDR is defined: a window code 0 to 5 and a
// resolution above 0 (a positive QQRESL and interferogram spacing of a known unit).
bool line_shape_defined(const fts::Header& AHDR);

// The model terms of one iteration.
struct Terms {
  float BI = 0.0f;  // band intensity
  float SA = 0.0f;  // solar amplitude
  float N1 = 1.0f;  // normalisation sums of NORMA
  float N2 = 1.0f;
};

// ---------------------------------------------------------------------------------------------
// Coefficient lists: for every grid point the index of its first line, and the coefficients of
// its lines, all points' coefficients in one contiguous array.

class CoefficientLists {
 public:
  CoefficientLists();

  // Builds the lists of every point of GRID for the lines of TABLE, with the line shape of the
  // array header AHDR cut at its BINLIM-th zero and the calibration C (the window search of each
  // point starts at the first in-window line of the point before), and returns A(i) of the
  // populations P as the lists are built (A holds N values).
  void build(const fts::Header& AHDR, int32_t BINLIM, std::span<const double> W,
             const LineTable& table, std::span<const double, 5> c, std::span<const float> P,
             std::span<float> A);

  int32_t points() const { return points_; }
  // First line (from 1) and number of entries of point I (from 1).
  int32_t first(int32_t i) const { return first_[static_cast<std::size_t>(i - 1)] + 1; }
  int32_t count(int32_t i) const {
    const auto k = static_cast<std::size_t>(i - 1);
    return static_cast<int32_t>(offset_[k + 1] - offset_[k]);
  }
  // The coefficients of point I.
  std::span<const float> coefficients(int32_t i) const {
    const auto k = static_cast<std::size_t>(i - 1);
    return std::span<const float>(coef_).subspan(offset_[k], offset_[k + 1] - offset_[k]);
  }
  std::size_t entries() const { return coef_.size(); }

  // The per-point sums A(i) and D(i), i = 1..points(), of populations P and term values E
  // (finite values, as NORMA and the line table give them).
  void sums(std::span<const float> P, std::span<const float> E, std::span<float> A,
            std::span<float> D) const;
  // The same sums point after point, one list at a time: the reference for sums().
  void sums_by_point(std::span<const float> P, std::span<const float> E, std::span<float> A,
                     std::span<float> D) const;

  // The model columns and the residual of one iteration from the stored lists: the sums A and D
  // (sums), then the columns B, DER, Q and the residual RES (model_columns). With SQUARES given,
  // also the sums of squares of B, DER and Q in 64 bits as split sums (the first step of SCALE
  // on each; 0 for Q without the solar term).
  void columns(const Terms& t, std::span<const float> P, std::span<const float> E,
               std::span<const float> r, std::span<const float> y, std::span<const float> solar,
               std::span<float> A, std::span<float> D, std::span<float> B, std::span<float> DER,
               std::span<float> Q, std::span<float> RES, std::array<double, 3>* squares) const;

 private:
  // Points side by side: the lists of kLanes neighbouring points over the lines that any of them
  // holds, each point's coefficients in its own lane and 0 before and after its list.
  static constexpr std::size_t kLanes = 16;
  void build_groups(const LineTable& table);
  void sums_by_group(std::span<const float> P, std::span<const float> E, std::span<float> A,
                     std::span<float> D) const;

  int32_t points_ = 0;
  std::vector<int32_t> first_;       // first line of point i (from 0)
  std::vector<std::size_t> offset_;  // entries of point i: coef_[offset_[i] .. offset_[i+1])
  std::vector<float> coef_;
  bool grouped_ = false;                   // the groups below hold the lists
  std::vector<int32_t> group_first_;       // first line of group g
  std::vector<std::size_t> group_offset_;  // lines of group g: group_coef_[offset/kLanes ...)
  std::vector<float> group_coef_;          // kLanes coefficients per line
};

// ---------------------------------------------------------------------------------------------
// Columns.

// Fills, for i = 1..N, B(i) = r A/N1, DER(i) = BI r ((N2/N1) A/N1 - D/N1), with SOLAR given
// Q(i) = r s, and the residual E(i) = y - BI B - SA Q (0 where r = 0), in this order per point.
// SOLAR and Q empty: no solar term (the residual without it).
void model_columns(const Terms& t, std::span<const float> A, std::span<const float> D,
                   std::span<const float> r, std::span<const float> y, std::span<const float> solar,
                   std::span<float> B, std::span<float> DER, std::span<float> Q,
                   std::span<float> E);

}  // namespace fit
