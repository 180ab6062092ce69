// ledgorix: the header printer's entry point.
#include "fts/cmdline.hpp"
#include "ledgorix.hpp"

int main(int argc, char** argv) {
  if (const auto status = fts::cmdline::handle("ledgorix", argc, argv)) return *status;
  return ledgorix::run();
}
