// kelvorn: the rotational-temperature fit without the solar term.
#include "fit/run.hpp"

int main() {
  return fit::run(fit::Variant::kelvorn);
}
