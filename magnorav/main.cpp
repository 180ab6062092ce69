// magnorav: the spectrum scaler's entry point.
#include "magnorav.hpp"

int main() {
  return magnorav::run();
}
