#!/usr/bin/env bash
# Runs every test of the web page in one engine (ELKA_ENGINE: chromium,
# the default, firefox or webkit): the tests' own
# machinery first, then the page in its fixed-rate mode against the native
# capture, in real time, its window (fullscreen, F1, no WebGL), and with a
# song it cannot play.
# usage: bash tests/web/run.sh [OUT-WEB-DIR [BUILD-DIR]]   (defaults out/web, build)
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
web="$(realpath -m "${1:-$root/out/web}")"
build="$(realpath -m "${2:-$root/build}")"
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x /usr/bin/chromium ]] || fail "/usr/bin/chromium is missing (Debian's chromium package)"
[[ -f "$web/index.html" ]] || fail "$web/index.html is missing: scripts/build-web.sh"
[[ -x "$build/elka-capture" ]] || fail "$build/elka-capture is missing: cmake --build --preset default"

started=$SECONDS
failed=()
for test in infrastructure page_fixed page_realtime page_window page_song_errors; do
    echo "== $test"
    node "$here/$test.mjs" "$web" "$build" || failed+=("$test")
done
echo "== web tests: $(( SECONDS - started )) s; artefacts in $build/artefacts/web"
(( ${#failed[@]} == 0 )) || fail "${failed[*]}"
echo "web tests passed"
