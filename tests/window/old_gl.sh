#!/usr/bin/env bash
# An OpenGL too old for the device (Mesa told to offer no more than 3.3): after the setup
# dialog the device cannot be created; the "CreateDevice" box is shown and the program
# exits with 0 without opening the show.
source "$(dirname "$0")/common.bash"
make_music 2
export MESA_GL_VERSION_OVERRIDE=3.3 MESA_GLSL_VERSION_OVERRIDE=330
start_program
dialog=$(wait_window "$dialog_title" 60) || fail "the setup dialog did not appear"
sleep 0.3
press "$dialog" Return
wait_exit 30
[ "$rc" -eq 0 ] || fail "exit code $rc with too old a GL (expected 0)"
grep -q '^\[Error::D3D9Init\] CreateDevice$' "$work/err.txt" || fail "no CreateDevice box"
echo "ok: the CreateDevice box and exit 0"
