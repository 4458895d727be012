#!/usr/bin/env bash
# The window system's rules on the Win32 backend, under Wine on a private
# Xvfb, against the desktop's: face_probe's lines, the same line for line.
# usage: bash windows.sh WINDOWS-BUILD LINUX-BUILD
source "$(dirname "$0")/../windows/lib/wine_session.bash"
desktop_probe="$linux_build/tests/platform_face/face_probe"
windows_probe="$windows_build/tests/platform_face/face_probe.exe"
[[ -x "$desktop_probe" ]] || fail "no $desktop_probe: build the default preset"
[[ -f "$windows_probe" ]] || fail "no $windows_probe: build the windows preset"
start_xvfb 1024x768x24
start_wine
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout "$hang_limit" "$desktop_probe" >"$scratch/desktop.txt" ||
    fail "the desktop's probe failed: $(tail -3 "$scratch/desktop.txt")"
timeout "$hang_limit" wine "$windows_probe" 2>"$scratch/windows.err" | tr -d '\r' >"$scratch/windows.txt" ||
    fail "the Windows probe failed: $(tail -3 "$scratch/windows.txt") $(tail -3 "$scratch/windows.err")"
grep -q '^probe: end ' "$scratch/desktop.txt" || fail "the desktop's probe did not reach its end"
diff -u "$scratch/desktop.txt" "$scratch/windows.txt" || fail "the Windows build's window rules differ from the desktop's (above)"
echo "ok: $(grep -c '' "$scratch/windows.txt") lines of the window rules, the same on Win32 as on the desktop"
