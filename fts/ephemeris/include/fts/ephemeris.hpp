// ephemeris: the sun and the moon for a time stamp and a site: time scales, positions,
// elevations, the moon's phase (ftssun, ftsmoon). Over the numerics layer.
#pragma once

#include "fts/ftsmoon.hpp"
#include "fts/ftssun.hpp"
