// ftsspect: spectrum helpers: fetching a range, interpolation by wavenumber, line-shape values and reaches, peaks.
#pragma once

namespace fts {}  // namespace fts
