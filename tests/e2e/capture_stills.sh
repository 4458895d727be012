#!/usr/bin/env bash
# elka-capture --still: the frames drawn at chosen times show what the
# scenes draw (pixel probes); two captures give the same bytes, and a still
# the pixels of its frame in a capture of every frame; the contact sheet has
# a picture for every scene.
set -euo pipefail
source "$(dirname "$0")/lib/capture_common.bash" "$@"
fps=20
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 >= b + 0) }' || fail "$3: $1 < $2"; }

# Where a scene begins is only known from the run itself, so every frame
# around the two boundaries that matter is taken, and the chapter table of
# the same run says which of them is the one.
stills=(--still "3=$work/start.png" --still "88=$work/bars.png" --still "149.5=$work/fin.png")
seconds() { printf '%d.%02d' $(( $1 / fps )) $(( $1 % fps * 100 / fps )); } # frame n at 20 per second
for ((n = 800; n < 860; ++n)); do stills+=(--still "$(seconds $n)=$work/around6-$n.png"); done
for ((n = 2840; n < 2900; ++n)); do stills+=(--still "$(seconds $n)=$work/around21-$n.png"); done
"$capture" --fps $fps --size 160x120 --quiet --chapters "$work/chapters.tsv" --contact-sheet "$work/sheet.png" "${stills[@]}"
first() { awk -F'\t' -v s="$1" '$1 == s { print $2 }' "$work/chapters.tsv"; }
hexagons="$work/around6-$(first 6).png"
black="$work/around21-$(( $(first 21) - 1 )).png"
[[ -f "$hexagons" ]] || fail "scene 6 starts at frame $(first 6), outside the frames taken"
[[ -f "$black" ]] || fail "scene 21 starts at frame $(first 21), outside the frames taken"
(( $(first 11) < 88 * fps && 88 * fps < $(first 12) )) || fail "88 s lies in scene 11"
(( $(first 22) < 149 * fps )) || fail "149.5 s lies in scene 22"

[[ "$($probe size "$work/start.png")" == "160 120" ]] || fail "stills have the capture's size"

# The start picture, centred, on black: nothing outside the middle 60 % of
# the height (and the square that makes) is lit.
read -r x0 y0 x1 y1 <<<"$($probe bbox "$work/start.png" notblack)"
[[ "$x0" != none ]] || fail "the start picture shows"
at_least "$x0" 42 "picture left edge"; at_least 118 "$x1" "picture right edge"
at_least "$y0" 22 "picture top edge"; at_least 98 "$y1" "picture bottom edge"
at_least 2 "$(( (x0 + x1) - 160 < 0 ? 160 - (x0 + x1) : (x0 + x1) - 160 ))" "picture centred"
at_least "$($probe share "$work/start.png" 0 0 160 20 black)" 1 "black above the picture"
at_least "$($probe share "$work/start.png" 0 0 40 120 black)" 1 "black left of the picture"
at_least "$($probe share "$work/start.png" 60 40 100 80 bright)" 0.05 "the picture's middle is not dark"

# Scene 6, first frame: white hexagons fill the view around the blue blocks.
for corner in "0 0 24 24" "136 0 160 24" "0 96 24 120" "136 96 160 120"; do
    at_least "$($probe share "$hexagons" $corner white)" 0.98 "white hexagons in the corner $corner"
done
at_least "$($probe share "$hexagons" 24 30 136 90 blue)" 0.3 "blue blocks in the middle"

# Scene 11: black bars above and below a white band.
at_least "$($probe share "$work/bars.png" 0 0 100 25 black)" 0.99 "the upper bar"
at_least "$($probe share "$work/bars.png" 0 95 160 120 black)" 1 "the lower bar"
at_least "$($probe share "$work/bars.png" 0 33 160 87 white)" 0.5 "the white band between the bars"

# The last frame of scene 20: the bars have closed.
at_least "$($probe share "$black" 0 0 160 120 black)" 1 "a black view at the end of scene 20"

# Scene 22: white text in the middle of black.
at_least "$($probe share "$work/fin.png" 40 45 120 75 white)" 0.03 "white text in the middle"
at_least "$($probe share "$work/fin.png" 0 0 160 30 black)" 1 "black above the text"

# The contact sheet: a picture in the cell of every scene.
read -r sheet_w sheet_h <<<"$($probe size "$work/sheet.png")"
(( sheet_w > 4 * 240 && sheet_h > 6 * 180 )) || fail "contact sheet of 4 x 6 cells: $sheet_w x $sheet_h"
cells=()
for ((cell = 0; cell < 24; ++cell)); do
    x=$(( 16 + (cell % 4) * (240 + 12) )); y=$(( 16 + 44 + (cell / 4) * (180 + 50 + 12) ))
    cells+=($x $y $(( x + 240 )) $(( y + 180 )))
done
cell=0
while read -r empty; do
    [[ "$empty" == "0.0000" ]] || fail "no picture for scene $(( cell - 1 )) ($empty of its cell empty)"
    cell=$(( cell + 1 ))
done < <($probe share "$work/sheet.png" "${cells[@]}" emptycell)
(( cell == 24 )) || fail "24 cells probed, not $cell"
# ... and the cells are where they were looked for: the start picture's
# thumbnail is black at its corner, lit in its middle.
read -r corner middle <<<"$($probe share "$work/sheet.png" 16 60 36 80 126 120 146 140 black | tr '\n' ' ')"
[[ "$corner" == "1.0000" && "$middle" != "1.0000" ]] || fail "the first thumbnail is not where expected ($corner, $middle)"

# The captions: drawn in an installed face, antialiased, inside their
# boxes (the header above the cells, each caption in the 50 pixels under
# its thumbnail), nothing in the gaps between the cells; a monospaced
# face, so the first caption line's 18 characters have the header's pitch
# at half its size.
boxes=(0 0 "$sheet_w" 60 16 244 256 255) # the header; the first caption's first line, "scene -1  0:00.000"
for ((cell = 0; cell < 24; ++cell)); do
    left=$(( 16 + (cell % 4) * 252 )) top=$(( 60 + (cell / 4) * 242 + 180 )) # under the thumbnail
    boxes+=("$left" "$top" $(( left + 240 )) $(( top + 50 )))
done
gaps=()
for ((row = 0; row < 6; ++row)); do
    top=$(( 60 + row * 242 + 230 )) # below the caption box, to the next row or the sheet's edge
    gaps+=(0 "$top" "$sheet_w" $(( top + 12 < sheet_h ? top + 12 : sheet_h )))
done
for ((column = 0; column < 4; ++column)); do
    gaps+=($(( 16 + column * 252 + 240 )) 60 $(( 16 + column * 252 + 252 )) "$sheet_h") # right of each column
done
mapfile -t inked < <($probe ink "$work/sheet.png" 28 28 32 "${boxes[@]}" "${gaps[@]}")
(( ${#inked[@]} == 2 + 24 + 10 )) || fail "36 boxes probed, not ${#inked[@]}"
read -r hx0 hy0 hx1 hy1 hshades <<<"${inked[0]}"
[[ "$hx0" != none ]] || fail "the sheet has a header"
at_least "$hx0" 16 "header left edge"; at_least "$hy0" 16 "header top"; at_least 60 "$hy1" "header bottom"
at_least "$hshades" 8 "shades of grey in the header"
for ((cell = 0; cell < 24; ++cell)); do
    read -r cx0 cy0 cx1 cy1 cshades <<<"${inked[2 + cell]}"
    [[ "$cx0" != none ]] || fail "no caption under cell $cell"
    at_least "$cx0" $(( 16 + (cell % 4) * 252 )) "caption $cell left edge"
    at_least "$cy0" $(( 60 + (cell / 4) * 242 + 184 )) "caption $cell top"
    at_least "$cshades" 6 "shades of grey in caption $cell"
done
for ((gap = 0; gap < 10; ++gap)); do
    [[ "${inked[26 + gap]}" == none ]] || fail "ink outside the caption boxes: ${gaps[*]:$(( gap * 4 )):4}"
done
frames="$(awk -F'\t' '$1 == "end" { print $2 }' "$work/chapters.tsv")"
header="eLka  160x120, 20 frames per second, $frames frames, x:xx.xxx"
read -r fx0 fy0 fx1 fy1 _ <<<"${inked[1]}"
python3 - "$fx0" "$fx1" "$hx0" "$hx1" "${#header}" <<'PY' || fail "the first caption line is not 18 characters at half the header's pitch"
import sys
fx0, fx1, hx0, hx1, header_chars = map(int, sys.argv[1:])
caption_pitch = (fx1 - fx0) / 18
header_pitch = (hx1 - hx0) / header_chars
sys.exit(0 if abs(caption_pitch * 2 - header_pitch) <= 0.1 * header_pitch and 4 <= caption_pitch <= 8 else 1)
PY

# The same stills again: the same bytes.
mkdir "$work/again"
"$capture" --fps $fps --size 160x120 --quiet --end 43 \
    --still "3=$work/again/start.png" --still "$(seconds "$(first 6)")=$work/again/hexagons.png"
cmp "$work/start.png" "$work/again/start.png" || fail "the start still differs between runs"
cmp "$hexagons" "$work/again/hexagons.png" || fail "the scene 6 still differs between runs"
# A still is the frame it would be with every frame before it drawn in
# full, though those are drawn where no pixel is kept: the middle frame of
# every scene taken alone, against the same frame of a run that keeps every
# frame (--frames).
"$capture" --fps 4 --size 160x120 --quiet --frames "$work/every" --chapters "$work/every.tsv"
mapfile -t middles < <(awk -F'\t' 'NR > 1 { if (p != "") print int((f + $2) / 2); p = $1; f = $2 }' "$work/every.tsv")
(( ${#middles[@]} == 24 )) || fail "a still for each of the 24 scenes, not ${#middles[@]}"
alone=()
for i in "${!middles[@]}"; do
    alone+=(--still "$(awk -v f="${middles[i]}" 'BEGIN { printf "%.2f", f / 4 }')=$work/alone-$(printf '%02d' "$i").png")
done
"$capture" --fps 4 --size 160x120 --quiet "${alone[@]}"
mapfile -t differing < <($probe frames "$work/every/frame-%06d.png" "$work/alone-%02d.png" 160 120 "${middles[@]}")
(( ${#differing[@]} == 24 )) || fail "24 stills compared, not ${#differing[@]}"
for i in "${!middles[@]}"; do
    (( differing[i] == 0 )) ||
        fail "the still of frame ${middles[i]} has ${differing[i]} pixels other than that frame drawn with every frame before it in full"
done
echo "stills ok"
