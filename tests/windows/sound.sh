#!/usr/bin/env bash
# The Win32 sound layer under Wine, through tests/windows/sound_check.exe:
# with no output device FSOUND_Init fails with code 3, as the desktop's
# does; files/song.mp3 decodes (ACM's MP3 decoder) to what ffmpeg decodes,
# whole and cut in half; WAV files are converted to 16-bit stereo at 44100
# Hz as ffmpeg converts them; the broken and foreign files give the codes
# the desktop's layer gives (tests/e2e/failure_matrix.sh, tests/web/
# page_song_errors.mjs: 9 missing, 10 of no sound format, 11 damaged).
# The song is also played through Wine's PulseAudio driver into a null
# sink, and what the sink's monitor recorded is looked for in the decoded
# song: on a busy machine the sound may have gaps, so the pieces heard must
# be the song's, in its order, not every piece of it without a break
# (song_heard.py).
# usage: bash sound.sh FOLDER-WITH-sound_check.exe REPO-ROOT
set -euo pipefail
command -v wine >/dev/null || { echo "FAIL: wine is not installed (scripts/setup.sh install test installs it)" >&2; exit 1; }
exe="$(realpath "$1")/sound_check.exe"
root="$(realpath "$2")"
[[ -f "$exe" ]] || { echo "FAIL: no $exe" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "FAIL: ffmpeg is needed for the reference decodes" >&2; exit 1; }
py=/usr/bin/python3
"$py" -c 'import numpy' 2>/dev/null || { echo "FAIL: $py has no numpy (python3-numpy)" >&2; exit 1; }

scratch="$(mktemp -d /tmp/elka-sound-XXXXXX)"
pulse_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [[ -z "$pulse_pid" ]] || kill "$pulse_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

# Wine of the test's own, and no sound server of the user's: the device is
# what ALSA_CONFIG_PATH names.
mkdir -p "$scratch/runtime" "$scratch/home" "$scratch/in"
chmod 700 "$scratch/runtime"
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$scratch/home" \
    XDG_RUNTIME_DIR="$scratch/runtime" PULSE_SERVER="unix:$scratch/runtime/no-server"
unset DISPLAY
source "$(dirname "$0")/lib/wine_prefix.bash"
make_wine_prefix "$scratch/wineboot.log" || { cat "$scratch/wineboot.log" >&2; echo "FAIL: no Wine prefix" >&2; exit 1; }
wineserver -p # kept until the end: see tests/windows/lib/wine_session.bash
# An ALSA with no device at all, and one whose default device takes what
# it is given and drops it (ALSA's null plug-in): a device without a server.
printf '' >"$scratch/alsa-none.conf"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$scratch/alsa-null.conf"
win() { winepath -w "$1" 2>/dev/null; }
check() { ALSA_CONFIG_PATH="$scratch/alsa-null.conf" wine "$exe" "$@" 2>/dev/null | tr -d '\r'; }

# No device.
got="$(ALSA_CONFIG_PATH="$scratch/alsa-none.conf" wine "$exe" init 2>/dev/null | tr -d '\r')"
[[ "$got" == "init 0 error 3" ]] && ok "no device: $got" || fail "no device: '$got', not 'init 0 error 3'"
got="$(check init)"
[[ "$got" == "init 1" ]] || { echo "FAIL: ALSA's null device does not open under Wine: '$got'" >&2; exit 1; }

# The inputs: the song cut in half (a whole stream up to the cut), only its
# Info frame (no audio), that frame followed by junk, and sounds of other
# kinds; WAVs for the conversion to the device's format.
song="$root/files/song.mp3"
size=$(stat -c %s "$song")
head -c $((size / 2)) "$song" >"$scratch/in/half.mp3"
head -c 417 "$song" >"$scratch/in/info-only.mp3"
: >"$scratch/in/empty.mp3"
mkdir "$scratch/in/folder.mp3"
cp "$root/files/star.bmp" "$scratch/in/star.mp3"
"$py" - "$scratch/in" "$song" <<'PY'
import os, random, struct, sys, wave, zlib
import numpy as np
out, song = sys.argv[1], sys.argv[2]
rand = random.Random(20240611)
noise = bytes(rand.getrandbits(8) for _ in range(65536))
assert noise[:4] != b"RIFF" and not (noise[0] == 0xFF and noise[1] & 0xE0 == 0xE0)  # no sound's start
open(os.path.join(out, "random.mp3"), "wb").write(noise)
open(os.path.join(out, "junk-after-info.mp3"), "wb").write(open(song, "rb").read(417) + noise * 3)
open(os.path.join(out, "note.mp3"), "w").write("These are not the media you are looking for.\n")
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
rows = b"".join(b"\0" + bytes((200, 40, 10)) * 4 for _ in range(4))
open(os.path.join(out, "picture.mp3"), "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0))
                                                  + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
t = np.arange(22050 * 2) / 22050
with wave.open(os.path.join(out, "mono22050.wav"), "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050)
    w.writeframes((9000 * np.sin(2 * np.pi * 440 * t) * np.minimum(1, t)).astype("<i2").tobytes())
t = np.arange(44100) / 44100
pair = np.stack([np.sin(2 * np.pi * 300 * t), np.sin(2 * np.pi * 500 * t)], 1)
with wave.open(os.path.join(out, "stereo8.wav"), "wb") as w:
    w.setnchannels(2); w.setsampwidth(1); w.setframerate(44100)
    w.writeframes((128 + 100 * pair).astype("u1").tobytes())
PY

# Error codes, as the desktop's layer gives them.
expect_error() {
    local name="$1" file="$2" want="$3" got
    got="$(check load "$(win "$file")" "$(win "$scratch/none.pcm")")"
    [[ "$got" == "error $want" ]] && ok "$name: $got" || fail "$name: '$got', not 'error $want'"
}
expect_error missing "$scratch/in/no-such.mp3" 9
expect_error empty "$scratch/in/empty.mp3" 10
expect_error "random bytes" "$scratch/in/random.mp3" 10
expect_error "a line of text" "$scratch/in/note.mp3" 10
expect_error "a PNG" "$scratch/in/picture.mp3" 10
expect_error "a BMP" "$scratch/in/star.mp3" 10
expect_error "only the Info frame" "$scratch/in/info-only.mp3" 11
expect_error "the Info frame, then junk" "$scratch/in/junk-after-info.mp3" 11
expect_error "a folder" "$scratch/in/folder.mp3" 11

# decode_matches NAME FILE LIMIT [FFMPEG-OPTION...]: the layer's decode
# against ffmpeg's, both 16-bit stereo at 44100 Hz: the same length within
# one MP3 frame once aligned, and a mean absolute difference (in steps of
# 16 bits) under LIMIT.
decode_matches() {
    local name="$1" file="$2" limit="$3" got
    shift 3
    got="$(check load "$(win "$file")" "$(win "$scratch/layer.pcm")")"
    [[ "$got" == frames* ]] || { fail "$name: '$got', not decoded"; return; }
    ffmpeg -v error -y -i "$file" "$@" -f s16le -ac 2 -ar 44100 "$scratch/ffmpeg.pcm"
    if "$py" - "$scratch/layer.pcm" "$scratch/ffmpeg.pcm" "$limit" "$name" <<'PY'; then :; else fail "$name: differs from ffmpeg's decode"; fi
import sys
import numpy as np
a = np.fromfile(sys.argv[1], dtype="<i2").reshape(-1, 2).astype(np.float64)
b = np.fromfile(sys.argv[2], dtype="<i2").reshape(-1, 2).astype(np.float64)
limit, name = float(sys.argv[3]), sys.argv[4]
# The decoders' delays may differ: the lag (within four frames) that lines
# the first 20 s up best.
n = min(len(a), len(b), 44100 * 20)
x, y = a[:n].sum(1), b[:n].sum(1)
size = 1 << int(np.ceil(np.log2(2 * n)))
c = np.fft.irfft(np.fft.rfft(x, size) * np.conj(np.fft.rfft(y, size)), size)
reach = 4608
lags = np.concatenate([np.arange(reach + 1), np.arange(-reach, 0)])
lag = int(lags[np.argmax(np.concatenate([c[:reach + 1], c[-reach:]]))])
a2, b2 = (a[lag:], b) if lag >= 0 else (a, b[-lag:])
m = min(len(a2), len(b2))
mad = np.abs(a2[:m] - b2[:m]).mean()
print(f"{name}: {len(a)} frames, ffmpeg {len(b)}; lag {lag}; mean absolute difference {mad:.3f} (limit {limit})")
sys.exit(0 if abs(len(a2) - len(b2)) <= 1152 and mad <= limit else 1)
PY
}
# Measured under Wine 8: 0.40 for the song, whole and in half (the two
# decoders' rounding); the mono WAV differs by the resamplers (linear here,
# a filter in ffmpeg); 8-bit to 16-bit is the same scaling in both. A mono
# file plays at full level on both sides, as on the desktop; ffmpeg's own
# mono to stereo is 3 dB down, hence its pan.
decode_matches "song.mp3" "$song" 4
decode_matches "song cut in half" "$scratch/in/half.mp3" 4
decode_matches "mono WAV at 22050 Hz" "$scratch/in/mono22050.wav" 16 -af 'pan=stereo|c0=c0|c1=c0'
decode_matches "8-bit stereo WAV" "$scratch/in/stereo8.wav" 1

# Playing through PulseAudio's null sink, recorded from its monitor.
command -v pulseaudio >/dev/null && command -v parec >/dev/null ||
    { echo "FAIL: pulseaudio and parec are needed (scripts/setup.sh install test installs them)" >&2; exit 1; }
pulse="$scratch/pulse"
mkdir -p "$pulse" && chmod 700 "$pulse"
export XDG_RUNTIME_DIR="$pulse" PULSE_RUNTIME_PATH="$pulse/pulse" PULSE_SERVER="unix:$pulse/pulse/native"
pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit --use-pid-file=no \
    --load="module-null-sink sink_name=check rate=44100 channels=2" --load=module-native-protocol-unix \
    >"$scratch/pulse.log" 2>&1 &
pulse_pid=$!
deadline=$((SECONDS + 120))
until pactl info >/dev/null 2>&1 || ((SECONDS >= deadline)); do sleep 0.1; done
pactl info >/dev/null 2>&1 || { cat "$scratch/pulse.log" >&2; echo "FAIL: pulseaudio did not start" >&2; exit 1; }
# ALSA has no device now: what plays goes through Wine's PulseAudio driver.
play() { ALSA_CONFIG_PATH="$scratch/alsa-none.conf" wine "$exe" "$@" 2>/dev/null | tr -d '\r'; }
got="$(play init)"
[[ "$got" == "init 1" ]] && ok "PulseAudio's null sink opens: $got" || fail "with PulseAudio: '$got', not 'init 1'"
rec="$scratch/recorded.raw"
parec -d check.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=20 >"$rec" &
parec_pid=$!
# wait_size BYTES: until the recording holds that much (the limit only
# ends a hang: the sink renders in real time).
wait_size() {
    local deadline=$((SECONDS + 120))
    while (($(stat -c %s "$rec") < $1)); do
        ((SECONDS < deadline)) || { echo "FAIL: the recording stopped at $(stat -c %s "$rec") bytes" >&2; exit 1; }
        sleep 0.1
    done
}
wait_size 1
got="$(play play "$(win "$song")" 4)"
# What the sink rendered last reaches the file after half a second more.
wait_size $(($(stat -c %s "$rec") + 88200))
kill "$parec_pid"
wait "$parec_pid" 2>/dev/null || true
[[ "$got" == $'playing 0\nclosed' ]] || fail "playing: '$got'"
check load "$(win "$song")" "$(win "$scratch/layer.pcm")" >/dev/null
"$py" "$(dirname "$0")/song_heard.py" "$scratch/layer.pcm" "$rec" 4 || fail "what the sink played is not the song"
((failures == 0)) || { echo "FAIL: $failures checks" >&2; exit 1; }
echo "ok: the Win32 sound layer under Wine"
