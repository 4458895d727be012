#!/usr/bin/env bash
# elka-capture --contact-sheet on its own finds the scenes in a first pass
# and keeps only their middle frames in the second: the same bytes as the
# sheet of a run that reads every frame (--frames), whose sheet picks from
# all of them as they come. At 79 frames per second scenes 7 and 8 are long
# enough that only every second or fourth frame could be kept as they ran,
# and their middle frames are not among those: the kept frame nearest is
# shown, in both. An interrupted first pass ends the run with status 130.
set -euo pipefail
source "$(dirname "$0")/lib/capture_common.bash" "$@"
fps=79
common=(--fps $fps --size 96x72 --quiet --end 76) # to 76 s: scene 9 begins, 10 and later are not reached

"$capture" "${common[@]}" --frames "$work/every" --contact-sheet "$work/every.png" --chapters "$work/every.tsv"
"$capture" "${common[@]}" --contact-sheet "$work/alone.png" --chapters "$work/alone.tsv" \
    --still "70=$work/still-0.png"
cmp -s "$work/every.tsv" "$work/alone.tsv" || fail "the chapters differ: $(diff "$work/every.tsv" "$work/alone.tsv" | head -4)"
first() { awk -F'\t' -v s="$1" '$1 == s { print $2 }' "$work/every.tsv"; }
# The sheet keeps at most 388 thumbnails of 240x180 (48 MiB) of a scene's
# second half: every fourth frame past 4 x 388 frames, every second past 2 x 388.
(( $(first 8) - $(first 7) > 4 * 388 && $(first 9) - $(first 8) > 2 * 388 )) ||
    fail "scenes 7 and 8 too short to be thinned out: they begin at $(first 7), $(first 8), $(first 9)"
[[ -z "$(first 10)" ]] || fail "scene 10 reached before 76 s"
cmp -s "$work/every.png" "$work/alone.png" || fail "the sheet of its own differs from the sheet of every frame"
# A still of the same run is the frame it is in the run of every frame.
differing="$($probe frames "$work/every/frame-%06d.png" "$work/still-%d.png" 96 72 $(( 70 * fps )))"
[[ "$differing" == 0 ]] || fail "the still at 70 s differs from frame $(( 70 * fps )) in $differing pixels"
echo "sheet alone = sheet of every frame, chapters and a still as well"

# Interrupted in the first pass (the child that draws it is there): status
# 130, the child gone, nothing written.
mkdir "$work/stop"
"$capture" --fps 60 --size 320x240 --quiet --contact-sheet "$work/stop/s.png" --chapters "$work/stop/c.tsv" \
    2>"$work/err" &
pid=$!
deadline=$((SECONDS + 60))
until child="$(pgrep -P "$pid")"; do
    kill -0 "$pid" 2>/dev/null || fail "interrupted: the capture ended before its first pass was seen"
    (( SECONDS < deadline )) || fail "interrupted: no first pass within 60 s"
    sleep 0.05
done
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[[ "$status" == 130 ]] || fail "interrupted in the first pass: exit status $status; $(cat "$work/err")"
grep -qx "elka-capture: interrupted; nothing more was written" "$work/err" || fail "interrupted: $(cat "$work/err")"
! kill -0 "$child" 2>/dev/null || fail "interrupted: the first pass ($child) still runs"
[[ -z "$(ls -A "$work/stop")" ]] || fail "interrupted, yet files: $(ls -A "$work/stop")"
echo "interrupted in the first pass: status 130, nothing written"
