#!/usr/bin/env bash
# glimmerhop-tool fx --live on an effect of our own: the picture is drawn; dragging turns
# it; moving a slider and picking another technique change it; a saved colour shows
# within a second; a syntax error opens the panel while the last good picture stays;
# Escape exits 0. The controls are found through the layout the panel prints.
source "$(dirname "$0")/common.bash"
tool="$build/glimmerhop-tool"
[ -x "$tool" ] || { echo "no tool: skipped"; exit 77; }
fx="$work/workbench.fx"
cp "$here/data/workbench.fx" "$fx"

export GLIMMERHOP_WORKBENCH_LAYOUT=1
"$tool" fx "$fx" --live --size 960x600 >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
win=$(wait_window '^Glimmerhop workbench' 60) || fail "the workbench window did not appear"
for _ in $(seq 100); do grep -q '^widget param:RimGlow ' "$work/err.txt" && break; sleep 0.1; done
grep -q '^widget param:RimGlow ' "$work/err.txt" || fail "the panel printed no layout"
press "$win" space  # time stands still, so only what the test does moves the picture

shot() { import -window "$win" "$work/$1.png" 2>/dev/null || fail "no screenshot"; }
# The picture right of the panel (330 px wide).
picture="620x580+335+10"
differs() {  # A B: pixels of the picture that changed
  local n
  n=$(compare -metric AE -fuzz 3% "$work/$1.png" "$work/$2.png" -crop "$picture" null: 2>&1 || true)
  echo "${n%% *}"
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
share() { convert "$work/$1.png" -crop "$2" +repage -sample 25% -fx "$3 ? 1 : 0" -format '%[fx:mean]' info:; }
centre_of() {  # WIDGET-ID: "x y" of its middle
  grep "^widget $1 " "$work/err.txt" | tail -1 | awk '{ printf "%d %d\n", ($3 + $5) / 2, ($4 + $6) / 2 }'
}
right_end_of() {
  grep "^widget $1 " "$work/err.txt" | tail -1 | awk '{ printf "%d %d\n", $5 - 3, ($4 + $6) / 2 }'
}

sleep 0.5
shot drawn
# Drawn: much of the picture is not the grey background (110, 110, 116).
above "$(share drawn "$picture" 'abs(r - 0.431) > 0.05 || abs(b - 0.455) > 0.05')" 0.08 \
  || fail "no mesh drawn"

xdotool mousemove --window "$win" 645 300 mousedown 1
for x in 665 685 705 725 745; do xdotool mousemove --window "$win" "$x" 305; sleep 0.05; done
xdotool mouseup 1
sleep 0.4
shot turned
above "$(differs drawn turned)" 2000 || fail "dragging did not turn the mesh"

read -r sx sy <<<"$(right_end_of param:RimGlow)"
click "$win" "$sx" "$sy"
sleep 0.4
shot glow
above "$(differs turned glow)" 2000 || fail "the Rim glow slider did not change the picture"

read -r tx ty <<<"$(centre_of technique:Normals)"
click "$win" "$tx" "$ty"
sleep 0.4
shot normals
above "$(differs glow normals)" 5000 || fail "picking Normals did not change the picture"
read -r tx ty <<<"$(centre_of technique:Shaded)"
click "$win" "$tx" "$ty"
sleep 0.4

# A red surface, saved into the file.
red() { share "$1" "$picture" 'r > 0.15 && r > 2 * g && r > 2 * b'; }
shot blue
above "$(red blue)" 0.01 && fail "red before the change"
sed -i 's/= {0.2, 0.45, 0.9};/= {1.0, 0.0, 0.0};/' "$fx"
# The workbench times it from the file's save to the first frame presented with it; the
# screenshot then shows that frame (taking pictures is slower than the reload).
for _ in $(seq 50); do grep -q 'from the save to the first frame' "$work/err.txt" && break; sleep 0.1; done
seen=$(grep -o '[0-9]* ms from the save to the first frame' "$work/err.txt" | tail -1 | cut -d' ' -f1)
[ -n "$seen" ] || fail "the saved colour was not reloaded"
above 1000 "$seen" || fail "the saved colour took $seen ms to reach the screen"
shot red
above "$(red red)" 0.03 || fail "the saved colour is not on screen"

# A syntax error: the panel names the file and line; the red surface keeps drawing.
sed -i 's/^float Time : TIME;$/float Time : TIME oops/' "$fx"
for _ in $(seq 50); do grep -q 'does not compile' "$work/err.txt" && break; sleep 0.1; done
grep -q 'does not compile' "$work/err.txt" || fail "no compile error reported"
grep -q 'workbench.fx(8' "$work/err.txt" || fail "the error does not name the file and line"
sleep 0.4
shot broken
above "$(share broken 190x24+345+14 'r > 0.4 && g < 0.2 && b < 0.2')" 0.4 || fail "no error panel on screen"
above "$(red broken)" 0.03 || fail "the last good picture stopped drawing"

press "$win" Escape
wait_exit 10
[ "$rc" -eq 0 ] || fail "exit code $rc after Escape"
echo "ok: drawn, turned, slider, technique, colour after ${seen} ms, error panel"
