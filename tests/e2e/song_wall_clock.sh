#!/usr/bin/env bash
# The song keeps the wall clock: the real elka plays a song of noise made
# here into a PulseAudio null sink of the test's own, whose monitor is
# recorded; the process is stopped for 2 s with SIGSTOP mid-song and then
# continued. The sink plays on meanwhile (silence), so what the song sounds
# after the stall must have skipped what the stopped mixer missed: each
# piece of the recording is found in the song, and from one second after
# the stall on, every piece lies where the song's pieces lay before it (the
# song's time against the sink's), within the window EBU R37 gives sound
# against picture (40 ms early, 60 ms late). Before the stall, the pieces
# keep one alignment to within the same window: steady playback is not
# skipped.
# usage: bash song_wall_clock.sh PATH-TO-ELKA BUILD-DIR
set -euo pipefail
elka="$(realpath "$1")"
lib="$(dirname "$(realpath "$0")")/lib"
source "$lib/stall_rig.bash"
unset DISPLAY WAYLAND_DISPLAY
work="$(mktemp -d /tmp/elka-wall-clock-XXXXXX)"
pulse_pid="" parec_pid="" pid=""
cleanup() {
    [[ -z "$pid" ]] || { kill -CONT "$pid" 2>/dev/null; kill -KILL "$pid" 2>/dev/null; } || true
    [[ -z "$parec_pid" ]] || kill "$parec_pid" 2>/dev/null || true
    [[ -z "$pulse_pid" ]] || kill "$pulse_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A sound server of the test's own with one sink that plays to nothing in
# real time.
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" PULSE_RUNTIME_PATH="$work/runtime/pulse" \
    PULSE_SERVER="unix:$work/runtime/pulse/native" HOME="$work"
start_null_sink "$work"

# The run folder: the tree's pictures and font, and for the song 20 s of
# noise (a WAV, which the layer decodes exactly as written), so that any
# tenth of a second of it is found in one place only.
mkdir -p "$work/run/files"
for f in tunnel.bmp star.bmp load.bmp font.ttf; do cp "files/$f" "$work/run/files/"; done
"$py" "$lib/song_alignment.py" make "$work/run/files/song.mp3"

start_recording "$work/recorded.raw"
(cd "$work/run" && exec env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=pulseaudio "$elka" >"$work/out" 2>"$work/err") &
pid=$!
stall_mid_song "$pid" "$work/err"
kill -TERM "$pid" 2>/dev/null || true
deadline=$((SECONDS + hang_limit))
while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""
stop_recording

"$py" "$lib/song_alignment.py" check "$work/run/files/song.mp3" "$rec"
echo "ok: after a 2 s stall the song is back on the wall clock"
