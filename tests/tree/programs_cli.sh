#!/usr/bin/env bash
# Every program and script of the repo answers its command line as elka
# does: --help (naming the program) and --version ("NAME VERSION") on
# standard output with status 0; a bogus option is two lines on standard
# error with status 2 and nothing else: no output, no file, no window (run
# with no display server: a program that went on would say so).
# usage: bash programs_cli.sh SOURCE-DIR BUILD-DIR [WINDOWS-BUILD]
set -euo pipefail
root="$(realpath "$1")"
build="$(realpath "$2")"
windows_build="${3:-}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
version=$(awk '/^project\(elka VERSION/ {print $3}' "$root/CMakeLists.txt")

# NAME COMMAND...: the name each answer uses, and how to run the program.
rows=(
    "elka|$build/elka"
    "elka-capture|$build/elka-capture"
    "elka-song|$build/elka-song"
    "elka_make_pictures|$build/tools/pictures/elka_make_pictures"
    "elka-decoded-song|$build/elka-decoded-song"
    "./demo|$root/demo"
    "./test|$root/test"
    "scripts/soak.sh|$root/scripts/soak.sh"
    "bench/sync.sh|$root/bench/sync.sh"
    "tools/frames/digests.sh|$root/tools/frames/digests.sh"
    "tools/font/make_font.py|/usr/bin/python3 $root/tools/font/make_font.py"
    "tools/song/make_song.sh|$root/tools/song/make_song.sh"
    "scripts/setup.sh|$root/scripts/setup.sh"
    "scripts/build-web.sh|$root/scripts/build-web.sh"
    "bench/first_frame.sh|$root/bench/first_frame.sh"
    "bench/lighthouse.sh|$root/bench/lighthouse.sh"
    "bench/gles_layer_callgrind.sh|$root/bench/gles_layer_callgrind.sh"
)
# The benchmarks where this build has them (ELKA_BENCHMARKS).
for bench in "$build"/bench/*_bench "$build"/elka_gles_layer_bench; do
    [[ -x "$bench" ]] && rows+=("$(basename "$bench")|$bench")
done
# The Windows build's test program, under Wine, where there is one.
if [[ -n "$windows_build" && -f "$windows_build/elka-frames.exe" ]] && command -v wine >/dev/null; then
    export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
    env -u DISPLAY wineboot -i >"$scratch/wineboot.log" 2>&1 || fail "wineboot: $(cat "$scratch/wineboot.log")"
    rows+=("elka-frames|wine $(realpath "$windows_build")/elka-frames.exe")
else
    echo "note: no elka-frames.exe under Wine here (build the windows preset), left out"
fi

run() { # COMMAND ARG: in an empty folder with no display server; sets out, err, status
    rm -rf "$scratch/run" && mkdir "$scratch/run"
    status=0
    # shellcheck disable=SC2086
    (cd "$scratch/run" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=none $1 "$2" >../out 2>../err) || status=$?
    out=$(tr -d '\r' <"$scratch/out") err=$(tr -d '\r' <"$scratch/err")
    written=$(ls -A "$scratch/run")
}

for row in "${rows[@]}"; do
    name=${row%%|*} command=${row#*|}
    run "$command" --help
    [[ $status == 0 && -z "$err" ]] || fail "$name --help: status $status, '$err'"
    grep -qF -- "$name" <<<"$out" || fail "$name --help does not name the program: '$out'"
    run "$command" --version
    [[ $status == 0 && "$out" == "$name $version" && -z "$err" ]] || fail "$name --version: status $status, '$out', '$err'"
    run "$command" --no-such-option
    [[ $status == 2 && -z "$out" && -z "$written" &&
        "$err" == "$name: unrecognized option '--no-such-option'"$'\n'"Try '$name --help' for more information." ]] ||
        fail "$name --no-such-option: status $status, out '$out', err '$err', wrote '$written'"
    echo "ok: $name"
done
echo "ok: ${#rows[@]} programs answer --help and --version with status 0 and a bogus option with status 2 alone"
