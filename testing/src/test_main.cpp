// The main of every unit test: GoogleTest, with a guard that fails the run when the process ends
// before the tests are done (an error stop inside a test exits with status 0 and would otherwise
// pass for a success). A death test's child is left alone: its exit is what the test expects.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool tests_done = false;

void refuse_unexpected_exit() {
  if (tests_done || ::testing::internal::InDeathTestChild()) return;
  std::fflush(stdout);
  std::fputs("\nthe run stopped inside a test (an error stop or exit no test expected)\n", stderr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::atexit(refuse_unexpected_exit);
  const int status = RUN_ALL_TESTS();
  tests_done = true;
  return status;
}
