#!/bin/bash
# Start-up as a viewer waits for it: the wall-clock time from executing the
# demo to its first glClear (the first frame), with the song loaded and
# started, headless (SDL's offscreen video) and with SDL's dummy audio
# device. The dynamic loading of the libraries and Mesa's own start count
# here, which the demo's own start-up split cannot see. Prints each run and
# the median, in milliseconds.
#
#   bench/first_frame.sh [RUNS] [BUILD]     (from the repository root;
#                                            BUILD defaults to build-bench)
set -euo pipefail
source "$(dirname "$0")/../scripts/command_line.bash"
answer_command_line bench/first_frame.sh "Usage: bench/first_frame.sh [RUNS [BUILD-DIR]]
Times the eLka demo from its start to its first frame, RUNS times (default:
5), with BUILD-DIR's elka (default: build-bench); prints each run and the
median in milliseconds. Run from the repository root.

      --help     show this help and exit
      --version  show the version and exit" "" 0 2 "$@"
runs=${1:-5}
build=${2:-build-bench}
shim=$build/libfirst_clear_preload.so
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "first_frame.sh: RUNS must be a positive number" >&2; exit 2; }
[[ -x $build/elka ]] || { echo "first_frame.sh: no $build/elka (cmake --preset bench && cmake --build --preset bench)" >&2; exit 2; }
[[ -f $shim ]] || { echo "first_frame.sh: no $shim" >&2; exit 2; }
[[ -f files/song.mp3 ]] || { echo "first_frame.sh: run from the repository root (files/)" >&2; exit 2; }

result=$(mktemp)
trap 'rm -f "$result"' EXIT
times=()
preload=$(realpath "$shim")
for ((i = 1; i <= runs; i++)); do
    rm -f "$result"
    # EPOCHREALTIME is bash's own clock: no process starts between the
    # reading and the exec. A demo that never draws is stopped after 60 s.
    (
        export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
        export ELKA_FIRST_FRAME_FILE=$result LD_PRELOAD=$preload
        export ELKA_LAUNCH_US=${EPOCHREALTIME/./}
        exec "$build/elka"
    ) > /dev/null 2>&1 &
    demo=$!
    sleep 60 &
    sleeper=$!
    wait -n "$demo" "$sleeper" || true
    kill "$demo" "$sleeper" 2> /dev/null || true
    wait "$demo" "$sleeper" 2> /dev/null || true
    if [[ ! -s $result ]]; then
        echo "first_frame.sh: run $i drew no frame (try $build/elka by hand)" >&2
        exit 1
    fi
    ms=$(awk '{ printf "%.1f", $1 / 1000 }' "$result")
    times+=("$ms")
    echo "run $i: $ms ms"
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "first frame: median %.1f ms (%.1f to %.1f) over %d runs\n", m, v[1], v[NR], NR }'
