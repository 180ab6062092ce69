// ftsmoon: lunar ephemeris: the moon's position, elevation and illuminated fraction.
#pragma once

namespace fts {}  // namespace fts
