// ftssums: 64-bit sums over long vectors of 32-bit reals, split into sixteen partial sums fixed
// by the element positions, so that wide vector instructions can add them side by side and give
// the same result on every processor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fts::split {

// Every sum below takes the N elements of its vectors (element i, from 0, lies i increments
// after the first) and forms one 64-bit term per element. Term i goes to partial sum i mod 16;
// each partial sum starts at +0 and adds its terms in element order. The partial sums p(0..15)
// are then combined in this fixed order: p(k) + p(k+8) for k < 8, then p(k) + p(k+4) for k < 4,
// then p(k) + p(k+2) for k < 2, and last p(0) + p(1). The terms are formed exactly as written
// (each product of 32-bit reals taken in 64 bits, no fused multiply-add), so that the result
// does not depend on the processor or on how many partial sums one instruction adds.
inline constexpr int kPartials = 16;

// Sum of x(i) y(i).
double dot(const float* x, std::ptrdiff_t incx, const float* y, std::ptrdiff_t incy, int32_t n);
// Sum of x(i)^2.
double squares(const float* x, std::ptrdiff_t incx, int32_t n);
// Sum of (x(i) s)^2, the product x(i) s taken in 64 bits, then squared.
double scaled_squares(const float* x, std::ptrdiff_t incx, int32_t n, float s);

// The same sums one element after the other, with the sixteen partial sums held in a plain
// array: the reference that the vector builds are tested against.
double dot_reference(const float* x, std::ptrdiff_t incx, const float* y, std::ptrdiff_t incy,
                     int32_t n);
double squares_reference(const float* x, std::ptrdiff_t incx, int32_t n);
double scaled_squares_reference(const float* x, std::ptrdiff_t incx, int32_t n, float s);

}  // namespace fts::split
