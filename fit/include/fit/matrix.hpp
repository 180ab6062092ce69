// matrix: the model matrix of the fit, leading dimension 4096 and up to 3 columns stored column
// by column, with the work arrays of the least-squares routines it is solved with.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "fit/settings.hpp"

namespace fit {

class ModelMatrix {
 public:
  static constexpr int32_t kLead = kMaxPoints;  // leading dimension
  static constexpr int32_t kColumns = 3;

  ModelMatrix();

  // Column J (from 1), all kLead rows.
  std::span<float> column(int32_t j);
  std::span<const float> column(int32_t j) const;
  // Rows 1..M of columns 1..NCOL set to 0.
  void clear(int32_t M, int32_t NCOL);

  // NNLS of columns 1..NCOL over rows 1..M against B (kLead elements, overwritten); returns its
  // MODE (1 solved) and the solution X(1..NCOL).
  int32_t nnls(int32_t M, int32_t NCOL, std::span<float> B, std::array<float, kColumns>& X);
  // HFTI of columns 1..NCOL over rows 1..M with TAU = 0 against B (kLead elements): the solution
  // in B(1..NCOL), the pseudo-rank and the residual norm.
  void hfti(int32_t M, int32_t NCOL, std::span<float> B, int32_t& KRANK, float& RNORM);
  // COVAR of the factor HFTI left: afterwards variance(j) is the unscaled variance of column J.
  void covar(int32_t NCOL);
  float variance(int32_t j) const;

 private:
  std::vector<float> a_;  // kLead x kColumns, column by column
  std::array<float, kColumns> w_{};
  std::array<float, kColumns> h_{};
  std::array<float, kColumns> g_{};
  std::array<int32_t, kColumns> index_{};
  std::array<int32_t, kColumns> ip_{};
  std::vector<float> zz_;
};

}  // namespace fit
