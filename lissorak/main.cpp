// lissorak: the time-series smoother's entry point.
#include "lissorak.hpp"

int main() {
  return lissorak::run();
}
