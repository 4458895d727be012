#!/usr/bin/env bash
# The Windows build's frames on a fixed clock (elka-frames.exe: the demo's
# own 800 x 600 window under Wine, timed by the capture's fixed-step
# counter) against the Linux capture's stills of the same moments: the
# middle frame of every scene within 2/255 mean per channel.
# usage: bash frames.sh WINDOWS-BUILD LINUX-BUILD
source "$(dirname "$0")/lib/wine_session.bash"
fps=10
start_xvfb 1280x720x24
start_wine
prepare_workdir
cd "$workdir"

# Where each scene starts, from the Linux capture; the middle of each.
"$linux_build/elka-capture" -q --fps "$fps" --chapters "$scratch/chapters.tsv" >"$scratch/capture.log" 2>&1 ||
    fail "elka-capture could not write the chapters: $(cat "$scratch/capture.log")"
mapfile -t middles < <(awk -F'\t' -v fps="$fps" 'NR > 1 { if (prev != "") printf "%s %.1f\n", scene, (prev + $2) / 2 / fps;
    scene = $1; prev = $2 }' "$scratch/chapters.tsv")
(( ${#middles[@]} >= 24 )) || fail "only ${#middles[@]} scenes in the chapters"

windows_args=() linux_args=() pairs=()
for entry in "${middles[@]}"; do
    read -r scene seconds <<<"$entry"
    windows_args+=("$seconds=$(winepath -w "$scratch/w$scene.bmp")")
    linux_args+=(--still "$seconds=$scratch/l$scene.png")
    pairs+=("$scratch/w$scene.bmp=$scratch/l$scene.png=scene $scene at $seconds s")
done
"$linux_build/elka-capture" -q --fps "$fps" "${linux_args[@]}" >"$scratch/stills.log" 2>&1 ||
    fail "elka-capture could not draw the stills: $(cat "$scratch/stills.log")"
timeout -k 5 240 wine "$windows_build/elka-frames.exe" "$fps" "${windows_args[@]}" >"$scratch/frames.log" 2>&1 ||
    fail "elka-frames.exe failed: $(cat "$scratch/frames.log")"
/usr/bin/python3 "$(dirname "$0")/lib/frame_compare.py" 2 "${pairs[@]}" || fail "a frame differs from the Linux still"
echo "ok: the middle frame of each of ${#middles[@]} scenes within 2/255 of the Linux capture"
