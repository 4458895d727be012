#!/usr/bin/env bash
# The real elka, headless, from start-up to the end of the sequence, which
# it reaches by itself, under valgrind's memcheck: no invalid read or write,
# no use of undefined values, and no definitely lost block anywhere but in
# what the libraries keep by design (elka.supp says what and why). The
# scene clocks run on the counter, which the clock preload
# (harness/held_clock_preload.c) runs RATE times as fast: every scene, its
# branch and its end still come, in 151 / RATE seconds. The full log is
# kept in the build folder.
# usage: bash elka_headless.sh PATH-TO-ELKA BUILD-DIR CLOCK-PRELOAD [RATE]   (from the repo root)
set -euo pipefail
elka="$(realpath "$1")"
build="$(realpath "$2")"
preload="$(realpath "$3")"
rate="${4:-4}"
[[ -f "$preload" ]] || { echo "FAIL: no clock preload $preload" >&2; exit 1; }
root="$PWD"
supp="$root/tests/valgrind/elka.supp"
log="$build/valgrind-elka.log"
work="$(mktemp -d /tmp/elka-valgrind-XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/files" "$work/home" "$work/runtime"
cp "$root"/files/{tunnel.bmp,star.bmp,load.bmp,font.ttf,song.mp3} "$work/files/"

fail() {
    echo "FAIL: $*" >&2
    for f in "$work"/elka.out "$work"/elka.err; do [[ -s "$f" ]] && { echo "--- $f" >&2; cat "$f" >&2; }; done
    [[ -s "$log" ]] && { echo "--- $log (errors and leak summary)" >&2; grep -E 'Invalid|uninitialised|definitely lost|SUMMARY' "$log" >&2 || true; }
    exit 1
}

start=$(date +%s)
status=0
(cd "$work" && exec env -i PATH="$PATH" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
    SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LD_PRELOAD="$preload" ELKA_CLOCK_RATE="$rate" \
    timeout -k 10 800 valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite \
        --show-leak-kinds=definite,indirect,possible --error-exitcode=99 --keep-debuginfo=yes \
        --num-callers=40 --suppressions="$supp" --log-file="$log" \
        "$elka" >"$work/elka.out" 2>"$work/elka.err") || status=$?
elapsed=$(($(date +%s) - start))

[[ $status != 99 ]] || fail "memcheck found errors (status 99)"
[[ $status == 0 ]] || fail "exit status $status"
grep -q 'ERROR SUMMARY: 0 errors' "$log" || fail "memcheck's error summary is not 0"
# Nothing ends a headless run early but a failure: status 0 after at least
# the sequence's length on the faster clock means it ran to its end.
((elapsed * rate >= 150)) || fail "ended after $elapsed s, before the sequence could at $rate times its speed"
[[ "$(cat "$work/elka.out")" == "Loading the song..." ]] || fail "standard output"
[[ "$(cat "$work/elka.err")" == $'Dova GL: The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?' ]] \
    || fail "standard error"
grep -A5 'LEAK SUMMARY' "$log" | sed 's/^==[0-9]*== //'
echo "ok: the whole run in ${elapsed} s under memcheck, the clock at $rate times its speed, no error, no definite leak of elka's own (log: $log)"
