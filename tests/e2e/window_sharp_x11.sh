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
probe="$(dirname "$0")/lib/desk_probe.py"
build="$(realpath "$2")"
start_xvfb 1920x1080x24
prepare_workdir
(cd "$workdir" && "$build/elka-capture" -q --size 1920x1080 --end 1 --still 0="$scratch/still.png") ||
    fail "elka-capture could not draw the still"

# screen_against_still ARGS...: runs elka with the clock held, saves the
# screen once the start picture shows, and prints the share (in %) of the
# 4:3 area's pixels that differ from the capture's still by more than 4.
screen_against_still() {
    hold_clock "$build/libheld_clock_preload.so"
    start_elka "$elka" 60 "$@"
    local win
    win=$(top_window eLka)
    [[ "$(size_of "$win")" == 1920x1080 ]] || fail "the fullscreen window is $(size_of "$win")"
    running "$win"
    /usr/bin/python3 "$probe" lit 20 >/dev/null || fail "nothing shows"
    /usr/bin/python3 "$probe" save "$scratch/screen.ppm"
    press "$win" Escape
    wait_elka
    [[ "$status" == 0 ]] || fail "exit status $status after Escape"
    /usr/bin/python3 - "$scratch/screen.ppm" "$scratch/still.png" <<'PY'
import subprocess, sys
import numpy as np
def read(path):
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, stdout=subprocess.PIPE).stdout
    return np.frombuffer(raw, np.uint8).reshape(1080, 1920, 3).astype(np.int16)
screen, still = read(sys.argv[1]), read(sys.argv[2])
print(f"{(np.abs(screen[:, 240:1680] - still[:, 240:1680]).max(axis=2) > 4).mean() * 100:.3f}")
PY
}

sharp=$(screen_against_still --sharp)
scaled=$(screen_against_still)
echo "probe: pixels off the capture's 1440 x 1080 still by more than 4: $sharp % sharp, $scaled % scaled up"
awk -v s="$sharp" 'BEGIN {exit !(s < 0.1)}' || fail "the sharp screen differs from the still drawn at its size in $sharp % of pixels"
awk -v s="$sharp" -v u="$scaled" 'BEGIN {exit !(u > 10 * s + 1)}' ||
    fail "the scaled-up screen ($scaled %) is not told from the sharp one ($sharp %)"
echo "ok: --sharp draws the 4:3 area at the screen's own 1440 x 1080 pixels"
