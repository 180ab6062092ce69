// ftssmprm: sampling kernels: interpolation of single points with derivatives (the VL routines,
// SR4VAL, CR4VAL) and the cell polynomials (the PL routines, PLVLR2, PLVLC2).
#include "fts/ftssmprm.hpp"

#include <cmath>
#include <cstddef>

namespace fts {

namespace {

// Interpolation kernels of derivative order 0, 1 and 2, one row per symmetric pair j = 1..8 of
// samples (n-8+j, n+9-j) around cell n: the coefficients c0..c3 of the cubic in h applied to the
// pair's sum (S), then those applied to its difference (D).
constexpr float kKernelRows[3][8][8] = {
    {
        {-6.1849394e-05f, 0.00026652767f, 6.3720756e-05f, -0.0005643483f,  //
         -1.0030012e-05f, 0.0001328559f, -0.0002923232f, -0.00033687937f},
        {0.0005867961f, -0.0026241988f, 0.00024830925f, 0.0034606708f,  //
         5.6478435e-05f, -0.001000408f, 0.00273809f, 0.0016115824f},
        {-0.0029631061f, 0.013574105f, -0.0042018294f, -0.010812088f,  //
         -7.6353535e-05f, 0.0035595414f, -0.012233933f, -0.00382995f},
        {0.010535894f, -0.048995614f, 0.02205189f, 0.021587934f,  //
         -0.0005788896f, -0.0066648875f, 0.035041656f, 0.005482741f},
        {-0.029768428f, 0.139316f, -0.07398788f, -0.028191682f,  //
         0.0046771932f, -0.0012491186f, -0.069727615f, -0.0046414803f},
        {0.07288926f, -0.33855918f, 0.18261659f, 0.02189056f,  //
         -0.022517081f, 0.06805164f, 0.08940574f, 0.0018466924f},
        {-0.17406595f, 0.7637828f, -0.26830012f, -0.007376142f,  //
         0.10658421f, -0.41273156f, -0.056970023f, 0.0f},
        {0.6228473f, -0.52676034f, 0.14151138f, 0.0f,  //
         -1.2344422f, 0.93852454f, 0.0f, 0.0f},
    },
    {
        {0.00060692173f, -0.000923179f, 0.0006776778f, -0.000891097f,  //
         7.3636324e-06f, -0.00015855567f, 0.0008906763f, -0.0023652264f},
        {-0.005720482f, 0.008455085f, -0.0043838583f, 0.0033956645f,  //
         -8.3120576e-05f, 0.0014443491f, -0.005001364f, 0.011313683f},
        {0.028725777f, -0.041579045f, 0.01716386f, -0.005777213f,  //
         0.00050857436f, -0.007877928f, 0.016638016f, -0.0268835f},
        {-0.10153517f, 0.14363283f, -0.052046284f, 0.005457576f,  //
         -0.0022545042f, 0.03302355f, -0.046672214f, 0.03847903f},
        {0.28444043f, -0.38658884f, 0.12600407f, -0.0022907928f,  //
         0.008316185f, -0.11867672f, 0.13169861f, -0.03257002f},
        {-0.684167f, 0.84036297f, -0.22575465f, 0.0f,  //
         -0.028827183f, 0.40319508f, -0.38409314f, 0.012956907f},
        {1.5335165f, -1.16597f, 0.2571563f, 0.0f,  //
         0.11557529f, -1.521579f, 0.89780784f, 0.0f},
        {-1.055866f, 0.60260487f, -0.11877549f, 0.0f,  //
         -1.2451369f, 3.1525214f, -1.4058245f, 0.0f},
    },
    {
        {0.0006029326f, -0.002524543f, 0.00057027896f, 0.0022570798f,  //
         -0.000104312414f, -0.00075346546f, 0.0036671695f, -0.0021652924f},
        {-0.005696433f, 0.024081063f, -0.008644546f, -0.013431875f,  //
         0.0016042427f, 0.0030942678f, -0.021236252f, 0.004155381f},
        {0.028649125f, -0.121166475f, 0.053575996f, 0.040158946f,  //
         -0.011450847f, -0.00050406676f, 0.07558461f, -0.004298813f},
        {-0.101368785f, 0.4239956f, -0.20658194f, -0.075112306f,  //
         0.05578631f, -0.05213418f, -0.18581651f, 0.0028214187f},
        {0.28417465f, -1.1497636f, 0.564056f, 0.090513f,  //
         -0.21817863f, 0.32124066f, 0.31600416f, 0.0f},
        {-0.6838503f, 2.5100198f, -1.0665957f, -0.064953096f,  //
         0.77677226f, -1.2815799f, -0.34817898f, 0.0f},
        {1.5332522f, -3.4891374f, 1.2428122f, 0.020589795f,  //
         -3.004172f, 3.3184595f, 0.1970821f, 0.0f},
        {-1.0557626f, 1.8044928f, -0.5791997f, 0.0f,  //
         6.260504f, -5.350443f, 0.0f, 0.0f},
    },
};

// One kernel laid out by coefficient: s[i][j] is coefficient c_i of the sum cubic of pair j,
// d[i][j] that of the difference cubic, so that the eight cubics are evaluated side by side.
struct Kernel {
  float s[4][8];
  float d[4][8];
};

constexpr Kernel by_coefficient(const float (&rows)[8][8]) {
  Kernel k{};
  for (int j = 0; j < 8; ++j) {
    for (int i = 0; i < 4; ++i) {
      k.s[i][j] = rows[j][i];
      k.d[i][j] = rows[j][4 + i];
    }
  }
  return k;
}

constexpr Kernel kKernels[3] = {by_coefficient(kKernelRows[0]), by_coefficient(kKernelRows[1]),
                                by_coefficient(kKernelRows[2])};

// Sums a_j and differences d_j of the eight symmetric pairs of one cell (index j - 1).
struct Pairs {
  float a[8];
  float d[8];
};

// Forms the pairs of cell n from part PART (0 real, 1 imaginary) of data holding STRIDE floats
// per sample (1 real, 2 complex). Samples outside the data count as 0.
template <std::ptrdiff_t Stride>
void gather_pairs(std::span<const float> data, int32_t n, std::ptrdiff_t part, Pairs& p) {
  const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(data.size()) / Stride;
  const std::ptrdiff_t lo = std::ptrdiff_t{n} - 7;  // lower sample of pair 1
  const std::ptrdiff_t hi = std::ptrdiff_t{n} + 8;  // upper sample of pair 1
  if (lo >= 1 && hi <= count) {
    const float* x = data.data() + (lo - 1) * Stride + part;
    for (std::ptrdiff_t j = 0; j < 8; ++j) {
      const float lower = x[j * Stride];
      const float upper = x[(15 - j) * Stride];
      p.a[j] = lower + upper;
      p.d[j] = lower - upper;
    }
    return;
  }
  // Near or beyond an end of the data: fetch each sample with a bounds check.
  auto sample = [&](std::ptrdiff_t k) {
    return (k >= 1 && k <= count) ? data[static_cast<std::size_t>((k - 1) * Stride + part)] : 0.0f;
  };
  for (std::ptrdiff_t j = 0; j < 8; ++j) {
    const float lower = sample(lo + j);
    const float upper = sample(hi - j);
    p.a[j] = lower + upper;
    p.d[j] = lower - upper;
  }
}

// Sample k of part PART of the data, 0 outside it.
template <std::ptrdiff_t Stride>
float sample_at(std::span<const float> data, std::ptrdiff_t k, std::ptrdiff_t part) {
  const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(data.size()) / Stride;
  if (k < 1 || k > count) return 0.0f;
  return data[static_cast<std::size_t>((k - 1) * Stride + part)];
}

// Offset of POS from the middle of its cell, t = POS - trunc(POS) - 0.5, in 64 bits (not a
// number for a position that is not finite). Inside the 32-bit range the truncation is a plain
// conversion to integer, which is cheaper than trunc() and gives the same value.
double cell_offset(double POS) {
  if (POS > -2147483649.0 && POS < 2147483648.0) {
    return (POS - static_cast<double>(static_cast<int32_t>(POS))) - 0.5;
  }
  return (POS - std::trunc(POS)) - 0.5;
}

// The sixteen cubics of one kernel at h: S_j(h) and D_j(h) = c0 + h (c1 + h (c2 + h c3)).
struct Cubics {
  float s[8];
  float d[8];
};

void eval_cubics(const Kernel& k, float h, Cubics& c) {
  for (int j = 0; j < 8; ++j) {
    c.s[j] = k.s[0][j] + h * (k.s[1][j] + h * (k.s[2][j] + h * k.s[3][j]));
    c.d[j] = k.d[0][j] + h * (k.d[1][j] + h * (k.d[2][j] + h * k.d[3][j]));
  }
}

// Sum over the eight pairs of x_j p_j, from 0 and in the order j = 1..8.
float pair_sum(const float (&x)[8], const float (&p)[8]) {
  float sum = 0.0f;
  for (int j = 0; j < 8; ++j) sum += x[j] * p[j];
  return sum;
}

// Combines the even part E and the odd part O at offset t: E + t O for orders 0 and 2,
// E t + O for order 1.
template <int Order>
float combine(float e, float o, float t) {
  if constexpr (Order == 1) {
    return e * t + o;
  } else {
    return e + t * o;
  }
}

// Single value of order ORDER for real (STRIDE 1) or complex (STRIDE 2) data; the real part, or
// both parts for complex data, in RESULT.
template <int Order, std::ptrdiff_t Stride>
void single_value(std::span<const float> data, double pos, float (&result)[Stride]) {
  const int32_t n = sample_cell(pos);
  const double t = cell_offset(pos);

  // Order 0 within 1e-7 of a sample: that sample itself.
  if constexpr (Order == 0) {
    if (t < -0.4999999 || t > 0.4999999) {
      const std::ptrdiff_t k = t < 0 ? n : std::ptrdiff_t{n} + 1;
      for (std::ptrdiff_t part = 0; part < Stride; ++part)
        result[part] = sample_at<Stride>(data, k, part);
      return;
    }
  }

  // Kernel cubics at h = t^2, then the even and odd sums over the pairs of each part.
  const float tf = static_cast<float>(t);
  Cubics c;
  eval_cubics(kKernels[Order], tf * tf, c);
  for (std::ptrdiff_t part = 0; part < Stride; ++part) {
    Pairs p;
    gather_pairs<Stride>(data, n, part, p);
    result[part] = combine<Order>(pair_sum(p.a, c.s), pair_sum(p.d, c.d), tf);
  }
}

template <int Order>
float real_value(std::span<const float> data, double pos) {
  float r[1];
  single_value<Order, 1>(data, pos, r);
  return r[0];
}

template <int Order>
std::complex<float> complex_value(std::span<const float> data, double pos) {
  float r[2];
  single_value<Order, 2>(data, pos, r);
  return {r[0], r[1]};
}

// Contracts the pairs of one part with a kernel: A_i = sum_j a_j S_j[i] and B_i = sum_j d_j D_j[i]
// for i = 0..3, each sum from 0 in the order j = 1..8.
void contract(const Kernel& k, const Pairs& p, float (&a)[4], float (&b)[4]) {
  for (int i = 0; i < 4; ++i) {
    a[i] = pair_sum(p.a, k.s[i]);
    b[i] = pair_sum(p.d, k.d[i]);
  }
}

// Cell polynomials of order ORDER for one part: PEVEN = A and PODD = B for orders 0 and 2, the
// other way round for order 1.
template <int Order, std::ptrdiff_t Stride>
void cell_polynomials(std::span<const float> data, int32_t cell, std::ptrdiff_t part,
                      float (&peven)[4], float (&podd)[4]) {
  Pairs p;
  gather_pairs<Stride>(data, cell, part, p);
  if constexpr (Order == 1) {
    contract(kKernels[Order], p, podd, peven);
  } else {
    contract(kKernels[Order], p, peven, podd);
  }
}

template <int Order>
void real_polynomials(std::span<const float> data, int32_t cell, std::span<float, 4> peven,
                      std::span<float, 4> podd) {
  float e[4];
  float o[4];
  cell_polynomials<Order, 1>(data, cell, 0, e, o);
  for (std::size_t i = 0; i < 4; ++i) {
    peven[i] = e[i];
    podd[i] = o[i];
  }
}

template <int Order>
void complex_polynomials(std::span<const float> data, int32_t cell,
                         std::span<std::complex<float>, 4> peven,
                         std::span<std::complex<float>, 4> podd) {
  float er[4];
  float orr[4];
  float ei[4];
  float oi[4];
  cell_polynomials<Order, 2>(data, cell, 0, er, orr);
  cell_polynomials<Order, 2>(data, cell, 1, ei, oi);
  for (std::size_t i = 0; i < 4; ++i) {
    peven[i] = {er[i], ei[i]};
    podd[i] = {orr[i], oi[i]};
  }
}

// A cubic in h with coefficients c0..c3.
float cubic(float c0, float c1, float c2, float c3, float h) {
  return c0 + h * (c1 + h * (c2 + h * c3));
}

}  // namespace

// D0VLR2, D1VLR2, D2VLR2: band-limited interpolation of real data at one position.
// Given:     DATA   samples 1..N (32-bit)
//            POS    position in sample coordinates (sample k at POS = k)
// Returned:  the value (D0), first (D1) or second (D2) derivative with respect to POS
// Notes: 1. n = trunc(POS), t = POS - n - 0.5, h = t^2. Over the eight pairs of samples
//           (n-8+j, n+9-j) with sums a_j and differences d_j: E = sum a_j S_j(h) and
//           O = sum d_j D_j(h); the result is E + t O (orders 0, 2) or E t + O (order 1), in
//           32-bit arithmetic.
//        2. Order 0 returns sample n (or n+1) itself when t < -0.4999999 (t > 0.4999999), so
//           a position within 1e-7 of a sample gives that sample exactly.
//        3. Samples outside 1..N count as 0; a position that is not finite gives not-a-number.
float D0VLR2(std::span<const float> DATA, double POS) {
  return real_value<0>(DATA, POS);
}
float D1VLR2(std::span<const float> DATA, double POS) {
  return real_value<1>(DATA, POS);
}
float D2VLR2(std::span<const float> DATA, double POS) {
  return real_value<2>(DATA, POS);
}

// D0VLC2, D1VLC2, D2VLC2: band-limited interpolation of complex data at one position.
// Given:     DATA   complex samples 1..N as pairs (real, imaginary) of 32-bit floats
//            POS    position in sample coordinates
// Returned:  the complex value, first or second derivative with respect to POS
// Notes: the real and imaginary parts are interpolated independently, each exactly as by
//        D0VLR2 ... D2VLR2.
std::complex<float> D0VLC2(std::span<const float> DATA, double POS) {
  return complex_value<0>(DATA, POS);
}
std::complex<float> D1VLC2(std::span<const float> DATA, double POS) {
  return complex_value<1>(DATA, POS);
}
std::complex<float> D2VLC2(std::span<const float> DATA, double POS) {
  return complex_value<2>(DATA, POS);
}

// SR4VAL: value or derivative of real data at one position.
// Given:     DATA     samples 1..N (32-bit)
//            POS      position in sample coordinates
//            IDERIV   0 value, 1 first derivative, 2 second derivative (per sample)
// Returned:  D0VLR2, D1VLR2 or D2VLR2 at POS; 0 for any other IDERIV
float SR4VAL(std::span<const float> DATA, double POS, int32_t IDERIV) {
  switch (IDERIV) {
    case 0:
      return D0VLR2(DATA, POS);
    case 1:
      return D1VLR2(DATA, POS);
    case 2:
      return D2VLR2(DATA, POS);
    default:
      return 0.0f;
  }
}

// CR4VAL: value or derivative of complex data at one position.
// Given:     DATA     complex samples 1..N as pairs (real, imaginary)
//            POS      position in sample coordinates
//            IDERIV   0 value, 1 first derivative, 2 second derivative (per sample)
// Returned:  D0VLC2, D1VLC2 or D2VLC2 at POS; (0, 0) for any other IDERIV
std::complex<float> CR4VAL(std::span<const float> DATA, double POS, int32_t IDERIV) {
  switch (IDERIV) {
    case 0:
      return D0VLC2(DATA, POS);
    case 1:
      return D1VLC2(DATA, POS);
    case 2:
      return D2VLC2(DATA, POS);
    default:
      return {0.0f, 0.0f};
  }
}

// D0PLR2, D1PLR2, D2PLR2: cell polynomials of real data.
// Given:     DATA    samples 1..N (32-bit)
//            CELL    sample cell n (positions n <= POS < n + 1)
// Returned:  PEVEN   coefficients of h^0..h^3 of the even cubic
//            PODD    coefficients of the odd cubic
// Notes: 1. With the pair sums a_j and differences d_j of the cell, A_i = sum_j a_j S_j[i] and
//           B_i = sum_j d_j D_j[i] (32-bit, j = 1..8 in order). PEVEN = A, PODD = B for orders
//           0 and 2; PEVEN = B, PODD = A for order 1, so that PLVLR2 gives the derivative.
//        2. PLVLR2 with these polynomials equals D0VLR2 ... D2VLR2 up to rounding, but without
//           the order-0 snap onto samples. Samples outside 1..N count as 0.
void D0PLR2(std::span<const float> DATA, int32_t CELL, std::span<float, 4> PEVEN,
            std::span<float, 4> PODD) {
  real_polynomials<0>(DATA, CELL, PEVEN, PODD);
}
void D1PLR2(std::span<const float> DATA, int32_t CELL, std::span<float, 4> PEVEN,
            std::span<float, 4> PODD) {
  real_polynomials<1>(DATA, CELL, PEVEN, PODD);
}
void D2PLR2(std::span<const float> DATA, int32_t CELL, std::span<float, 4> PEVEN,
            std::span<float, 4> PODD) {
  real_polynomials<2>(DATA, CELL, PEVEN, PODD);
}

// D0PLC2, D1PLC2, D2PLC2: cell polynomials of complex data.
// Given:     DATA    complex samples 1..N as pairs (real, imaginary)
//            CELL    sample cell n
// Returned:  PEVEN   complex coefficients of h^0..h^3 of the even cubic
//            PODD    complex coefficients of the odd cubic
// Notes: the real and imaginary parts are built independently, as by D0PLR2 ... D2PLR2.
void D0PLC2(std::span<const float> DATA, int32_t CELL, std::span<std::complex<float>, 4> PEVEN,
            std::span<std::complex<float>, 4> PODD) {
  complex_polynomials<0>(DATA, CELL, PEVEN, PODD);
}
void D1PLC2(std::span<const float> DATA, int32_t CELL, std::span<std::complex<float>, 4> PEVEN,
            std::span<std::complex<float>, 4> PODD) {
  complex_polynomials<1>(DATA, CELL, PEVEN, PODD);
}
void D2PLC2(std::span<const float> DATA, int32_t CELL, std::span<std::complex<float>, 4> PEVEN,
            std::span<std::complex<float>, 4> PODD) {
  complex_polynomials<2>(DATA, CELL, PEVEN, PODD);
}

// PLVLR2: evaluates real cell polynomials at one position.
// Given:     PEVEN, PODD   the cubics in h of the cell holding POS (from a PL routine)
//            POS           position in sample coordinates
// Returned:  PEVEN(h) + t PODD(h) with t = POS - trunc(POS) - 0.5 and h = t^2 (32-bit)
float PLVLR2(std::span<const float, 4> PEVEN, std::span<const float, 4> PODD, double POS) {
  const float t = static_cast<float>(cell_offset(POS));
  const float h = t * t;
  return cubic(PEVEN[0], PEVEN[1], PEVEN[2], PEVEN[3], h) +
         t * cubic(PODD[0], PODD[1], PODD[2], PODD[3], h);
}

// PLVLC2: evaluates complex cell polynomials at one position.
// Given:     PEVEN, PODD   complex cubics in h of the cell holding POS
//            POS           position in sample coordinates
// Returned:  PEVEN(h) + t PODD(h), each part as by PLVLR2
std::complex<float> PLVLC2(std::span<const std::complex<float>, 4> PEVEN,
                           std::span<const std::complex<float>, 4> PODD, double POS) {
  const float t = static_cast<float>(cell_offset(POS));
  const float h = t * t;
  const float re = cubic(PEVEN[0].real(), PEVEN[1].real(), PEVEN[2].real(), PEVEN[3].real(), h) +
                   t * cubic(PODD[0].real(), PODD[1].real(), PODD[2].real(), PODD[3].real(), h);
  const float im = cubic(PEVEN[0].imag(), PEVEN[1].imag(), PEVEN[2].imag(), PEVEN[3].imag(), h) +
                   t * cubic(PODD[0].imag(), PODD[1].imag(), PODD[2].imag(), PODD[3].imag(), h);
  return {re, im};
}

}  // namespace fts
