#!/usr/bin/env bash
# The Win32 sound layer keeps the wall clock under Wine: sound_check.exe
# plays a song of noise made here through Wine's PulseAudio driver into a
# null sink of the test's own, whose monitor is recorded; the process is
# stopped for 2 s with SIGSTOP mid-song and then continued. The sink plays
# on meanwhile (silence); from one second after the stall on, every piece
# of the recording must lie within EBU R37's window of where the song's
# pieces lay before it (tests/e2e/lib/song_alignment.py --stall-only: the
# stall cost nothing). Wine's waveOut counts a buffer played on its audio
# client's own period clock, apart from what PulseAudio holds of the
# stream: an underrun below it is not seen, so the song may drift late on
# a busy machine before the stall as well as after, and what the server
# holds after the stall (Wine refills it as it likes) may differ from
# before by as much as it ever holds. That much, read from the server
# while the song plays, is allowed early besides R37's 40 ms.
# usage: bash sound_stall.sh FOLDER-WITH-sound_check.exe REPO-ROOT
set -euo pipefail
command -v wine >/dev/null || { echo "FAIL: wine is not installed (scripts/setup.sh install test installs it)" >&2; exit 1; }
exe="$(realpath "$1")/sound_check.exe"
root="$(realpath "$2")"
[[ -f "$exe" ]] || { echo "FAIL: no $exe" >&2; exit 1; }
source "$root/tests/e2e/lib/stall_rig.bash"

scratch="$(mktemp -d /tmp/elka-sound-stall-XXXXXX)"
pulse_pid="" parec_pid="" held_pid="" pid=""
cleanup() {
    [[ -z "$pid" ]] || { kill -CONT "$pid" 2>/dev/null; kill -KILL "$pid" 2>/dev/null; } || true
    wineserver -k >/dev/null 2>&1 || true
    [[ -z "$parec_pid" ]] || kill "$parec_pid" 2>/dev/null || true
    [[ -z "$held_pid" ]] || kill "$held_pid" 2>/dev/null || true
    [[ -z "$pulse_pid" ]] || kill "$pulse_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# Wine of the test's own; ALSA with no device, so that what plays goes
# through Wine's PulseAudio driver to the test's own server.
mkdir -p "$scratch/home" "$scratch/runtime" && chmod 700 "$scratch/runtime"
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$scratch/home" \
    XDG_RUNTIME_DIR="$scratch/runtime" PULSE_RUNTIME_PATH="$scratch/runtime/pulse" \
    PULSE_SERVER="unix:$scratch/runtime/pulse/native"
unset DISPLAY
printf '' >"$scratch/alsa-none.conf"
export ALSA_CONFIG_PATH="$scratch/alsa-none.conf"
source "$(dirname "$0")/lib/wine_prefix.bash"
make_wine_prefix "$scratch/wineboot.log" || { cat "$scratch/wineboot.log" >&2; fail "no Wine prefix"; }
start_null_sink "$scratch"

lib="$root/tests/e2e/lib"
song="$scratch/song.wav"
"$py" "$lib/song_alignment.py" make "$song"
start_recording "$scratch/recorded.raw"
start_held_log "$scratch/held"

# `wine` execs the program's own process: $! is what to stop. It plays
# for 15 s of wall clock, which the stall is part of.
wine "$exe" play "$(winepath -w "$song" 2>/dev/null)" 15 >"$scratch/out" 2>/dev/null &
pid=$!
stall_mid_song "$pid" "$scratch/out"
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""
stop_recording
held_ms=$(stop_held_log "$scratch/held")
echo "the server held at most $held_ms ms of the stream"

"$py" "$lib/song_alignment.py" check "$song" "$rec" --stall-only --hidden-ms "$held_ms"
echo "ok: under Wine, after a 2 s stall the song is back on the wall clock"
