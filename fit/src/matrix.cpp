// matrix: the model matrix and its least-squares solves.
#include "fit/matrix.hpp"

#include <algorithm>

#include "fts/ftslsq.hpp"

namespace fit {

ModelMatrix::ModelMatrix() : a_(std::size_t{kLead} * kColumns, 0.0f), zz_(kLead, 0.0f) {}

std::span<float> ModelMatrix::column(int32_t j) {
  return std::span<float>(a_).subspan(static_cast<std::size_t>(j - 1) * kLead, kLead);
}

std::span<const float> ModelMatrix::column(int32_t j) const {
  return std::span<const float>(a_).subspan(static_cast<std::size_t>(j - 1) * kLead, kLead);
}

void ModelMatrix::clear(int32_t M, int32_t NCOL) {
  for (int32_t j = 1; j <= NCOL; ++j) {
    std::fill_n(column(j).begin(), M, 0.0f);
  }
}

// nnls: starting values by the non-negative solve of the first NCOL columns.
// Given:     M, NCOL  rows and columns used
// Given and returned:
//            B        data (kLead elements), replaced by Q B
// Returned:  X        solution; (value) MODE: 1 solved, 2 bad dimensions, 3 iteration limit
// Notes: the columns are replaced by Q A.
int32_t ModelMatrix::nnls(int32_t M, int32_t NCOL, std::span<float> B,
                          std::array<float, kColumns>& X) {
  int32_t mode = 0;
  float rnorm = 0.0f;
  const auto n = static_cast<std::size_t>(NCOL);
  fts::NNLS(std::span<float>(a_).first(std::size_t{kLead} * n), kLead, M, NCOL, B,
            std::span<float>(X).first(n), rnorm, std::span<float>(w_).first(n), zz_,
            std::span<int32_t>(index_).first(n), mode);
  return mode;
}

// hfti: the corrections of one Gauss-Newton step.
// Given:     M, NCOL  rows and columns used
// Given and returned:
//            B        right-hand side (kLead elements); the solution in B(1..NCOL)
// Returned:  KRANK    pseudo-rank with TAU = 0
//            RNORM    residual norm
void ModelMatrix::hfti(int32_t M, int32_t NCOL, std::span<float> B, int32_t& KRANK, float& RNORM) {
  const auto n = static_cast<std::size_t>(NCOL);
  std::array<float, 1> rnorm{};
  fts::HFTI(std::span<float>(a_).first(std::size_t{kLead} * n), kLead, M, NCOL, B, kLead, 1, 0.0f,
            KRANK, rnorm, std::span<float>(h_).first(n), std::span<float>(g_).first(n),
            std::span<int32_t>(ip_).first(n));
  RNORM = rnorm[0];
}

void ModelMatrix::covar(int32_t NCOL) {
  const auto n = static_cast<std::size_t>(NCOL);
  fts::COVAR(std::span<float>(a_).first(std::size_t{kLead} * n), kLead, kLead, NCOL,
             std::span<const int32_t>(ip_).first(n));
}

float ModelMatrix::variance(int32_t j) const {
  return column(j)[static_cast<std::size_t>(j - 1)];
}

}  // namespace fit
