#!/usr/bin/env bash
# The real elka, headless, against every way its media and its devices can
# fail: each of the five files missing, empty, cut short (half the file, and
# only its header), replaced by a file of another kind, or by no file at all
# (a named pipe that no one writes, a folder, a device); no display server;
# no audio device. A pipe, a folder or a device under a media name ends as
# that medium missing or unreadable does, and is never waited on. Each case
# runs in a folder of its own with copies of files/ and checks standard
# output, standard error and the exit status exactly, that no process is
# left behind, and that the folder is unchanged (nothing written, nothing
# removed). Cases that start up and play are ended
# with SIGTERM after a few seconds, which closes the window as a window
# manager would (status 0).
# usage: bash failure_matrix.sh PATH-TO-ELKA BUILD-DIR   (from the repo root)
set -euo pipefail
elka="$(realpath "$1")"
root="$PWD"
for f in tunnel.bmp star.bmp load.bmp font.ttf song.mp3; do
    [[ -s "$root/files/$f" ]] || { echo "FAIL: files/$f is missing from the repository" >&2; exit 1; }
done
tmp="$(mktemp -d /tmp/elka-failures-XXXXXX)"
# processes_in DIR: the processes whose working folder is DIR or below it.
# One find over /proc, not a readlink per process: with a browser test
# running beside this one there are hundreds.
processes_in() {
    find /proc -mindepth 2 -maxdepth 2 -name cwd \( -lname "$1" -o -lname "$1/*" \) -printf '%h\n' 2>/dev/null |
        sed 's|^/proc/||'
}
# At the end, whatever a case left running in its folder is ended too.
cleanup() {
    local p
    for p in $(processes_in "$tmp"); do kill -KILL "$p" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT
mkdir -p "$tmp/home" "$tmp/runtime" "$tmp/inputs" "$tmp/results"
chmod 700 "$tmp/runtime"
run_seconds=3 # how long a case that starts up must keep running

# Files of other kinds to put in place of the media: a small PNG and WAV,
# and a line of text.
/usr/bin/python3 - "$tmp/inputs" <<'PY'
import os, struct, sys, wave, zlib
out = sys.argv[1]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
rows = b"".join(b"\0" + bytes((200, 40, 10)) * 4 for _ in range(4))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open(os.path.join(out, "picture.png"), "wb").write(png)
with wave.open(os.path.join(out, "sound.wav"), "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(22050)
    w.writeframes(b"\0\0" * 2205)
open(os.path.join(out, "note.txt"), "w").write("These are not the media you are looking for.\n")
PY

# What each failure prints. Headless, a message box is one line
# "CAPTION: TEXT" on standard error; the music player writes to standard
# output. The first window asks for fullscreen, which the offscreen driver
# has not got, so every run that opens it starts with the fallback question.
question=$'Dova GL: The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?\n'
init_failed=$'ERROR: Initialization Failed!\n'
loading=$'Loading the song...\n\n'
conversion=$'Error: Image file conversion error.\n'
unknown_dib=$'Error: Unknown DIB file format.\n'
# libmpg123, the MP3 decoder under the mixer, says these itself on standard
# error: the first when the stream is shorter than its Info frame declares,
# the second when there is no audio frame after the Info frame.
mpg123_short=$'Warning: Xing stream size off by more than 1%, fuzzy seeking may be even more fuzzy than by design!\n'
mpg123_one_frame=$'[src/libmpg123/parse.c:do_readahead():1140] warning: Cannot read next header, a one-frame stream? Duh...\n'

names=() files=() changes=() settings=() courses=() statuses=() outs=() errs=()
# add NAME FILE CHANGE SETTING COURSE STATUS STDOUT STDERR
#   CHANGE: none, missing, empty, half, head:BYTES, fifo, folder, device (a
#   link to /dev/zero), or an input file to copy in
#   SETTING: normal, no-display, no-audio
#   COURSE: ends (by itself) or runs (until SIGTERM)
add() {
    names+=("$1") files+=("$2") changes+=("$3") settings+=("$4") courses+=("$5") statuses+=("$6")
    outs+=("$7") errs+=("$8")
}

add all-present - none normal runs 0 "$loading" "$question"
for f in tunnel.bmp star.bmp load.bmp; do
    b="${f%.bmp}"
    # A picture that cannot be opened fails without a message of its own.
    add "$b-missing" "$f" missing normal ends 0 "" "$question$init_failed"
    add "$b-empty" "$f" empty normal ends 0 "" "${question}Error: Failed to open DIB file files/$f."$'\n\n'"$init_failed"
    add "$b-half" "$f" half normal ends 0 "" "$question$conversion$init_failed"
    add "$b-header-only" "$f" head:54 normal ends 0 "" "$question$conversion$init_failed"
    add "$b-text" "$f" note.txt normal ends 0 "" "$question$unknown_dib$init_failed"
    add "$b-png" "$f" picture.png normal ends 0 "" "$question$unknown_dib$init_failed"
    add "$b-wav" "$f" sound.wav normal ends 0 "" "$question$unknown_dib$init_failed"
    # No file: as if missing.
    for kind in fifo folder device; do
        add "$b-$kind" "$f" "$kind" normal ends 0 "" "$question$init_failed"
    done
done
# The font is not checked: font matching falls back to an installed face and
# the demo plays on.
add font-missing font.ttf missing normal runs 0 "$loading" "$question"
add font-empty font.ttf empty normal runs 0 "$loading" "$question"
add font-half font.ttf half normal runs 0 "$loading" "$question"
add font-header-only font.ttf head:12 normal runs 0 "$loading" "$question"
add font-text font.ttf note.txt normal runs 0 "$loading" "$question"
add font-bmp font.ttf "$root/files/star.bmp" normal runs 0 "$loading" "$question"
for kind in fifo folder device; do
    add "font-$kind" font.ttf "$kind" normal runs 0 "$loading" "$question"
done
# The song: the music player's diagnostic on standard output, status 1.
add song-missing song.mp3 missing normal ends 1 "${loading}File not found"$'\n' "$question"
add song-empty song.mp3 empty normal ends 1 "${loading}Unknown file format"$'\n' "$question"
# Cut in half, the MP3 stream is still whole up to the cut: it decodes to
# the first half of the song, which plays, and the demo goes on.
add song-half song.mp3 half normal runs 0 "$loading" "$question$mpg123_short"
# Only the Info frame (the first 417-byte frame), no audio.
add song-header-only song.mp3 head:417 normal ends 1 "${loading}Error loading file"$'\n' "$question$mpg123_one_frame"
add song-text song.mp3 note.txt normal ends 1 "${loading}Unknown file format"$'\n' "$question"
add song-bmp song.mp3 "$root/files/star.bmp" normal ends 1 "${loading}Unknown file format"$'\n' "$question"
# No file: as if unreadable (there is something under the name, and it
# cannot be read as a file).
for kind in fifo folder device; do
    add "song-$kind" song.mp3 "$kind" normal ends 1 "${loading}Error loading file"$'\n' "$question"
done
# No display server: no window class, so the failure path's close finds
# none to unregister.
add no-display - none no-display ends 0 "" \
    $'ERROR: Failed To Register The Window Class.\nSHUTDOWN ERROR: Could Not Unregister Class.\n'"$init_failed"
# No audio device: the sound library does not start, before any loading.
add no-audio - none no-audio ends 1 $'Error initializing output device.\n' "$question"

# snapshot DIR: every entry with its type, size, mode and time, and every
# file's contents.
snapshot() {
    (cd "$1" && find . -printf '%y %p %s %m %T@\n' | LC_ALL=C sort && find . -type f -exec sha256sum {} + | LC_ALL=C sort)
}

# run_case INDEX: runs one case and writes its verdict to results/INDEX.
run_case() {
    local i="$1" name="${names[$1]}" file="${files[$1]}" change="${changes[$1]}"
    local dir="$tmp/case-$i" verdict="$tmp/results/$i" problems=()
    mkdir -p "$dir/files"
    cp "$root"/files/{tunnel.bmp,star.bmp,load.bmp,font.ttf,song.mp3} "$dir/files/"
    local target="$dir/files/$file" size
    case "$change" in
        none) ;;
        missing) rm "$target" ;;
        empty) : >"$target" ;;
        half) size=$(stat -c %s "$root/files/$file"); head -c $((size / 2)) "$root/files/$file" >"$target" ;;
        head:*) head -c "${change#head:}" "$root/files/$file" >"$target" ;;
        fifo) rm "$target"; mkfifo "$target" ;;
        folder) rm "$target"; mkdir "$target" ;;
        device) rm "$target"; ln -s /dev/zero "$target" ;;
        /*) cp "$change" "$target" ;;
        *) cp "$tmp/inputs/$change" "$target" ;;
    esac
    local before; before="$(snapshot "$dir")"

    local env=(PATH="$PATH" HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime"
               ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
               UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}")
    case "${settings[$i]}" in
        normal) env+=(SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy) ;;
        no-display) env+=(SDL_AUDIODRIVER=dummy) ;; # no DISPLAY, no WAYLAND_DISPLAY, no driver named
        no-audio) env+=(SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=no-such-driver) ;;
    esac
    (cd "$dir" && exec env -i "${env[@]}" "$elka" >"$dir.out" 2>"$dir.err") &
    local pid=$! status=0 waited=0
    if [[ "${courses[$i]}" == runs ]]; then
        # Time that has to pass, not a wait for an event: the case must go
        # on playing this long. Nothing it shows headless tells the frame
        # loop from the start-up (its standard output is written at exit),
        # and a SIGTERM during the start-up ends it the same way.
        sleep "$run_seconds"
        if kill -0 "$pid" 2>/dev/null; then
            kill -TERM "$pid"
        else
            problems+=("ended by itself before SIGTERM")
        fi
    fi
    while kill -0 "$pid" 2>/dev/null && ((waited < 600)); do
        sleep 0.1
        waited=$((waited + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
        problems+=("still running after 60 s")
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" || status=$?

    [[ "$status" == "${statuses[$i]}" ]] || problems+=("exit status $status, not ${statuses[$i]}")
    [[ "$(cat "$dir.out"; echo .)" == "${outs[$i]}." ]] || problems+=("standard output differs")
    [[ "$(cat "$dir.err"; echo .)" == "${errs[$i]}." ]] || problems+=("standard error differs")
    local left=()
    mapfile -t left < <(processes_in "$dir")
    ((${#left[@]} == 0)) || problems+=("processes left behind: ${left[*]}")
    [[ "$(snapshot "$dir")" == "$before" ]] || problems+=("the folder changed")

    {
        printf '%s\t%s\t%s\t%s\n' "$name" "$(wc -l <"$dir.out")" "$(wc -l <"$dir.err")" "$status"
        if ((${#problems[@]})); then
            printf 'FAIL %s: %s\n' "$name" "${problems[*]}"
            echo "--- standard output"; cat "$dir.out"
            echo "--- expected"; printf '%s' "${outs[$i]}"
            echo "--- standard error"; cat "$dir.err"
            echo "--- expected"; printf '%s' "${errs[$i]}"
        fi
    } >"$verdict"
}

# Three cases at a time: most end within a second, the ones that play wait.
parallel=3
for i in "${!names[@]}"; do
    while (($(jobs -rp | wc -l) >= parallel)); do wait -n || true; done
    run_case "$i" &
done
wait

failed=0
printf '%-18s %6s %6s %6s\n' case stdout stderr status
for i in "${!names[@]}"; do
    if [[ ! -s "$tmp/results/$i" ]]; then
        echo "FAIL ${names[$i]}: no verdict" >&2
        failed=$((failed + 1))
        continue
    fi
    head -n1 "$tmp/results/$i" | awk -F'\t' '{printf "%-18s %6s %6s %6s\n", $1, $2, $3, $4}'
    if (($(wc -l <"$tmp/results/$i") > 1)); then
        tail -n +2 "$tmp/results/$i" >&2
        failed=$((failed + 1))
    fi
done
((failed == 0)) || { echo "FAIL: $failed of ${#names[@]} cases" >&2; exit 1; }
echo "ok: ${#names[@]} failure cases, each with its designed output and status, nothing left behind or written"
