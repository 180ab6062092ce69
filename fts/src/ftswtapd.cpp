// ftswtapd: apodisation windows, their line shapes, and weighting windows.
#include "fts/ftswtapd.hpp"

namespace fts {}  // namespace fts
