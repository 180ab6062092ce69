// magnorav: the spectrum scaler's entry point.
#include "fts/cmdline.hpp"
#include "magnorav.hpp"

int main(int argc, char** argv) {
  if (const auto status = fts::cmdline::handle("magnorav", argc, argv)) return *status;
  return magnorav::run();
}
