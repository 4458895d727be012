#!/usr/bin/env bash
# The Wine prefix the Windows build's tests copy (tests/windows/lib/
# wine_prefix.bash), made once per run of the suite: no Mono or Gecko (their
# installers would ask), no display, and a home of its own, so that the
# prefix's folders for documents and the desktop lead to nothing of the
# user's.
# usage: bash prefix.sh FOLDER
set -euo pipefail
command -v wine >/dev/null || { echo "FAIL: wine is not installed (scripts/setup.sh install test installs it)" >&2; exit 1; }
out="$1"
rm -rf "$out"
mkdir -p "$out/home" "$out/runtime"
chmod 700 "$out/runtime"
export WINEPREFIX="$out/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$out/home" \
    XDG_RUNTIME_DIR="$out/runtime" ALSA_CONFIG_PATH=/dev/null PULSE_SERVER="unix:$out/runtime/no-server"
unset DISPLAY
wineboot -i >"$out/wineboot.log" 2>&1 || { cat "$out/wineboot.log" >&2; echo "FAIL: wineboot could not make the prefix" >&2; exit 1; }
# Everything written before the copies are taken: the server ends once the
# prefix's programs have.
wineserver -w
[[ -f "$WINEPREFIX/system.reg" && -d "$WINEPREFIX/drive_c/windows/system32" ]] ||
    { echo "FAIL: wineboot left no registry or system folder in the prefix" >&2; exit 1; }
touch "$WINEPREFIX/.elka-made"
echo "ok: a Wine prefix in $out/prefix ($(du -sh "$WINEPREFIX" | cut -f1))"
