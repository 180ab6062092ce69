// settings: the questions that set the filter and change the default fit settings.
#include "fit/settings.hpp"

#include <cmath>

#include "fit/dialogue.hpp"
#include "fts/ftsiface.hpp"

namespace fit {

// ask_filter: question 3 and, when the filter is wanted, 3a and 3b.
// Given and returned:
//            filter   on when the answer to 3 is "Y" or "y"; then its order and time constant
// Notes: 1. A time constant that is not above 0 has no cut-off: the run stops with
//           " FILTER TIME CONSTANT MUST BE ABOVE 0". An order below 1 is kept: the filter then
//           leaves the data as they are.
//        2. The filter makes half as many passes over the data as its order, for every column
//           in every iteration: an order above 1000 stops the run at once with
//           " FILTER ORDER MUST BE AT MOST 1000".
void ask_filter(Dialogue& dialogue, Filter& filter) {
  filter.on = is_yes(dialogue.letter("$Do you wish to filter the data?        [Y/N] > "));
  if (!filter.on) return;
  dialogue.numbers("$Enter the order of the filter           [1I] > ", filter.order);
  fts::STPLOG(filter.order > kMaxFilterOrder ? 1 : 0, kOrderRefused);
  dialogue.numbers("$Enter the time constant in slide cm-1   [1F] > ", filter.time_constant);
  fts::STPLOG(filter.time_constant > 0.0f ? 0 : 1, kTimeConstantRefused);
}

// ask_settings: question 4 and, when a change is wanted, 4a to 4d.
// Given and returned:
//            settings  TFAC = c2/T for the new temperature T, the tolerance, the iteration limit
//                      and BINLIM, as answered
// Notes: 1. A temperature that is not above 0, or so small that c2/T overflows, stops the run
//           with " INITIAL TEMPERATURE MUST BE ABOVE 0 K".
//        2. An iteration limit above 1000 stops the run with
//           " MAXIMUM ITERATION COUNT MUST BE AT MOST 1000": a fit of two or three parameters
//           converges within a few iterations or not at all, and one that does not runs to
//           the limit, scan after scan.
void ask_settings(Dialogue& dialogue, Settings& settings) {
  if (!is_yes(dialogue.letter("$Do you wish to change default settings [Y/N] > "))) return;
  float T = 180.0f;
  dialogue.numbers("$Enter new initial temperature     [180.0]    > ", T);
  const float TFAC = tfac_of(T);
  fts::STPLOG(T > 0.0f && std::isfinite(TFAC) ? 0 : 1, kTemperatureRefused);
  settings.TFAC = TFAC;
  dialogue.numbers("$Enter new parameter fractional error [1.E-3] > ", settings.tolerance);
  dialogue.numbers("$Enter new maximum iteration count    [10]    > ", settings.max_iterations);
  fts::STPLOG(settings.max_iterations > kMaxIterationLimit ? 1 : 0, kIterationsRefused);
  dialogue.numbers("$Enter new bin limit for convolution     [10] > ", settings.BINLIM);
}

}  // namespace fit
