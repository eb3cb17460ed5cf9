#!/usr/bin/env bash
# Tests scripts/sync-play-folder.sh: which folder is the play folder, and that
# its dat/ ends up exactly the build's while the battle record beside it and
# anything else there is left alone.
# Usage: sync_play_folder_test.sh PATH_TO_SYNC_SCRIPT
set -uo pipefail
sync_script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 passes=0 failed_cases=0

fail() {
  echo "FAIL [$case_name]: $*" >&2
  failures=$((failures + 1))
}

# Lists a folder's files with their contents' checksums, for comparing trees.
tree_of() {
  (cd "$1" && find . -type f -print0 | sort -z | xargs -0 -r sha256sum)
}

expect_same_tree() {
  [[ "$(tree_of "$1")" == "$(tree_of "$2")" ]] || fail "$2 differs from $1"
}

# A build's dat/: a changed file, a new one, a subfolder.
make_build_dat() {
  build_dat="$work/$case_name/build/dat"
  mkdir -p "$build_dat/sub"
  printf 'new sheet' >"$build_dat/sheet.bmp"
  printf 'added' >"$build_dat/added.wav"
  printf 'deep' >"$build_dat/sub/piece.mid"
}

# A play folder from an older build: a stale file in dat/ and in a stale
# subfolder, an outdated file, and the battle record (CP932 bytes, CR LF).
make_old_play_folder() {
  play="$work/$case_name/play"
  mkdir -p "$play/dat/gone"
  printf 'old sheet' >"$play/dat/sheet.bmp"
  printf 'stale' >"$play/dat/stale.wav"
  printf 'stale' >"$play/dat/gone/old.mid"
  printf '\x83\x8c\x83|\x81[\x83g 12345\r\n' >"$play/レポート.txt"
  printf 'mine' >"$play/notes.txt"
  mkdir -p "$work/$case_name/expected"
  cp "$play/レポート.txt" "$play/notes.txt" "$work/$case_name/expected/"
}

run_sync() {
  KORVALEN_HOME="$play" "$sync_script" "$build_dat" >"$work/$case_name/stdout" 2>"$work/$case_name/stderr"
}

expect_synced() {
  expect_same_tree "$build_dat" "$play/dat"
  [[ "$(cat "$work/$case_name/stdout")" == "$play" ]] || fail "printed '$(cat "$work/$case_name/stdout")', not the play folder"
  local leftovers
  leftovers=$(find "$play" -mindepth 1 -maxdepth 1 -name '.dat-*')
  [[ -z "$leftovers" ]] || fail "left behind: $leftovers"
}

expect_beside_dat_untouched() {
  cmp -s "$play/レポート.txt" "$work/$case_name/expected/レポート.txt" || fail "the battle record changed"
  cmp -s "$play/notes.txt" "$work/$case_name/expected/notes.txt" || fail "a file beside dat/ changed"
}

test_first_run_creates_the_play_folder() {
  make_build_dat
  play="$work/$case_name/new/play"
  run_sync || fail "exit status $?: $(cat "$work/$case_name/stderr")"
  expect_synced
}

test_stale_files_go_and_changed_ones_are_replaced() {
  make_build_dat
  make_old_play_folder
  run_sync || fail "exit status $?: $(cat "$work/$case_name/stderr")"
  expect_synced
  expect_beside_dat_untouched
}

test_an_interrupted_run_is_cleaned_up() {
  make_build_dat
  make_old_play_folder
  mv "$play/dat" "$play/.dat-old"
  mkdir -p "$play/.dat-new"
  printf 'half' >"$play/.dat-new/sheet.bmp"
  run_sync || fail "exit status $?: $(cat "$work/$case_name/stderr")"
  expect_synced
  expect_beside_dat_untouched
}

test_a_linked_dat_is_replaced_and_its_target_kept() {
  make_build_dat
  make_old_play_folder
  local target="$work/$case_name/linked"
  mv "$play/dat" "$target"
  ln -s "$target" "$play/dat"
  local before
  before=$(tree_of "$target")
  run_sync || fail "exit status $?: $(cat "$work/$case_name/stderr")"
  expect_synced
  [[ ! -L "$play/dat" ]] || fail "dat/ is still a link"
  [[ "$(tree_of "$target")" == "$before" ]] || fail "the linked folder changed"
}

test_missing_build_data_leaves_the_play_folder_alone() {
  make_build_dat
  make_old_play_folder
  local before
  before=$(tree_of "$play")
  build_dat="$work/$case_name/no-such-build/dat"
  if run_sync; then fail "succeeded without build data"; fi
  [[ "$(tree_of "$play")" == "$before" ]] || fail "the play folder changed"
  [[ -s "$work/$case_name/stderr" ]] || fail "no message on stderr"
}

# The play folder rule: KORVALEN_HOME itself (when not empty), else
# XDG_DATA_HOME/korvalen, else ~/.local/share/korvalen.
test_which_folder_is_the_play_folder() {
  make_build_dat
  local home="$work/$case_name/home" xdg="$work/$case_name/xdg" own="$work/$case_name/own"
  local -a cases=(
    "$own|$xdg|$own"
    "$own||$own"
    "|$xdg|$xdg/korvalen"
    "||$home/.local/share/korvalen"
  )
  local entry korvalen_home xdg_data_home expected printed
  for entry in "${cases[@]}"; do
    IFS='|' read -r korvalen_home xdg_data_home expected <<<"$entry"
    printed=$(HOME="$home" KORVALEN_HOME="$korvalen_home" XDG_DATA_HOME="$xdg_data_home" \
      "$sync_script" "$build_dat") || fail "exit status $? for '$entry'"
    [[ "$printed" == "$expected" ]] || fail "'$entry' gave $printed"
    expect_same_tree "$build_dat" "$expected/dat"
  done
}

for case_name in $(declare -F | awk '{print $3}' | grep '^test_'); do
  before=$failures
  mkdir -p "$work/$case_name"
  "$case_name"
  if ((failures == before)); then
    passes=$((passes + 1))
    echo "ok   $case_name"
  else
    failed_cases=$((failed_cases + 1))
  fi
done
echo "$passes passed, $failed_cases failed"
((failed_cases == 0))
