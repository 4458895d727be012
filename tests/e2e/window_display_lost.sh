#!/usr/bin/env bash
# The X server goes away while the demo plays (killed, or the session ends):
# the demo ends at once, with Xlib's message and status 1, instead of
# waiting forever on the dead connection while it cleans up.
# usage: bash window_display_lost.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"

start_xvfb 800x600x16 # offers 800 x 600: no question before the window
prepare_workdir
start_elka "$elka"
win=$(top_window eLka)
running "$win"
demo=$(pgrep -P "$elka_pid" || true)
[[ -n "$demo" ]] || fail "no elka process under its time limit"

# TERM, not KILL: the server still drops every client, and it takes its
# lock file with it, which a killed server would leave for the next server
# to start (two starting at once may then both take that display).
kill -TERM "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
# It ends at once; the limit only tells a hang from a slow machine.
end=$((SECONDS + hang_limit))
while kill -0 "$demo" 2>/dev/null && ((SECONDS < end)); do sleep 0.1; done
kill -0 "$demo" 2>/dev/null && fail "elka still runs $hang_limit s after its display server went away"
wait_elka
[[ "$status" == 1 ]] || fail "exit status $status, not 1"
# Xlib words it by how the dead connection shows: an end of file ("X
# connection to :0 broken") or a failed read ("XIO: fatal IO error 11").
grep -Eq "X connection to .* broken|XIO: +fatal IO error" "$scratch/elka.err" ||
    fail "no word of the lost display on standard error"
echo "ok: display server gone, elka ended with status 1"
