// dialogue: the terminal dialogue and the message log (ftsiface: prompts, answers, range
// tests, message lines, the stop on error, file openers, the clock), fixed-length texts and clock
// texts (ftschars), and the program shell every program starts and ends with (shell). Over the
// units and runtime layers.
#pragma once

#include "fts/ftschars.hpp"
#include "fts/ftsiface.hpp"
#include "fts/shell.hpp"
