#!/usr/bin/env bash
# The page's figures in Lighthouse's phone profile, from Python's
# http.server and from a server that compresses as a real host does.
# Installs Lighthouse (npm, pinned) into build-bench/lighthouse the first
# time; builds the page into out/web unless it is there.
#   bench/lighthouse.sh [RUNS]     the median of RUNS runs each (default 3)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/command_line.bash"
answer_command_line bench/lighthouse.sh "Usage: bench/lighthouse.sh [RUNS]
Measures the eLka demo's page with Lighthouse's phone profile, served by
python3 -m http.server and by a compressing server; prints the median of
RUNS runs (default 3) of each. Reports in build/artefacts/lighthouse/.

      --help     show this help and exit
      --version  show the version and exit" "" 0 1 "$@"
runs="${1:-3}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || command_line_usage_error bench/lighthouse.sh "RUNS: expected a count from 1 up"
version=12.2.3
prefix="$root/build-bench/lighthouse"
cli="$prefix/node_modules/.bin/lighthouse"
if [[ ! -x "$cli" ]] || [[ "$("$cli" --version)" != "$version" ]]; then
    mkdir -p "$prefix"
    npm install --prefix "$prefix" --no-audit --no-fund --silent "lighthouse@$version"
fi
[[ -f "$root/out/web/index.html" ]] || "$root/scripts/build-web.sh" >/dev/null
node "$root/tests/web/lighthouse_bench.mjs" "$cli" "$root/out/web" "$runs"
