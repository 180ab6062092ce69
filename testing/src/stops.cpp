// Error stops in tests: the log of a death test's child sent to standard error.
#include "fts_testing/stops.hpp"

#include <unistd.h>

#include <cstdio>

namespace fts::testing {

void log_to_stderr() {
  std::fflush(stdout);
  dup2(STDERR_FILENO, STDOUT_FILENO);
}

}  // namespace fts::testing
