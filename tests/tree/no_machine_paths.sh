#!/usr/bin/env bash
# No tracked file names a folder of one particular machine: not the absolute
# path of the checkout this runs in, nor a path under the usual home and work
# folders. Such a path works only where that folder happens to exist, so the
# suite would pass on the machine that wrote it and fail in any other clone.
# Each hit is shown as FILE:LINE: TEXT.
# usage: bash no_machine_paths.sh [REPOSITORY-ROOT]
set -euo pipefail
root="$(realpath "${1:-$(dirname "$0")/../..}")"
cd "$root"
command -v git >/dev/null || { echo "FAIL: git is not installed" >&2; exit 1; }
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "FAIL: $root is not a git checkout" >&2; exit 1; }

# The prefixes are written in pieces so that this file does not find itself.
home='/ho''me/' work='/wo''rk/' admin='/ro''ot/' mac='/Use''rs/' mounts='/mn''t/' served='/sr''v/'
windows='[A-Za-z]:\\Use''rs\\'
patterns=(-e "$root/" -e "$home" -e "$work" -e "$admin" -e "$mac" -e "$mounts" -e "$served")
found="$(mktemp)"
trap 'rm -f "$found"' EXIT
# Tracked files and those about to be (not ignored), text only (-I).
git ls-files -z --cached --others --exclude-standard |
    xargs -0 -r grep -nIF "${patterns[@]}" -- >"$found" 2>/dev/null || true
git ls-files -z --cached --others --exclude-standard |
    xargs -0 -r grep -nIE -e "$windows" -- >>"$found" 2>/dev/null || true
if [[ -s "$found" ]]; then
    echo "FAIL: tracked files name folders of one machine:" >&2
    cat "$found" >&2
    exit 1
fi
echo "no machine paths in $(git ls-files --cached --others --exclude-standard | wc -l) files"
