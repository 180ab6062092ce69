// ftscalib: calibration helpers: Butterworth high-pass filter, blackbody radiance, slide and true wavenumbers.
#pragma once

namespace fts {}  // namespace fts
