#!/usr/bin/env bash
# The playback keys: I pauses (the position stands still), K and J seek 0.1 s forward
# and back, M and N 0.01 s, O resumes. Positions come from the once-a-second report.
source "$(dirname "$0")/common.bash"
export GLIMMERHOP_DEBUG_POSITION=1
make_music 30
start_program
dialog=$(wait_window "$dialog_title" 60) || fail "the setup dialog did not appear"
press "$dialog" Return
show=$(wait_window "$show_title" 60) || fail "the show window did not appear"

last_position() { grep '^position ' "$work/err.txt" | tail -1 | cut -d' ' -f2; }
# Taps a key repeatedly, slower than a frame: two taps between two key polls count once.
tap() {
  local window="$1"; shift
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --delay 250 "$@"
}
# The position reported once the last report is surely later than the last key.
settle() {
  sleep 2.2
  last_position
}
near() { awk -v a="$1" -v b="$2" -v d="${3:-0.02}" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d) }'; }

sleep 1.5
press "$show" i
paused=$(settle)
sleep 1.1
still=$(last_position)
near "$paused" "$still" 0.001 || fail "the position moved while paused: $paused -> $still"

# steps FROM TO STEP: how many steps of STEP lead from FROM to TO (negative: back),
# or "x" when the distance is not a whole number of steps.
steps() {
  awk -v a="$1" -v b="$2" -v s="$3" 'BEGIN { d = (b - a) / s; n = (d < 0) ? int(d - 0.5) : int(d + 0.5);
    e = (d - n) * s; if (e < 0) e = -e; if (e > 0.003) print "x"; else print n }'
}
# A tap seeks at least once; a key seen down in several frames seeks in each of them,
# as a held key does. So each key must move by whole steps, in its direction, at least
# as many as it was tapped.
check_key() {  # KEY TAPS STEP FROM TO
  local n
  n=$(steps "$4" "$5" "$3")
  [ "$n" != x ] || fail "key $1 moved $4 -> $5, not by whole steps of $3"
  [ "$n" -ge "$2" ] || fail "key $1 x$2 moved $n steps of $3 ($4 -> $5)"
  echo "key $1: $2 taps, $n steps ($4 -> $5)"
}

tap "$show" k k k k k k k k k k
k_after=$(settle)
check_key K 10 0.1 "$paused" "$k_after"
tap "$show" j j j j j
j_after=$(settle)
check_key J 5 -0.1 "$k_after" "$j_after"
tap "$show" m m m m m m m m m m
m_after=$(settle)
check_key M 10 0.01 "$j_after" "$m_after"
tap "$show" n n n n n
after=$(settle)
check_key N 5 -0.01 "$m_after" "$after"

press "$show" o
sleep 2.2
moving=$(last_position)
awk -v a="$moving" -v b="$after" 'BEGIN { exit !(a > b + 1.0) }' || fail "O did not resume: $after -> $moving"

press "$show" Escape
wait_exit 10
[ "$rc" -eq 0 ] || fail "exit code $rc after Escape (expected 0)"
echo "ok: paused at $paused, seeks landed, resumed to $moving"
