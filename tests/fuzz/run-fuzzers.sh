#!/usr/bin/env bash
# Runs each fuzz target of a fuzz build (cmake -DKORVALEN_FUZZ=ON) for a
# bounded time, as many at once as there are cores, starting from its seeds
# and every regression input. What a run finds is kept under the build's
# fuzz-work/TARGET/; a failing input belongs in tests/fuzz/regressions/TARGET/.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS_PER_TARGET
set -euo pipefail
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
targets=(sprite_sheet picture midi_check report_scan wave_check story_chapter)

# One target; prints one line, and the end of its log when it failed.
run_target() {
  local name=$1 work="$build/fuzz-work/$1"
  mkdir -p "$work/corpus" "$work/found"
  # New inputs go into the first folder, the build's own.
  local inputs=("$work/corpus" "$here/corpus/$name")
  [[ -d "$here/regressions/$name" ]] && inputs+=("$here/regressions/$name")
  # Leak checks stay on; a slow input (10 s) and an allocation over 128 MiB
  # (no seed-sized input needs one) are faults too.
  if timeout $((seconds + 60)) "$build/tests/fuzz/fuzz_$name" "${inputs[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -malloc_limit_mb=128 -artifact_prefix="$work/found/" -print_final_stats=1 >"$work/log.txt" 2>&1; then
    echo "fuzz $name: $(grep -m1 -E '^Done [0-9]+ runs' "$work/log.txt" || echo done)"
  else
    echo "fuzz $name: FAILED; the input is in $work/found/, its log in $work/log.txt:"
    tail -n 40 "$work/log.txt"
    return 1
  fi
}

export -f run_target
export build seconds here
printf '%s\n' "${targets[@]}" | xargs -P "$(nproc)" -I{} bash -c 'run_target {}'
