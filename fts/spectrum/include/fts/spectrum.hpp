// spectrum: spectra on their wavenumber axis: fetching a range, interpolating at a
// wavenumber, instrument line shapes and their reach, the peak search (ftsuser1). Over the scan
// file layer.
#pragma once

#include "fts/ftsuser1.hpp"
