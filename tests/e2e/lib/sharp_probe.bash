# Shared by the sharp mode's window tests; source it after window_session.bash.
# screen_against_still STILL X0 X1 TITLE [ARG...]: runs elka ($elka, in
# $workdir) with its clock held at 0 and the arguments given, saves the
# screen once the start picture shows inside those columns (nothing of a
# desktop around it: the fullscreen window is up), ends the run with Escape typed into
# the window of that title (status 0), and prints
# the share (in %) of the pixels in columns X0 to X1 that differ from the
# still by more than 4 in some channel. Whatever elka's environment needs
# besides the held clock is in $sharp_env.
sharp_env=()
screen_against_still() {
    local still="$1" x0="$2" x1="$3" title="$4" win
    hold_clock "$build/libheld_clock_preload.so"
    elka_env+=("${sharp_env[@]}")
    start_elka "$elka" 300 "${@:5}"
    local found left right shown=0 end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        found=$(/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/desk_probe.py" lit "$hang_limit") || fail "nothing shows"
        read -r _ left right _ <<<"$found"
        (( left >= x0 && right <= x1 )) && { shown=1; break; }
        sleep 0.5
    done
    ((shown)) || fail "the screen is lit in columns $left to $right, beyond the picture's $x0 to $x1"
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/desk_probe.py" save "$scratch/screen.ppm"
    kill -0 "$elka_pid" 2>/dev/null || fail "elka ended by itself"
    win=$(top_window "$title")
    if [[ "$title" == "Weston Compositor"* ]]; then
        # With no X window manager the keyboard follows the pointer into
        # weston's window, which hands keys to its focused client; moving
        # the X focus by hand (press) can make weston drop its own keyboard
        # focus, and the Escape then goes nowhere. The window stays.
        xdotool mousemove --window "$win" 100 100
        xdotool keydown Escape
        elka_ended
        xdotool keyup Escape
    else
        press "$win" Escape elka_ended
    fi
    wait_elka
    [[ "$status" == 0 ]] || fail "exit status $status after Escape"
    /usr/bin/python3 - "$scratch/screen.ppm" "$still" "$x0" "$x1" <<'PY'
import subprocess, sys
import numpy as np
def read(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=width,height", "-of", "csv=p=0", path],
                           check=True, stdout=subprocess.PIPE, text=True).stdout
    w, h = (int(v) for v in probe.split(",")[:2])
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, stdout=subprocess.PIPE).stdout
    return np.frombuffer(raw, np.uint8).reshape(h, w, 3).astype(np.int16)
screen, still = read(sys.argv[1]), read(sys.argv[2])
x0, x1 = int(sys.argv[3]), int(sys.argv[4]) + 1
if screen.shape != still.shape:
    sys.exit(f"the screen is {screen.shape[1]}x{screen.shape[0]}, the still {still.shape[1]}x{still.shape[0]}")
print(f"{(np.abs(screen[:, x0:x1] - still[:, x0:x1]).max(axis=2) > 4).mean() * 100:.3f}")
PY
}
