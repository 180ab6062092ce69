// ftsioutl: scan access: walking to a scan's header, skipping and copying data, loading and storing point ranges.
#pragma once

namespace fts {}  // namespace fts
