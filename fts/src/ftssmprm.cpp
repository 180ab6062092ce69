// ftssmprm: sampling kernels and the interpolation of single points with derivatives.
#include "fts/ftssmprm.hpp"

namespace fts {}  // namespace fts
