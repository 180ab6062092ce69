// ftssun: solar ephemeris: time scales, Julian dates, the sun's position, observer geometry.
#pragma once

namespace fts {}  // namespace fts
