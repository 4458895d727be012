#!/usr/bin/env bash
# The GL subset layer's instructions per frame, scene by scene and over the
# whole sequence, counted by callgrind (repeatable where wall times on a
# shared machine are not): the layer benchmark's --callgrind mode under
# valgrind, its dumps split by bench/gles/callgrind_split.py.
#
#   bench/gles_layer_callgrind.sh [BUILD [FRAMES]]   (from the repository root;
#                                                    BUILD: build-gles-bench, FRAMES: 10 a scene)
set -euo pipefail
source "$(dirname "$0")/../scripts/command_line.bash"
answer_command_line bench/gles_layer_callgrind.sh "Usage: bench/gles_layer_callgrind.sh [BUILD-DIR [FRAMES]]
Counts the eLka GL subset layer's instructions per frame, scene by scene,
under callgrind: BUILD-DIR's layer benchmark (default: build-gles-bench),
FRAMES a scene (default: 10). Run from the repository root.

      --help     show this help and exit
      --version  show the version and exit" "" 0 2 "$@"
build="${1:-build-gles-bench}"
frames="${2:-10}"
here="$(cd "$(dirname "$0")" && pwd)"
bench="$build/elka_gles_layer_bench"
[[ -x "$bench" ]] || { echo "$bench is missing: cmake --preset gles-bench && cmake --build --preset gles-bench" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy valgrind --tool=callgrind --collect-atstart=no \
    --callgrind-out-file="$work/callgrind.out.%p" "$bench" --callgrind "$frames" >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; exit 1; }
/usr/bin/python3 "$here/gles/callgrind_split.py" "$build/libelka_gles.a" "$bench" "$work"/callgrind.out.*.*
