#!/usr/bin/env bash
# Picture against song on every backend and condition, measured on the
# sync rig (tests/sync): prints each cut's offset (positive: the sound is
# late), min, max and the drift from the first cut to the last, after the
# rig's own offset (the reference player on the same rig, same condition).
#   bench/sync.sh [BACKEND...]    desktop chromium firefox wine (default: all);
#                                 chromium-reference firefox-reference: the rig's
#                                 reference drawn on a page, the browser's own offset
#   ELKA_SYNC_CONDITIONS="idle stop busy"  which conditions (default: all three)
# Needs build/elka, out/web (scripts/build-web.sh) and build-windows/elka.exe
# for the backends asked; each run takes the whole sequence in real time.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/command_line.bash"
answer_command_line bench/sync.sh "Usage: bench/sync.sh [BACKEND]...
Measures the eLka demo's picture against its song on the sync rig: each cut's
offset (positive: the sound is late), min, max and drift, after the rig's own
offset, for every BACKEND (desktop, chromium, firefox, wine; default: all;
chromium-reference and firefox-reference: a page that only turns white and
black on its clicks, the browser's own offset) and condition (ELKA_SYNC_CONDITIONS, default: idle stop busy).
Results in build/artefacts/sync/.

      --help     show this help and exit
      --version  show the version and exit" "" 0 "*" "$@"
for backend in "$@"; do
    [[ " desktop chromium firefox wine chromium-reference firefox-reference " == *" $backend "* ]] ||
        command_line_usage_error bench/sync.sh "unexpected argument '$backend'"
done
out="$root/build/artefacts/sync"
backends=("$@")
[[ ${#backends[@]} -eq 0 ]] && backends=(desktop chromium firefox wine)
conditions=(${ELKA_SYNC_CONDITIONS:-idle stop busy})
mkdir -p "$out"
status=0
for condition in "${conditions[@]}"; do
    for backend in "${backends[@]}"; do
        /usr/bin/python3 "$root/tests/sync/sync_run.py" --backend "$backend" --condition "$condition" \
            --out "$out" || status=1
    done
done
exit $status
