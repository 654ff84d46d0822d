# Shared by the window tests: each runs the real program in a fresh working directory
# with its own short music, under the X server named by DISPLAY, and plays the viewer
# with xdotool. Sourced, not run; the first argument of a test is the build folder.

build="$(cd "${1:?build folder}" && pwd)"
program="$build/glimmerhop"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dialog_title='^Vantroop -Glimmerhop$'
show_title='^Vantroop - Glimmerhop$'

[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: skipped"; exit 77; }
for tool in xdotool ffmpeg import convert; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
[ -x "$program" ] || { echo "no $program"; exit 1; }

work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

export GLIMMERHOP_NONINTERACTIVE=1 GLIMMERHOP_SILENT=1 SDL_AUDIODRIVER=dummy

fail() { echo "FAIL: $*"; [ -f "$work/err.txt" ] && sed 's/^/  stderr: /' "$work/err.txt"; exit 1; }

# make_music SECONDS: Tindermoot/Pellmoor.mp3 in the working directory, and its sync
# file when the tool that computes it was built (otherwise the show records it on its
# first run, which takes as long as the music).
make_music() {
  mkdir -p "$work/Tindermoot"
  ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=$1" -ac 2 -ar 44100 \
    "$work/Tindermoot/Pellmoor.mp3" || fail "ffmpeg could not make the music"
  if [ -x "$build/glimmerhop-tool" ]; then
    "$build/glimmerhop-tool" sync "$work/Tindermoot/Pellmoor.mp3" "$work/Tindermoot/Rari.sync" >/dev/null 2>&1 \
      || fail "glimmerhop-tool could not compute the sync file"
  elif [ "$1" -gt 5 ]; then
    echo "no glimmerhop-tool to compute the sync file of a long music: skipped"; exit 77
  fi
}

start_program() {
  (cd "$work" && exec "$program" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
  started=$(date +%s.%N)
}

# wait_window TITLE-PATTERN SECONDS: prints the window id.
wait_window() {
  local id=""
  for _ in $(seq $(( $2 * 10 ))); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# press WINDOW KEY...: keys as a person types them into that window.
press() {
  local window="$1"; shift
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --delay 60 "$@"
}

# click WINDOW X Y: a left click at a point of the window.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# wait_exit SECONDS: sets rc to the exit status; fails when the program keeps running.
wait_exit() {
  for _ in $(seq $(( $1 * 10 ))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"; rc=$?; pid=""
      ended=$(date +%s.%N)
      return 0
    fi
    sleep 0.1
  done
  fail "the program was still running after $1 s"
}

# mean_brightness FILE: 0..1 over the whole picture.
mean_brightness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

close_window() {
  cc -o "$work/close-window" "$here/close-window.c" -lX11 || fail "cannot build close-window"
  "$work/close-window" "$1"
}
