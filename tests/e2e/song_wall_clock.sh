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
command -v pulseaudio >/dev/null && command -v parec >/dev/null || {
    echo "FAIL: pulseaudio and parec are needed (pulseaudio, pulseaudio-utils)" >&2
    exit 1
}
py=/usr/bin/python3
"$py" -c 'import numpy' 2>/dev/null || { echo "FAIL: $py has no numpy (python3-numpy)" >&2; exit 1; }
fail() { echo "FAIL: $*" >&2; exit 1; }
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
pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit --use-pid-file=no \
    --load="module-null-sink sink_name=check rate=44100 channels=2" --load=module-native-protocol-unix \
    >"$work/pulse.log" 2>&1 &
pulse_pid=$!
for _ in $(seq 300); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { cat "$work/pulse.log" >&2; fail "pulseaudio did not start"; }

# The run folder: the tree's pictures and font, and for the song 20 s of
# noise (a WAV, which the layer decodes exactly as written), so that any
# tenth of a second of it is found in one place only.
mkdir -p "$work/run/files"
for f in tunnel.bmp star.bmp load.bmp font.ttf; do cp "files/$f" "$work/run/files/"; done
"$py" "$lib/song_alignment.py" make "$work/run/files/song.mp3"

rec="$work/recorded.raw"
parec -d check.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=20 >"$rec" &
parec_pid=$!
# sound_frames: how many frames of the recording are not silence (a busy
# machine's underruns are silence too).
sound_frames() {
    "$py" -c '
import sys, numpy as np
r = np.fromfile(sys.argv[1], dtype="<i2")
print(np.count_nonzero(np.abs(r[:len(r) // 2 * 2].reshape(-1, 2)).max(1)))' "$rec"
}
# wait_sound SECONDS: until the recording holds that much sound (60 s at
# most: a limit on a hang).
wait_sound() {
    local want deadline=$((SECONDS + 60))
    want=$("$py" -c "print(int($1 * 44100))")
    while (($(sound_frames) < want)); do
        ((SECONDS < deadline)) || fail "the recording did not reach $1 s of the song"
        kill -0 "$pid" 2>/dev/null || { cat "$work/err" >&2; fail "elka ended"; }
        sleep 0.1
    done
}

(cd "$work/run" && exec env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=pulseaudio "$elka" >"$work/out" 2>"$work/err") &
pid=$!
wait_sound 2.5
kill -STOP "$pid"
# The stall itself: two seconds of a stopped process is what is tried.
sleep 2
kill -CONT "$pid"
wait_sound 7.5
kill -TERM "$pid" 2>/dev/null || true
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""
kill "$parec_pid"
wait "$parec_pid" 2>/dev/null || true
parec_pid=""

"$py" "$lib/song_alignment.py" check "$work/run/files/song.mp3" "$rec"
echo "ok: after a 2 s stall the song is back on the wall clock"
