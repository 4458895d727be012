#!/bin/bash
# The page's font reader and tessellator against the desktop's: builds the
# node programs (web preset) and the same programs natively (FreeType,
# fontconfig, Debian's libGLU), then checks that
#  - the page reads all 255 glyphs of files/font.ttf, and of DejaVu Sans,
#    as the desktop does: same contours and points, same metrics (the bold
#    the demo asks for is made by emboldening; FreeType's fixed-point unit
#    vectors put a point up to 1/64 design unit away from ours);
#  - the tessellator's triangles fill each glyph as its nonzero winding says
#    (and the same checks pass on libGLU, the desktop's tessellator).
# Exit 0 when everything passed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3 # Debian's, with fontTools and nothing else needed
source tests/support/outline_faces.bash

echo "== building the node programs (web preset) and the native ones"
cmake --preset web >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
cmake --build --preset web --target web_glyph_dump web_tess_check >"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log"; exit 1; }
web="$root/build-web/tests/web/fonts"
flags="-std=c++17 -O2 -Wall -Wextra -Wshadow -Werror -Isrc"
# shellcheck disable=SC2086
g++ $flags tests/web/fonts/glyph_dump.cpp $desktop_font_sources $(pkg-config --cflags --libs freetype2 fontconfig) \
  -o "$work/glyph_dump"
# shellcheck disable=SC2086
g++ $flags tests/web/fonts/tess_check.cpp $desktop_font_sources $(pkg-config --cflags --libs freetype2 fontconfig glu) \
  -o "$work/tess_check"

failed=0
compare() { # family weight file tolerance
  "$work/glyph_dump" "$1" "$2" "$3" >"$work/desktop.txt"
  node "$web/web_glyph_dump.js" "$1" "$2" "$3" >"$work/page.txt"
  if "$python" tests/web/fonts/compare_outlines.py "$work/desktop.txt" "$work/page.txt" "$4"; then
    echo "ok: $1 $2 from $3 as the desktop reads it"
  else
    echo "FAILED: $1 $2 from $3 differs from the desktop"
    failed=1
  fi
}

echo "== glyph outlines: the page against the desktop"
compare_outline_faces 400 || failed=1

echo "== tessellation (node, libtess.js)"
if node "$web/web_tess_check.js" files/font.ttf >"$work/page_tess.txt"; then
  grep -v '^glyph ' "$work/page_tess.txt"
else
  grep -v '^glyph .* ok$' "$work/page_tess.txt"
  failed=1
fi
echo "== the same checks on the desktop's tessellator (libGLU)"
if "$work/tess_check" files/font.ttf >"$work/desktop_tess.txt"; then
  tail -1 "$work/desktop_tess.txt"
else
  grep -v '^glyph .* ok$' "$work/desktop_tess.txt"
  failed=1
fi

if [ "$failed" = 0 ]; then
  echo "fonts_test: all passed"
else
  echo "fonts_test: FAILED"
fi
exit "$failed"
