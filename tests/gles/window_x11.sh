#!/usr/bin/env bash
# The ES build in a real X11 window (Xvfb): SDL makes its ES context there
# through GLX, not EGL as in a capture, and the layer must draw all the
# same. The fullscreen window shows the start picture as elka-capture draws
# it; F1 gives the 640 x 480 window, drawn too; Escape ends with status 0.
# The demo's clock is held at 0 s throughout (the preloaded clock holder),
# so the start picture is on screen however long the checks take.
# usage: bash window_x11.sh PATH-TO-ES-ELKA PATH-TO-ELKA-CAPTURE PATH-TO-CLOCK-HOLDER
set -euo pipefail
[[ -x "$1" ]] || { echo "FAIL: $1 is missing: cmake --preset gles && cmake --build --preset gles" >&2; exit 1; }
elka="$(realpath "$1")"
capture="$(realpath "$2")"
lib="$(cd "$(dirname "$0")/../e2e/lib" && pwd)"
source "$lib/window_session.bash"

start_xvfb 800x600x24
prepare_workdir
# The start picture stands still for its whole scene: one still is its picture.
(cd "$workdir" && SDL_VIDEODRIVER=offscreen "$capture" -q --end 3 --still 2=$scratch/start.png &&
    SDL_VIDEODRIVER=offscreen "$capture" -q --end 3 --size 640x480 --still 2=$scratch/start-640.png) \
    || fail "elka-capture could not draw the start picture"
hold_clock "$3"
start_elka "$elka"

win=$(top_window eLka)
[[ "$(size_of "$win")" == 800x600 ]] || fail "eLka is $(size_of "$win"), not 800x600"
running "$win"
grep -qx "held 0.000" "$scratch/clock.log" || fail "the clock holder did not hold the demo's clock"
ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size 800x600 -i "$DISPLAY" -frames:v 1 "$scratch/shown.png"
best=$(/usr/bin/python3 "$lib/screen_probe.py" match "$scratch/shown.png" "$scratch/start.png" | tail -n1)
echo "fullscreen: $best"
awk -v s="$(awk '{print $3}' <<<"$best")" 'BEGIN { exit !(s <= 0.002) }' || fail "the start picture is not what was drawn"

press "$win" F1
small=$(top_window "elite pAxo")
[[ "$(size_of "$small")" == 640x480 ]] || fail "after F1 the window is $(size_of "$small"), not 640x480"
running "$small"
ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size 640x480 -i "$DISPLAY" -frames:v 1 "$scratch/window.png"
best=$(/usr/bin/python3 "$lib/screen_probe.py" match "$scratch/window.png" "$scratch/start-640.png" | tail -n1)
echo "window after F1: $best"
awk -v s="$(awk '{print $3}' <<<"$best")" 'BEGIN { exit !(s <= 0.002) }' || fail "the 640x480 window does not show the start picture"

press "$small" Escape
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after Escape"
echo "ok: the ES build fullscreen and windowed on X11, Escape, status 0"
