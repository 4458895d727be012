#!/usr/bin/env bash
# Builds the BMP reader's fuzz target with clang and runs it for a bounded
# time over the seeds (hand-made files, the three pictures, the regression
# corpus) and the corpus it keeps growing in WORK_DIR.
#   tests/fuzz/run_fuzz.sh WORK_DIR [SECONDS] [extra libFuzzer options...]
# Run from the repository root. A crash leaves its input in WORK_DIR/crashes;
# copy it into tests/fuzz/regressions/ so the ordinary tests keep reading it.
set -euo pipefail
work="${1:?usage: run_fuzz.sh WORK_DIR [SECONDS] [options...]}"
seconds="${2:-60}"
shift $(( $# >= 2 ? 2 : 1 ))
here="tests/fuzz"
mkdir -p "$work/seeds" "$work/corpus" "$work/crashes"

cxx="${CLANGXX:-clang++}"
"$cxx" -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -DFUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION -I src \
    src/resources/bmp_reader.cpp src/platform/media_files.cpp "$here/message_box_stub.cpp" "$here/bmp_fuzzer.cpp" \
    -o "$work/bmp_fuzzer"
"$cxx" -std=c++20 -O1 "$here/make_seeds.cpp" -o "$work/make_seeds"
"$work/make_seeds" "$work/seeds"
cp files/tunnel.bmp files/star.bmp files/load.bmp "$work/seeds/" 2>/dev/null || true

# New inputs go into the first folder (the growing corpus); the others are
# only read. Large inputs (the pictures) are cut to -max_len when mutated.
status=0
"$work/bmp_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 -max_len=65536 \
    -artifact_prefix="$work/crashes/" -print_final_stats=1 "$@" \
    "$work/corpus" "$work/seeds" "$here/regressions" || status=$?
if [[ $status -ne 0 ]]; then
    echo "The fuzzer found a failing input in $work/crashes/:" >&2
    ls -l "$work/crashes/" >&2
    echo "Copy it into $here/regressions/ and fix the reader." >&2
fi
exit $status
