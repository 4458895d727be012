#!/usr/bin/env bash
# elka-capture -o: a short video that ffprobe reads back with the expected
# frame count, size, frame rate, a sound stream and chapters; --frames in
# the same run writes every frame as a PNG picture.
set -euo pipefail
source "$(dirname "$0")/lib/capture_common.bash" "$@"

"$capture" --fps 10 --size 160x120 --end 7 --quiet -o "$work/short.mp4" --frames "$work/frames"
stream() { ffprobe -v error -select_streams "$1" -show_entries "stream=$2" -of default=noprint_wrappers=1:nokey=1 "$work/short.mp4"; }
[[ "$(stream v:0 codec_name)" == h264 ]] || fail "video is H.264"
[[ "$(stream v:0 width),$(stream v:0 height)" == "160,120" ]] || fail "video size 160x120"
[[ "$(stream v:0 r_frame_rate)" == "10/1" ]] || fail "frame rate 10: $(stream v:0 r_frame_rate)"
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of default=noprint_wrappers=1:nokey=1 "$work/short.mp4")
[[ "$frames" == 70 ]] || fail "7 s at 10 frames per second: 70 frames, not $frames"
[[ "$(stream a:0 codec_name)" == aac ]] || fail "the song as AAC"
duration=$(stream a:0 duration)
python3 -c "import sys; sys.exit(0 if abs($duration - 7) < 0.1 else 1)" || fail "sound cut to the video: $duration s"
ffprobe -v error -show_chapters -of json "$work/short.mp4" | python3 -c '
import json, sys
chapters = [(float(c["start_time"]), float(c["end_time"]), c["tags"]["title"]) for c in json.load(sys.stdin)["chapters"]]
expected = [(0.0, 6.0, "-1: the picture of files/load.bmp on black"),
            (6.0, 7.0, "0: \"pigs..\" behind a window frame on white")]
sys.exit(0 if chapters == expected else f"chapters: {chapters}")
' || fail "the chapters of scenes -1 and 0"

# --frames: one picture per frame, numbered from 0, the last one the
# video's last frame.
count=$(find "$work/frames" -name 'frame-*.png' | wc -l)
[[ "$count" == 70 ]] || fail "70 frame pictures, not $count"
[[ -f "$work/frames/frame-000000.png" && -f "$work/frames/frame-000069.png" ]] || fail "frames numbered 0 to 69"
[[ -z "$(find "$work" -name '.*')" ]] || fail "temporary files left: $(find "$work" -name '.*')"

# MKV by the extension.
"$capture" --fps 10 --size 160x120 --end 1 --quiet -o "$work/short.mkv"
[[ "$(ffprobe -v error -show_entries format=format_name -of default=noprint_wrappers=1:nokey=1 "$work/short.mkv")" == matroska,webm ]] ||
    fail "an .mkv name gives a Matroska file"
echo "video ok"
