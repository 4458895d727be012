#!/usr/bin/env bash
# The demo on a 16:9 X screen (Xvfb at 1280 x 720, whose only mode that is):
# the fullscreen window covers the screen at the desktop's own mode, which
# is the same before, during and after the run; the 4:3 picture is shown
# centred, the start picture inside the 960 columns from 160 to 1119 and
# the white intro scene filling exactly them, black bars of 160 columns at
# both sides. F1 gives a 640 x 480 window, Escape ends with status 0, and a
# demo killed with SIGKILL leaves the screen's mode as it was. A message box
# shown while the window is up is owned by it.
# usage: bash window_presenter_x11.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"
source "$(dirname "$0")/lib/pillarbox_probe.bash"
artefacts="${2:-.}/artefacts"
mkdir -p "$artefacts"

start_xvfb 1280x720x24
prepare_workdir
before=$(mode)
[[ "$before" == 1280x720 ]] || fail "the screen's mode is '$before' before the run"

fullscreen_round "$elka" presenter_x11

# The start picture seen, against the capture tool's still of the same moment.
start_like_capture presenter_x11 "$(dirname "$elka")/elka-capture"


# Killed where nothing can clean up: the mode was never changed.
start_elka "$elka"
win=$(top_window eLka)
running "$win"
pkill -KILL -P "$elka_pid"
wait_elka || true
[[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) after SIGKILL"
# A message box while the fullscreen window is up (a picture that cannot
# be decoded) is owned by it, so the window manager keeps it in front.
workdir="$scratch/no-tunnel"
mkdir -p "$workdir/files"
for f in star.bmp load.bmp font.ttf song.mp3; do [[ -f files/$f ]] && cp "files/$f" "$workdir/files/"; done
printf 'BM not a picture' >"$workdir/files/tunnel.bmp"
start_elka "$elka"
box=$(top_window Error)
win=$(top_window eLka)
owner=$(xprop -id "$box" WM_TRANSIENT_FOR | awk '{print $NF}')
[[ "$owner" == 0x* ]] && (( owner == win )) || fail "the box is owned by '$owner', not by the demo's window $win"
answer_box "$box"
# The start-up then fails as designed: "Initialization Failed!" follows.
box=$(top_window ERROR)
answer_box "$box"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after the boxes"
echo "ok: fullscreen over the 16:9 screen at its own mode, pillarboxed; F1 640x480; Escape status 0; mode kept after SIGKILL; a box owned by the window"
