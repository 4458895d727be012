#!/usr/bin/env bash
# The whole sequence, from the first frame to "F I N" and the end, drawn by
# elka-capture built with AddressSanitizer and UndefinedBehaviorSanitizer:
# every scene, effect, resource and the capture outputs run under them, and
# any finding ends the run with a report and a failed status.
#   once at 10 frames a second with a contact sheet and two stills (the
#   capture tool's picture outputs), once at a steady 60 frames a second.
# Leaks are looked for by the valgrind test; LeakSanitizer cannot name the
# Mesa and fontconfig allocations here (their libraries have no frame
# pointers, and its slow unwinder deadlocks inside Mesa's threads).
# usage: bash capture_whole_sequence.sh PATH-TO-ELKA-CAPTURE   (from the repo root)
set -euo pipefail
capture="$(realpath "$1")"
work="$(mktemp -d /tmp/elka-sanitize-XXXXXX)"
trap 'rm -rf "$work"' EXIT
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
unset DISPLAY WAYLAND_DISPLAY
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

fail() {
    echo "FAIL: $*" >&2
    for f in "$work"/*.err; do [[ -s "$f" ]] && { echo "--- $f" >&2; head -n 60 "$f" >&2; }; done
    exit 1
}

# run NAME ARGS...: the capture must end with status 0 and say nothing on
# standard error (a sanitizer report goes there).
run() {
    local name="$1"; shift
    local status=0
    "$capture" --quiet "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
    [[ $status == 0 ]] || fail "$name: exit status $status"
    if grep -Eq 'runtime error|AddressSanitizer|UndefinedBehaviorSanitizer' "$work/$name.err"; then
        fail "$name: sanitizer report"
    fi
    [[ ! -s "$work/$name.err" ]] || fail "$name: unexpected standard error"
}

# chapters FILE FPS: the table holds all 24 scenes in order, "F I N" last,
# and the end row at about 151 s: the run went through to the end.
chapters() {
    /usr/bin/python3 - "$1" "$2" <<'PY'
import sys
rows = [l.split("\t") for l in open(sys.argv[1]).read().splitlines()[1:]]
fps = int(sys.argv[2])
assert [r[0] for r in rows] == [str(s) for s in range(-1, 23)] + ["end"], [r[0] for r in rows]
assert rows[-2][3] == '"F I N" white on black', rows[-2]
end = int(rows[-1][1]) / fps
assert 150.5 <= end <= 152.5, f"the sequence ended at {end} s"
PY
}

run ten --size 96x72 --fps 10 --chapters "$work/ten.tsv" --contact-sheet "$work/sheet.png" \
    --still "1=$work/start.png" --still "149=$work/fin.png"
chapters "$work/ten.tsv" 10 || fail "10 fps: chapter table"
for f in sheet start fin; do
    [[ "$(head -c 8 "$work/$f.png" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] || fail "$f.png is not a PNG"
done

run sixty --size 160x120 --fps 60 --chapters "$work/sixty.tsv"
chapters "$work/sixty.tsv" 60 || fail "60 fps: chapter table"

echo "ok: whole sequence at 10 and 60 frames a second under AddressSanitizer and UBSan, no finding"
