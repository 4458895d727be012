#!/usr/bin/env bash
# The real elka and its music, headless: without a song it ends with status
# 1 and the player's text on standard output, showing no message box; with
# no audio device it ends with status 1 and the device error; with SDL's
# disk audio driver, what it plays is the song as the sound layer decodes
# it, sample for sample, and it is sound, not silence.
# usage: bash music_elka.sh PATH-TO-ELKA BUILD-DIR
set -euo pipefail
elka="$(realpath "$1")"
build="$(realpath "$2")"
decoder="$build/elka-decoded-song"
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x "$decoder" ]] || fail "no elka-decoded-song in $build"
unset DISPLAY WAYLAND_DISPLAY
export SDL_VIDEODRIVER=offscreen
work="$(mktemp -d /tmp/elka-music-XXXXXX)"
pid=""
cleanup() {
    [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A folder for one run: files/ with the tree's pictures and font, and the
# song only when asked for.
prepare() {
    rm -rf "$work/run"
    mkdir -p "$work/run/files"
    local f
    for f in tunnel.bmp star.bmp load.bmp font.ttf; do
        cp "files/$f" "$work/run/files/" || fail "no files/$f in the tree"
    done
    [[ "${1:-}" == with-song ]] && cp files/song.mp3 "$work/run/files/"
    return 0
}

# 1. No song: status 1, the player's two lines, and no message box (boxes
# appear on standard error as "CAPTION: TEXT"; the only one allowed is the
# windowed-mode question of the fullscreen fallback).
prepare
status=0
(cd "$work/run" && SDL_AUDIODRIVER=dummy timeout -k 5 -s TERM 60 "$elka" >"$work/out" 2>"$work/err") || status=$?
[[ $status == 1 ]] || { cat "$work/err" >&2; fail "exit status $status without the song, not 1"; }
[[ "$(cat "$work/out"; echo .)" == $'Loading the song...\n\nFile not found\n.' ]] ||
    fail "standard output without the song: $(cat "$work/out")"
while IFS= read -r line; do
    [[ "$line" == *": "* ]] || continue
    [[ "$line" == *": The Requested Fullscreen Mode Is Not Supported By"* ]] || fail "unexpected message: $line"
done <"$work/err"

# 2. No audio device: status 1 and the device error.
prepare with-song
status=0
(cd "$work/run" && SDL_AUDIODRIVER=no-such-driver timeout -k 5 -s TERM 60 "$elka" >"$work/out" 2>"$work/err") || status=$?
[[ $status == 1 ]] || { cat "$work/err" >&2; fail "exit status $status without an audio device, not 1"; }
[[ "$(cat "$work/out"; echo .)" == $'Error initializing output device.\n.' ]] ||
    fail "standard output without an audio device: $(cat "$work/out")"

# 3. The disk driver hears the song. Run until the driver has written 2.5
# seconds (it writes in real time, silence until the song starts), then end
# it: SDL turns SIGTERM into a close request; the hard kill is only a safety
# net for a shutdown that does not finish.
prepare with-song
raw="$work/played.raw"
wanted=$((4 * 44100 * 5 / 2))
(cd "$work/run" && exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" "$elka" >"$work/out" 2>"$work/err") &
pid=$!
deadline=$((SECONDS + 60))
while (( SECONDS < deadline )); do
    (( $(stat -c %s "$raw" 2>/dev/null || echo 0) >= wanted )) && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null || { cat "$work/err"; fail "elka ended before the song had played $((wanted / 4)) frames"; }
kill -TERM "$pid" 2>/dev/null || true # its exit status below tells how it ended
# It ends at once; the limit only tells a hang from a slow machine.
deadline=$((SECONDS + 120))
while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    fail "elka did not end within 120 s of SIGTERM"
fi
status=0
wait "$pid" || status=$?
pid=""
[[ $status == 0 ]] || { cat "$work/err"; fail "exit status $status after SIGTERM, not 0"; }

# The song as the same layer decodes it, in the same output format.
SDL_AUDIODRIVER=dummy "$decoder" files/song.mp3 "$work/song.raw" || fail "the song does not decode"
/usr/bin/python3 - "$raw" "$work/song.raw" "$wanted" <<'PY' || exit 1
import array, math, os, sys
played_path, song_path, wanted = sys.argv[1], sys.argv[2], int(sys.argv[3])
played = open(played_path, "rb").read() if os.path.exists(played_path) else b""
decoded = open(song_path, "rb").read()
def fail(text):
    sys.exit("FAIL: " + text)
if len(played) < 4 * 44100 // 2:
    fail("less than half a second of audio was written")
def first_sound(data):
    i = 0
    while i + 1 < len(data) and data[i] == 0 and data[i + 1] == 0:
        i += 2
    return i & ~3  # start of that stereo frame
played_start, song_start = first_sound(played), first_sound(decoded)
if played_start >= len(played):
    fail("only silence was played")
if played_start < song_start:
    fail(f"the played sound starts at frame {played_start // 4}, before the song's first sound at {song_start // 4}")
# What was played from the song's first sample on is the song itself, sample
# for sample. Only what was written before the end was asked for: after it
# the song is stopped and the driver's last buffers hold silence.
offset = played_start - song_start
before_end = min(len(played), wanted)
if before_end <= offset:
    fail("nothing of the song was played before the end was asked for")
compared = min(before_end - offset, len(decoded)) & ~3
if compared < 4 * 44100 // 2:
    fail(f"only {compared // 4} frames of the song to compare")
a, b = played[offset:offset + compared], decoded[:compared]
if a != b:
    differs = next(i for i in range(compared) if a[i] != b[i])
    fail(f"the played audio leaves the song {differs // 4} frames after its start ({compared // 4} compared, "
         f"song starts at frame {song_start // 4}, played at frame {played_start // 4})")
# And it is sound, not silence: the opening pad is well above the noise floor.
samples = array.array("h")
samples.frombytes(a)
if sys.byteorder != "little":
    samples.byteswap()
power = sum(s * s for s in samples)
rms_db = 20 * math.log10(math.sqrt(power / len(samples)) / 32768.0)
if not rms_db > -45.0:
    fail(f"the played song is {rms_db:.1f} dBFS, not above -45")
print(f"{compared // 4} frames played as decoded, {rms_db:.1f} dBFS")
PY
echo "ok: no song status 1, no device status 1, the disk driver plays the song as decoded"
