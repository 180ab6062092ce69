// ftslsq: least-squares solvers (Householder, Givens, NNLS, HFTI) and their covariance.
#pragma once

#include <cstdint>
#include <span>

namespace fts {

// Matrices are stored column by column with an explicit leading dimension: element (i, j) of a
// matrix with leading dimension MDA is element (j-1)*MDA + i of its storage (from 1). Vectors
// are addressed by a start element and an increment. Working precision is 32-bit.
//
// A storage array too short for the dimensions passed with it is a fault of the calling code:
// the routine writes its message line and stops the run through STPLOG instead of reaching
// outside the array.

// ---------------------------------------------------------------------------------------------
// Building blocks.

// Builds (MODE 1) or applies (MODE 2) the Householder transformation of pivot LPIVOT and range
// L1..M of the vector U (increment IUE) to the NCV vectors of C (increments ICE, ICV).
void H12(int32_t MODE, int32_t LPIVOT, int32_t L1, int32_t M, std::span<float> U, int32_t IUE,
         float& UP, std::span<float> C, int32_t ICE, int32_t ICV, int32_t NCV);
// Givens rotation zeroing B against A: CTERM, STERM and SIG = sqrt(A^2 + B^2).
void G1(float A, float B, float& CTERM, float& STERM, float& SIG);
// Applies a Givens rotation to the pair (X, Y).
void G2(float CTERM, float STERM, float& X, float& Y);
// X - Y, with X rounded to 32 bits on the way in (the rounding-safe negligibility test).
float DIFF(float X, float Y);

// ---------------------------------------------------------------------------------------------
// Solvers.

// Minimises |A x - B| subject to x >= 0 (MODE 1 solved, 2 bad dimensions, 3 iteration limit).
void NNLS(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<float> B,
          std::span<float> X, float& RNORM, std::span<float> W, std::span<float> ZZ,
          std::span<int32_t> INDEX, int32_t& MODE);
// Least squares with column pivoting and pseudo-rank KRANK decided by the tolerance TAU, for
// NB right-hand sides at once (minimal-length solution when KRANK < N).
void HFTI(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<float> B, int32_t MDB,
          int32_t NB, float TAU, int32_t& KRANK, std::span<float> RNORM, std::span<float> H,
          std::span<float> G, std::span<int32_t> IP);

// ---------------------------------------------------------------------------------------------
// Covariance.

// Replaces the triangular factor left by HFTI with the upper triangle of (A^T A)^-1, in the
// column order of the input matrix (M is not used).
void COVAR(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<const int32_t> IP);
// The same for the factor that NNLS leaves for its N columns INDEX(1..N) (M is not used).
void NNCOVR(std::span<float> A, int32_t MDA, int32_t M, int32_t N, std::span<const int32_t> INDEX);

}  // namespace fts
