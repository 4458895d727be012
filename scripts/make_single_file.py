#!/usr/bin/python3
"""The page as one file: out/web/index.html with its scripts written in
place of the loader that asks for them, and the media and elka.wasm as base64 in
a script before them (the page hands the WebAssembly to elka.js itself),
so that the page plays from file:// with a double-click, no server and no
fetch. The icon goes in as data; the manifest and the service worker stay
out.

  make_single_file.py WEB-DIR OUT-HTML
"""
import base64
import os
import re
import sys

web, out = sys.argv[1:3]
media = {name: os.path.join(web, "files", name) for name in ["load.bmp", "tunnel.bmp", "star.bmp", "font.ttf", "song.mp3"]}
media["elka.wasm"] = os.path.join(web, "elka.wasm")


def inline(text):
    # A script's text ends at the first "</script": none may stand in it.
    return text.replace("</script", "<\\/script")


page = open(os.path.join(web, "index.html"), encoding="utf-8").read()
embedded = ",\n".join(
    f'  "{name}": "{base64.b64encode(open(path, "rb").read()).decode()}"' for name, path in media.items())
licence = open(os.path.join(web, "files", "font-LICENSE.txt"), encoding="utf-8").read()


def script(src):
    text = open(os.path.join(web, src), encoding="utf-8").read()
    if src == "page.js":
        text = "globalThis.elkaEmbeddedMedia = {\n" + embedded + "\n};\n" + text
    return "<script>\n" + inline(text) + "\n</script>"


# The icon goes in as data; the manifest and the service worker are for a
# served page (a file cannot be installed or kept).
icon = base64.b64encode(open(os.path.join(web, "icons", "elka-32.png"), "rb").read()).decode()
page, icons = re.subn(r'<link rel="icon" href="[^"]+">', f'<link rel="icon" href="data:image/png;base64,{icon}">', page)
page, manifests = re.subn(r'<link rel="manifest" href="[^"]+">\n', "", page)
if icons != 1 or manifests != 1:
    sys.exit(f"index.html has {icons} icons and {manifests} manifests, not the one of each this expects")
# The served page asks for its scripts after its first paint; the file
# holds them, in the same order, in place of what asks.
loader = re.search(r'<script id="loader">.*?</script>', page, re.S)
names = re.findall(r"'([^']+\.js)'", loader.group(0)) if loader else []
if len(names) != 4:
    sys.exit(f"index.html's loader names {len(names)} scripts, not the 4 this expects")
page = page[:loader.start()] + "\n".join(script(name) for name in names) + page[loader.end():]
# The font's licence travels with the font it is embedded with.
page = page.replace("<head>", "<head>\n<!--\nfiles/font.ttf (embedded below): " + inline(licence).replace("--", "- -") + "\n-->", 1)
with open(out, "w", encoding="utf-8") as f:
    f.write(page)
print(f"{out}: {os.path.getsize(out) / 1e6:.2f} MB, one file")
