// scanfile: scan files: records and byte order, element conversions (ftsioprm), the scan header's
// items, names and axes (ftshdutl), and access to scans and point ranges, loads and stores
// (ftsioutl). Over the numerics and units layers.
#pragma once

#include "fts/ftshdutl.hpp"
#include "fts/ftsioprm.hpp"
#include "fts/ftsioutl.hpp"
