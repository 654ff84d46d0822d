#!/usr/bin/env bash
# Leaving from the setup dialog: Escape, the "Exit" button and the close box each end
# the program with exit code 0, and no show window opens.
source "$(dirname "$0")/common.bash"
make_music 5

leave() {
  start_program
  dialog=$(wait_window "$dialog_title" 60) || fail "the setup dialog did not appear ($1)"
  sleep 0.3
  case "$1" in
    escape) press "$dialog" Escape ;;
    # "Exit" sits at 132, 94 (44 x 14) dialog units: 7 x 16 pixels per 4 x 8 units.
    button) click "$dialog" 270 202 ;;
    closebox) close_window "$dialog" ;;
  esac
  wait_exit 10
  [ "$rc" -eq 0 ] || fail "exit code $rc after $1 (expected 0)"
  grep -q '^\[' "$work/err.txt" && fail "a message box appeared after $1"
  echo "ok: $1 exits 0"
}

leave escape
leave button
leave closebox
