// ftssmprm: sampling kernels and the interpolation of single points with derivatives.
#pragma once

namespace fts {}  // namespace fts
