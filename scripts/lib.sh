# Shared by the scripts: install what a fresh machine lacks, and pick the build parallelism.

ensure_tools() {
  local need=()
  command -v cmake >/dev/null 2>&1 || need+=(cmake)
  command -v g++ >/dev/null 2>&1 || need+=(g++)
  command -v make >/dev/null 2>&1 || need+=(make)
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  [ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
  command -v clang-format >/dev/null 2>&1 || need+=(clang-format)
  # The manual pages' checks and the batch script's test.
  command -v groff >/dev/null 2>&1 || need+=(groff-base)
  command -v mandoc >/dev/null 2>&1 || need+=(mandoc)
  command -v man >/dev/null 2>&1 || need+=(man-db)
  command -v parallel >/dev/null 2>&1 || need+=(parallel)
  # The Python reader's tests run with Debian's own python3 and numpy.
  /usr/bin/python3 -c 'import numpy' >/dev/null 2>&1 || need+=(python3 python3-numpy)
  # The netCDF exporter (tools/fit2nc) and its tests, which read its files back with ncdump.
  [ -f /usr/include/netcdf.h ] || need+=(libnetcdf-dev)
  command -v ncdump >/dev/null 2>&1 || need+=(netcdf-bin)
  install_packages "${need[@]}"
}

# install_packages PACKAGE...: installs Debian packages (nothing when none is given).
install_packages() {
  [ $# -gt 0 ] || return 0
  echo "installing: $*" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@" >/dev/null
}

# ensure_commands COMMAND:PACKAGE...: installs the package of every command that is missing.
ensure_commands() {
  local need=() pair
  for pair in "$@"; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || need+=("${pair#*:}")
  done
  install_packages "${need[@]}"
}

jobs() {
  nproc 2>/dev/null || echo 2
}

# clang and its libFuzzer runtime, for the fuzzing harnesses of fuzz/.
ensure_fuzz_tools() {
  local need=()
  command -v clang++ >/dev/null 2>&1 || need+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    need+=(libclang-rt-14-dev)
  if [ ${#need[@]} -gt 0 ]; then
    echo "installing: ${need[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
  fi
}

# Configures and builds the fuzzing harnesses in build-fuzz/.
build_fuzzers() {
  cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DFTS_FUZZ=ON -DFTS_TESTS=OFF -DFTS_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$(jobs)" --target fuzzers
}
