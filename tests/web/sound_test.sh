#!/usr/bin/env bash
# The page's sound layer and message boxes in Chromium (tests/web/sound):
# builds the two probe programs for the page and, natively, the same probe
# on the desktop sound layer, whose output is the expectation.
# usage: bash tests/web/sound_test.sh   (the web preset configured)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x /usr/bin/chromium ]] || fail "no /usr/bin/chromium"

# The probes' targets exist once the preset has seen tests/web/sound.
if ! cmake --build --preset web --target help | grep sound_probe >/dev/null; then
    cmake --preset web >/dev/null
fi
cmake --build --preset web --target sound_probe dialog_probe

work="$(mktemp -d /tmp/elka-sound-test-XXXXXX)"
trap 'rm -rf "$work"' EXIT
read -r -a sdl <<<"$(pkg-config --cflags --libs SDL2_mixer)"
g++ -std=c++17 -O1 -Isrc -o "$work/native_probe" tests/web/sound/sound_probe.cpp src/audio/music_player.cpp \
    src/platform/sdl/fsound.cpp src/platform/sdl/backend_state.cpp src/platform/song_clock.cpp src/platform/fsound_rules.cpp src/platform/audio_signature.cpp src/platform/media_files.cpp "${sdl[@]}"
g++ -std=c++17 -O1 -Isrc -Itools/support -o "$work/decoded_song" tests/e2e/tools/decoded_song.cpp tools/support/program_line.cpp src/platform/sdl/fsound.cpp src/platform/sdl/backend_state.cpp src/platform/song_clock.cpp src/platform/fsound_rules.cpp src/platform/audio_signature.cpp \
    src/platform/media_files.cpp src/platform/host/fsound_queries.cpp src/platform/host/sdl/mixer_queries.cpp "${sdl[@]}"
# The song's length as the desktop decodes it: 16-bit stereo frames.
SDL_AUDIODRIVER=dummy "$work/decoded_song" files/song.mp3 "$work/song.raw"
frames=$(($(stat -c %s "$work/song.raw") / 4))
echo "the desktop decodes files/song.mp3 to $frames frames at 44100 Hz"

node tests/web/sound/sound_test.js build-web/tests/web/sound "$work/native_probe" "$frames"
echo "sound_test: PASS"
