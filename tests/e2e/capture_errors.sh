#!/usr/bin/env bash
# elka-capture's command line, failures and exit statuses: usage errors
# exit 2 with where the usage is; missing media, a missing ffmpeg and outputs that
# cannot be written exit 1 with a message that says what; nothing half
# written is left behind; the timedemo prints its table.
set -euo pipefail
build="$2"
capture="$(cd "$build" && pwd)/elka-capture"
root="$(pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# expect STATUS TEXT-IN-STDERR ARGS...: runs from the repository root.
expect() {
    local want="$1" text="$2"; shift 2
    local status=0
    "$capture" "$@" >"$work/out" 2>"$work/err" || status=$?
    [[ "$status" == "$want" ]] || fail "elka-capture $*: exit status $status, not $want; $(cat "$work/err")"
    grep -qF -- "$text" "$work/err" || fail "elka-capture $*: no '$text' in: $(cat "$work/err")"
}

usage="Try 'elka-capture --help' for more information."
expect 2 "$usage" --chapters "$work/c.tsv" --no-such-option
expect 2 "$usage" --chapters "$work/c.tsv" -x
expect 2 "$usage"
expect 2 "--fps" --fps 0 --chapters "$work/c.tsv"
expect 2 "--fps" --fps 12abc --chapters "$work/c.tsv"
expect 2 "--fps" --fps 1001 --chapters "$work/c.tsv"
expect 2 "--size" --size 640 --chapters "$work/c.tsv"
expect 2 "--size" --size 0x480 --chapters "$work/c.tsv"
expect 2 "--size" --size 640x-1 --chapters "$work/c.tsv"
expect 2 "--still" --still 3 --chapters "$work/c.tsv"
expect 2 "--still" --still=-1=x.png
expect 2 "--still" --still 3=
expect 2 "--end" --end 0 --chapters "$work/c.tsv"
expect 2 "needs a value" --chapters
expect 2 "unexpected argument" --chapters "$work/c.tsv" stray
expect 2 "--benchmark writes nothing" --benchmark --chapters "$work/c.tsv"
expect 2 ".mp4, .m4v or .mkv" -o "$work/video.avi"
expect 2 "even width and height" -o "$work/video.mp4" --size 161x120
[[ -z "$(ls -A "$work" | grep -v -e '^out$' -e '^err$')" ]] || fail "usage errors wrote files: $(ls -A "$work")"

"$capture" --help >"$work/out" && grep -q "^Usage: elka-capture" "$work/out" && grep -q -- "--end SECONDS" "$work/out" ||
    fail "--help prints the usage with --end on standard output"
"$capture" --version >"$work/out" && grep -q "^elka-capture [0-9]" "$work/out" || fail "--version"

# Outputs that cannot be written are named, before any frame is drawn.
expect 1 "/nonexistent-folder/c.tsv" --chapters /nonexistent-folder/c.tsv
expect 1 "/nonexistent-folder/s.png" --still 1=/nonexistent-folder/s.png
expect 1 "/proc/version" --frames /proc/version

# No ffmpeg: says which Debian package and points to --frames.
status=0
env PATH=/nonexistent "$capture" -o "$work/v.mp4" --end 1 2>"$work/err" || status=$?
[[ "$status" == 1 ]] || fail "no ffmpeg: exit status $status"
grep -q 'Debian package "ffmpeg"' "$work/err" && grep -q -- "--frames" "$work/err" || fail "no ffmpeg: $(cat "$work/err")"
[[ ! -e "$work/v.mp4" ]] || fail "no ffmpeg, yet a video"

# A still past the end of what is drawn: an error, and no picture.
expect 1 "$work/late.png" --fps 10 --size 32x24 --end 1 --quiet --still "5=$work/late.png" --still "0.5=$work/early.png"
[[ ! -e "$work/late.png" && -f "$work/early.png" ]] || fail "only the still that was drawn is written"
[[ -z "$(find "$work" -name '.*')" ]] || fail "temporary files left: $(find "$work" -name '.*')"

# Missing media: the demo's own message, one line on standard error.
mkdir "$work/empty"
status=0
(cd "$work/empty" && "$capture" --end 1 --chapters c.tsv 2>"$work/err") || status=$?
[[ "$status" != 0 ]] || fail "missing pictures: exit status 0"
grep -qx "ERROR: Initialization Failed!" "$work/err" || fail "missing pictures: $(cat "$work/err")"
[[ ! -e "$work/empty/c.tsv" ]] || fail "missing pictures, yet chapters"
mkdir -p "$work/nosong/files"
cp "$root"/files/*.bmp "$root"/files/font.ttf "$work/nosong/files/"
status=0
(cd "$work/nosong" && "$capture" --end 1 -o v.mp4 2>"$work/err") || status=$?
[[ "$status" == 1 ]] && grep -q "files/song.mp3" "$work/err" || fail "missing song: $status $(cat "$work/err")"

# No file under a media name (a pipe that no one writes, a folder): as if
# that medium were missing, never waited on (each run bounded by timeout).
mkdir -p "$work/nofile/files"
cp "$root"/files/* "$work/nofile/files/"
rm "$work/nofile/files/tunnel.bmp"
status=0
(cd "$work/nofile" && timeout -k 5 60 "$capture" --end 1 --chapters c.tsv 2>"$work/missing.err") || status=$?
[[ "$status" == 1 ]] || fail "missing tunnel picture: exit status $status"
mkfifo "$work/nofile/files/tunnel.bmp"
status=0
(cd "$work/nofile" && timeout -k 5 60 "$capture" --end 1 --chapters c.tsv 2>"$work/err") || status=$?
[[ "$status" == 1 ]] || fail "pipe as the tunnel picture: exit status $status (124: it waited): $(cat "$work/err")"
cmp -s "$work/err" "$work/missing.err" || fail "pipe as the tunnel picture: $(cat "$work/err"), not $(cat "$work/missing.err")"
[[ ! -e "$work/nofile/c.tsv" ]] || fail "pipe as the tunnel picture, yet chapters"
rm "$work/nofile/files/tunnel.bmp"
cp "$root/files/tunnel.bmp" "$work/nofile/files/"
# The song, read only for a video's sound.
mv "$work/nofile/files/song.mp3" "$work/song.mp3"
status=0
(cd "$work/nofile" && timeout -k 5 60 "$capture" --end 1 -o v.mp4 2>"$work/missing.err") || status=$?
[[ "$status" == 1 ]] || fail "missing song: exit status $status"
for kind in fifo folder; do
    if [[ "$kind" == fifo ]]; then mkfifo "$work/nofile/files/song.mp3"; else mkdir "$work/nofile/files/song.mp3"; fi
    status=0
    (cd "$work/nofile" && timeout -k 5 60 "$capture" --end 1 -o v.mp4 2>"$work/err") || status=$?
    [[ "$status" == 1 ]] || fail "$kind as the song: exit status $status (124: it waited): $(cat "$work/err")"
    grep -qF "cannot read the song files/song.mp3 for the video's sound: " "$work/err" ||
        fail "$kind as the song: $(cat "$work/err")"
    [[ ! -e "$work/nofile/v.mp4" ]] || fail "$kind as the song, yet a video"
    rm -r "$work/nofile/files/song.mp3"
done
grep -qF "cannot read the song files/song.mp3 for the video's sound: " "$work/missing.err" ||
    fail "missing song: $(cat "$work/missing.err")"
mv "$work/song.mp3" "$work/nofile/files/song.mp3"
# The font: a folder under its name falls back to an installed face, as a
# missing font does, and the capture draws on.
rm "$work/nofile/files/font.ttf"
mkdir "$work/nofile/files/font.ttf"
status=0
(cd "$work/nofile" && timeout -k 5 60 "$capture" --end 1 --fps 10 --size 160x120 --quiet --chapters c.tsv \
    2>"$work/err") || status=$?
[[ "$status" == 0 && -s "$work/nofile/c.tsv" ]] || fail "folder as the font: exit status $status: $(cat "$work/err")"

# Interrupted: nothing is left that looks finished, no temporary files.
mkdir "$work/stop"
"$capture" --fps 60 --size 320x240 --quiet -o "$work/stop/v.mp4" --chapters "$work/stop/c.tsv" \
    --contact-sheet "$work/stop/s.png" 2>"$work/err" &
pid=$!
# Interrupted while it writes: once its first (temporary) file is there.
deadline=$((SECONDS + 60))
until [[ -n "$(ls -A "$work/stop")" ]]; do
    kill -0 "$pid" 2>/dev/null || fail "interrupted: the capture ended before it was interrupted"
    (( SECONDS < deadline )) || fail "interrupted: nothing written within 60 s"
    sleep 0.05
done
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[[ "$status" == 130 ]] || fail "interrupted: exit status $status"
[[ -z "$(ls -A "$work/stop")" ]] || fail "interrupted, yet files: $(ls -A "$work/stop")"

# The timedemo: a row per scene drawn, the totals and the CPU shares.
"$capture" --benchmark --fps 10 --size 160x120 --end 7 >"$work/out" 2>/dev/null
grep -qE '^ +-1 +60 +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9.]+ +the picture of files/load.bmp on black$' "$work/out" ||
    fail "timedemo row of scene -1: $(cat "$work/out")"
grep -qE '^ +0 +10 ' "$work/out" || fail "timedemo row of scene 0: $(cat "$work/out")"
grep -qE '^total +70 ' "$work/out" || fail "timedemo total: $(cat "$work/out")"
grep -q "the system's own code" "$work/out" || fail "timedemo CPU shares: $(cat "$work/out")"
# The start-up split, each step timed where init_gl reports it done: a
# step it did not report would leave its part negative (or its neighbour's).
for part in "window and GL context" "textures with mipmaps" "display lists" "font: 255 tessellated glyphs" \
    "GL state and stars"; do
    grep -qE "^  $part +[0-9]+\.[0-9] ms$" "$work/out" || fail "timedemo start-up part \"$part\": $(cat "$work/out")"
done
echo "errors ok"
