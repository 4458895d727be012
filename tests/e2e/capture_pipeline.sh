#!/usr/bin/env bash
# elka-capture's pipelined read-back (pixel buffers, a writer thread) makes
# the same bytes as reading every frame back and writing it on the drawing
# thread (--sync-readback): every frame, the stills, the contact sheet and
# the chapters, the whole sequence; so does the sheet made alone, in two
# passes. A write that fails on the writer thread ends the run with status
# 1 and its message, and leaves nothing half-written under a final name.
set -euo pipefail
source "$(dirname "$0")/lib/capture_common.bash" "$@"

run() { # run NAME [options...]: the whole sequence at 96x72, 10 fps
    local name="$1"; shift
    mkdir -p "$work/$name"
    "$capture" --fps 10 --size 96x72 --quiet --frames "$work/$name/frames" \
        --contact-sheet "$work/$name/sheet.png" --chapters "$work/$name/chapters.tsv" \
        --still "42=$work/$name/honeycomb.png" --still "70=$work/$name/stars.png" "$@"
}
run piped
run sync --sync-readback
count=$(ls "$work/piped/frames" | wc -l)
(( count > 1400 )) || fail "only $count frames written"
(cd "$work/sync/frames" && sha256sum -- *) >"$work/sync.sha"
(cd "$work/piped/frames" && sha256sum -- *) >"$work/piped.sha"
cmp -s "$work/sync.sha" "$work/piped.sha" ||
    fail "frames differ: $(diff "$work/sync.sha" "$work/piped.sha" | head -4)"
for f in sheet.png chapters.tsv honeycomb.png stars.png; do
    cmp -s "$work/sync/$f" "$work/piped/$f" || fail "$f differs between pipelined and synchronous read-back"
done
echo "pipelined = synchronous: $count frames, sheet, chapters, two stills"
# The sheet alone takes a first pass to find the scenes, then keeps only
# the frames it shows: the same bytes.
"$capture" --fps 10 --size 96x72 --quiet --contact-sheet "$work/alone.png"
cmp -s "$work/piped/sheet.png" "$work/alone.png" || fail "the sheet alone differs from the sheet of every frame"

# A file size limit makes the writer thread's PNG writes fail (EFBIG).
status=0
(ulimit -f 16; trap '' XFSZ; exec "$capture" --fps 10 --size 800x600 --end 3 --quiet \
    --frames "$work/limited" --still "1=$work/limited-still.png") 2>"$work/err" || status=$?
[[ "$status" == 1 ]] || fail "a failed write: exit status $status, not 1; $(cat "$work/err")"
grep -q "^elka-capture: cannot write $work/limited" "$work/err" || fail "a failed write: $(cat "$work/err")"
[[ ! -e "$work/limited-still.png" ]] || fail "the still was written though its write failed"
leftover=$(find "$work" -name '.*' -newer "$work/sync.sha" | head -3)
[[ -z "$leftover" ]] || fail "temporary files left: $leftover"
for f in "$work"/limited/*.png; do
    [[ -e "$f" ]] || continue
    [[ "$(tail -c 8 "$f" | od -An -tx1 | tr -d ' \n')" == 49454e44ae426082 ]] || fail "$f is cut short"
done
echo "failed write: status 1, \"$(head -1 "$work/err")\", nothing half-written"
