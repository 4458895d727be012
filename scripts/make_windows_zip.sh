#!/usr/bin/env bash
# Builds the Windows demo (the windows preset, cross-compiled with Debian's
# MinGW-w64) and writes out/elka-windows-x64.zip (or the file given):
#   elka/elka.exe      the demo (stripped); needs only Windows' own DLLs
#   elka/files/        the pictures, the font with its licence, the song
#   elka/README.txt    keys, what it needs, where it came from
# --built packs build-windows/ as it is, without installing or building
# (the tests, which run the build's programs beside it).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
built=0
[[ "${1:-}" == --built ]] && { built=1; shift; }
zip="$(realpath -m "${1:-$root/out/elka-windows-x64.zip}")"

if [[ $built == 0 ]]; then
    "$root/scripts/setup.sh" install windows
    "$root/scripts/setup.sh" build windows
fi

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/elka/files" "$(dirname "$zip")"
cp "$root/build-windows/elka.exe" "$stage/elka/"
for f in load.bmp tunnel.bmp star.bmp font.ttf song.mp3 font-LICENSE.txt font-ORIGIN.txt; do
    cp "$root/files/$f" "$stage/elka/files/"
done
# Windows' own editors want CR LF.
sed 's/$/\r/' "$root/packaging/windows/README.txt" >"$stage/elka/README.txt"
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip elka)
du -b "$zip" | awk '{printf "%s: %.2f MB\n", $2, $1 / 1e6}'
