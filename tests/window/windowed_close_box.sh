#!/usr/bin/env bash
# With "Fullscreen" unchecked the show runs in a captioned window of the chosen size;
# closing that window ends the show with exit code 0.
source "$(dirname "$0")/common.bash"
make_music 30
start_program
dialog=$(wait_window "$dialog_title" 60) || fail "the setup dialog did not appear"
sleep 0.3
# "Fullscreen" is the check box at 84, 81 dialog units (7 x 16 pixels per 4 x 8 units).
click "$dialog" 155 173
sleep 0.3
press "$dialog" Return
show=$(wait_window "$show_title" 60) || fail "the show window did not appear"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$show")"
[ "$X $Y" = "0 0" ] || fail "the window is at $X, $Y (expected 0, 0)"
close_window "$show"
wait_exit 10
[ "$rc" -eq 0 ] || fail "exit code $rc after closing the window (expected 0)"
echo "ok: windowed ${WIDTH}x$HEIGHT, closed with exit 0"
