#!/usr/bin/env bash
# glimmerhop-tool live on the real data set: a saved effect shows up on screen within
# 2 s, a compile error opens the panel while the last good effect keeps drawing and the
# picture moves, mending the file closes it; the seek keys and a click on the strip move
# the music position.
source "$(dirname "$0")/common.bash"
tool="$build/glimmerhop-tool"
[ -x "$tool" ] && [ -f "$build/Tindermoot/tun/cyl.SCENE.scene" ] || { echo "no tool or data set: skipped"; exit 77; }
export GLIMMERHOP_DEBUG_POSITION=1
cp -r "$build/Tindermoot" "$work/"
fx="$work/Tindermoot/cyl.fx"
cp "$fx" "$work/cyl.fx.good"

(cd "$work" && exec "$tool" live --from 60 --size 640x360 --data "$work" >"$work/out.txt" 2>"$work/err.txt") &
pid=$!
win=$(wait_window '^Vantroop - Glimmerhop - live$' 60) || fail "the live window did not appear"
for _ in $(seq 600); do grep -q '^position 6' "$work/err.txt" && break; sleep 0.1; done
grep -q '^position 6' "$work/err.txt" || fail "the show did not start playing at 60 s"

shot() { import -window "$win" "$work/$1.png" 2>/dev/null || fail "no screenshot"; }
# share FILE GEOMETRY EXPR: the share of the region's pixels for which EXPR holds.
share() { convert "$work/$1.png" -crop "$2" +repage -fx "$3 ? 1 : 0" -format '%[fx:mean]' info:; }
magenta() { share "$1" 640x110+0+110 'r > 0.8 && g < 0.25 && b > 0.8'; }
panel() { share "$1" 300x30+12+12 'r > 0.4 && g < 0.2 && b < 0.2'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
seconds_since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { print b - a }'; }

# The tunnel (cyl.fx) draws from 58.8 s to 73.6 s: loop it so the test has time.
press "$win" l
shot before
above "$(magenta before)" 0.05 && fail "magenta before any change"

# The tube's walls in plain magenta.
sed -i 's/return float4(c \* fog, 1.0);/return float4(1.0, 0.0, 1.0, 1.0);/' "$fx"
saved=$(date +%s.%N)
seen=""
while [ -z "$seen" ]; do
  waited=$(seconds_since "$saved")
  above "$waited" 2.0 && break
  shot changed
  waited=$(seconds_since "$saved")
  above "$(magenta changed)" 0.3 && seen=$waited
done
[ -n "$seen" ] || fail "the changed effect was not on screen within 2 s"
grep 'from the save to the first frame' "$work/err.txt" | tail -1

# A syntax error on line 70: the panel names the file and line; the tube stays magenta.
sed -i '70s/.*/    this is wrong;/' "$fx"
for _ in $(seq 40); do grep -q 'cyl.fx(70)' "$work/err.txt" && break; sleep 0.1; done
grep -q 'cyl.fx(70)' "$work/err.txt" || fail "no compile error with the line reported"
sleep 0.5
shot error1
sleep 0.6
shot error2
above "$(panel error1)" 0.5 || fail "no error panel on screen"
above "$(magenta error1)" 0.3 || fail "the last good effect stopped drawing"
moved=$(compare -metric AE -fuzz 2% "$work/error1.png" "$work/error2.png" null: 2>&1 || true)
above "${moved%% *}" 500 || fail "the picture stood still behind the panel ($moved pixels changed)"

# Mended: the panel goes and the show's own effect draws again.
cp "$work/cyl.fx.good" "$fx"
for _ in $(seq 40); do grep -q 'error panel for Tindermoot.cyl.fx is closed' "$work/err.txt" && break; sleep 0.1; done
grep -q 'error panel for Tindermoot.cyl.fx is closed' "$work/err.txt" || fail "the mended file did not close the panel"
sleep 0.5
shot mended
above 0.2 "$(panel mended)" || fail "the panel is still on screen"
above 0.05 "$(magenta mended)" || fail "the mended effect is not drawing"

# Seeking, paused so that positions are exact: loop off, pause, then the keys.
press "$win" l space
sleep 0.5
last_seek() { grep -E '^position [0-9.]+ (seek|pause)' "$work/err.txt" | tail -1 | cut -d' ' -f2; }
near() { awk -v a="$1" -v b="$2" -v d="${3:-0.03}" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d) }'; }
key_moves() {  # KEY STEP
  local from to
  from=$(last_seek)
  press "$win" "$1"
  sleep 0.6
  to=$(last_seek)
  near "$(awk -v a="$from" -v s="$2" 'BEGIN { print a + s }')" "$to" || fail "key $1 moved $from -> $to (expected $2)"
  echo "key $1: $from -> $to"
}
key_moves Right 1
key_moves shift+Right 5
key_moves Left -1
key_moves ctrl+Right 0.0167
press "$win" Home
sleep 0.6
near "$(last_seek)" 0 || fail "Home went to $(last_seek)"

# A click on the strip's timeline, at half its width, goes to about half the music.
click "$win" 320 266
sleep 0.8
clicked=$(last_seek)
above "$clicked" 70 && above 90 "$clicked" || fail "a click on the strip went to $clicked"
echo "strip click: $clicked"

press "$win" Escape
wait_exit 10
[ "$rc" -eq 0 ] || fail "exit code $rc after Escape"
echo "ok: change seen after ${seen} s; panel shown and closed; keys and strip seek"
