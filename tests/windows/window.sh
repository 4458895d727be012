#!/usr/bin/env bash
# The Windows build under Wine on a 16:9 X screen (Xvfb at 1280 x 720, its
# only mode): the fullscreen window is a borderless window over the whole
# screen at the desktop's own mode, which is the same before, during and
# after the run; the 4:3 picture is shown centred, the start picture inside
# the 960 columns from 160 to 1119 and matching the Linux capture's still of
# that moment at the screen's size, the white intro scene filling exactly
# those columns. F1 gives the 640 x 480 "elite pAxo" window, Escape ends
# with status 0, and so does the window's close button. Space pauses and
# plays on, Right and Home play on (the player's keys).
# usage: bash window.sh WINDOWS-BUILD LINUX-BUILD
source "$(dirname "$0")/lib/wine_session.bash"
source "$(dirname "$0")/../e2e/lib/pillarbox_probe.bash"
source "$(dirname "$0")/../e2e/lib/player_probe.bash"
artefacts="$linux_build/artefacts"
mkdir -p "$artefacts"

start_xvfb 1280x720x24
start_wine
prepare_workdir
elka=$(windows_program elka)
before=$(mode)
[[ "$before" == 1280x720 ]] || fail "the screen's mode is '$before' before the run"

fullscreen_round "$elka" windows

# The start picture seen, against the Linux capture's still of the same
# moment at the screen's size.
start_like_capture windows "$linux_build/elka-capture"

# The player's keys, from --start 70 in the tunnel; then the close button:
# Windows sends the window WM_CLOSE, and the demo ends as after Escape.
start_elka "$elka" 300 --start 70
win=$(top_window eLka)
paused_round "$win"
close_request "$win"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after the close button"
[[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) after the close"
echo "ok: fullscreen over the 16:9 screen at its own mode, pillarboxed; F1 640x480; Space, Right, Home; Escape and the close button status 0"
