#!/usr/bin/env bash
# Installs the build into a DESTDIR and runs the installed show from another folder: the
# tool renders a still there (the same picture as the build folder's tool), the launcher
# starts the installed program, and a read-only data set without its sync file plays on.
# Usage: installed.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
export GLIMMERHOP_NONINTERACTIVE=1
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
prefix="$work/root/usr"
for f in games/glimmerhop bin/glimmerhop-tool lib/glimmerhop/glimmerhop \
         share/games/glimmerhop/Tindermoot/Rari.sync share/applications/glimmerhop.desktop \
         share/icons/hicolor/48x48/apps/glimmerhop.png share/man/man6/glimmerhop.6.gz \
         share/doc/glimmerhop/copyright; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done

# A folder without Tindermoot/: the installed tool finds its own data set.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
still=(render --at 20 --history-fps 5 --size 160x120)
"$prefix/bin/glimmerhop-tool" "${still[@]}" --out installed.png > render.log 2>&1 \
  || { cat render.log; fail "the installed tool did not render"; }
grep -q "Problems With File" render.log && { cat render.log; fail "the installed tool missed a file"; }
(cd "$build" && ./glimmerhop-tool "${still[@]}" --out "$work/elsewhere/built.png" >/dev/null 2>&1)
cmp -s installed.png built.png || fail "the installed tool's picture differs from the build's"
mean=$(identify -format '%[fx:mean]' installed.png)
awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || fail "the still is nearly black (mean $mean)"

# The launcher runs the installed program from another folder; without a display the
# program reports that its dialog cannot open and exits 0.
rc=0
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/games/glimmerhop" > launcher.log 2>&1 || rc=$?
[ "$rc" -eq 0 ] || { cat launcher.log; fail "launcher exit code $rc"; }
grep -q "DialogBoxParam" launcher.log || { cat launcher.log; fail "the launcher did not start the program"; }

# Read-only data set whose sync file went missing: the box names the folder, the show
# still renders. Root writes through permission bits, so that part runs as nobody.
rm "$prefix/share/games/glimmerhop/Tindermoot/Rari.sync"
chmod -R a-w "$prefix/share/games/glimmerhop"
chmod 777 "$work/elsewhere"
as_user=()
if [ "$(id -u)" -eq 0 ]; then as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
"${as_user[@]}" env HOME="$work/elsewhere" "$prefix/bin/glimmerhop-tool" "${still[@]}" \
  --out "$work/elsewhere/nosync.png" > nosync.log 2>&1 || { cat nosync.log; fail "no picture without sync data"; }
grep -q "the folder cannot be written" nosync.log || { cat nosync.log; fail "the box did not say the folder cannot be written"; }
[ -s nosync.png ] || fail "no still without sync data"
echo "installed show: ok"
