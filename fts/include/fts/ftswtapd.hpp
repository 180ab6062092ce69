// ftswtapd: apodisation windows, their line shapes, and weighting windows.
#pragma once

namespace fts {}  // namespace fts
