#!/usr/bin/env bash
# F1 under Xvfb (800 x 600 screen): the fullscreen "eLka" is replaced by a
# 640 x 480 window "elite pAxo"; F1 again asks for fullscreen 640 x 480,
# which this screen does not offer, so the fallback question comes and Yes
# keeps it windowed; closing the window as a window manager would (a
# WM_DELETE_WINDOW message) ends the run with status 0.
# usage: bash window_toggle_close.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"

start_xvfb 800x600x16
prepare_workdir
start_elka "$elka"

win=$(top_window eLka)
running "$win"
press "$win" F1
window_gone eLka
win=$(top_window "elite pAxo")
[[ "$(size_of "$win")" == 640x480 ]] || fail "elite pAxo is $(size_of "$win"), not 640x480"
running "$win"
press "$win" F1
box=$(top_window "Dova GL")
press "$box" Return # Yes, the first button
window_gone "Dova GL"
win=$(top_window "elite pAxo")
[[ "$(size_of "$win")" == 640x480 ]] || fail "elite pAxo is $(size_of "$win") after the second toggle"
running "$win"

close_request "$win"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after closing the window"
echo "ok: F1 to elite pAxo 640x480, F1 with the question answered Yes, window closed, status 0"
