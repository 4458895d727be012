#!/usr/bin/env bash
# Builds the web page into out/web/ (or the folder given): index.html, the
# page's script, elka.js and elka.wasm, the font reader and tessellator it
# loads, the five media files it fetches, the web app manifest with the
# package's icons, and the service worker that keeps it all for playing
# offline (stamped with what it keeps, so a new build replaces it). Serve
# that folder with any static web server, e.g.  cd out/web && python3 -m http.server
# --single-file also writes out/elka.html (beside the folder): the whole
# page in one file, which plays from file:// with a double-click.
set -euo pipefail
source "$(dirname "$0")/command_line.bash"
answer_command_line scripts/build-web.sh "Usage: scripts/build-web.sh [--single-file] [OUT-DIR]
Builds the eLka demo's web page into OUT-DIR (default: out/web), ready to
serve from any static web server.

      --single-file  also write the whole page as one file, elka.html, beside OUT-DIR
      --help         show this help and exit
      --version      show the version and exit" "--single-file" 0 1 "$@"
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
cp "$root/page/elka.webmanifest" "$out/"
# The icons are the package's, drawn by the same tool at the sizes the
# manifest names.
tools="$root/build-web/tools"
mkdir -p "$tools" "$out/icons"
if [[ ! -x $tools/elka_make_pictures || $root/tools/pictures/make_pictures.cpp -nt $tools/elka_make_pictures ||
    $root/tools/support/program_line.cpp -nt $tools/elka_make_pictures ]]; then
    version=$(awk '/^project\(elka VERSION/ {print $3}' "$root/CMakeLists.txt")
    g++ -std=c++17 -O2 -DELKA_VERSION="\"$version\"" -I"$root/tools/support" "$root/tools/pictures/make_pictures.cpp" \
        "$root/tools/support/program_line.cpp" $(pkg-config --cflags --libs libpng) -o "$tools/elka_make_pictures"
fi
"$tools/elka_make_pictures" --icons "$tools/icons" >/dev/null
for size in 32 128 256; do
    cp "$tools/icons/${size}x${size}/apps/elka.png" "$out/icons/elka-$size.png"
done
# The service worker's stamps: one of the page's own files, one of the media.
stamp() { (cd "$out" && find "$@" -type f ! -name sw.js -print0 | sort -z | xargs -0 sha256sum | sha256sum | cut -c1-16); }
sed -e "s/@PAGE@/$(stamp . ! -path './files/*')/" -e "s/@MEDIA@/$(stamp files)/" "$root/page/sw.js" > "$out/sw.js"
du -sb "$out" | awk -v out="$out" '{printf "%s: %.2f MB in all\n", out, $1 / 1e6}'
if [[ $single == 1 ]]; then
    /usr/bin/python3 "$root/scripts/make_single_file.py" "$out" "$(dirname "$out")/elka.html"
fi

