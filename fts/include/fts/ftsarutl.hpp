// ftsarutl: array operation families (add, subtract, multiply, scale, copy, normalise, extremes, rotations, weights).
#pragma once

namespace fts {}  // namespace fts
