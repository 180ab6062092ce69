// Error stops in tests. The run's error stop ends the process with exit status 0, which a test
// runner would count as a pass: the unit tests' main (test_main.cpp) fails any exit that happens
// before the tests are done, outside a death test. Death tests look at standard error, so the
// run's log is sent there first.
#pragma once

#include <gtest/gtest.h>

namespace fts::testing {

// Sends what the run writes to standard output (its log) to standard error, where a death test
// matches it. Call it first in a death test's statement.
void log_to_stderr();

}  // namespace fts::testing

// Expects STATEMENT to stop the run the way the suite stops after an error (exit status 0) with
// a log matching REGEX.
#define FTS_EXPECT_STOP(statement, regex) \
  EXPECT_EXIT(                            \
      {                                   \
        ::fts::testing::log_to_stderr();  \
        statement;                        \
      },                                  \
      ::testing::ExitedWithCode(0), regex)
