// combirax: the interferogram averager's entry point.
#include "combirax.hpp"

int main() {
  return combirax::run();
}
