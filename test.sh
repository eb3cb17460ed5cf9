#!/usr/bin/env bash
# Builds Korvalen twice (the normal build and an AddressSanitizer + UBSan build)
# and runs every test of both, the end-to-end test under Xvfb included.
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
