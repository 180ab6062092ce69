// kelvoras: the rotational-temperature fit with the solar term.
#include "fit/run.hpp"

int main() {
  return fit::run(fit::Variant::kelvoras);
}
