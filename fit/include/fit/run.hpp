// run: a whole run of a fit program: the questions asked once, then fit passes until the file
// range question is answered with a zero.
#pragma once

#include "fit/settings.hpp"

namespace fit {

// The program VARIANT, reading its answers from standard input and writing its log to standard
// output. Returns the exit status, 0 (also after an error stop, which ends with "#ERROR").
int run(Variant variant);

}  // namespace fit
