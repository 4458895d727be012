#!/usr/bin/env bash
# The fallback question comes only where no fullscreen window can be had.
# Under Xvfb with a 1024 x 768 screen, which has no 800 x 600 mode, "eLka"
# covers the screen at its own mode without the question, and closing it
# ends with status 0. On SDL's offscreen driver, which has no monitor to
# cover, the question "Dova GL" comes before anything is shown (with no
# display to show it on, it goes to standard error and takes its first
# button, Yes): the demo then goes on windowed and ends with status 0 when
# asked to by SIGTERM. The No path is held by the window
# tests, which answer the question themselves.
# usage: bash window_fallback.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"

start_xvfb 1024x768x24
prepare_workdir

start_elka "$elka"
win=$(top_window eLka)
window_tree | grep -qF '"Dova GL":' && fail "the question came though a fullscreen window can be had"
[[ "$(size_of "$win")" == 1024x768 ]] || fail "eLka is $(size_of "$win"), not the screen's 1024x768"
running "$win"
close_request "$win"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after closing"
grep -q "Dova GL" "$scratch/elka.err" && fail "the question was asked on the X screen"

SDL_VIDEODRIVER=offscreen start_elka "$elka"
end=$((SECONDS + hang_limit))
while ((SECONDS < end)); do
    grep -q "^Dova GL: " "$scratch/elka.err" && break
    kill -0 "$elka_pid" 2>/dev/null || fail "elka ended before asking"
    sleep 0.1
done
grep -q "^Dova GL: " "$scratch/elka.err" || fail "no question on the offscreen driver"
# SDL turns the signal into a close request, taken whenever the start-up
# reaches its first message; by then the song was loaded, which is said on
# standard output once the window is open (printed out at exit).
pkill -TERM -P "$elka_pid"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after SIGTERM on the offscreen driver"
grep -q "Loading the song" "$scratch/elka.out" || fail "the demo did not go on after Yes"
echo "ok: no question on a 1024x768 screen (window covers it), the question and Yes on the offscreen driver, status 0 both times"
