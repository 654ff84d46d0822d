#!/usr/bin/env bash
# Started where there is no display at all (no X server, no Wayland, no video driver
# named): the program reports it in a message box and exits with 0, without hanging.
# Needs no X server itself; it runs with the window tests.
build="$(cd "${1:?build folder}" && pwd)"
program="$build/glimmerhop"
[ -x "$program" ] || { echo "no $program"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; sed 's/^/  stderr: /' "$work/err.txt" 2>/dev/null; exit 1; }

mkdir -p "$work/Tindermoot"
rc=0
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER GLIMMERHOP_NONINTERACTIVE=1 \
  SDL_AUDIODRIVER=dummy timeout 30 "$program" >"$work/out.txt" 2>"$work/err.txt") || rc=$?
[ "$rc" -ne 124 ] || fail "the program was still running after 30 s"
[ "$rc" -eq 0 ] || fail "exit code $rc without a display (expected 0)"
boxes=$(grep -c '^\[' "$work/err.txt" || true)
[ "$boxes" -ge 1 ] || fail "no message box said what is wrong"
[ "$boxes" -le 2 ] || fail "$boxes message boxes for one missing display"
echo "ok: exit 0 with: $(grep '^\[' "$work/err.txt" | head -1)"
