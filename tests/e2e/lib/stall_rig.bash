# The stall tests' shared rig (tests/e2e/song_wall_clock.sh,
# tests/windows/sound_stall.sh): a PulseAudio server of the test's own with
# one null sink that plays to nothing in real time, its monitor recorded,
# and a program stopped for 2 s mid-song. Sourcing it checks what it needs
# (a missing piece fails with its reason) and sets py and fail; the caller
# points XDG_RUNTIME_DIR and PULSE_SERVER into its own folder. Sets
# pulse_pid and parec_pid for the caller's cleanup.
hang_limit="${ELKA_HANG_LIMIT:-120}"
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v pulseaudio >/dev/null && command -v parec >/dev/null ||
    fail "pulseaudio and parec are needed (pulseaudio, pulseaudio-utils)"
py=/usr/bin/python3
"$py" -c 'import numpy' 2>/dev/null || fail "$py has no numpy (python3-numpy)"

# start_null_sink FOLDER: the server, once it answers (the limit only ends
# a hang).
start_null_sink() {
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit --use-pid-file=no \
        --load="module-null-sink sink_name=check rate=44100 channels=2" --load=module-native-protocol-unix \
        >"$1/pulse.log" 2>&1 &
    pulse_pid=$!
    local deadline=$((SECONDS + hang_limit))
    until pactl info >/dev/null 2>&1; do
        kill -0 "$pulse_pid" 2>/dev/null && ((SECONDS < deadline)) || {
            cat "$1/pulse.log" >&2
            fail "pulseaudio did not start"
        }
        sleep 0.1
    done
}

# start_recording FILE: the sink's monitor, raw 16-bit stereo at 44100 Hz.
start_recording() {
    rec="$1"
    parec -d check.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=20 >"$rec" &
    parec_pid=$!
}

stop_recording() {
    kill "$parec_pid"
    wait "$parec_pid" 2>/dev/null || true
    parec_pid=""
}

# start_held_log FILE: what the server holds of each playing stream, in
# microseconds, a line every 0.2 s (pactl's "Buffer Latency"). A player
# that writes through a layer which says nothing of it (Wine's waveOut)
# cannot see it; the test can. Sets held_pid for the caller's cleanup.
start_held_log() {
    while :; do
        pactl list sink-inputs 2>/dev/null | awk '/Buffer Latency:/ {print $3}'
        sleep 0.2
    done >"$1" &
    held_pid=$!
}

# stop_held_log FILE: prints the most the server held, in ms (0 if it
# never said).
stop_held_log() {
    kill "$held_pid" 2>/dev/null || true
    wait "$held_pid" 2>/dev/null || true
    held_pid=""
    awk 'BEGIN {m = 0} $1 + 0 > m {m = $1 + 0} END {printf "%.1f\n", m / 1000}' "$1"
}

# How many frames of the recording are not silence (a busy machine's
# underruns are silence too).
sound_frames() {
    "$py" -c '
import sys, numpy as np
r = np.fromfile(sys.argv[1], dtype="<i2")
print(np.count_nonzero(np.abs(r[:len(r) // 2 * 2].reshape(-1, 2)).max(1)))' "$rec"
}

# wait_sound SECONDS PID LOG: until the recording holds that much sound,
# while the program PID runs (its LOG shown if it ended).
wait_sound() {
    local want deadline=$((SECONDS + hang_limit))
    want=$("$py" -c "print(int($1 * 44100))")
    while (($(sound_frames) < want)); do
        ((SECONDS < deadline)) || fail "the recording did not reach $1 s of the song"
        kill -0 "$2" 2>/dev/null || { cat "$3" >&2; fail "the player ended"; }
        sleep 0.1
    done
}

# stall_mid_song PID LOG: 2.5 s of the song heard, the process stopped for
# 2 s (the stall itself, the one fixed time: what is tried), continued, and
# 7.5 s of the song heard in all.
stall_mid_song() {
    wait_sound 2.5 "$1" "$2"
    kill -STOP "$1"
    sleep 2
    kill -CONT "$1"
    wait_sound 7.5 "$1" "$2"
}
