#!/usr/bin/env bash
# elka-capture --benchmark --frame-times / --frame-plot: a CSV row for
# every frame drawn (frame, scene, ms) and a plot with the budgets and the
# scene bands where the run's report says they are; both only with
# --benchmark, both through temporary names.
set -euo pipefail
source "$(dirname "$0")/lib/capture_common.bash" "$@"

# 8 s at 10 fps: 80 frames, scenes -1 (0 to 6 s) and 0.
"$capture" --benchmark --fps 10 --size 96x72 --end 8 --quiet \
    --frame-times "$work/times.csv" --frame-plot "$work/plot.png" >"$work/out"
[[ "$(head -1 "$work/times.csv")" == "frame,scene,ms" ]] || fail "CSV header: $(head -1 "$work/times.csv")"
rows=$(($(wc -l <"$work/times.csv") - 1))
[[ "$rows" == 80 ]] || fail "$rows CSV rows, not 80"
awk -F, 'NR > 1 && (NF != 3 || $1 != NR - 2 || ($2 != -1 && $2 != 0) || $3 !~ /^[0-9]+\.[0-9][0-9][0-9]$/ || $3 <= 0) \
    { print "bad row " NR ": " $0; bad = 1 } END { exit bad }' "$work/times.csv" || fail "CSV rows"
[[ "$(awk -F, '$2 == 0' "$work/times.csv" | wc -l)" == 20 ]] || fail "scene 0 has 20 frames in 6 to 8 s"
# The scene table's frame count and the CSV agree.
grep -qE '^ +-1 +60 ' "$work/out" || fail "the report's scene -1 row: $(grep -E '^ +-1 ' "$work/out")"

[[ "$($probe size "$work/plot.png")" == "1200 480" ]] || fail "plot size $($probe size "$work/plot.png")"
line=$(grep '^frame plot ' "$work/out") || fail "no frame plot line in the report"
read -r max_ms row60 row120 left right top bottom strip_top <<<"$(sed -E 's/.*, 0 to ([0-9.]+) ms; 60 Hz budget at row ([0-9]+), 120 Hz at row ([0-9]+), plot area columns ([0-9]+)-([0-9]+), rows ([0-9]+)-([0-9]+), scene strip rows ([0-9]+)-.*/\1 \2 \3 \4 \5 \6 \7 \8/' <<<"$line")"
# The budget rows are where the axis puts 16.7 and 8.3 ms: the axis runs
# from 0 ms at the bottom row to max_ms at the top row.
expected=$(python3 -c "
m, top, bottom = $max_ms, $top, $bottom
print(*(bottom - int(ms / m * (bottom - top) + 0.5) for ms in (1000 / 60, 1000 / 120)))")
[[ "$expected" == "$row60 $row120" ]] || fail "budget rows $row60 $row120, the axis gives $expected: $line"
for x in $((left + 150)) $((left + 600)) $((right - 2)); do
    [[ "$($probe pixel "$work/plot.png" $x "$row60")" == "210 30 30" ]] || fail "60 Hz line at ($x, $row60)"
    [[ "$($probe pixel "$work/plot.png" $x "$row120")" == "230 140 0" ]] || fail "120 Hz line at ($x, $row120)"
done
# Scene -1 fills the first three quarters of the strip, scene 0 the rest,
# in the two band shades.
[[ "$($probe pixel "$work/plot.png" $((left + 2)) $((strip_top + 1)))" == "236 240 248" ]] || fail "scene -1 band"
[[ "$($probe pixel "$work/plot.png" $((right - 2)) $((strip_top + 1)))" == "214 222 236" ]] || fail "scene 0 band"
echo "CSV: $rows rows; plot: budgets at rows $row60 and $row120, two scene bands"

# Only with --benchmark; an unwritable plot fails before the first frame.
status=0
"$capture" --frame-times "$work/x.csv" --chapters "$work/c.tsv" 2>"$work/err" || status=$?
[[ "$status" == 2 ]] && grep -q -- "--benchmark" "$work/err" || fail "--frame-times without --benchmark: $status"
status=0
"$capture" --benchmark --end 1 --quiet --frame-plot /nonexistent-folder/p.png >/dev/null 2>"$work/err" || status=$?
[[ "$status" == 1 ]] && grep -q "/nonexistent-folder/p.png" "$work/err" || fail "unwritable plot: $status"
[[ -z "$(find "$work" -name '.*')" ]] || fail "temporary files left"
