#!/usr/bin/env bash
# Escape during the playback ends the program at once with exit code 0, without the
# outro.
source "$(dirname "$0")/common.bash"
make_music 30
start_program
dialog=$(wait_window "$dialog_title" 60) || fail "the setup dialog did not appear"
press "$dialog" Return
show=$(wait_window "$show_title" 60) || fail "the show window did not appear"
sleep 1
import -window root "$work/frame.png"
press "$show" Escape
escaped=$(date +%s.%N)
wait_exit 10
[ "$rc" -eq 0 ] || fail "exit code $rc after Escape (expected 0)"
took=$(awk -v a="$escaped" -v b="$ended" 'BEGIN { printf "%.2f", b - a }')
awk -v t="$took" 'BEGIN { exit !(t < 1.5) }' || fail "the program took $took s to stop after Escape"
echo "ok: exit 0, $took s after Escape"
