// ftslsq: least-squares solvers (Householder transforms, Givens rotations, NNLS, HFTI) and covariance.
#include "fts/ftslsq.hpp"

namespace fts {}  // namespace fts
