// ftssmutl: sampling of whole arrays and of lists of points.
#include "fts/ftssmutl.hpp"

namespace fts {}  // namespace fts
