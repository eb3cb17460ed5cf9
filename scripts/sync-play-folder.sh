#!/usr/bin/env bash
# Makes the play folder's dat/ an exact copy of the build's dat/ (given as the
# one argument) and prints the play folder's path. Files the build no longer
# makes disappear; nothing beside dat/, the battle record above all, is touched.
#
# The play folder is $KORVALEN_HOME itself, else $XDG_DATA_HOME/korvalen,
# else ~/.local/share/korvalen.
set -euo pipefail
build_dat=$1
play="${KORVALEN_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/korvalen}"
if [[ ! -d "$build_dat" ]]; then
  echo "sync-play-folder: no game data at $build_dat" >&2
  exit 1
fi

# The copy is made beside dat/ and swapped in by renames, so the game never
# finds a half-copied dat/; what an interrupted run left behind goes first.
staged="$play/.dat-new"
retired="$play/.dat-old"
mkdir -p "$play"
rm -rf "$staged" "$retired"
if ! cp -R "$build_dat" "$staged"; then
  rm -rf "$staged"
  exit 1
fi
if [[ -e "$play/dat" || -L "$play/dat" ]]; then
  mv "$play/dat" "$retired"
fi
mv "$staged" "$play/dat"
rm -rf "$retired"
echo "$play"
