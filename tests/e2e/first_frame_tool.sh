#!/usr/bin/env bash
# bench/first_frame.sh, which times the demo from its exec to its first
# glClear through a preloaded library: each run is reported and the median
# is the runs' own; a demo that draws nothing is an error, not a time; a
# bad run count is refused.
# usage: bash first_frame_tool.sh PATH-TO-ELKA BUILD-DIR
build="$2"
fail() { echo "first_frame_tool: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

bench/first_frame.sh 2 "$build" > "$scratch/out" 2> "$scratch/err" || fail "status $? ($(cat "$scratch/err"))"
mapfile -t runs < <(sed -n 's/^run [12]: \([0-9.]*\) ms$/\1/p' "$scratch/out")
(( ${#runs[@]} == 2 )) || fail "two runs not reported: $(cat "$scratch/out")"
for ms in "${runs[@]}"; do
    # Loading, a GL context, the textures, the font and the song take time;
    # 60 s is the tool's own limit.
    awk -v t="$ms" 'BEGIN { exit !(t > 1 && t < 60000) }' || fail "implausible time $ms ms"
done
want=$(awk -v a="${runs[0]}" -v b="${runs[1]}" 'BEGIN { printf "%.1f", (a + b) / 2 }')
grep -qx "first frame: median $want ms (.* to .*) over 2 runs" "$scratch/out" ||
    fail "median is not the runs' ($want): $(tail -n1 "$scratch/out")"

# A demo that ends without drawing.
mkdir "$scratch/build"
printf '#!/bin/sh\nexit 1\n' > "$scratch/build/elka"
chmod +x "$scratch/build/elka"
cp "$build/libfirst_clear_preload.so" "$scratch/build/"
bench/first_frame.sh 1 "$scratch/build" > /dev/null 2> "$scratch/err"
[[ $? == 1 ]] || fail "a demo that draws nothing did not fail"
grep -q "drew no frame" "$scratch/err" || fail "no reason given: $(cat "$scratch/err")"

bench/first_frame.sh 0 "$build" > /dev/null 2> "$scratch/err"
[[ $? == 2 ]] || fail "RUNS 0 accepted"
exit 0
