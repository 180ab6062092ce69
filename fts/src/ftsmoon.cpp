// ftsmoon: lunar ephemeris: the moon's position, elevation and illuminated fraction.
#include "fts/ftsmoon.hpp"

namespace fts {}  // namespace fts
