// ftssmutl: sampling of whole arrays and of lists of points.
#pragma once

namespace fts {}  // namespace fts
