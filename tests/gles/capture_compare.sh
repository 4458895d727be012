#!/usr/bin/env bash
# The GL 1.1 subset on OpenGL ES 3.0 against Mesa's own GL 1.1: the whole
# sequence captured by both builds at 160 x 120, 10 frames a second, every
# frame compared scene by scene; then one frame from the middle of every
# scene at 800 x 600. Arguments: the ordinary build's elka-capture, the ES
# build's folder (build-gles, which ./test builds).
set -euo pipefail
native="$1"
es="$2/elka-capture"
here="$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x "$es" ]] || fail "$es is missing: cmake --preset gles && cmake --build --preset gles"
export SDL_VIDEODRIVER=offscreen

# The ES build really draws on an ES context.
renderer="$("$es" --benchmark --end 0.1 --size 160x120 -q | grep '^renderer:')"
echo "$renderer"
[[ "$renderer" == *"OpenGL ES 3"* ]] || fail "the ES build runs on $renderer"

"$native" --size 160x120 --fps 10 -q --frames "$work/gl" --chapters "$work/chapters.tsv"
"$es" --size 160x120 --fps 10 -q --frames "$work/es" --chapters "$work/chapters-es.tsv"
cmp -s "$work/chapters.tsv" "$work/chapters-es.tsv" || fail "the scenes begin at other frames through ES"
python3 "$here/compare_frames.py" "$work/chapters.tsv" "$work/gl" "$work/es"

# One frame from the middle of every scene at 800 x 600, numbered by scene.
stills_gl=() stills_es=()
printf 'scene\tfirst_frame\tstart_seconds\ttitle\n' >"$work/stills.tsv"
i=0
while IFS=$'\t' read -r scene first _ title; do
    next="$(awk -F'\t' -v f="$first" 'NR > 1 && $2 > f { print $2; exit }' "$work/chapters.tsv")"
    [[ "$scene" == end || -z "$next" ]] && continue
    mid=$(( (first + next) / 2 ))
    t="$(( mid / 10 )).$(( mid % 10 ))"
    name="$(printf 'frame-%06d.png' $i)"
    stills_gl+=(--still "$t=$work/still-gl/$name")
    stills_es+=(--still "$t=$work/still-es/$name")
    printf '%s\t%d\t%s\t%s (frame %d)\n' "$scene" $i "$t" "$title" $mid >>"$work/stills.tsv"
    i=$(( i + 1 ))
done < <(tail -n +2 "$work/chapters.tsv")
mkdir -p "$work/still-gl" "$work/still-es"
"$native" --size 800x600 --fps 10 -q "${stills_gl[@]}"
"$es" --size 800x600 --fps 10 -q "${stills_es[@]}"
python3 "$here/compare_frames.py" "$work/stills.tsv" "$work/still-gl" "$work/still-es"
