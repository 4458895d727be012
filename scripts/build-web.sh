#!/usr/bin/env bash
# Builds the web page into out/web/ (or the folder given): index.html, the
# page's script, elka.js and elka.wasm, the font reader and tessellator it
# loads, and the five media files it fetches. Serve that folder with any
# static web server, e.g.  cd out/web && python3 -m http.server
# --single-file also writes out/elka.html (beside the folder): the whole
# page in one file, which plays from file:// with a double-click.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
single=0
[[ "${1:-}" == --single-file ]] && { single=1; shift; }
out="${1:-$root/out/web}"

"$root/scripts/setup.sh" npm
"$root/scripts/setup.sh" build web

mkdir -p "$out/files"
cp "$root/page/index.html" "$root/page/page.js" "$out/"
cp "$root/build-web/elka.js" "$root/build-web/elka.wasm" "$out/"
cp "$root/node_modules/opentype.js/dist/opentype.min.js" "$root/node_modules/libtess/libtess.min.js" "$out/"
for f in load.bmp tunnel.bmp star.bmp font.ttf song.mp3 font-LICENSE.txt font-ORIGIN.txt; do
    cp "$root/files/$f" "$out/files/"
done
du -sb "$out" | awk -v out="$out" '{printf "%s: %.2f MB in all\n", out, $1 / 1e6}'
if [[ $single == 1 ]]; then
    /usr/bin/python3 "$root/scripts/make_single_file.py" "$out" "$root/build-web/elka_single.js" "$(dirname "$out")/elka.html"
fi

