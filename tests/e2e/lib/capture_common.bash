# The capture tests' shared set-up, sourced with the test's own arguments
# (ELKA BUILD-DIR): the capture tool, the PNG probe, a work folder removed
# at exit, and fail.
build="$2"
capture="$build/elka-capture"
probe="python3 $(dirname "$0")/capture_png_probe.py"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
