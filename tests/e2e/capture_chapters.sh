#!/usr/bin/env bash
# elka-capture --chapters at 30 frames per second: one row per scene in
# order, the end row, each scene starting within a frame of its nominal
# start, and the structure of the real sequence.
set -euo pipefail
build="$2"
capture="$build/elka-capture"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$capture" --fps 30 --size 160x120 --quiet --chapters "$work/chapters.tsv"
python3 - "$work/chapters.tsv" <<'PY'
import sys
lines = open(sys.argv[1]).read().split("\n")
assert lines[-1] == "", "the table ends with a line break"
lines = lines[:-1]
assert lines[0] == "scene\tfirst_frame\tstart_seconds\ttitle", lines[0]
rows = [l.split("\t") for l in lines[1:]]
assert len(rows) == 25, f"24 scenes and the end row, got {len(rows)} rows"
assert all(len(r) == 4 for r in rows), rows
scenes, ends = rows[:24], rows[24]
assert [int(r[0]) for r in scenes] == list(range(-1, 23)), [r[0] for r in scenes]
assert ends[0] == "end" and ends[3] == "", ends
first = [int(r[1]) for r in scenes] + [int(ends[1])]
assert first[0] == 0, "the sequence starts at frame 0"
assert all(b > a for a, b in zip(first, first[1:])), f"first frames grow: {first}"
for r in scenes + [ends]:
    assert r[2] == f"{int(r[1]) / 30:.3f}", f"start_seconds is first_frame / 30 with three decimals: {r}"
assert all(r[3] for r in scenes), "every scene has a title"
assert scenes[0][3] == "the picture of files/load.bmp on black", scenes[0]
assert scenes[23][3] == '"F I N" white on black', scenes[23]

# Nothing is lost at a scene change: each scene's first frame is the first
# drawn at or past its nominal start, or the one after (an intro word ends on
# the frame that finds its clock above the limit), never later, however far
# into the sequence.
nominal = [6, 6, 6, 6, 6, 6, 5, 4, 20, 10, 4.02, 4, 8, 6, 6, 6, 6, 6, 6, 6, 6, 4, 4, 4]
start = 0.0
for i, f in enumerate(first):
    assert start - 1e-6 <= f / 30 <= start + 1 / 30 + 1e-6, f"row {i}: frame {f} ({f / 30:.3f} s) for a start at {start:.2f} s"
    if i < 24:
        start += nominal[i]

length = {int(scenes[i][0]): (first[i + 1] - first[i]) / 30 for i in range(24)}
total = first[-1] / 30
assert 150.5 <= total <= 152.0, f"the sequence lasts about 151 s, not {total}"
assert abs(length[-1] - 6) < 0.05, length[-1]
for s in range(0, 5):
    assert 5.9 <= length[s] <= 6.2, f"intro word {s}: about 6 s, not {length[s]}"
assert abs(length[7] - 20) < 0.05, f"scene 7: 20 s, not {length[7]}"
assert abs(length[9] - 4.02) < 0.05, f"scene 9: about 4.02 s, not {length[9]}"
for s in range(12, 20):
    assert abs(length[s] - 6) < 0.05, f"scene {s}: 6 s, not {length[s]}"
assert abs(length[11] - 8) < 0.05 and abs(length[8] - 10) < 0.05, (length[8], length[11])
print("chapters ok:", total, "s")
PY
