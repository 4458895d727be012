#!/usr/bin/env bash
# The song generator: two runs write the same WAV; it lasts 152 seconds,
# stays below full scale, and its sections have the levels they are made
# with (quiet opening, full tunnel groove, airy stars, quiet end cards).
# The committed files/song.mp3 decodes to the same length.
# usage: bash music_song.sh PATH-TO-ELKA BUILD-DIR
set -euo pipefail
build="$(realpath "$2")"
tool="$build/elka-song"
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x "$tool" ]] || fail "no elka-song in $build"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$tool" "$work/a.wav" 2>/dev/null
"$tool" "$work/b.wav" 2>/dev/null
cmp -s "$work/a.wav" "$work/b.wav" || fail "two runs wrote different files"

[[ "$(soxi -r "$work/a.wav")" == 44100 ]] || fail "rate is not 44100"
[[ "$(soxi -c "$work/a.wav")" == 2 ]] || fail "not stereo"
[[ "$(soxi -s "$work/a.wav")" == $((152 * 44100)) ]] || fail "not 152 seconds"

# Peak and RMS in dBFS of a stretch of the song.
level() { sox "$work/a.wav" -n trim "$1" ="$2" stats 2>&1 | awk -v k="$3" '$0 ~ "^" k " lev dB" {print $4}'; }
peak=$(level 0 152 Pk)
awk -v p="$peak" 'BEGIN { exit !(p <= -1.0) }' || fail "peak $peak dBFS is above -1 dBFS"
louder() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a >= b + d) }'; }
opening=$(level 0 6 RMS); tunnel=$(level 45 65 RMS); stars=$(level 65 75 RMS)
credits=$(level 91 133 RMS); cards=$(level 143 151 RMS)
echo "RMS dBFS: opening $opening, tunnel $tunnel, stars $stars, credits $credits, end cards $cards; peak $peak"
louder "$tunnel" "$opening" 6 || fail "the tunnel groove is not well above the opening"
louder "$tunnel" "$stars" 2 || fail "the stars are not quieter than the tunnel"
louder "$credits" "$cards" 3 || fail "the end cards are not quieter than the credits"
louder "$credits" "$tunnel" -3 || fail "the credits groove is much quieter than the tunnel"
# The drums stop for the stars and come back for the bars: the low band
# (kick and bass) tells.
low() { sox "$work/a.wav" -n trim "$1" ="$2" sinc -150 stats 2>&1 | awk '/^RMS lev dB/ {print $4}'; }
louder "$(low 45 65)" "$(low 65 75)" 6 || fail "no drop in the low band for the stars"
louder "$(low 79 83)" "$(low 65 75)" 6 || fail "no drums back when the bars close in"

ffmpeg -loglevel error -i files/song.mp3 -f s16le -ac 2 -ar 44100 "$work/song.raw"
frames=$(( $(stat -c %s "$work/song.raw") / 4 ))
(( frames > 151 * 44100 && frames < 153 * 44100 )) || fail "files/song.mp3 decodes to $frames frames"
echo "ok"
