#!/usr/bin/env bash
# The Windows build under Wine on a 16:9 X screen (Xvfb at 1280 x 720, its
# only mode): the fullscreen window is a borderless window over the whole
# screen at the desktop's own mode, which is the same before, during and
# after the run; the 4:3 picture is shown centred, the start picture inside
# the 960 columns from 160 to 1119 and matching the Linux capture's still of
# that moment at the screen's size, the white intro scene filling exactly
# those columns. F1 gives the 640 x 480 "elite pAxo" window, Escape ends
# with status 0, and so does the window's close button.
# usage: bash window.sh WINDOWS-BUILD LINUX-BUILD
source "$(dirname "$0")/lib/wine_session.bash"
probe="$(dirname "$0")/../e2e/lib/desk_probe.py"
artefacts="$linux_build/artefacts"
mkdir -p "$artefacts"

mode() { xrandr --current | awk '/\*/ {print $1; exit}'; }
near() { (( $1 >= $2 - 1 && $1 <= $2 + 1 )); } # linear filtering may soften the edge by a pixel

start_xvfb 1280x720x24
start_wine
prepare_workdir
elka=$(windows_program elka)
before=$(mode)
[[ "$before" == 1280x720 ]] || fail "the screen's mode is '$before' before the run"

start_elka "$elka"
win=$(top_window eLka)
[[ "$(size_of "$win")" == 1280x720 ]] || fail "the fullscreen window is $(size_of "$win"), not the screen's 1280x720"
running "$win"
[[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) during the run"

found=$(/usr/bin/python3 "$probe" lit 20) || fail "$found"
read -r _ left right top bottom <<<"$found"
/usr/bin/python3 "$probe" save "$artefacts/windows_start.ppm"
(( left >= 159 && right <= 1120 )) || fail "the start picture reaches into the bars: columns $left to $right"
found=$(/usr/bin/python3 "$probe" white 40) || { /usr/bin/python3 "$probe" save "$artefacts/windows_intro.ppm"; fail "$found"; }
read -r _ left right top bottom <<<"$found"
/usr/bin/python3 "$probe" save "$artefacts/windows_intro.ppm"
near "$left" 160 && near "$right" 1119 || fail "the white scene spans columns $left to $right, not 160 to 1119"
(( top <= 1 && bottom >= 718 )) || fail "the white scene spans rows $top to $bottom, not the whole height"
echo "probes: start picture columns inside 160..1119; white scene columns $left..$right, rows $top..$bottom"

toggle 640x480
[[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) after F1"
press "$win" Escape
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after Escape"
[[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) after the run"

# The start picture seen, against the Linux capture's still of the same
# moment at the screen's size.
(cd "$workdir" && "$linux_build/elka-capture" -q --size 1280x720 --end 2 --still 1="$scratch/still.png") \
    >"$scratch/capture.log" 2>&1 || fail "elka-capture could not draw the still: $(cat "$scratch/capture.log")"
differ=$(/usr/bin/python3 "$(dirname "$0")/../e2e/lib/screen_probe.py" match "$artefacts/windows_start.ppm" "$scratch/still.png" |
    awk '/^best/ {print $3}')
awk -v d="$differ" 'BEGIN {exit !(d < 0.02)}' || fail "the start picture differs from the capture's still in a share $differ of pixels"
echo "probe: the start picture differs from the Linux capture's still in a share $differ of pixels"

# The close button: Windows sends the window WM_CLOSE, and the demo ends
# as after Escape.
start_elka "$elka"
win=$(top_window eLka)
running "$win"
close_request "$win"
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after the close button"
[[ "$(mode)" == "$before" ]] || fail "the screen's mode is $(mode) after the close"
echo "ok: fullscreen over the 16:9 screen at its own mode, pillarboxed; F1 640x480; Escape and the close button status 0"
