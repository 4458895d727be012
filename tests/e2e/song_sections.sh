#!/usr/bin/env bash
# The song's sections start where the demo's scenes start: elka-song lists
# its sections (scene and start) from the timeline's schedule, and each must
# come at most a quarter of a second (half a beat) before the first frame
# the real timeline draws of that scene, never after it. At 64 frames a
# second the scenes run late of the schedule only by their end rules (two
# frames per intro word, under a frame for scene 9), so a section a beat
# off, or one that drifts, shows.
# usage: bash song_sections.sh PATH-TO-ELKA BUILD-DIR
set -euo pipefail
build="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$build/elka-song" --sections >"$work/sections.tsv"
"$build/elka-capture" --fps 64 --size 32x24 --quiet --chapters "$work/chapters.tsv"
python3 - "$work/sections.tsv" "$work/chapters.tsv" <<'PY'
import sys
sections = [l.split("\t") for l in open(sys.argv[1]).read().splitlines()]
chapters = [l.split("\t") for l in open(sys.argv[2]).read().splitlines()[1:]]
starts = {int(r[0]): float(r[2]) for r in chapters if r[0] != "end"}
assert len(sections) >= 10, f"the piece has its ten sections: {sections}"
assert sections[0][0] == "-1" and float(sections[0][1]) == 0.0, f"the song starts with the sequence: {sections[0]}"
scenes = [int(s[0]) for s in sections]
assert scenes == sorted(scenes) and len(set(scenes)) == len(scenes), f"sections in scene order: {scenes}"
for scene, at, name in sections:
    scene, at = int(scene), float(at)
    assert scene in starts, f"section {name}: no scene {scene} in the chapters"
    early = starts[scene] - at
    assert 0 <= early <= 0.25, f"section {name} starts at {at} s, scene {scene} at {starts[scene]} s"
    assert (at * 2).is_integer(), f"section {name} starts on a beat, not at {at}"
print("sections ok:", ", ".join(f"{s[2]} {s[1]}" for s in sections))
PY
