// combirax: the interferogram averager's entry point.
#include "combirax.hpp"
#include "fts/cmdline.hpp"

int main(int argc, char** argv) {
  if (const auto status = fts::cmdline::handle("combirax", argc, argv)) return *status;
  return combirax::run();
}
