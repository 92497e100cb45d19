#!/usr/bin/env bash
# The Release build the benchmarks time: configured without the workspace and the tests, with the
# benchmark programs, then the given targets built.
#   bench/support/build_release.sh <build folder> <target>...
set -euo pipefail
build=$1
shift
cmake -S "$(dirname "$0")/../.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANT_GUI=OFF \
  -DBREVANT_TESTS=OFF -DBREVANT_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target "$@" >/dev/null
