// numerics: scalar math utilities (ftsmtutl), array operation families (ftsarutl), sampling
// and interpolation with derivatives (ftssmprm, ftssmutl), apodisation windows and their line
// shapes (ftswtapd), the high-pass filter, blackbody radiance and wavenumber scales (ftscalib), the
// 64-bit sums of long vectors split into fixed partial sums (ftssums), and the least-squares
// solvers with their covariance (ftslsq). Over the dialogue layer, which reports their failures.
#pragma once

#include "fts/ftsarutl.hpp"
#include "fts/ftscalib.hpp"
#include "fts/ftslsq.hpp"
#include "fts/ftsmtutl.hpp"
#include "fts/ftssmprm.hpp"
#include "fts/ftssmutl.hpp"
#include "fts/ftssums.hpp"
#include "fts/ftswtapd.hpp"
