#!/usr/bin/env bash
# The timing-sensitive tests again and again on a busy machine: the windows
# on X11 (with and without a window manager) and Wayland, the Windows build
# under Wine and the page in real time, ROUNDS times each, with a CPU-bound
# process (stress-ng) beside them the whole time; prints how often each
# passed, and ends with status 0 only if every run of every test passed.
# Each round's CTest output is kept in BUILD-DIR/soak/.
#   scripts/soak.sh ROUNDS BUILD-DIR [JOBS]      (./test --soak ROUNDS runs it after the builds)
# ELKA_SOAK_HOGS: how many CPU hogs (1 unless set); ELKA_SOAK_TESTS: a
# CTest regular expression instead of the tests above.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/command_line.bash"
answer_command_line scripts/soak.sh "Usage: scripts/soak.sh ROUNDS BUILD-DIR [JOBS]
Runs the timing-sensitive tests of BUILD-DIR ROUNDS times each, JOBS at once
(default: one per CPU), beside a CPU-bound process, and says how often each
passed; status 0 only if every run passed. Logs in BUILD-DIR/soak/.
ELKA_SOAK_HOGS: how many CPU hogs (default 1); ELKA_SOAK_TESTS: a CTest
regular expression instead of the usual tests.

      --help     show this help and exit
      --version  show the version and exit" "" 2 3 "$@"
rounds="$1"
build="$(realpath "$2")"
jobs="${3:-$(nproc)}"
hogs="${ELKA_SOAK_HOGS:-1}"
tests="${ELKA_SOAK_TESTS:-^(e2e\.window_.*|gles\.window_x11|x11\..*|windows\.(window|frames|media|fonts|sound)|web\.page_realtime.*)$}"
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || command_line_usage_error scripts/soak.sh "ROUNDS: expected a number from 1 up, got '$rounds'"
command -v stress-ng >/dev/null || { echo "FAIL: stress-ng is not installed (scripts/setup.sh install test installs it)" >&2; exit 1; }
logs="$build/soak"
rm -rf "$logs"
mkdir -p "$logs"

names=$(ctest --test-dir "$build" -N -R "$tests" | sed -n 's/^ *Test *#[0-9]*: //p')
[[ -n "$names" ]] || { echo "FAIL: no test matches $tests in $build" >&2; exit 1; }
echo "soak: $(wc -l <<<"$names") tests, $rounds rounds, $hogs CPU hog(s) beside them"

stress-ng --cpu "$hogs" --timeout 0 --quiet &
hog=$!
trap 'kill "$hog" 2>/dev/null; wait "$hog" 2>/dev/null' EXIT
for ((round = 1; round <= rounds; ++round)); do
    from=$SECONDS
    ctest --test-dir "$build" -R "$tests" -j "$jobs" --output-on-failure --output-junit "$logs/round-$round.xml" \
        >"$logs/round-$round.log" 2>&1 || true
    kill -0 "$hog" 2>/dev/null || { echo "FAIL: the CPU hog ended during round $round" >&2; exit 1; }
    echo "round $round: $(grep -E '^[0-9]+% tests passed' "$logs/round-$round.log" || echo 'no summary') ($((SECONDS - from)) s)"
done

printf '%s\n' "$names" >"$logs/tests.txt"
/usr/bin/python3 - "$logs" "$rounds" <<'PY'
import sys, xml.etree.ElementTree as ET
logs, rounds = sys.argv[1], int(sys.argv[2])
names = [line.strip() for line in open(f"{logs}/tests.txt") if line.strip()]
passed = {name: 0 for name in names}
for r in range(1, rounds + 1):
    try:
        cases = ET.parse(f"{logs}/round-{r}.xml").getroot().iter("testcase")
    except (OSError, ET.ParseError) as error:
        print(f"round {r}: no results ({error})")
        continue
    for case in cases:
        name = case.get("name")
        if name in passed and case.get("status") == "run" and case.find("failure") is None and case.find("error") is None:
            passed[name] += 1
width = max(len(n) for n in names)
for name in names:
    mark = "" if passed[name] == rounds else "   <- failed"
    print(f"  {name:<{width}}  {passed[name]} of {rounds}{mark}")
short = sum(1 for n in names if passed[n] < rounds)
print(f"soak: {len(names) - short} of {len(names)} tests passed every round")
sys.exit(1 if short else 0)
PY
