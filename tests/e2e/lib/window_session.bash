# Shared by the window end-to-end scripts: a private Xvfb, a folder to run
# elka in, and small waits. Source it; every helper fails the script on
# timeout, and the trap ends whatever was started.
set -euo pipefail
# No sound hardware here: the dummy driver plays the song into nothing.
export SDL_AUDIODRIVER=dummy

scratch="$(mktemp -d /tmp/elka-e2e-XXXXXX)"
# Every wait below ends as soon as what it waits for is seen; its limit
# (seconds) only ends a hang, so it is generous: a busy machine is slow,
# not broken. ELKA_HANG_LIMIT changes it.
hang_limit="${ELKA_HANG_LIMIT:-120}"
xvfb_pid=""
elka_pid=""

cleanup() {
    # $elka_pid is the timeout wrapper: elka itself is its child.
    if [[ -n "$elka_pid" ]] && kill -0 "$elka_pid" 2>/dev/null; then
        pkill -KILL -P "$elka_pid" 2>/dev/null || true
        kill -KILL "$elka_pid" 2>/dev/null || true
    fi
    if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [[ -n "${DISPLAY:-}" ]]; then xwininfo -root -tree 2>/dev/null | grep '"' >&2 || true; fi
    for f in "$scratch"/elka.out "$scratch"/elka.err "$scratch"/xvfb.log; do [[ -f "$f" ]] && { echo "--- $f" >&2; cat "$f" >&2; }; done
    exit 1
}

# start_xvfb WxHxD [OPTION...]: a server on a free display number, chosen by
# Xvfb itself; further options go to Xvfb. -noreset: by default the server
# resets when its last client leaves, and a client that connects during the
# reset is refused (the probe below, then openbox, hit exactly that).
# The server repeats no key: a key held down is one press however long it
# stays down on a busy machine (a test that wants the repeat turns it on
# with xset r on).
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset "${@:2}" 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local end=$((SECONDS + hang_limit))
    while [[ ! -s "$scratch/display" ]] && ((SECONDS < end)); do
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended before it listened"
        sleep 0.1
    done
    [[ -s "$scratch/display" ]] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$scratch/display")"
    # The number comes when the server listens; a client is let in only
    # once the server is alive and answers.
    while ((SECONDS < end)); do
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb on $DISPLAY ended"
        if xprop -root >/dev/null 2>&1; then
            xset r off || fail "xset could not turn the key repeat off on $DISPLAY"
            return
        fi
        sleep 0.1
    done
    fail "Xvfb on $DISPLAY does not answer"
}

# The folder elka runs in: the repository root when its media are all there,
# otherwise a scratch folder with the media that exist plus small stand-ins
# (4 x 4 BMP pictures, a short silent WAV as the song) for the missing ones.
# prepare_workdir [no-song]
prepare_workdir() {
    local root="$PWD" want_song=1
    [[ "${1:-}" == no-song ]] && want_song=0
    if [[ $want_song == 1 && -f files/tunnel.bmp && -f files/star.bmp && -f files/load.bmp && -f files/song.mp3 ]]; then
        workdir="$root"
        return
    fi
    workdir="$scratch/run"
    mkdir -p "$workdir/files"
    for f in tunnel.bmp star.bmp load.bmp font.ttf song.mp3; do
        [[ $f == song.mp3 && $want_song == 0 ]] && continue
        [[ -f "files/$f" ]] && cp "files/$f" "$workdir/files/"
    done
    /usr/bin/python3 - "$workdir/files" "$want_song" <<'PY'
import os, struct, sys
folder, want_song = sys.argv[1], sys.argv[2] == "1"
for name in ("tunnel.bmp", "star.bmp", "load.bmp"):
    path = os.path.join(folder, name)
    if os.path.exists(path):
        continue
    pixels = bytes((40 * (i % 4), 200, 16 * i)[c] for i in range(16) for c in range(3))
    header = b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 4, 4, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    open(path, "wb").write(header + info + pixels)
song = os.path.join(folder, "song.mp3")
if want_song and not os.path.exists(song):
    rate, samples = 22050, 2205
    data = b"\0\0" * samples
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    open(song, "wb").write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<I", 16) + fmt
                           + b"data" + struct.pack("<I", len(data)) + data)
PY
}

# start_elka PATH [SECONDS [ARG...]]: runs it in the background in $workdir,
# with a hard limit (300 s unless given: only a hang meets it), the settings
# in $elka_env and the arguments given.
elka_env=()
start_elka() {
    (cd "$workdir" && exec env "${elka_env[@]}" timeout -k 5 "${2:-300}" "$1" "${@:3}" >"$scratch/elka.out" 2>"$scratch/elka.err") &
    elka_pid=$!
}

# hold_clock PRELOAD: the next start_elka runs the demo with its clock held
# at 0 s by the preloaded library (harness/held_clock_preload.c), so that it
# shows the start picture for as long as the script looks, however slow the
# machine; clock_go lets it go.
hold_clock() {
    [[ -f "$1" ]] || fail "no clock holder $1"
    elka_env=(LD_PRELOAD="$(realpath "$1")" ELKA_CLOCK=held ELKA_CLOCK_LOG="$scratch/clock.log")
}

# clock_go: lets the held clock go and waits until the demo's next frame
# has read it going.
clock_go() {
    local proc lines end=$((SECONDS + hang_limit))
    proc=$(pgrep -P "$elka_pid") || fail "no elka process under its time limit"
    lines=$(grep -c '^going ' "$scratch/clock.log" 2>/dev/null || true)
    kill -USR1 "$proc"
    while ((SECONDS < end)); do
        (($(grep -c '^going ' "$scratch/clock.log" 2>/dev/null || true) > lines)) && return 0
        sleep 0.1
    done
    fail "the demo's clock did not go on"
}

# elka_ended: waits until the run has ended, without taking its status.
elka_ended() {
    local end=$((SECONDS + hang_limit))
    while kill -0 "$elka_pid" 2>/dev/null && ((SECONDS < end)); do sleep 0.1; done
    kill -0 "$elka_pid" 2>/dev/null && { elka_stacks; fail "elka did not end"; }
    return 0
}

# elka_stacks: where each thread of the run stands, on standard error (for
# a run that did not end as it should).
elka_stacks() {
    gdb -p "$elka_pid" -batch -ex "thread apply all bt 12" 2>&1 | grep -E '^(Thread|#)' >&2 || true
}

# wait_elka: waits until the run ends and sets $status to its exit status.
wait_elka() {
    elka_ended
    status=0
    wait "$elka_pid" || status=$?
    elka_pid=""
}

# window_tree [-children]: the windows with their titles, as xwininfo lists
# them (-tree unless -children is given). A window that goes while xwininfo
# walks the tree stops it with BadWindow or BadDrawable; the walk is then
# made again, until one goes through whole.
window_tree() {
    local listing end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        listing=$(xwininfo -root "${1:--tree}" 2>/dev/null) && { printf '%s\n' "$listing"; return 0; }
        sleep 0.05
    done
    fail "xwininfo could not list the windows on $DISPLAY"
}

# top_window TITLE: id of the shown top-level window with exactly this
# title (SDL's message boxes too, which xdotool search does not see). A
# window not shown yet does not count: the demo's window may still be made
# again for its pixel format before it is shown; one that goes between the
# list and the look is passed over.
top_window() {
    local id end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        for id in $(window_tree | grep -F " \"$1\":" | awk '{print $1}' || true); do
            if xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable"; then
                echo "$id"
                return
            fi
        done
        sleep 0.1
    done
    fail "no window \"$1\" shown"
}

# running ID: waits until the window shows a frame the demo drew, so the
# start-up is over and the frame loop runs; keys that come before the loop
# runs are drained together, press and release in one go, and never seen
# held. For the first scenes only (see frame_probe.py).
running() {
    local seen
    seen=$(/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/frame_probe.py" "$1" "$hang_limit") || fail "window $1: $seen"
    kill -0 "$elka_pid" 2>/dev/null || fail "elka ended by itself"
}

# window_gone TITLE: waits until no window has this title.
window_gone() {
    local end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        window_tree | grep -qF "\"$1\":" || return 0
        sleep 0.1
    done
    fail "window \"$1\" is still there"
}

# window_gone_id ID: waits until the window with this id no longer exists
# (the toggle makes the next window under the same title).
window_gone_id() {
    local end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        xwininfo -id "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window $1 is still there"
}

# toggle WxH: presses F1 in window $win, waits for it to go and for the
# next "elite pAxo" window to be shown, of that size, drawing; sets $win to
# it. No question may come on the way.
toggle() {
    press "$win" F1
    window_gone_id "$win"
    win=$(top_window "elite pAxo")
    window_tree | grep -qF '"Dova GL":' && fail "the fallback question came at F1"
    local size
    size=$(size_of "$win")
    [[ "$size" == "$1" ]] || fail "after F1 elite pAxo is ${size:-gone}, not $1"
    running "$win"
}

# size_of ID: "WxH" of the window; nothing (and status 1) if it is gone.
size_of() {
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}' <<<"$info"
}

# press ID KEY [COMMAND...]: focuses the demo's window, presses the key and
# keeps it down until COMMAND has seen what the key does (by default: window
# ID gone, as after F1 or Escape), then lets it go.
# The loop takes one message per iteration and looks at the keys only when
# none waits, so a press and release sent together could come and go before
# it looked; held until its effect shows, the key is seen however slow the
# machine, and the server repeats no key (start_xvfb), so it is one press.
press() {
    local window="$1" key="$2"
    shift 2
    (($#)) || set -- window_gone_id "$window"
    xdotool windowfocus --sync "$window"
    xdotool keydown "$key"
    "$@"
    xdotool keyup "$key"
}

# answer_box ID: Return in a message box, which answers it with its first
# button, and waits until the box has gone. The box's own loop, not the
# demo's, takes the key, and acts when it is let go.
answer_box() {
    xdotool windowfocus --sync "$1"
    xdotool key Return
    window_gone_id "$1"
}

# close_request ID: what a window manager sends when the user closes the
# window: a WM_DELETE_WINDOW client message (xdotool's windowclose would
# destroy the window under the program's feet instead).
close_request() {
    /usr/bin/python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
display = x.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1], 0)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = window
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
if not x.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
    sys.exit("XSendEvent failed")
x.XFlush(display)
x.XCloseDisplay(display)
PY
}

# start_weston SCALE WIDTH HEIGHT NAME: weston (X11 backend, pixman
# renderer) nested in the Xvfb of start_xvfb, WIDTH x HEIGHT pixels at that
# scale (weston takes its size in logical units), listening on the socket
# NAME in a runtime folder of its own; waits until it listens and shows.
# Sets $weston_pid; the caller's trap ends it. A Wayland client repeats a
# held key itself, at the rate the compositor gives; weston gives none
# here, so a key held down is one press however long it stays down.
weston_pid=""
start_weston() {
    export XDG_RUNTIME_DIR="$scratch/xdg-$4-$1"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    printf '[keyboard]\nrepeat-rate=0\n' >"$scratch/weston.ini"
    weston --config="$scratch/weston.ini" --backend=x11-backend.so --use-pixman --width=$(($2 / $1)) --height=$(($3 / $1)) \
        --scale="$1" --socket="$4" --idle-time=0 >"$scratch/weston.log" 2>&1 &
    weston_pid=$!
    local end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        [[ -S "$XDG_RUNTIME_DIR/$4" ]] && break
        kill -0 "$weston_pid" 2>/dev/null || { cat "$scratch/weston.log" >&2; fail "weston ended"; }
        sleep 0.1
    done
    [[ -S "$XDG_RUNTIME_DIR/$4" ]] || fail "weston did not start"
    top_window "Weston Compositor - screen0" >/dev/null
}

