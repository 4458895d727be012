#!/usr/bin/env bash
# The sharp mode on a 1920 x 1080 X screen: elka --sharp draws the scenes at
# the screen's own pixels, the largest 4:3 area (1440 x 1080, columns 240 to
# 1679) drawn there directly instead of 800 x 600 scaled up 1.8 times. With
# the clock held at 0, the screen shows the start picture: in the sharp mode
# pixel for pixel what elka-capture draws at 1920 x 1080 (the same scenes at
# the same size, centred on the same bars); without it, the 800 x 600
# picture scaled up, which strays from that still by far more.
# usage: bash window_sharp_x11.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"
build="$(realpath "$2")"
start_xvfb 1920x1080x24
prepare_workdir
(cd "$workdir" && "$build/elka-capture" -q --size 1920x1080 --end 1 --still 0="$scratch/still.png") ||
    fail "elka-capture could not draw the still"

source "$(dirname "$0")/lib/sharp_probe.bash"
sharp=$(screen_against_still "$scratch/still.png" 240 1679 eLka --sharp)
scaled=$(screen_against_still "$scratch/still.png" 240 1679 eLka)
echo "probe: pixels off the capture's 1440 x 1080 still by more than 4: $sharp % sharp, $scaled % scaled up"
awk -v s="$sharp" 'BEGIN {exit !(s < 0.1)}' || fail "the sharp screen differs from the still drawn at its size in $sharp % of pixels"
awk -v s="$sharp" -v u="$scaled" 'BEGIN {exit !(u > 10 * s + 1)}' ||
    fail "the scaled-up screen ($scaled %) is not told from the sharp one ($sharp %)"
echo "ok: --sharp draws the 4:3 area at the screen's own 1440 x 1080 pixels"
