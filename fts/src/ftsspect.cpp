// ftsspect: spectrum helpers: fetching a range, interpolation by wavenumber, line-shape values and reaches, peaks.
#include "fts/ftsspect.hpp"

namespace fts {}  // namespace fts
