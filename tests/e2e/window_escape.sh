#!/usr/bin/env bash
# The real elka under Xvfb with an 800 x 600 screen, so the display offers
# the mode it asks for: "eLka" comes up fullscreen at 800 x 600 without the
# fallback question, and Escape ends the run with status 0.
# usage: bash window_escape.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"

start_xvfb 800x600x16
prepare_workdir
start_elka "$elka"

win=$(top_window eLka)
[[ "$(size_of "$win")" == 800x600 ]] || fail "eLka is $(size_of "$win"), not 800x600"
window_tree | grep -qF '"Dova GL":' && fail "the fallback question came though the mode exists"
running "$win"

press "$win" Escape
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after Escape"
grep -q . "$scratch/elka.err" && fail "unexpected standard error"
echo "ok: fullscreen eLka 800x600, Escape, status 0"
