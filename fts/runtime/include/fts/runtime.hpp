// runtime: the bottom layer of the library: the run's log on standard output and the answer
// reader (textio), the table of open units with its record and line transfers (lun), and the scan
// header value type with its item numbers (header), and what every program does with its command
// line (cmdline). It needs only the standard library.
#pragma once

#include "fts/cmdline.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"
