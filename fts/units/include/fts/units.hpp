// units: physical unit codes turned into unit texts (ftsunits), and day numbers, calendar dates
// and times of day (ftscaldr). Over the runtime layer.
#pragma once

#include "fts/ftscaldr.hpp"
#include "fts/ftsunits.hpp"
