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
"$py" - "$work/run/files/song.mp3" <<'PY'
import sys, wave
import numpy as np
noise = np.random.default_rng(20261209).integers(-8000, 8000, size=(44100 * 20, 2), dtype=np.int16)
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(noise.astype("<i2").tobytes())
PY

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
stopped_at=$(stat -c %s "$rec")
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

"$py" - "$work/run/files/song.mp3" "$rec" "$stopped_at" <<'PY'
import sys, wave
import numpy as np
with wave.open(sys.argv[1]) as w:
    song = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").reshape(-1, 2).astype(np.float64)
rec = np.fromfile(sys.argv[2], dtype="<i2")
rec = rec[:len(rec) // 2 * 2].reshape(-1, 2).astype(np.float64)
stopped_at = int(sys.argv[3]) // 4
rate = 44100
def fail(text):
    print(f"FAIL: {text}")
    sys.exit(1)
# Each piece of the recording, found in the song by cross-correlation and
# then checked sample for sample: (where recorded, where in the song).
w = 2048
x = song.sum(1)
size = 1 << int(np.ceil(np.log2(len(x) + w)))
fx = np.fft.rfft(x, size)
pieces = []
for i in range(0, len(rec) - w, w):
    piece = rec[i:i + w]
    if np.abs(piece).max(1).min() == 0:
        continue  # silence, or the song's edge
    c = np.fft.irfft(fx * np.conj(np.fft.rfft(piece.sum(1), size)), size)[:len(x) - w]
    at = int(np.argmax(c))
    if np.abs(song[at:at + w] - piece).max() <= 1:
        pieces.append((i, at))
if not pieces:
    fail("nothing of the song was recorded")
# The stall as the sink heard it: the longest silence after the song began.
quiet = np.abs(rec).max(1) == 0
first = pieces[0][0]
runs, start = [], None
for k in range(first, len(rec)):
    if quiet[k] and start is None:
        start = k
    elif not quiet[k] and start is not None:
        runs.append((start, k)); start = None
gap = max(runs, key=lambda r: r[1] - r[0]) if runs else (0, 0)
gap_seconds = (gap[1] - gap[0]) / rate
if gap_seconds < 1.5:
    fail(f"the sink heard no stall (longest silence {gap_seconds:.3f} s)")
before = [(i, s) for i, s in pieces if i + w <= gap[0]]
after = [(i, s) for i, s in pieces if i >= gap[1] + rate]
if len(before) < 10 or len(after) < 10:
    fail(f"{len(before)} pieces before the stall and {len(after)} from a second after it: too few")
# Where the song lies against the sink: recorded frame minus song frame.
base = np.median([i - s for i, s in before])
lead = lambda pieces: [((i - s) - base) / rate * 1000 for i, s in pieces]
b, a = lead(before), lead(after)
print(f"{len(pieces)} pieces of {w} frames found; stall heard {gap_seconds:.3f} s at {gap[0] / rate:.3f} s; "
      f"before it the song lies {min(b):+.1f}...{max(b):+.1f} ms from its median, "
      f"from a second after it {min(a):+.1f}...{max(a):+.1f} ms (positive: late)")
if min(b) < -40 or max(b) > 60:
    fail("the song moved against the sink before the stall")
if min(a) < -40 or max(a) > 60:
    fail("after the stall the song is not back on the wall clock")
PY
echo "ok: after a 2 s stall the song is back on the wall clock"
