// ftshdutl: scan header items: names, initialisation, copies and merges, texts, calibration pairs, units, axes.
#include "fts/ftshdutl.hpp"

namespace fts {}  // namespace fts
