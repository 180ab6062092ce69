// ledgorix: the header printer's entry point.
#include "ledgorix.hpp"

int main() {
  return ledgorix::run();
}
