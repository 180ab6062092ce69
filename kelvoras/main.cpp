// kelvoras: the rotational-temperature fit with the solar term.
#include "fit/run.hpp"
#include "fts/cmdline.hpp"

int main(int argc, char** argv) {
  if (const auto status = fts::cmdline::handle("kelvoras", argc, argv)) return *status;
  return fit::run(fit::Variant::kelvoras);
}
