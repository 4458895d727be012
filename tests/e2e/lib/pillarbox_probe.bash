# The fullscreen demo on a 1280 x 720 screen, probed as the X11 presenter's
# test and the Windows build's test both probe it; source it after
# window_session.bash. Screenshots go to $artefacts.
#
# mode: the screen's current mode, WIDTHxHEIGHT.
mode() { xrandr --current | awk '/\*/ {print $1; exit}'; }

# fullscreen_round ELKA NAME: the demo started on the screen whose mode was
# $before is one fullscreen window over all of it (no fallback question),
# the mode kept while it runs, the picture pillarboxed (NAME); F1 gives a
# 640 x 480 window, Escape ends with status 0, and the mode is kept after.
fullscreen_round() {
    start_elka "$1"
    win=$(top_window eLka)
    window_tree | grep -qF '"Dova GL":' && fail "the fallback question came though a fullscreen window can be had"
    [[ "$(size_of "$win")" == 1280x720 ]] || fail "the fullscreen window is $(size_of "$win"), not the screen's 1280x720"
    running "$win"
    [[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) during the run"
    pillarboxed "$2"
    toggle 640x480
    [[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) after F1"
    press "$win" Escape
    wait_elka
    [[ "$status" == 0 ]] || fail "exit status $status after Escape"
    [[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) after the run"
}
#
# pillarboxed NAME: the start picture inside the 960 columns from 160 to
# 1119 (saved as NAME_start.ppm), then the white intro scene filling exactly
# those columns and the whole height (NAME_intro.ppm).
pillarboxed() {
    local probe found left right top bottom
    probe="$(dirname "${BASH_SOURCE[0]}")/desk_probe.py"
    found=$(/usr/bin/python3 "$probe" lit 20) || fail "$found"
    read -r _ left right top bottom <<<"$found"
    /usr/bin/python3 "$probe" save "$artefacts/${1}_start.ppm"
    (( left >= 159 && right <= 1120 )) || fail "the start picture reaches into the bars: columns $left to $right"
    found=$(/usr/bin/python3 "$probe" white 40) || { /usr/bin/python3 "$probe" save "$artefacts/${1}_intro.ppm"; fail "$found"; }
    read -r _ left right top bottom <<<"$found"
    /usr/bin/python3 "$probe" save "$artefacts/${1}_intro.ppm"
    # linear filtering may soften the edge by a pixel
    (( left >= 159 && left <= 161 && right >= 1118 && right <= 1120 )) ||
        fail "the white scene spans columns $left to $right, not 160 to 1119"
    (( top <= 1 && bottom >= 718 )) || fail "the white scene spans rows $top to $bottom, not the whole height"
    echo "probes: start picture and white scene centred, white columns $left..$right rows $top..$bottom"
}

# start_like_capture NAME CAPTURE-TOOL: the start picture seen (NAME_start.ppm)
# against the capture tool's still of that moment at the screen's size,
# drawn there at 960 x 720 and placed on the bars by the capture's own code.
start_like_capture() {
    local differ
    (cd "$workdir" && "$2" -q --size 1280x720 --end 2 --still 1="$scratch/still.png") >"$scratch/capture.log" 2>&1 ||
        fail "elka-capture could not draw the still: $(cat "$scratch/capture.log")"
    differ=$(/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/screen_probe.py" match "$artefacts/${1}_start.ppm" "$scratch/still.png" |
        awk '/^best/ {print $3}')
    awk -v d="$differ" 'BEGIN {exit !(d < 0.02)}' || fail "the start picture differs from the capture's still in a share $differ of pixels"
    echo "probe: the start picture differs from the capture's still in a share $differ of pixels"
}
