// ftssmutl: resampling of lists of output points (the SM routines and SAMPLE).
#include "fts/ftssmutl.hpp"

#include <array>
#include <complex>
#include <cstddef>

#include "fts/ftssmprm.hpp"

namespace fts {

namespace {

// The single-value and cell-polynomial routines of one derivative order, real or complex.
template <int Order, bool Complex>
struct Method;

template <int Order>
struct Method<Order, false> {
  using Value = float;
  using Coefficient = float;
  static Value single(std::span<const float> data, double pos) {
    if constexpr (Order == 0) return D0VLR2(data, pos);
    if constexpr (Order == 1) return D1VLR2(data, pos);
    if constexpr (Order == 2) return D2VLR2(data, pos);
  }
  static void build(std::span<const float> data, int32_t cell, std::span<float, 4> pe,
                    std::span<float, 4> po) {
    if constexpr (Order == 0) D0PLR2(data, cell, pe, po);
    if constexpr (Order == 1) D1PLR2(data, cell, pe, po);
    if constexpr (Order == 2) D2PLR2(data, cell, pe, po);
  }
  static Value evaluate(const std::array<float, 4>& pe, const std::array<float, 4>& po,
                        double pos) {
    return PLVLR2(pe, po, pos);
  }
  static void store(std::span<float> out, std::size_t i, Value v, float scale) {
    out[i] = Order == 0 ? v : v * scale;
  }
};

template <int Order>
struct Method<Order, true> {
  using Value = std::complex<float>;
  using Coefficient = std::complex<float>;
  static Value single(std::span<const float> data, double pos) {
    if constexpr (Order == 0) return D0VLC2(data, pos);
    if constexpr (Order == 1) return D1VLC2(data, pos);
    if constexpr (Order == 2) return D2VLC2(data, pos);
  }
  static void build(std::span<const float> data, int32_t cell, std::span<std::complex<float>, 4> pe,
                    std::span<std::complex<float>, 4> po) {
    if constexpr (Order == 0) D0PLC2(data, cell, pe, po);
    if constexpr (Order == 1) D1PLC2(data, cell, pe, po);
    if constexpr (Order == 2) D2PLC2(data, cell, pe, po);
  }
  static Value evaluate(const std::array<std::complex<float>, 4>& pe,
                        const std::array<std::complex<float>, 4>& po, double pos) {
    return PLVLC2(pe, po, pos);
  }
  static void store(std::span<float> out, std::size_t i, Value v, float scale) {
    out[2 * i] = Order == 0 ? v.real() : v.real() * scale;
    out[2 * i + 1] = Order == 0 ? v.imag() : v.imag() * scale;
  }
};

// Resamples DATA at XOUT(1..NOUT) into OUT with derivative order ORDER (see D0SMR2).
template <int Order, bool Complex>
void resample(std::span<const float> data, std::span<const double> xout, std::span<float> out,
              int32_t nout, double xzero, double dx) {
  using M = Method<Order, Complex>;
  // A count the arrays cannot hold leaves OUT untouched.
  if (nout <= 0) return;
  const std::size_t count = static_cast<std::size_t>(nout);
  if (count > xout.size() || count > out.size() / (Complex ? 2 : 1)) return;

  // Scale from sample units to abscissa units: r, r^2 rounded to 32 bits.
  const double x0 = xzero;
  const double r = 1.0 / dx;
  const float scale = Order == 1 ? static_cast<float>(r) : static_cast<float>(r * r);

  // Current cell with its count of output points, the count of the cell before it, and the
  // cell whose polynomials are cached (none yet).
  int32_t current = 0;
  int32_t in_current = 0;
  int32_t in_previous = 0;
  bool cached = false;
  int32_t cached_cell = 0;
  std::array<typename M::Coefficient, 4> peven{};
  std::array<typename M::Coefficient, 4> podd{};

  for (std::size_t i = 0; i < count; ++i) {
    const double pos = (xout[i] - x0) * r;
    const int32_t g = sample_cell(pos);
    if (g != current) {
      in_previous = in_current;
      in_current = 0;
      current = g;
    }
    ++in_current;

    typename M::Value v;
    if (in_current < 2 && in_previous < 2) {
      // Sparse points: evaluate directly.
      v = M::single(data, pos);
    } else {
      // Two or more points in this cell or the one before: use the cell polynomials.
      if (!cached || cached_cell != g) {
        M::build(data, g, peven, podd);
        cached = true;
        cached_cell = g;
      }
      v = M::evaluate(peven, podd, pos);
    }
    M::store(out, i, v, scale);
  }
}

}  // namespace

// D0SMR2, D1SMR2, D2SMR2: resample real data at a list of abscissae.
// Given:     DATA    samples 1..N (32-bit)
//            XOUT    abscissae of the output points (64-bit)
//            NOUT    number of output points
//            XZERO   abscissa of the virtual sample 0 (one spacing before sample 1)
//            DX      sample spacing
// Returned:  OUT     values (D0), first (D1) or second (D2) derivatives per abscissa unit
// Notes: 1. Point i lies at POS = (XOUT(i) - XZERO) (1/DX). While output points are sparse (a
//           single point in its cell, after a cell with a single point) each is evaluated
//           directly by D0VLR2 ... D2VLR2. From the second point of a cell on, and in the cell
//           after a cell with two or more points, the cell polynomials (D0PLR2 ... D2PLR2) are
//           built once per cell and evaluated by PLVLR2.
//        2. Derivatives are multiplied by 1/DX (order 1) or 1/DX^2 (order 2), rounded to 32
//           bits.
//        3. Nothing is kept from one call to the next. Samples outside DATA count as 0. A NOUT
//           larger than XOUT or OUT holds leaves OUT untouched.
void D0SMR2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX) {
  resample<0, false>(DATA, XOUT, OUT, NOUT, XZERO, DX);
}
void D1SMR2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX) {
  resample<1, false>(DATA, XOUT, OUT, NOUT, XZERO, DX);
}
void D2SMR2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX) {
  resample<2, false>(DATA, XOUT, OUT, NOUT, XZERO, DX);
}

// D0SMC2, D1SMC2, D2SMC2: resample complex data at a list of abscissae.
// Given:     DATA    complex samples 1..N as pairs (real, imaginary)
//            XOUT, NOUT, XZERO, DX   as for D0SMR2
// Returned:  OUT     complex results as pairs (real, imaginary), 2 NOUT floats
// Notes: as D0SMR2, with the complex single-value and cell-polynomial routines.
void D0SMC2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX) {
  resample<0, true>(DATA, XOUT, OUT, NOUT, XZERO, DX);
}
void D1SMC2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX) {
  resample<1, true>(DATA, XOUT, OUT, NOUT, XZERO, DX);
}
void D2SMC2(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX) {
  resample<2, true>(DATA, XOUT, OUT, NOUT, XZERO, DX);
}

// SAMPLE: resample real or complex data, value or derivative, at a list of abscissae.
// Given:     DATA     samples (real) or pairs (complex)
//            XOUT     abscissae of the NOUT output points
//            NOUT     number of output points
//            XZERO    abscissa of the virtual sample 0
//            DX       sample spacing
//            IDERIV   0 value, 1 first derivative, 2 second derivative (per abscissa unit)
//            ICMPLX   0 real data, 1 complex data
// Returned:  OUT      NOUT values (real) or pairs (complex)
// Notes: selects D0SMR2 ... D2SMC2; any other IDERIV or ICMPLX leaves OUT untouched.
void SAMPLE(std::span<const float> DATA, std::span<const double> XOUT, std::span<float> OUT,
            int32_t NOUT, double XZERO, double DX, int32_t IDERIV, int32_t ICMPLX) {
  if (ICMPLX == 0) {
    if (IDERIV == 0) D0SMR2(DATA, XOUT, OUT, NOUT, XZERO, DX);
    if (IDERIV == 1) D1SMR2(DATA, XOUT, OUT, NOUT, XZERO, DX);
    if (IDERIV == 2) D2SMR2(DATA, XOUT, OUT, NOUT, XZERO, DX);
  } else if (ICMPLX == 1) {
    if (IDERIV == 0) D0SMC2(DATA, XOUT, OUT, NOUT, XZERO, DX);
    if (IDERIV == 1) D1SMC2(DATA, XOUT, OUT, NOUT, XZERO, DX);
    if (IDERIV == 2) D2SMC2(DATA, XOUT, OUT, NOUT, XZERO, DX);
  }
}

}  // namespace fts
