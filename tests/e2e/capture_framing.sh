#!/usr/bin/env bash
# elka-capture at another aspect than the window's 4:3: the scenes are
# drawn at the largest 4:3 size that fits and centred on black bars, pixel
# for pixel the frame a 4:3 capture of that size draws; --fill draws them
# over the whole frame instead. Scene 0 (white, at 8 s) shows where the
# drawn picture ends.
set -euo pipefail
source "$(dirname "$0")/lib/capture_common.bash" "$@"
share() { $probe share "$1" "${@:2:4}" "$6"; }
is() { [[ "$1" == "$2" ]] || fail "$3: $1, not $2"; }

still() { # SIZE FILE [OPTION...]
    "$capture" --fps 10 --end 8.5 --quiet --size "$1" --still "8=$2" "${@:3}"
}
still 320x180 "$work/wide.png"
still 240x180 "$work/wide-drawn.png"
still 180x320 "$work/tall.png"
still 180x135 "$work/tall-drawn.png"
still 320x180 "$work/fill.png" --fill
still 800x600 "$work/exact.png" --fill
still 800x600 "$work/exact-framed.png"

# 16:9: 240 x 180 in the middle, bars of 40 columns at both sides.
is "$($probe size "$work/wide.png")" "320 180" "the frame keeps the size asked for"
is "$(share "$work/wide.png" 0 0 40 180 black)" 1.0000 "the left bar"
is "$(share "$work/wide.png" 280 0 320 180 black)" 1.0000 "the right bar"
is "$(share "$work/wide.png" 40 0 44 180 white)" 1.0000 "white scene 0 from the bar's edge on"
is "$(share "$work/wide.png" 276 0 280 180 white)" 1.0000 "white scene 0 up to the right bar"
is "$($probe differ "$work/wide.png" 40 0 "$work/wide-drawn.png")" 0 "pixels that differ from a 240x180 capture"

# Taller than 4:3: bars above and below (320 - 135 = 185 rows: 92 above).
is "$(share "$work/tall.png" 0 0 180 92 black)" 1.0000 "the upper bar"
is "$(share "$work/tall.png" 0 227 180 320 black)" 1.0000 "the lower bar"
is "$(share "$work/tall.png" 0 92 180 94 white)" 1.0000 "white scene 0 right under the upper bar"
is "$($probe differ "$work/tall.png" 0 92 "$work/tall-drawn.png")" 0 "pixels that differ from a 180x135 capture"

# --fill: scene 0's white reaches both edges of the wide frame.
is "$(share "$work/fill.png" 0 0 4 180 white)" 1.0000 "--fill: white at the left edge"
is "$(share "$work/fill.png" 316 0 320 180 white)" 1.0000 "--fill: white at the right edge"

# At 4:3 the framing changes nothing.
cmp -s "$work/exact.png" "$work/exact-framed.png" || fail "an 800x600 capture differs with --fill"
echo "framing: pillarbox, letterbox and --fill as expected"
