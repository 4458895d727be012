#!/usr/bin/env bash
# The player's keys on the real elka under Xvfb: --start puts it in the
# tunnel, whose picture changes every frame; Space stands the picture still
# and Space again moves it on; Right and Home go on playing; Escape ends the
# run with status 0. A bad --start is refused before any window.
# usage: bash window_player.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"
source "$(dirname "$0")/lib/player_probe.bash"

status=0
"$elka" --start 151.5 >"$scratch/bad.out" 2>"$scratch/bad.err" || status=$?
[[ $status == 2 ]] || fail "--start 151.5: status $status, not 2"
[[ $(wc -l <"$scratch/bad.err") == 1 ]] || fail "--start 151.5 said more than one line: $(cat "$scratch/bad.err")"
grep -q "expected seconds from 0 to less than 151.02" "$scratch/bad.err" || fail "--start 151.5: $(cat "$scratch/bad.err")"

start_xvfb 800x600x24
prepare_workdir
start_elka "$elka" 300 --start 70
win=$(top_window eLka)
paused_round "$win"
press "$win" Escape
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after Escape"
grep -q . "$scratch/elka.err" && fail "unexpected standard error"
echo "ok: --start 70 plays the tunnel; Space stands it still and moves it on; Right, Home; Escape, status 0"
