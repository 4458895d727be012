#!/bin/bash
# The Windows font reader (GDI, under Wine) against the desktop's (FreeType
# and fontconfig, built here natively): glyph_dump.exe from
# tests/windows/fonts.cmake and the same program built with g++ dump every
# glyph, and
#  - "Secret Service Typewriter" 700 from files/font.ttf, a regular face
#    and so emboldened, has the desktop's contours and points, each within
#    1/64 design unit (FreeType's fixed-point unit vectors in its synthetic
#    bold, as on the page), and its metrics; at 400, and DejaVu Sans at 400
#    and 700, exactly;
#  - a family that exists nowhere gives some face, all of whose glyphs load;
#  - a file that holds no font, a missing file and a folder are not added.
# Arguments: the folder with glyph_dump.exe, the repo root. Exit 0 when all
# passed.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 FOLDER_WITH_GLYPH_DUMP_EXE REPO_ROOT" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)
root=$(cd "$2" && pwd)
if ! command -v wine >/dev/null; then
  echo "FAILED: wine is not installed (scripts/setup.sh install test installs it)"
  exit 1
fi
exe="$bin/glyph_dump.exe"
if [ ! -f "$exe" ]; then
  echo "FAILED: no $exe (tests/windows/fonts.cmake builds it)"
  exit 1
fi
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
source "$(dirname "$0")/lib/wine_prefix.bash"
make_wine_prefix "$work/wineboot.log" || { echo "FAILED: no Wine prefix: $(cat "$work/wineboot.log")"; exit 1; }
python=/usr/bin/python3 # Debian's
cd "$root"
source tests/support/outline_faces.bash

echo "== building the desktop's glyph dump"
# shellcheck disable=SC2086,SC2046
nice g++ -std=c++17 -O2 -Wall -Wextra -Wshadow -Werror -Isrc tests/web/fonts/glyph_dump.cpp $desktop_font_sources \
  $(pkg-config --cflags --libs freetype2 fontconfig) -o "$work/glyph_dump"

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}
# FAMILY WEIGHT FILE NAME: the Windows dump into $work/NAME.txt (line ends
# as Unix has them), its errors into $work/NAME.err; false when it failed.
windows_dump() {
  local status=0
  wine "$exe" "$1" "$2" "$3" >"$work/$4.raw" 2>"$work/$4.err" || status=$?
  tr -d '\r' <"$work/$4.raw" >"$work/$4.txt"
  if [ "$status" != 0 ]; then
    echo "glyph_dump.exe $1 $2 $3 exited with $status:"
    tail -5 "$work/$4.err"
    return 1
  fi
}
compare() { # family weight file tolerance
  "$work/glyph_dump" "$1" "$2" "$3" >"$work/desktop.txt"
  if ! windows_dump "$1" "$2" "$3" windows; then
    fail "$1 $2 from $3: no dump on Windows"
  elif "$python" tests/web/fonts/compare_outlines.py "$work/desktop.txt" "$work/windows.txt" "$4"; then
    echo "ok: $1 $2 from $3 as the desktop reads it"
  else
    fail "$1 $2 from $3 differs from the desktop"
  fi
}

echo "== glyph outlines: Windows against the desktop"
# DejaVu Sans at 700 too: the bold face itself (DejaVuSans-Bold.ttf, which
# Wine finds among the system's fonts as fontconfig does), not emboldened.
compare_outline_faces 400 700 || failed=1

echo "== a family that exists nowhere"
if windows_dump "No Such Family Anywhere" 700 files/font.ttf fallback; then
  face=$(sed -n '1s/^face \(.*\) emboldened [01]$/\1/p' "$work/fallback.txt")
  glyphs=$(grep -c '^glyph [0-9]* [0-9]' "$work/fallback.txt" || true)
  a_contours=$(sed -n 's/^glyph 65 \([0-9]*\) .*/\1/p' "$work/fallback.txt")
  if [ -z "$face" ] || [ "$face" = "No Such Family Anywhere" ]; then
    fail "the fallback gave no face: $(head -1 "$work/fallback.txt")"
  elif [ "$glyphs" != 255 ] || [ "${a_contours:-0}" -lt 2 ]; then
    fail "the fallback face $face: $glyphs of 255 glyphs loaded, ${a_contours:-no} contours in A"
  else
    echo "ok: the fallback is $face, all 255 glyphs loaded, A has $a_contours contours"
  fi
else
  fail "no dump for a family that does not exist"
fi

echo "== files that are no font"
printf 'not a font, only text\n' >"$work/text.ttf"
for file in "$work/text.ttf" "$work/missing.ttf" "$work"; do
  # glyph_dump takes a Unix path as Wine maps it (drive Z: is /).
  windows_path="Z:${file//\//\\}"
  if ! windows_dump "Secret Service Typewriter" 400 "$windows_path" notfont; then
    fail "glyph_dump.exe failed after adding $file"
  elif ! grep -q '^the font file was not added' "$work/notfont.err"; then
    fail "$file was added as a font"
  else
    echo "ok: $file is not added; the face is $(sed -n '1s/^face //p' "$work/notfont.txt")"
  fi
done

if [ "$failed" = 0 ]; then
  echo "windows fonts: all passed"
else
  echo "windows fonts: FAILED"
fi
exit "$failed"
