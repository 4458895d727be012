#!/usr/bin/env bash
# Runs a test program on a private Xvfb (1024 x 768 unless ELKA_TEST_SCREEN
# names another WxHxD, so the demo's 800 x 600 window fits) with openbox managing
# it, SDL's x11 video driver and its disk audio driver writing into a
# scratch file. Extra arguments go to the test program.
# usage: bash run_with_window_manager.sh TEST-PROGRAM [ARGS...]
program="$(realpath "$1")"
shift
source "$(dirname "$0")/../e2e/lib/window_session.bash"
wm_pid=""
trap '[[ -n "$wm_pid" ]] && kill "$wm_pid" 2>/dev/null; cleanup' EXIT

start_xvfb "${ELKA_TEST_SCREEN:-1024x768x24}"
openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has announced itself on the root window.
end=$((SECONDS + hang_limit))
while ((SECONDS < end)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    kill -0 "$wm_pid" 2>/dev/null || { cat "$scratch/openbox.log" >&2; fail "openbox ended"; }
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" || fail "openbox did not start"

export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/played.raw"
"$program" "$@"
