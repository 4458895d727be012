# The capture tests' shared set-up, sourced with the test's own arguments
# (ELKA BUILD-DIR): the capture tool, the PNG probe, a work folder removed
# at exit, and fail.
build="$2"
capture="$build/elka-capture"
# The PNG probe, one process for the whole test (Python's start-up costs
# more than most probes): `$probe COMMAND ARGS...` as the script's own
# command line would be.
coproc PNG_PROBE { exec python3 "$(dirname "${BASH_SOURCE[0]}")/../capture_png_probe.py" serve; }
# Plain descriptors: bash keeps a coprocess's own from subshells such as $(...).
exec {probe_to}>&"${PNG_PROBE[1]}" {probe_from}<&"${PNG_PROBE[0]}"
probe_call() {
    local arg line
    for arg in "$@"; do [[ "$arg" != *$'\t'* && "$arg" != *$'\n'* ]] || { echo "probe: a tab or newline in an argument" >&2; return 1; }; done
    (IFS=$'\t'; printf '%s\n' "$*") >&"$probe_to"
    while IFS= read -r line <&"$probe_from"; do
        [[ "$line" == $'\x04 '* ]] && return "${line#$'\x04 '}"
        printf '%s\n' "$line"
    done
    echo "probe: the probe process ended" >&2
    return 1
}
probe=probe_call
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
