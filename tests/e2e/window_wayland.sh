#!/usr/bin/env bash
# The demo on SDL's native Wayland driver under a real compositor: weston
# with its X11 backend and pixman renderer, nested in Xvfb, so a screenshot
# of the Xvfb screen shows weston's output. On a 16:9 output at scale 1
# (1280 x 720) the fullscreen demo fills it pillarboxed, the white intro
# scene in columns 160 to 1119; at scale 2 (1920 x 1080 pixels, 960 x 540
# logical) in columns 240 to 1679. F1 gives a window of 640 x 480 logical
# units: 640 x 480 pixels at scale 1, 1280 x 960 at scale 2, the same
# physical size. Escape, typed into weston's window (which hands it to the
# focused client), ends the run with status 0. The player's keys work there
# too.
# usage: bash window_wayland.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
source "$(dirname "$0")/lib/window_session.bash"
source "$(dirname "$0")/lib/player_probe.bash"
probe="$(dirname "$0")/lib/desk_probe.py"
artefacts="${2:-.}/artefacts"
mkdir -p "$artefacts"
trap '[[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null; cleanup' EXIT
near() { (( $1 >= $2 - 1 && $1 <= $2 + 1 )); } # linear filtering may soften an edge by a pixel

# white_rect NAME: waits for the white intro scene on the screen and sets
# left, right, top, bottom to where it is; a screenshot is kept.
white_rect() {
    local found
    found=$(/usr/bin/python3 "$probe" white "$hang_limit") || { /usr/bin/python3 "$probe" save "$artefacts/$1.ppm"; fail "$found"; }
    /usr/bin/python3 "$probe" save "$artefacts/$1.ppm"
    read -r _ left right top bottom <<<"$found"
}

# hold_key KEY COMMAND...: pressed wherever the pointer is and held, as
# press does, until COMMAND has seen what it does.
hold_key() {
    xdotool keydown "$1"
    "${@:2}"
    xdotool keyup "$1"
}

# window_shows W H: waits until the white intro scene shows in a window of
# W x H pixels; sets $seen to the size last seen.
window_shows() {
    local end=$((SECONDS + hang_limit))
    seen=""
    while ((SECONDS < end)); do
        white_rect "wayland_scale${scale}_window"
        seen="$((right - left + 1))x$((bottom - top + 1))"
        [[ "$seen" == "$1x$2" ]] && return 0
        sleep 0.1
    done
    fail "scale $scale: after F1 the window shows ${seen} pixels, not $1x$2"
}

# run_case SCALE SCREEN-W SCREEN-H BAR WINDOW-W WINDOW-H
run_case() {
    local scale=$1 sw=$2 sh=$3 bar=$4 ww=$5 wh=$6
    start_xvfb "${sw}x${sh}x24"
    start_weston "$scale" "$sw" "$sh" elka-test
    local output
    output=$(top_window "Weston Compositor - screen0")

    WAYLAND_DISPLAY=elka-test SDL_VIDEODRIVER=wayland start_elka "$elka"
    white_rect "wayland_scale${scale}_fullscreen"
    near "$left" "$bar" && near "$right" $((sw - 1 - bar)) ||
        fail "scale $scale: the fullscreen white scene spans columns $left to $right, not $bar to $((sw - 1 - bar))"
    (( top <= 1 && bottom >= sh - 2 )) || fail "scale $scale: the fullscreen white scene spans rows $top to $bottom"
    echo "probe: scale $scale fullscreen, white columns $left..$right rows $top..$bottom"

    # With no X window manager the keyboard follows the pointer into
    # weston's window, and weston hands keys to its focused client. (Moving
    # the X focus by hand makes weston drop its own keyboard focus.)
    xdotool mousemove --window "$output" $((sw / 2)) $((sh / 2))
    hold_key F1 window_shows "$ww" "$wh"
    echo "probe: scale $scale window, white ${seen} at $left,$top"

    hold_key Escape elka_ended
    wait_elka
    [[ "$status" == 0 ]] || fail "scale $scale: exit status $status after Escape"
    kill "$weston_pid"
    wait "$weston_pid" 2>/dev/null || true
    weston_pid=""
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
    rm -f "$scratch/display"
}

# in_weston ID KEY COMMAND...: the key held, the pointer in weston's window
# ID, until COMMAND has seen what it does (paused_round's way in).
in_weston() {
    xdotool mousemove --window "$1" 100 100
    hold_key "$2" "${@:3}"
}

# The player's keys: --start 70 is the star field, whose picture changes every
# frame; Space stands it still and moves it on, Right and Home play on.
player_case() {
    start_xvfb 1280x720x24
    start_weston 1 1280 720 elka-test
    local output
    output=$(top_window "Weston Compositor - screen0")
    WAYLAND_DISPLAY=elka-test SDL_VIDEODRIVER=wayland start_elka "$elka" 300 --start 70
    # Weston's own desktop comes first, and keys typed then reach no client:
    # the round starts once the demo's picture stands between its bars.
    /usr/bin/python3 "$probe" pillarboxed "$hang_limit" 160 >/dev/null || fail "player: the demo's picture did not come"
    # The pointer in weston's window from the start: its cursor, which the
    # demo hides when the pointer comes in, then changes while the demo
    # plays, not while a paused picture is being looked at.
    xdotool mousemove --window "$output" 100 100
    paused_round "$output" in_weston
    in_weston "$output" Escape elka_ended
    wait_elka
    [[ "$status" == 0 ]] || fail "player: exit status $status after Escape"
    echo "probe: the player's keys under weston: Space stood the star field still and moved it on, Right, Home"
}

prepare_workdir
run_case 1 1280 720 160 640 480
run_case 2 1920 1080 240 1280 960
player_case
echo "ok: Wayland at scale 1 and 2: fullscreen pillarboxed, F1 window 640x480 logical, Escape status 0; the player's keys"
