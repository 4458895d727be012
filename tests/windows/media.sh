#!/usr/bin/env bash
# The Windows build under Wine against the ways its media can fail that
# mean something on Windows: each picture, the font and the song missing,
# empty, cut short, or replaced by a file of another kind, and the song
# replaced by a folder. Each case runs in a folder of its own with copies of
# files/; every message box it shows is answered with Return, as a user
# would; standard output, standard error (where each box is also one line
# "CAPTION: TEXT") and the exit status are checked exactly, and the folder
# must be unchanged. Cases that start up and play are closed with the
# window's close button once they draw (status 0).
# usage: bash media.sh WINDOWS-BUILD LINUX-BUILD
source "$(dirname "$0")/lib/wine_session.bash"
root="$PWD"
start_xvfb 1280x720x24
start_wine
elka=$(windows_program elka)
mkdir -p "$scratch/inputs"
printf 'These are not the media you are looking for.\n' >"$scratch/inputs/note.txt"
/usr/bin/python3 - "$scratch/inputs" <<'PY'
import os, struct, sys, wave, zlib
out = sys.argv[1]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
rows = b"".join(b"\0" + bytes((200, 40, 10)) * 4 for _ in range(4))
open(os.path.join(out, "picture.png"), "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0))
                                                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
with wave.open(os.path.join(out, "sound.wav"), "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050); w.writeframes(b"\0\0" * 2205)
PY

init_failed=$'ERROR: Initialization Failed!\n'
loading=$'Loading the song...\n\n'
conversion=$'Error: Image file conversion error.\n'
unknown_dib=$'Error: Unknown DIB file format.\n'

names=() files=() changes=() courses=() statuses=() outs=() errs=()
# add NAME FILE CHANGE COURSE STATUS STDOUT STDERR (as in the desktop's failure matrix)
add() {
    names+=("$1") files+=("$2") changes+=("$3") courses+=("$4") statuses+=("$5") outs+=("$6") errs+=("$7")
}
add all-present - none runs 0 "$loading" ""
# Every picture is read by the same loader: each kind of damage once, and
# each picture's name in a box once.
add tunnel-missing tunnel.bmp missing ends 0 "" "$init_failed"
add tunnel-empty tunnel.bmp empty ends 0 "" "Error: Failed to open DIB file files/tunnel.bmp."$'\n\n'"$init_failed"
add tunnel-half tunnel.bmp half ends 0 "" "$conversion$init_failed"
add tunnel-png tunnel.bmp picture.png ends 0 "" "$unknown_dib$init_failed"
add tunnel-text tunnel.bmp note.txt ends 0 "" "$unknown_dib$init_failed"
add star-missing star.bmp missing ends 0 "" "$init_failed"
add star-empty star.bmp empty ends 0 "" "Error: Failed to open DIB file files/star.bmp."$'\n\n'"$init_failed"
add load-half load.bmp half ends 0 "" "$conversion$init_failed"
add load-wav load.bmp sound.wav ends 0 "" "$unknown_dib$init_failed"
# The font falls back to an installed face and the demo plays on.
add font-missing font.ttf missing runs 0 "$loading" ""
add font-text font.ttf note.txt runs 0 "$loading" ""
# The song: the music player's diagnostic on standard output, status 1.
add song-missing song.mp3 missing ends 1 "${loading}File not found"$'\n' ""
add song-empty song.mp3 empty ends 1 "${loading}Unknown file format"$'\n' ""
add song-half song.mp3 half runs 0 "$loading" ""
add song-header-only song.mp3 head:417 ends 1 "${loading}Error loading file"$'\n' ""
add song-text song.mp3 note.txt ends 1 "${loading}Unknown file format"$'\n' ""
add song-bmp song.mp3 "$root/files/star.bmp" ends 1 "${loading}Unknown file format"$'\n' ""
add song-folder song.mp3 folder ends 1 "${loading}Error loading file"$'\n' ""
# No sound device at all: the sound library does not start. ALSA, under
# Wine's sound driver, says twice on standard error that it has no device.
alsa_none=$'ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM default\n'
add no-audio - none ends 1 $'Error initializing output device.\n' "$alsa_none$alsa_none"

snapshot() {
    (cd "$1" && find . -printf '%y %p %s %m\n' | LC_ALL=C sort && find . -type f -exec sha256sum {} + | LC_ALL=C sort)
}

# answer_boxes: until the demo ends (the limit only ends a hang), every
# message box it shows is answered with Return, once: the next look comes
# when the box has gone; a case that plays is closed once it draws.
answer_boxes() {
    local course="$1" id deadline=$((SECONDS + hang_limit)) closed=0 wait_end
    while kill -0 "$elka_pid" 2>/dev/null && ((SECONDS < deadline)); do
        for id in $(window_tree | grep -E ' "(Error|ERROR)": ' | awk '{print $1}' || true); do
            # A box may go between the look and the key (answered, or its
            # case ended): the next look tells.
            if xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable"; then
                xdotool windowfocus --sync "$id" 2>/dev/null && xdotool key Return || true
                wait_end=$((SECONDS + hang_limit))
                while xwininfo -id "$id" >/dev/null 2>&1 && kill -0 "$elka_pid" 2>/dev/null && ((SECONDS < wait_end)); do
                    sleep 0.1
                done
            fi
        done
        if [[ "$course" == runs && $closed == 0 ]]; then
            id=$(window_tree | grep -F ' "eLka": ' | awk '{print $1}' | head -n1 || true)
            if [[ -n "$id" ]] && /usr/bin/python3 "$(dirname "$0")/../e2e/lib/frame_probe.py" "$id" 0.5 >/dev/null 2>&1; then
                close_request "$id"
                closed=1
            fi
        fi
        sleep 0.2
    done
}

failed=0
for i in "${!names[@]}"; do
    name="${names[$i]}" file="${files[$i]}" change="${changes[$i]}" problems=()
    workdir="$scratch/case-$i"
    mkdir -p "$workdir/files"
    cp "$root"/files/{tunnel.bmp,star.bmp,load.bmp,font.ttf,song.mp3} "$workdir/files/"
    target="$workdir/files/$file"
    case "$change" in
        none) ;;
        missing) rm "$target" ;;
        empty) : >"$target" ;;
        half) head -c $(($(stat -c %s "$root/files/$file") / 2)) "$root/files/$file" >"$target" ;;
        head:*) head -c "${change#head:}" "$root/files/$file" >"$target" ;;
        folder) rm "$target"; mkdir "$target" ;;
        /*) cp "$change" "$target" ;;
        *) cp "$scratch/inputs/$change" "$target" ;;
    esac
    before="$(snapshot "$workdir")" case_start=$SECONDS
    elka_env=()
    [[ "$name" == no-audio ]] && elka_env=(ALSA_CONFIG_PATH="$scratch/alsa-none.conf")
    start_elka "$elka" $((hang_limit + 60))
    answer_boxes "${courses[$i]}"
    kill -0 "$elka_pid" 2>/dev/null && problems+=("still running after $hang_limit s")
    wait_elka
    out=$(tr -d '\r' <"$scratch/elka.out"; echo .)
    # Wine itself may say, on a busy machine, that a thread of the ending
    # program lost its line to the wineserver: not the demo's output, so that
    # one line is taken out (and counted) before the comparison.
    wine_noise='^wine client error:[0-9a-f]+: sendmsg: Socket operation on non-socket$'
    noise=$(tr -d '\r' <"$scratch/elka.err" | grep -cE "$wine_noise" || true)
    ((noise == 0)) || echo "$name: $noise line(s) of Wine's own client error taken out of standard error"
    err=$(tr -d '\r' <"$scratch/elka.err" | grep -vE "$wine_noise"; echo .)
    [[ "$status" == "${statuses[$i]}" ]] || problems+=("exit status $status, not ${statuses[$i]}")
    [[ "$out" == "${outs[$i]}." ]] || problems+=("standard output '${out%.}', not '${outs[$i]}'")
    [[ "$err" == "${errs[$i]}." ]] || problems+=("standard error '${err%.}', not '${errs[$i]}'")
    [[ "$(snapshot "$workdir")" == "$before" ]] || problems+=("the folder changed")
    if ((${#problems[@]})); then
        echo "FAIL $name: ${problems[*]}" >&2
        failed=$((failed + 1))
    else
        printf "%-18s status %s  (%s s)\n" "$name" "$status" "$((SECONDS - case_start))"
    fi
done
((failed == 0)) || fail "$failed of ${#names[@]} cases"
echo "ok: ${#names[@]} media cases on Windows, each with its designed boxes, output and status, the folder unchanged"
