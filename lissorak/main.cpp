// lissorak: the time-series smoother's entry point.
#include "fts/cmdline.hpp"
#include "lissorak.hpp"

int main(int argc, char** argv) {
  if (const auto status = fts::cmdline::handle("lissorak", argc, argv)) return *status;
  return lissorak::run();
}
