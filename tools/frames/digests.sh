#!/bin/bash
# The system's frames as digests, to show that a change which must not move
# a pixel did not: the whole sequence at 160 x 120 and 10 frames a second,
# one 800 x 600 still from the middle of every scene, from the desktop
# build's capture, the ES build's capture and the page's fixed-rate mode.
# Run it before and after, and compare the two files with cmp.
#   tools/frames/digests.sh OUT-FILE [BUILD] [GLES-BUILD] [WEB-DIR]
# A build or folder that does not exist is left out, with a line saying so.
set -euo pipefail
source "$(dirname "$0")/../../scripts/command_line.bash"
answer_command_line tools/frames/digests.sh "Usage: tools/frames/digests.sh OUT-FILE [BUILD] [GLES-BUILD] [WEB-DIR]
Writes the eLka demo's frames as digests to OUT-FILE: the whole sequence at
160 x 120 and 10 frames a second and an 800 x 600 still of every scene, from
BUILD's capture (default: build), GLES-BUILD's (build-gles) and the page in
WEB-DIR (out/web). Compare the files of two runs with cmp.

      --help     show this help and exit
      --version  show the version and exit" "" 1 4 "$@"
cd "$(dirname "$0")/../.."
out=$1
build=${2:-build} gles=${3:-build-gles} web=${4:-out/web}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen

capture_digests() { # NAME BUILD
  local name=$1 tool=$2/elka-capture
  if [ ! -x "$tool" ]; then echo "$name: no $tool"; return; fi
  "$tool" --quiet --fps 10 --size 160x120 --frames "$work/$name" --chapters "$work/$name.tsv"
  echo "$name: sequence $(cat "$work/$name"/frame-*.png | sha256sum | cut -d' ' -f1)" \
       "in $(ls "$work/$name" | wc -l) frames"
  local stills=() scene first next
  while IFS=$'\t' read -r scene first next; do
    stills+=(--still "$(printf '%d.%d' $(((first + next) / 2 / 10)) $(((first + next) / 2 % 10)))=$work/$name-still_$scene.png")
  done < <(awk -F'\t' 'NR > 1 { if (p != "") print p "\t" f "\t" $2; p = $1; f = $2 }' "$work/$name.tsv")
  "$tool" --quiet --fps 10 --size 800x600 "${stills[@]}"
  for still in "$work/$name"-still_*.png; do
    echo "$name: still $(basename -- "${still#*still_}" .png) $(sha256sum < "$still" | cut -d' ' -f1)"
  done | sort -t' ' -k3,3n
}

{
  capture_digests desktop "$build"
  capture_digests gles "$gles"
  if [ -f "$web/elka.wasm" ] && [ -f "$work/desktop.tsv" ]; then
    node tools/frames/page_digests.mjs "$web" "$work/desktop.tsv" | sed 's/^/page: /'
  else
    echo "page: no $web/elka.wasm"
  fi
} > "$out"
echo "digests in $out"
