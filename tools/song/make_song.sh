#!/usr/bin/env bash
# Renders the soundtrack and encodes it to files/song.mp3.
#   tools/song/make_song.sh [BUILD_DIR]   (default: build)
# Needs the elka-song tool built in BUILD_DIR and Debian's lame.
set -euo pipefail
source "$(dirname "$0")/../../scripts/command_line.bash"
answer_command_line tools/song/make_song.sh "Usage: tools/song/make_song.sh [BUILD-DIR]
Renders the eLka demo's soundtrack with BUILD-DIR's elka-song (default:
build) and encodes it to files/song.mp3 with lame.

      --help     show this help and exit
      --version  show the version and exit" "" 0 1 "$@"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
tool="$build/elka-song"
if [[ ! -x "$tool" ]]; then
    cmake --build "$build" --target elka-song
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$tool" "$work/song.wav"
# Constant 128 kbit/s joint stereo: about 2.4 MB for the 152 seconds.
lame --quiet --nohist -b 128 --cbr -q 2 -m j "$work/song.wav" "$root/files/song.mp3"
echo "files/song.mp3: $(stat -c %s "$root/files/song.mp3") bytes"
