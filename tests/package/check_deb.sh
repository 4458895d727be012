#!/usr/bin/env bash
# The Debian package, made from this build by CPack (what
# `scripts/make_deb.sh` makes from build-package/), and checked as a user's
# machine and an archive would see it:
#   - lintian: no error, and no warning that the package's own overrides do
#     not explain;
#   - the control fields: name, version, architecture, the libraries the
#     binaries need (dpkg-shlibdeps) and what SDL opens at run time;
#   - the files: the launcher and the capture in /usr/bin, the demo in
#     /usr/libexec/elka, the media in /usr/share/elka, owned by root;
#   - the copyright file in Debian's machine-readable format, with the
#     font's OFL in full;
#   - the desktop entry (desktop-file-validate), the metainfo (appstreamcli
#     validate), the icons at the sizes their folders say, the manual pages
#     (man --warnings, every option of elka-capture --help in its page);
#   - unpacked with dpkg-deb -x: elka-capture, run from another folder,
#     writes stills there from the unpacked media (and fails without them);
#     the launcher plays the demo from the unpacked data folder.
# usage: bash check_deb.sh BUILD_DIR   (from the repository root)
set -euo pipefail
build="$(realpath "$1")"
root="$PWD"
probe="python3 $root/tests/e2e/capture_png_probe.py"
work="$(mktemp -d /tmp/elka-package-XXXXXX)"
elka_pid=
cleanup() {
    [[ -n "$elka_pid" ]] && kill -KILL "$elka_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh install test installs it)"
done

# ---------------------------------------------------------------- make it
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
version="$(sed -n 's/^project(elka VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
arch="$(dpkg --print-architecture)"
deb="$work/out/elka_${version}_${arch}.deb"
[[ -f "$deb" ]] || { ls "$work/out"; fail "no elka_${version}_${arch}.deb"; }
echo "made $(basename "$deb"), $(stat -c %s "$deb") bytes"

# ---------------------------------------------------------------- lintian
# Errors and warnings fail; a tag the package overrides (with its reason,
# in /usr/share/lintian/overrides/elka) shows as O: and passes. Tags are
# judged from the report below, so lintian's exit status is left to say
# whether lintian itself ran (--fail-on none: non-zero only when it failed).
lintian_status=0
lintian --fail-on none --tag-display-limit 0 --display-level '>=warning' --show-overrides "$deb" \
    >"$work/lintian.txt" 2>&1 || lintian_status=$?
cat "$work/lintian.txt"
[[ $lintian_status -eq 0 ]] || fail "lintian itself failed (exit status $lintian_status)"
if grep -E '^(E|W): ' "$work/lintian.txt"; then
    fail "lintian reports errors or warnings"
fi

# ---------------------------------------------------------------- control
dpkg-deb -f "$deb" >"$work/control"
field() { sed -n "s/^$1: //p" "$work/control"; }
[[ "$(field Package)" == elka ]] || fail "Package: $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version: $(field Version), not $version"
[[ "$(field Architecture)" == "$arch" ]] || fail "Architecture: $(field Architecture)"
depends="$(field Depends)"
# The package names in Depends, one a line (alternatives too, versions cut).
names="$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/^ *//; s/ *$//')"
for library in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-mixer-2.0-0 libfreetype6 libfontconfig1 libpng16-16 \
    libopengl0 libglu1-mesa libx11-6 libgl1 libegl1 libegl-mesa0 libgl1-mesa-dri fonts-dejavu-core; do
    grep -qxF "$library" <<<"$names" || fail "Depends lacks $library: $depends"
done
grep -Eq "libsdl2-2.0-0 \(>= [0-9]" <<<"$depends" || fail "no version from the shared library's symbols: $depends"
[[ "$(field Suggests)" == ffmpeg ]] || fail "Suggests: $(field Suggests)"
[[ -n "$(field Maintainer)" && -n "$(field Description)" ]] || fail "no Maintainer or Description"

# ---------------------------------------------------------------- files
dpkg-deb -c "$deb" >"$work/contents"
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/contents" || fail "files not owned by root"
listed() { awk '{ print $6 }' "$work/contents" | sed 's#^\./#/#; s#/$##'; }
listed >"$work/paths"
app_id="$(sed -n 's/^ELKA_APP_ID:STRING=//p' "$build/CMakeCache.txt")"
for path in /usr/bin/elka /usr/bin/elka-capture /usr/libexec/elka/elka \
    /usr/share/elka/files/{tunnel.bmp,star.bmp,load.bmp,font.ttf,song.mp3} \
    /usr/share/doc/elka/{copyright,changelog.gz,font-ORIGIN.txt} \
    /usr/share/man/man1/{elka.1.gz,elka-capture.1.gz} \
    "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml" \
    /usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/elka.png; do
    grep -qx "$path" "$work/paths" || fail "the package has no $path"
done
grep -E '^/usr/share/elka/files/.*\.txt$' "$work/paths" && fail "licence texts among the media"
grep -Ev '^/usr(/(bin|libexec|share)(/.*)?)?$' "$work/paths" && fail "files outside /usr/bin, /usr/libexec and /usr/share"
mode() { awk -v p="./${1#/}" '$6 == p { print $1 }' "$work/contents"; }
[[ "$(mode /usr/bin/elka)" == -rwxr-xr-x && "$(mode /usr/bin/elka-capture)" == -rwxr-xr-x ]] || fail "programs not 0755"
[[ "$(mode /usr/share/elka/files/song.mp3)" == -rw-r--r-- ]] || fail "media not 0644"

mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
r="$work/root"
file "$r/usr/libexec/elka/elka" "$r/usr/bin/elka-capture" | grep -v "ELF 64-bit\|ELF 32-bit" && fail "not ELF programs"
file "$r/usr/libexec/elka/elka" | grep -q "not stripped" && fail "the demo is not stripped"
for f in tunnel.bmp star.bmp load.bmp font.ttf song.mp3; do
    cmp -s "$root/files/$f" "$r/usr/share/elka/files/$f" || fail "the package's $f differs from files/$f"
done

# ---------------------------------------------------------------- copyright
python3 - "$r/usr/share/doc/elka/copyright" "$root/files/font-LICENSE.txt" <<'PY' || fail "copyright file"
import sys
text = open(sys.argv[1], encoding="utf-8").read()
paragraphs = [p for p in text.split("\n\n") if p.strip()]
def fields(p):
    out, key = {}, None
    for line in p.split("\n"):
        if line.startswith((" ", "\t")):
            out[key] += "\n" + line[1:]
        else:
            key, _, value = line.partition(":")
            out[key] = value.strip()
    return out
parsed = [fields(p) for p in paragraphs]
header = parsed[0]
assert header.get("Format") == "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/", "Format line"
files = {p["Files"]: p for p in parsed[1:] if "Files" in p}
assert "*" in files, "a Files: * paragraph"
font = files.get("files/font.ttf")
assert font and font["License"] == "OFL-1.1", "the font's paragraph with License: OFL-1.1"
assert "Red Hat" in font["Copyright"] and "Google" in font["Copyright"], "the font's copyright holders"
licences = [p for p in parsed[1:] if "Files" not in p and "License" in p]
ofl = [p for p in licences if p["License"].split("\n")[0] == "OFL-1.1"]
assert ofl, "a stand-alone License: OFL-1.1 paragraph with the text"
body = "\n".join("" if l == "." else l for l in ofl[0]["License"].split("\n")[1:])
original = open(sys.argv[2], encoding="utf-8").read()
original = original[original.index("SIL OPEN FONT LICENSE Version 1.1"):]
norm = lambda s: " ".join(s.split())
assert norm(body) == norm(original), "the OFL text in copyright is files/font-LICENSE.txt's"
for p in parsed[1:]:  # every licence named in a Files paragraph has its text
    if "Files" in p and "\n" not in p["License"]:
        assert any(l["License"].split("\n")[0] == p["License"] for l in licences) or \
            any(f["License"].startswith(p["License"] + "\n") for f in parsed[1:]), "text of " + p["License"]
print("copyright: machine-readable, font under OFL-1.1 with the full text")
PY

# ---------------------------------------------------------------- desktop, metainfo, icons
desktop="$r/usr/share/applications/$app_id.desktop"
desktop-file-validate "$desktop" >"$work/desktop.txt" 2>&1 || { cat "$work/desktop.txt"; fail "desktop-file-validate"; }
[[ ! -s "$work/desktop.txt" ]] || { cat "$work/desktop.txt"; fail "desktop-file-validate has remarks"; }
grep -qx "Exec=elka" "$desktop" && grep -qx "Icon=elka" "$desktop" || fail "the entry runs elka with the elka icon"
metainfo="$r/usr/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/metainfo.txt" 2>&1 || { cat "$work/metainfo.txt"; fail "appstreamcli validate"; }
echo "appstreamcli: $(tail -1 "$work/metainfo.txt")"
python3 - "$metainfo" "$app_id" "$version" "$root/packaging/changelog" "$build/CMakeCache.txt" <<'PY' || fail "metainfo"
import re, sys, xml.etree.ElementTree as ET
component = ET.parse(sys.argv[1]).getroot()
app_id, version = sys.argv[2], sys.argv[3]
assert component.findtext("id") == app_id, "id"
assert component.find("launchable").text == app_id + ".desktop", "launchable names the desktop entry"
release = component.find("releases/release")
assert release.get("version") == version, "release version is the package's"
head = open(sys.argv[4]).readline()
assert head.startswith("elka (%s) " % version), "the changelog's first entry is this version: " + head
trailer = [l for l in open(sys.argv[4]) if l.startswith(" -- ")][0]
import email.utils
date = email.utils.parsedate_to_datetime(trailer.split("  ")[-1].strip()).date().isoformat()
assert release.get("date") == date, "release date %s is the changelog's %s" % (release.get("date"), date)
image = component.find("screenshots/screenshot/image")
assert image.text.startswith("https://") and image.text.endswith(".png"), "screenshot URL"
print("metainfo: id, launchable, release %s of %s, screenshot %sx%s" % (version, date, image.get("width"), image.get("height")))
PY
for dir in "$r"/usr/share/icons/hicolor/*x*; do
    size="${dir##*/}"
    # IHDR: width, height, bit depth 8, colour type 6 (RGB with alpha)
    read -r w h kind < <(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(26); print(*struct.unpack(">II",d[16:24]), d[24:26].hex()) if d[:8]==b"\x89PNG\r\n\x1a\n" else print(0, 0, 0)' "$dir/apps/elka.png")
    [[ "${w}x${h}" == "$size" && "$kind" == 0806 ]] || fail "icon in $size is ${w}x${h}, depth and colour type $kind"
done

# ---------------------------------------------------------------- manual pages
for page in elka elka-capture; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$r/usr/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.err" ||
        { cat "$work/$page.err"; fail "man cannot show $page.1"; }
    [[ ! -s "$work/$page.err" ]] || { cat "$work/$page.err"; fail "man --warnings on $page.1"; }
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES "SEE ALSO"; do
        grep -q "^$section" "$work/$page.txt" || fail "$page.1 has no $section"
    done
done
grep -q "^KEYS" "$work/elka.txt" && grep -q "Escape" "$work/elka.txt" && grep -q "F1" "$work/elka.txt" ||
    fail "elka.1 names the keys"
grep -q "^EXAMPLES" "$work/elka-capture.txt" || fail "elka-capture.1 has no EXAMPLES"
options="$("$r/usr/bin/elka-capture" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u)"
[[ -n "$options" ]] || fail "elka-capture --help lists no options"
for option in $options; do
    grep -q -- "$option" "$work/elka-capture.txt" || fail "elka-capture.1 does not describe $option"
done
echo "manual pages: no warnings; $(wc -w <<<"$options") options of elka-capture --help described"

# ---------------------------------------------------------------- run it unpacked
unset DISPLAY WAYLAND_DISPLAY
mkdir "$work/elsewhere"
cd "$work/elsewhere"
[[ ! -e files ]] || fail "files/ here"
screenshot_w="$(sed -n 's/.*<image type="source" width="\([0-9]*\)".*/\1/p' "$metainfo")"
screenshot_h="$(sed -n 's/.*<image type="source" .*height="\([0-9]*\)".*/\1/p' "$metainfo")"
mkdir shots
"$r/usr/bin/elka-capture" --quiet --fps 2 --end 58.5 --still 3=start.png --still 58=shots/tunnel.png \
    2>"$work/capture.err" || { cat "$work/capture.err"; fail "the unpacked elka-capture failed"; }
[[ ! -s "$work/capture.err" ]] || { cat "$work/capture.err"; fail "the capture complained"; }
[[ -f start.png && -f shots/tunnel.png ]] || fail "the stills are not in the caller's folder: $(ls -R)"
[[ "$($probe size start.png)" == "800 600" ]] || fail "the start still is not 800x600"
read -r x0 y0 x1 y1 <<<"$($probe bbox start.png notblack)"
(( x0 >= 200 && x1 <= 600 && y0 >= 100 && y1 <= 500 )) || fail "the start picture is not centred on black ($x0 $y0 $x1 $y1)"
[[ "$($probe share start.png 300 200 500 400 bright)" != 0.0000 ]] || fail "the start picture is dark"
[[ "$($probe size shots/tunnel.png)" == "$screenshot_w $screenshot_h" ]] || fail "the screenshot's size is not the metainfo's"
[[ "$($probe share shots/tunnel.png 0 0 800 600 black)" < 0.5000 ]] || fail "the tunnel still is mostly black"
echo "unpacked elka-capture: start.png and shots/tunnel.png written in the caller's folder"
# Its own media, not the repository's nor an installed copy's: without
# them the unpacked capture cannot start.
mv "$r/usr/share/elka/files/load.bmp" "$work/load.bmp"
status=0
"$r/usr/bin/elka-capture" --quiet --end 1 --still 0=none.png >"$work/missing.out" 2>&1 || status=$?
mv "$work/load.bmp" "$r/usr/share/elka/files/load.bmp"
[[ "$status" == 1 && ! -e none.png ]] || { cat "$work/missing.out"; fail "the capture without its load.bmp: status $status"; }
grep -q "Initialization Failed!" "$work/missing.out" || { cat "$work/missing.out"; fail "no start-up message without load.bmp"; }

# The launcher passes the demo's options through: --version answers from
# the unpacked demo, with the package's version.
[[ "$("$r/usr/bin/elka" --version)" == "elka $(dpkg-deb -f "$deb" Version | sed 's/-.*//')" ]] ||
    fail "the launcher's elka --version says '$("$r/usr/bin/elka" --version 2>&1)'"

# The launcher: plays the unpacked demo in the unpacked data folder (SDL's
# offscreen driver, no sound), until SIGTERM, with status 0.
# Line-buffered (stdbuf, through the launcher's exec), so "Loading the
# song..." shows in the file as the demo gets there.
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy stdbuf -oL "$r/usr/bin/elka" >"$work/elka.out" 2>"$work/elka.err" &
elka_pid=$!
deadline=$((SECONDS + 120)) # a limit on a hang: the song is loaded after the window and the GL resources
while ((SECONDS < deadline)); do
    grep -q "Loading the song" "$work/elka.out" 2>/dev/null && break
    kill -0 "$elka_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q "Loading the song" "$work/elka.out" || { cat "$work/elka.err"; fail "the launcher's demo did not start within 120 s"; }
[[ "$(readlink "/proc/$elka_pid/exe")" == "$r/usr/libexec/elka/elka" ]] || fail "the launcher did not become the unpacked demo"
[[ "$(readlink "/proc/$elka_pid/cwd")" == "$r/usr/share/elka" ]] || fail "the demo does not run in the unpacked data folder"
sleep 2
kill -0 "$elka_pid" 2>/dev/null || { cat "$work/elka.out" "$work/elka.err"; fail "the launcher's demo ended by itself"; }
kill -TERM "$elka_pid"
status=0
wait "$elka_pid" || status=$?
elka_pid=
[[ "$status" == 0 ]] || { cat "$work/elka.err"; fail "the demo's status after SIGTERM: $status"; }
grep -qx "Loading the song..." "$work/elka.out" || fail "the demo did not load its song"
echo "unpacked launcher: the demo played from $r/usr/share/elka"
echo "package ok"
