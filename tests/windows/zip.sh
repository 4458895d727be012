#!/usr/bin/env bash
# scripts/make_windows_zip.sh writes the zip a Windows user downloads: one
# folder elka/ with elka.exe (the one the tests run), the five
# media with the font's licence and origin, and README.txt with Windows'
# line ends; nothing else.
# usage: bash zip.sh WINDOWS-BUILD LINUX-BUILD
set -euo pipefail
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# --built: the build ./test made; building again here would relink elka.exe
# under the other Wine tests' feet.
scripts/make_windows_zip.sh --built "$scratch/elka-windows-x64.zip" >"$scratch/make.log" 2>&1 ||
    { cat "$scratch/make.log" >&2; echo "FAIL: make_windows_zip.sh failed" >&2; exit 1; }
/usr/bin/python3 - "$scratch/elka-windows-x64.zip" "$1/elka.exe" <<'PY'
import sys, zipfile
archive, built = sys.argv[1], sys.argv[2]
wanted = {"elka/elka.exe", "elka/README.txt"} | {f"elka/files/{n}" for n in (
    "load.bmp", "tunnel.bmp", "star.bmp", "font.ttf", "song.mp3", "font-LICENSE.txt", "font-ORIGIN.txt")}
with zipfile.ZipFile(archive) as z:
    names = {n for n in z.namelist() if not n.endswith("/")}
    if names != wanted:
        sys.exit(f"FAIL: the zip holds {sorted(names ^ wanted)} against what it should")
    for name in wanted - {"elka/elka.exe", "elka/README.txt"}:
        if z.read(name) != open(name.replace("elka/", "", 1), "rb").read():
            sys.exit(f"FAIL: {name} is not the repository's")
    readme = z.read("elka/README.txt")
    if b"\r\n" not in readme or readme.count(b"\n") != readme.count(b"\r\n"):
        sys.exit("FAIL: README.txt has not Windows' line ends")
    exe = z.read("elka/elka.exe")
    if exe[:2] != b"MZ":
        sys.exit("FAIL: elka.exe is not a Windows program")
if open(built, "rb").read() != exe:
    sys.exit("FAIL: the zip's elka.exe is not the build's")
print(f"ok: the zip holds elka.exe ({len(exe)} bytes), the media with the font's licence, and README.txt")
PY
