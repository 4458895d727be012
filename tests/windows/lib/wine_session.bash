# Shared by the Wine tests: everything of tests/e2e/lib/window_session.bash
# (a private Xvfb, a folder to run in, waits for windows and frames), plus a
# Wine prefix of the test's own and the Windows build's programs run
# through it. Source it; usage of a test: bash TEST.sh WINDOWS-BUILD LINUX-BUILD
source "$(dirname "${BASH_SOURCE[0]}")/../../e2e/lib/window_session.bash"
source "$(dirname "${BASH_SOURCE[0]}")/wine_prefix.bash"
windows_build="$(realpath "$1")"
linux_build="$(realpath "$2")"
command -v wine >/dev/null || fail "wine is not installed (scripts/setup.sh install test installs it)"
[[ -f "$windows_build/elka.exe" ]] || fail "no $windows_build/elka.exe: build the windows preset first"

# A prefix of the run's own (wine_prefix.bash): nothing of an earlier run
# or of the user's own Wine is seen. No Mono or Gecko: their installers would ask.
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true; cleanup' EXIT
# A sound device without a server: ALSA's null plug-in as the default
# device, which takes the song and drops it; no user's sound server is
# reached. (tests/windows/sound.sh hears the song through a null sink.)
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$scratch/alsa-null.conf"
: >"$scratch/alsa-none.conf"
export ALSA_CONFIG_PATH="$scratch/alsa-null.conf" PULSE_SERVER="unix:$scratch/no-sound-server"

# start_wine: the prefix made, on the screen start_xvfb made, and its
# wineserver kept until the test ends: one that ends by itself a moment
# after its last program may do so just as the next one connects ("wine
# client error ... sendmsg"), which a busy machine makes likely.
start_wine() {
    make_wine_prefix "$scratch/wineboot.log" || fail "no Wine prefix: $(cat "$scratch/wineboot.log")"
    wineserver -p
}

# windows_program NAME: a command that runs NAME.exe of the Windows build
# under Wine, for start_elka.
windows_program() {
    local wrapper="$scratch/$1"
    printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$windows_build/$1.exe" >"$wrapper"
    chmod +x "$wrapper"
    echo "$wrapper"
}
