// ftshdutl: scan header items: names, initialisation, copies and merges, texts, calibration pairs, units, axes.
#pragma once

namespace fts {}  // namespace fts
