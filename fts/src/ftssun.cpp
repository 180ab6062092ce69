// ftssun: solar ephemeris: time scales, Julian dates, the sun's position, observer geometry.
#include "fts/ftssun.hpp"

namespace fts {}  // namespace fts
