#!/usr/bin/env bash
# With SDL's offscreen driver and no display server the whole start-up
# works: the fallback question becomes one line on standard error and is
# answered Yes, then the demo plays until SIGTERM, which closes the window
# as the window manager would, with status 0. Without the song the run
# ends with status 1 after "Loading the song...".
# usage: bash headless_offscreen.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"
unset DISPLAY WAYLAND_DISPLAY
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

# SDL's disk audio driver writes what is played to a file, silence until the
# song starts: the first sound in it says the start-up is over (the song
# starts right before the frame loop).
prepare_workdir
played="$scratch/played.raw"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$played" start_elka "$elka"
deadline=$((SECONDS + hang_limit))
until [[ -s "$played" ]] && (( $(tr -d '\0' <"$played" | head -c 1 | wc -c) > 0 )); do
    kill -0 "$elka_pid" 2>/dev/null || fail "elka ended before SIGTERM"
    (( SECONDS < deadline )) || fail "no sound played within $hang_limit s"
    sleep 0.1
done
kill -0 "$elka_pid" 2>/dev/null || fail "elka ended before SIGTERM"
pid=$(pgrep -P "$elka_pid" -x elka || true)
[[ -n "$pid" ]] || fail "no elka process under timeout"
kill -TERM "$pid"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after SIGTERM"
question='Dova GL: The Requested Fullscreen Mode Is Not Supported By'
[[ "$(head -n1 "$scratch/elka.err")" == "$question" ]] || fail "no fallback line on standard error"
[[ "$(sed -n 2p "$scratch/elka.err")" == "Your Video Card. Use Windowed Mode Instead?" ]] || fail "fallback line incomplete"

prepare_workdir no-song
start_elka "$elka"
wait_elka
[[ "$status" == 1 ]] || fail "exit status $status without the song"
grep -q "^Loading the song...$" "$scratch/elka.out" || fail "no \"Loading the song...\""
grep -q "ERROR" "$scratch/elka.err" && fail "a message box without the song"
echo "ok: headless start-up, playing, SIGTERM status 0; no song status 1"
