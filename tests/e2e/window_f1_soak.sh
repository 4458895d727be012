#!/usr/bin/env bash
# F1 under Xvfb with a 640 x 480 screen: held down until the repeat has
# toggled six times, then pressed fifty times in a row, each press held
# until its new window shows (the repeat then off). The first window is
# fullscreen over the whole screen at its own mode (the 800 x 600 drawable
# presented on it); every toggle after it alternates between a 640 x 480
# window and a fullscreen one, which covers the 640 x 480 screen (the
# pointer hidden over it). After every
# press: a new "elite pAxo" window of 640 x 480, no question, and the pointer
# flipped between shown and hidden (XFixes cursor image, see
# lib/cursor_probe.py), which holds only while every hide has its show.
#
# The toggles come while the demo's clock is held at 0 s (the preloaded
# clock holder, harness/held_clock_preload.c): the sequence waits at its
# start picture however long they take on this machine, and the demo's own
# memory, which otherwise changes with the scenes, stays where it is.
# Resident memory may grow by 6 MiB at most from the first ten toggles to
# the last ten. After the last toggle the screen shows the start picture as
# elka-capture draws it; then the clock goes, and the screen is compared
# with elka-capture's pictures of the same moment at an intro word in its
# frame (the font's lists) and the tunnel is seen drawn with its wall
# picture (the textures), the clock then running twice as fast. Escape ends
# the run with status 0.
#
# ELKA_SOAK_TOGGLES=N (default 50, at least 20) soaks longer.
# usage: bash window_f1_soak.sh PATH-TO-ELKA BUILD-DIR
elka="$(realpath "$1")"
capture="$(realpath "$2")/elka-capture"
clock_holder="$(realpath "$2")/libheld_clock_preload.so"
lib="$(cd "$(dirname "$0")/lib" && pwd)"
source "$lib/window_session.bash"
toggles="${ELKA_SOAK_TOGGLES:-50}"
[[ "$toggles" =~ ^[0-9]+$ && "$toggles" -ge 20 ]] || fail "ELKA_SOAK_TOGGLES must be a number of 20 or more"
[[ -x "$capture" ]] || fail "no elka-capture next to elka"

now() { date +%s.%N; }
# Once going, the demo's clock runs twice as fast (the clock holder's
# ELKA_CLOCK_RATE), so the scenes looked at come in half the time.
rate=2
# Seconds of sequence time, reckoned from the moment the demo read its
# clock going.
seq_time() { awk -v a="$(now)" -v b="$sequence_start" -v r="$rate" 'BEGIN { printf "%.2f", (a - b) * r }'; }
wait_until() { # wait_until SECONDS of sequence time
    while awk -v t="$(seq_time)" -v w="$1" 'BEGIN { exit !(t < w) }'; do sleep 0.05; done
}
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$elka_proc/status"; }
# new_window OLD: the shown top-level demo window (either title) other than
# OLD, as "ID WxH TITLE" from one look at it. A window listed but gone (or
# not shown yet) when looked at is passed over: the toggle may make one
# and make it again for its pixel format before it shows.
new_window() {
    local id info end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        for id in $(window_tree -children | grep -E ' "(eLka|elite pAxo)":' | awk '{print $1}' || true); do
            [[ "$id" == "$1" ]] && continue
            info=$(xwininfo -id "$id" 2>/dev/null) || continue
            grep -q "Map State: IsViewable" <<<"$info" || continue
            awk -v id="$id" '/^xwininfo: Window id:/ { sub(/^[^"]*"/, ""); sub(/"$/, ""); title = $0 }
                /Width:/ { w = $2 } /Height:/ { h = $2 } END { print id, w "x" h, title }' <<<"$info"
            return
        done
        kill -0 "$elka_pid" 2>/dev/null || fail "elka ended during a toggle"
        sleep 0.05
    done
    fail "no new window after F1"
}
# cursor_is shown|hidden: the pointer gets there (SDL sets the blank cursor
# on a new window when it maps it).
cursor_is() {
    local state="" end=$((SECONDS + hang_limit))
    while ((SECONDS < end)); do
        state=$(/usr/bin/python3 "$lib/cursor_probe.py")
        [[ "${state%% *}" == "$1" ]] && return 0
        sleep 0.05
    done
    fail "pointer $state, expected $1"
}
# screenshot FILE: the whole screen; sets $shot_time to its sequence time.
screenshot() {
    local before
    before=$(seq_time)
    ffmpeg -loglevel error -y -f x11grab -video_size 640x480 -i "$DISPLAY" -frames:v 1 "$1"
    shot_time=$(awk -v a="$before" -v b="$(seq_time)" 'BEGIN { printf "%.2f", (a + b) / 2 }')
}
# references PREFIX SECONDS: elka-capture's stills from SECONDS - 2.5 to
# SECONDS + 1 every 0.1 s, as PREFIX-N.png; their names in $refs. The
# sequence starts a little after the first window shows and may fall a
# little further behind at scene changes; it is seen going up to a poll
# (0.1 s, 0.2 s of sequence time) after it went, so it may seem ahead by that.
references() {
    local args=() t
    refs=()
    for i in $(seq 0 35); do
        t=$(awk -v s="$2" -v i="$i" 'BEGIN { printf "%.2f", s - 2.5 + i / 10 }')
        args+=(--still "$t=$1-$i.png")
        refs+=("$1-$i.png")
    done
    (cd "$workdir" && "$capture" -q --size 640x480 --fps 30 --end "$(awk -v s="$2" 'BEGIN { print s + 1.5 }')" "${args[@]}") \
        || fail "elka-capture could not draw the references"
}
share_at_least() { awk -v v="$1" -v m="$2" 'BEGIN { exit !(v >= m) }'; }

# Auto-repeat after 1.5 s for the one long hold; then off, so that each of
# the presses after it, however long it stays down, gives one key-down and
# so one toggle that is checked on its own.
start_xvfb 640x480x16 -ardelay 1500 -arinterval 40
xset r on
xset r rate 1500 25
prepare_workdir
hold_clock "$clock_holder"
elka_env+=(ELKA_CLOCK_RATE="$rate")
start_elka "$elka" $(( 300 + 4 * toggles ))
win=$(top_window eLka)
window_tree -children | grep -qF '"Dova GL":' && fail "the question came though a fullscreen window can be had"
running "$win"
elka_proc=$(pgrep -P "$elka_pid") || fail "no elka process under its time limit"
xdotool mousemove 320 240 # over the window in every mode
cursor_is hidden

# F1 held until the repeat has toggled five more times: every repeated
# key-down toggles once more, as fast as the windows come and go. The
# windows seen are counted (a lower bound). Whichever mode it ends in, each
# toggle after it must flip the pointer, which holds only if the hides and
# shows are still in balance.
demo_window() { window_tree -children | grep -E ' "(eLka|elite pAxo)":' | awk '{print $1; exit}' || true; }
xdotool windowfocus --sync "$win"
xdotool keydown F1
held=0
end=$((SECONDS + hang_limit))
while ((held < 6 && SECONDS < end)); do
    id=$(demo_window)
    [[ -n "$id" && "$id" != "$win" ]] && { held=$((held + 1)); win="$id"; }
    kill -0 "$elka_pid" 2>/dev/null || fail "elka ended while F1 was held"
    sleep 0.05
done
xdotool keyup F1
((held >= 6)) || fail "only $held windows while F1 was held: it did not repeat"
xset r off
# The repeats already queued still toggle: the same window for a whole
# second says they are through.
settled=0
end=$((SECONDS + hang_limit))
while ((settled < 10 && SECONDS < end)); do
    sleep 0.1
    id=$(demo_window)
    if [[ -n "$id" && "$id" == "$win" ]]; then settled=$((settled + 1)); else settled=0 win="$id"; [[ -n "$id" ]] && held=$((held + 1)); fi
done
((settled >= 10)) || fail "the windows did not settle after F1 was released"
size=$(size_of "$win") || fail "the window $win went after it had settled"
[[ "$size" == 640x480 ]] || fail "after the hold: window of $size"
window_tree -children | grep -qF '"Dova GL":' && fail "a question came while F1 was held"
cursor=$(/usr/bin/python3 "$lib/cursor_probe.py")
cursor=${cursor%% *}
echo "F1 held 3 s: at least $held toggles, pointer $cursor after it"

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Single steps of about 2 MiB come and go (the allocator); a lost context
# costs about 11 MiB a toggle, a lost set of textures more than 1 MiB.
declare -a rss
for ((i = 1; i <= toggles; ++i)); do
    old="$win"
    # As press does, the key held until the new window shows; the checks
    # below run while it is still down (no repeat: one toggle).
    xdotool windowfocus --sync "$win"
    xdotool keydown F1
    read -r win size title < <(new_window "$old")
    [[ "$title" == "elite pAxo" ]] || fail "toggle $i: window \"$title\""
    [[ "$size" == 640x480 ]] || fail "toggle $i: window of $size"
    window_tree -children | grep -qF '"Dova GL":' && fail "toggle $i: the question came though a fullscreen window can be had"
    if [[ "$cursor" == shown ]]; then cursor=hidden; else cursor=shown; fi
    cursor_is "$cursor"
    rss[i]=$(rss_kib)
    xdotool keyup F1
done
figures=""
for ((i = 10; i <= toggles; i += 10)); do figures+=" $i:${rss[i]}"; done
echo "toggles: $toggles survived; VmRSS kiB after toggle$figures"
early=$(median "${rss[@]:1:10}")
late=$(median "${rss[@]:toggles-9:10}")
growth=$((late - early))
echo "VmRSS median of toggles 1-10: $early kiB, of toggles $((toggles - 9))-$toggles: $late kiB, growth $growth kiB"
((growth <= 6144)) || fail "resident memory grew by $growth kiB over $toggles toggles"
grep -qx "held 0.000" "$scratch/clock.log" || fail "the clock holder did not hold the demo's clock"

# The pictures are taken while the demo runs and compared once it has ended,
# so that drawing the references does not hold up the run.
running "$win"
ffmpeg -loglevel error -y -f x11grab -video_size 640x480 -i "$DISPLAY" -frames:v 1 "$scratch/start.png"
clock_go
sequence_start=$(now)
wait_until 34 # scene 4: "worms.." drifting beside its frame, grey on white
screenshot "$scratch/word.png"
word_time=$shot_time
wait_until 48 # scene 7: the textured tunnel under the fading title
screenshot "$scratch/tunnel.png"
tunnel_time=$shot_time
press "$win" Escape
wait_elka
[[ "$status" == 0 ]] || fail "exit status $status after Escape"
[[ -n "${ELKA_SOAK_KEEP:-}" ]] && cp "$scratch"/*.png "$ELKA_SOAK_KEEP"/

# The start picture stands still for its whole scene: one still is its picture.
(cd "$workdir" && "$capture" -q --size 640x480 --end 3 --still "2=$scratch/start-ref.png") ||
    fail "elka-capture could not draw the start picture"
best=$(/usr/bin/python3 "$lib/screen_probe.py" match "$scratch/start.png" "$scratch/start-ref.png" | tail -n1)
echo "start picture after the toggles: $best"
share_at_least 0.002 "$(awk '{print $3}' <<<"$best")" || fail "after the toggles the start picture is not what was drawn"
references "$scratch/word-ref" "$word_time"
best=$(/usr/bin/python3 "$lib/screen_probe.py" match "$scratch/word.png" "${refs[@]}" | tail -n1)
echo "intro word at $word_time s: $best"
share_at_least 0.001 "$(awk '{print $3}' <<<"$best")" || fail "the intro word differs from the pictures of its time"
read -r _ white _ black _ blue _ yellow < <(/usr/bin/python3 "$lib/screen_probe.py" colours "$scratch/tunnel.png")
echo "tunnel at $tunnel_time s: white $white black $black blue $blue yellow $yellow"
# The wall picture's light lines and stripes; without the texture the
# wall would be drawn in the plain white of its colour. How much of the
# stripes shows turns with the tunnel (0.2 to 0.9 per cent seen).
share_at_least "$blue" 0.01 && share_at_least "$yellow" 0.0005 || fail "the tunnel is not drawn with its wall picture"
share_at_least 0.01 "$white" || fail "the tunnel is white"
echo "ok: F1 held ($held toggles) and pressed $toggles times, pointer in balance, memory steady, pictures as expected, status 0"
