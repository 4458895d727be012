#!/usr/bin/env bash
# The real elka's command line: --help and --version answer on standard
# output with status 0, an unknown option or an argument is a usage error
# on standard error with status 2; none of them opens a window or plays
# (run with no display server and no sound: a demo that started would say
# so and end otherwise).
# usage: bash command_line.sh PATH-TO-ELKA BUILD-DIR
set -euo pipefail
elka="$(realpath "$1")"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { # ARGS...: sets out, err, status
    status=0
    (cd "$scratch" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=none "$elka" "$@" >out 2>err) || status=$?
    out=$(cat "$scratch/out") err=$(cat "$scratch/err")
}
version=$(awk '/^project\(elka VERSION/ {print $3}' CMakeLists.txt)
run --version
[[ $status == 0 && "$out" == "elka $version" && -z "$err" ]] || fail "--version: status $status, '$out', '$err'"
run --help
[[ $status == 0 && -z "$err" ]] || fail "--help: status $status, '$err'"
[[ "$(head -n1 <<<"$out")" == "Usage: elka [OPTION]..." ]] || fail "--help does not begin with the usage: '$out'"
for option in --sharp --help --version; do grep -qF -- "$option" <<<"$out" || fail "--help does not list $option"; done
run --fullscreen
[[ $status == 2 && -z "$out" && "$err" == $'elka: unrecognized option \'--fullscreen\'\nTry \'elka --help\' for more information.' ]] ||
    fail "--fullscreen: status $status, '$out', '$err'"
run files/song.mp3
[[ $status == 2 && "$err" == "elka: unexpected argument 'files/song.mp3'"* ]] || fail "an argument: status $status, '$err'"
echo "ok: --help and --version answer with status 0, anything else is a usage error with status 2"
