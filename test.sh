#!/usr/bin/env bash
# Builds Korvalen twice (the normal build and an AddressSanitizer + UBSan build)
# and runs every test of both, the end-to-end test under Xvfb included; then
# builds the loaders' fuzz targets with clang and runs each for a bounded time
# (KORVALEN_FUZZ_SECONDS, 20 by default).
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/ensure-packages.sh"
jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S "$top" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}
run_suite "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKORVALEN_ASAN=ON
run_fuzzers() {
  local dir=$top/build-fuzz
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DKORVALEN_FUZZ=ON >/dev/null
  cmake --build "$dir" -j "$jobs" --target fuzzers
  "$top/tests/fuzz/run-fuzzers.sh" "$dir" "${KORVALEN_FUZZ_SECONDS:-20}"
}
run_fuzzers
