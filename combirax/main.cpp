// combirax: the interferogram averager's entry point.
#include "fts/cmdline.hpp"
#include "combirax.hpp"

int main(int argc, char** argv) {
  if (const auto status = fts::cmdline::handle("combirax", argc, argv)) return *status;
  return combirax::run();
}
