#!/usr/bin/env bash
# The setup dialog appears; Enter starts the show full screen; the music plays to its
# end, the 2-second outro follows (Escape pressed during it changes nothing), and the
# program exits with 1.
source "$(dirname "$0")/common.bash"
export GLIMMERHOP_DEBUG_POSITION=1
make_music 2
start_program

dialog=$(wait_window "$dialog_title" 60) || fail "the setup dialog did not appear"
sleep 0.3
import -window "$dialog" "$work/dialog.png"
face=$(mean_brightness "$work/dialog.png")
awk -v m="$face" 'BEGIN { exit !(m > 0.5) }' || fail "the dialog looks empty (mean brightness $face)"

press "$dialog" Return
pressed=$(date +%s.%N)
show=$(wait_window "$show_title" 60) || fail "the show window did not appear after Enter"
xdotool search --onlyvisible --name "$dialog_title" >/dev/null 2>&1 && fail "the dialog is still open"
eval "$(xdotool getwindowgeometry --shell "$show")"
screen=$(xdotool getdisplaygeometry)
[ "$WIDTH $HEIGHT" = "$screen" ] || fail "full-screen window is ${WIDTH}x$HEIGHT on a $screen screen"

# The end of the music is reported; Escape half a second later falls into the
# 2-second outro.
for _ in $(seq 300); do grep -q '^position .* end$' "$work/err.txt" && break; sleep 0.1; done
grep -q '^position .* end$' "$work/err.txt" || fail "the end of the music was not reported"
sleep 0.5
press "$show" Escape

wait_exit 30
[ "$rc" -eq 1 ] || fail "exit code $rc after the music ended (expected 1)"
took=$(awk -v a="$pressed" -v b="$ended" 'BEGIN { printf "%.2f", b - a }')
awk -v t="$took" 'BEGIN { exit !(t >= 3.9) }' || fail "music and outro took only $took s (expected at least 4)"
echo "ok: exit 1 after $took s"
