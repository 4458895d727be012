#!/usr/bin/env bash
# The demo's own build needs none of the tests' or benchmarks' packages: a
# configure with tests and benchmarks off, and GoogleTest and Google
# Benchmark made unfindable, succeeds and offers elka and elka-capture and
# no test or benchmark program.
#   quick_configure.sh SOURCE_DIR
set -euo pipefail
source_dir="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake -S "$source_dir" -B "$work" -DELKA_TESTS=OFF -DELKA_BENCHMARKS=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$work.log" 2>&1 \
    || { cat "$work.log"; rm -f "$work.log"; echo "FAIL: the quick configure failed"; exit 1; }
rm -f "$work.log"
targets="$(cmake --build "$work" --target help)"
status=0
for wanted in elka elka-capture; do
    grep -qx "\.\.\. $wanted" <<<"$targets" || { echo "FAIL: no target $wanted"; status=1; }
done
for unwanted in elka_unit_tests elka_gl_tests elka_harness frame_bench; do
    grep -qx "\.\.\. $unwanted" <<<"$targets" && { echo "FAIL: target $unwanted is configured"; status=1; }
done
[[ $status -eq 0 ]] && echo "quick configure: elka and elka-capture, no test or benchmark target"
exit $status
