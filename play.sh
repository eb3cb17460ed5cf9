#!/usr/bin/env bash
# Builds Korvalen and starts it in the play folder, which outlives the build:
# the game writes its battle record into its current folder.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/ensure-packages.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" --target korvalen gamedata
play="${KORVALEN_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/korvalen}"
mkdir -p "$play/dat"
cp -r "$top/build/dat/." "$play/dat/"
cd "$play"
exec "$top/build/korvalen" "$@"
