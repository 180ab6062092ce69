// ftslsq: least-squares solvers (Householder transforms, Givens rotations, NNLS, HFTI) and covariance.
#pragma once

namespace fts {}  // namespace fts
