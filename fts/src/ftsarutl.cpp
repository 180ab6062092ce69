// ftsarutl: array operation families (add, subtract, multiply, scale, copy, normalise, extremes, rotations, weights).
#include "fts/ftsarutl.hpp"

namespace fts {}  // namespace fts
