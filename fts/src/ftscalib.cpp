// ftscalib: calibration helpers: Butterworth high-pass filter, blackbody radiance, slide and true wavenumbers.
#include "fts/ftscalib.hpp"

namespace fts {}  // namespace fts
