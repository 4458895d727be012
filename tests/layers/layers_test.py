#!/usr/bin/env python3
"""The build's layering, tried with the compiler: a source of each layer,
compiled with the exact command the build uses for it, can include the
headers of the layers its library links and of no layer above it.

    layers_test.py BUILD_DIR
"""
import json
import os
import shlex
import subprocess
import sys
import tempfile

# Each layer and the layers under it that it links, as src/layers.txt
# declares them for every build.
def read_links(path):
    links = {}
    with open(path) as f:
        for line in f:
            if line.startswith("#") or ":" not in line:
                continue
            layer, rest = line.split(":", 1)
            links[layer.strip()] = [w for w in rest.split() if w not in ("public", "private")]
    return links


SOURCE_ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src")
LINKS = read_links(os.path.join(SOURCE_ROOT, "layers.txt"))
# One header of each layer.
HEADER = {
    "gles": "gles/gles_layer.h",
    "present": "present/drawable.h",
    "platform": "platform/messages.h",
    "shared": "shared/shared_state.h",
    "resources": "resources/textures.h",
    "audio": "audio/music_player.h",
    "effects": "effects/tunnel.h",
    "timeline": "timeline/timeline.h",
    "app": "app/entry.h",
}
# Libraries only the platform layer may see. SDL's and FreeType's headers
# are reached only through include paths the platform layer keeps to
# itself; fontconfig's stand in the compiler's default path, so for them
# the sources are read instead.
FOREIGN = ["SDL.h", "SDL_mixer.h", "ft2build.h"]
FOREIGN_PREFIXES = ("SDL", "ft2build.h", "freetype", "fontconfig/")
# Windows' own headers, for the Win32 backend alone.
WINDOWS_HEADERS = ("windows.h", "mmsystem.h", "mmreg.h", "msacm.h", "wingdi.h", "winuser.h", "platform/win32/")


def compiles(command, directory, text):
    """Compiles `text` with `command` in place of the layer's own source."""
    with tempfile.TemporaryDirectory() as tmp:
        probe = os.path.join(tmp, "probe.cpp")
        with open(probe, "w") as f:
            f.write(text)
        args = shlex.split(command)
        # -o and the source file are replaced; -c stays.
        out = []
        skip = False
        for a in args:
            if skip:
                skip = False
                continue
            if a == "-o":
                skip = True
                continue
            if a.endswith(".cpp"):
                continue
            out.append(a)
        out += ["-fsyntax-only", probe]
        return subprocess.run(out, cwd=directory, capture_output=True).returncode == 0


def main():
    build = sys.argv[1]
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    command_of = {}
    for e in entries:
        parts = e["file"].split(os.sep)
        if "src" in parts:
            i = parts.index("src")
            # main.cpp is the program, schedule.cpp a library of its own
            # that sees less than the timeline does.
            if i + 1 < len(parts) and parts[i + 1] in LINKS and parts[-1] not in ("main.cpp", "schedule.cpp", "scene_table.cpp"):
                command_of.setdefault(parts[i + 1], (e["command"], e["directory"]))
    failures = []
    checked = 0
    for layer, (command, directory) in sorted(command_of.items()):
        allowed = set(LINKS[layer]) | {layer}
        for other, header in HEADER.items():
            ok = compiles(command, directory, f'#include "{header}"\n')
            checked += 1
            if other in allowed and not ok:
                failures.append(f"{layer} cannot include {header}, from a layer it links")
            if other not in allowed and ok:
                failures.append(f"{layer} can include {header}, from a layer it does not link")
        if layer != "platform":
            for header in FOREIGN:
                checked += 1
                if compiles(command, directory, f"#include <{header}>\n"):
                    failures.append(f"{layer} can include <{header}>, which only the platform layer may see")
    source_root = SOURCE_ROOT
    for layer in LINKS:
        if layer == "platform":
            continue
        folder = os.path.join(source_root, layer)
        for name in sorted(os.listdir(folder)):
            if not os.path.isfile(os.path.join(folder, name)):
                continue  # gles/include: the GL headers the ES build shows the system
            with open(os.path.join(folder, name), errors="replace") as f:
                for number, line in enumerate(f, 1):
                    words = line.split()
                    if len(words) >= 2 and words[0] == "#include" and words[1].strip('<>"').startswith(FOREIGN_PREFIXES + WINDOWS_HEADERS):
                        failures.append(f"src/{layer}/{name}:{number} includes {words[1]}")
            checked += 1
    # Inside the platform layer, each backend's libraries stay in its folder:
    # SDL, FreeType and fontconfig in sdl/ (and in host/sdl/, the host
    # library's part that asks SDL), emscripten in web/, Windows' headers in
    # win32/; the face, the shared rules and the rest of the host library
    # see none.
    platform = os.path.join(source_root, "platform")
    for folder, _, names in os.walk(platform):
        parts = os.path.relpath(folder, platform).split(os.sep)
        part = parts[1] if parts[0] == "host" and len(parts) > 1 else parts[0]
        for name in sorted(names):
            if not name.endswith((".cpp", ".h")):
                continue
            with open(os.path.join(folder, name), errors="replace") as f:
                for number, line in enumerate(f, 1):
                    words = line.split()
                    if len(words) < 2 or words[0] != "#include":
                        continue
                    target = words[1].strip('<>"')
                    desktop = target.startswith(FOREIGN_PREFIXES)
                    browser = target.startswith("emscripten")
                    windows = target.lower().startswith(WINDOWS_HEADERS)
                    if (desktop and part != "sdl") or (browser and part != "web") or (windows and part != "win32"):
                        where = os.path.relpath(os.path.join(folder, name), source_root)
                        failures.append(f"src/{where}:{number} includes {words[1]} outside its backend's folder")
            checked += 1
    if set(HEADER) != set(LINKS):
        failures.append("layers.txt names " + ", ".join(sorted(LINKS)) + "; this test knows " + ", ".join(sorted(HEADER)))
    missing = sorted(set(LINKS) - set(command_of))
    if missing:
        failures.append("no compile command found for " + ", ".join(missing))
    for f in failures:
        print("FAIL:", f)
    print(f"{checked - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
