# The player's keys seen on the screen, for the desktop's and the Windows
# build's window tests. Source it after window_session.bash.
picture_probe="$(dirname "${BASH_SOURCE[0]}")/picture_probe.py"

# paused_round ID [PRESS]: window ID plays a picture that changes every
# frame (the tunnel, the star field); Space stands it still (five looks
# alike, and alike again after), Space again moves it on, and Right and
# Home each go on playing. Keys go in with PRESS (window_session.bash's press unless named:
# it takes the window, the key and what to wait for).
paused_round() {
    local win="$1" key_in="${2:-press}" still
    /usr/bin/python3 "$picture_probe" moves "$win" "$hang_limit" || fail "the picture does not move"
    stands() { still=$(/usr/bin/python3 "$picture_probe" stands "$win" "$hang_limit") || fail "$still"; }
    "$key_in" "$win" space stands
    /usr/bin/python3 "$picture_probe" stands "$win" "$hang_limit" | grep -qxF "$still" || fail "the paused picture changed"
    "$key_in" "$win" space /usr/bin/python3 "$picture_probe" moves "$win" "$hang_limit" "$still"
    for key in Right Home; do
        "$key_in" "$win" "$key" /usr/bin/python3 "$picture_probe" moves "$win" "$hang_limit"
        kill -0 "$elka_pid" 2>/dev/null || fail "elka ended after $key"
    done
}
