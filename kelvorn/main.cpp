// kelvorn: the rotational-temperature fit without the solar term.
#include "fit/run.hpp"
#include "fts/cmdline.hpp"

int main(int argc, char** argv) {
  if (const auto status = fts::cmdline::handle("kelvorn", argc, argv)) return *status;
  return fit::run(fit::Variant::kelvorn);
}
