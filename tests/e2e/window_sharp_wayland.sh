#!/usr/bin/env bash
# The sharp mode on a 2x Wayland output: weston (X11 backend, pixman
# renderer, nested in a 1920 x 1080 Xvfb) at scale 2, 960 x 540 logical
# units. elka --sharp on SDL's Wayland driver draws the fullscreen scenes at
# the output's own pixels, the 4:3 area of 1440 x 1080 in columns 240 to
# 1679: with the clock held at 0 the screen is pixel for pixel
# elka-capture's still at 1920 x 1080; without --sharp it is the 800 x 600
# picture scaled up, which strays from that still by far more.
# usage: bash window_sharp_wayland.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"
source "$(dirname "$0")/lib/sharp_probe.bash"
build="$(realpath "$2")"
trap '[[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null; cleanup' EXIT
start_xvfb 1920x1080x24
prepare_workdir
(cd "$workdir" && "$build/elka-capture" -q --size 1920x1080 --end 1 --still 0="$scratch/still.png") ||
    fail "elka-capture could not draw the still"
start_weston 2 1920 1080 elka-sharp
sharp_env=(WAYLAND_DISPLAY=elka-sharp SDL_VIDEODRIVER=wayland)
sharp=$(screen_against_still "$scratch/still.png" 240 1679 "Weston Compositor - screen0" --sharp)
scaled=$(screen_against_still "$scratch/still.png" 240 1679 "Weston Compositor - screen0")
echo "probe: pixels off the capture's 1440 x 1080 still by more than 4: $sharp % sharp, $scaled % scaled up"
awk -v s="$sharp" 'BEGIN {exit !(s < 0.1)}' || fail "the sharp screen differs from the still drawn at its size in $sharp % of pixels"
awk -v s="$sharp" -v u="$scaled" 'BEGIN {exit !(u > 10 * s + 1)}' ||
    fail "the scaled-up screen ($scaled %) is not told from the sharp one ($sharp %)"
echo "ok: --sharp on a 2x Wayland output draws the 4:3 area at its 1440 x 1080 device pixels"
