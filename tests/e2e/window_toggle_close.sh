#!/usr/bin/env bash
# F1 under Xvfb (800 x 600 screen): the fullscreen "eLka" is replaced by a
# 640 x 480 window "elite pAxo"; F1 again gives a fullscreen window that
# covers the screen at its own mode, the 640 x 480 drawable presented on
# it, without the fallback question; F1 once more the 640 x 480 window,
# and closing it as a window manager would (a WM_DELETE_WINDOW message)
# ends the run with status 0.
# usage: bash window_toggle_close.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"

start_xvfb 800x600x16
prepare_workdir
start_elka "$elka"

win=$(top_window eLka)
running "$win"
toggle 640x480
toggle 800x600 # fullscreen over the screen
toggle 640x480

close_request "$win"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after closing the window"
echo "ok: F1 to elite pAxo 640x480, F1 to fullscreen without the question, F1 back, window closed, status 0"
