#!/usr/bin/env bash
# Builds Korvalen and starts it in the play folder, which outlives the build:
# the game writes its battle record into its current folder.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)

# Runs a build step silently; its output is shown only when it fails.
quietly() {
  local log status=0
  log=$(mktemp)
  "$@" >"$log" 2>&1 || status=$?
  ((status == 0)) || cat "$log" >&2
  rm -f "$log"
  return "$status"
}

"$top/scripts/ensure-packages.sh"
[[ -x "$top/build/korvalen" ]] || echo "Building Korvalen (the first build takes a few minutes)..."
quietly cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
quietly cmake --build "$top/build" --target korvalen gamedata
play=$("$top/scripts/sync-play-folder.sh" "$top/build/dat")
cd "$play"
exec "$top/build/korvalen" "$@"
