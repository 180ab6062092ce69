// ftsioutl: scan access: walking to a scan's header, skipping and copying data, loading and storing point ranges.
#include "fts/ftsioutl.hpp"

namespace fts {}  // namespace fts
