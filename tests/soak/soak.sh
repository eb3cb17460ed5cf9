#!/usr/bin/env bash
# Plays every stage through its timetable, then the Another stage for a long
# run, with random keys, in the headless driver; meant for the sanitizer
# build, where any error, leak or overflow ends the driver with a report.
#   soak.sh SIM DATA_DIR [ANOTHER_TICKS]   (default 4000; the long soak uses 100000)
set -euo pipefail
sim=$1
data=$2
another_ticks=${3:-4000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$data" "$work/dat"
cd "$work"

run() {
  local what=$1; shift
  if ! "$sim" "$@" --state state.json 2>err.txt; then
    echo "soak: $what failed:" >&2
    cat err.txt >&2
    exit 1
  fi
  if grep -q . err.txt; then
    echo "soak: $what wrote to stderr:" >&2
    cat err.txt >&2
    exit 1
  fi
  grep -q '"scene":"game"' state.json || { echo "soak: $what ended outside the game: $(cat state.json)" >&2; exit 1; }
  echo "soak: $what: $(grep -o '"StageFrame":[0-9]*' state.json)"
}

for stage in 0 1 2 3 4 5 6 7 8 9; do
  run "stage $stage" --seed "$stage" --start "stage:$stage" --lives 100000 --random-keys "$stage" --ticks 1000
done
run "the Another stage, $another_ticks ticks" --seed 10 --start stage:10 --lives 1000000 --random-keys 10 \
  --ticks "$another_ticks"
