#!/usr/bin/python3
"""Makes files/font.ttf: Liberation Mono Regular (SIL Open Font License 1.1,
Debian package fonts-liberation2) renamed to the face the demo asks for,
"Secret Service Typewriter". Outlines, metrics and tables are kept as they
are; only the names change, and with them every use of the reserved font
name "Liberation" as a font name. Also writes the licence and a note of
origin beside it.

Run with Debian's Python, which has python3-fonttools:
    /usr/bin/python3 tools/font/make_font.py [SOURCE.ttf] [OUT_DIR]
"""
import os
import sys

from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf"
COPYRIGHT = "/usr/share/doc/fonts-liberation2/copyright"
FAMILY = "Secret Service Typewriter"
STYLE = "Regular"
POSTSCRIPT = "SecretServiceTypewriter-Regular"

# name ID -> new text; IDs not listed keep the source's text.
NEW_NAMES = {
    1: FAMILY,
    2: STYLE,
    3: "eLka: " + POSTSCRIPT,
    4: FAMILY,
    6: POSTSCRIPT,
    16: FAMILY,
    17: STYLE,
    10: "Modified Version of Liberation Mono Regular 2.1.5 made for the eLka "
        "demo: renamed, outlines unchanged.",
}
# The trademark notice and the vendor and designer addresses speak for the
# original; the renamed font makes no such claim.
DROP_NAMES = {7, 8, 9, 11, 12, 18, 21, 22}


def rename(font):
    name = font["name"]
    name.names = [n for n in name.names if n.nameID not in DROP_NAMES and n.nameID not in NEW_NAMES]
    for name_id, text in NEW_NAMES.items():
        name.setName(text, name_id, 3, 1, 0x409)  # Windows, Unicode BMP, en-US
        name.setName(text, name_id, 1, 0, 0)      # Macintosh, Roman, English
    for record in name.names:
        if "Liberation" in record.toUnicode() and record.nameID not in (0, 10, 13, 14):
            raise SystemExit("reserved name left in name record %d" % record.nameID)
    # The font's own identifiers beyond the name table.
    if "FFTM" in font:
        del font["FFTM"]  # a FontForge time stamp of the original build
    font["OS/2"].achVendID = "NONE"


def license_text():
    """The copyright notice and the licence, from Debian's copyright file."""
    with open(COPYRIGHT, encoding="utf-8") as f:
        lines = f.read().splitlines()
    out, in_stanza = [], False
    for line in lines:
        if line.startswith("Files: *"):
            in_stanza = True
            continue
        if in_stanza and line.startswith("Files:"):
            break
        if not in_stanza:
            continue
        text = line[1:] if line.startswith(" ") else line
        if text == ".":
            text = ""
        if text.startswith("Copyright:") or text.startswith("License:"):
            text = text.split(":", 1)[1].strip()
            if not text:
                continue
        out.append(text.strip() if text.startswith(" ") else text)
    return "\n".join(out).strip() + "\n"


ORIGIN = """files/font.ttf: "Secret Service Typewriter"

A Modified Version (in the sense of the SIL Open Font License 1.1) of
Liberation Mono Regular, version 2.1.5, as installed by the Debian 12 package
fonts-liberation2 (/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf;
upstream https://github.com/liberationfonts).

What was changed, by tools/font/make_font.py with Debian's fontTools:
- the family, style, full, unique and PostScript names (name IDs 1-4, 6,
  16, 17) now read "Secret Service Typewriter" / "Regular": the licence
  reserves the font name "Liberation" (and Arimo, Tinos, Cousine), so a
  modified version must not be presented under it;
- the description (name ID 10) says it is a modified version;
- the trademark notice, vendor, designer and their addresses (name IDs 7,
  8, 9, 11, 12), the FontForge time stamp (FFTM) and the vendor ID in OS/2
  were dropped, so the renamed font claims nothing for the original's
  authors.
The copyright notice (name ID 0) and the licence records (name IDs 13, 14)
are kept. Outlines, hinting and metrics are unchanged. The demo draws the
face bold by emboldening the outlines, as a bold request of a regular face
asks.

Licence: SIL Open Font License 1.1, in files/font-LICENSE.txt. The font stays
under that licence; it is not sold by itself.
"""


NAME = "tools/font/make_font.py"
USAGE = """Usage: tools/font/make_font.py [SOURCE.ttf] [OUT_DIR]
Writes OUT_DIR/font.ttf (default: files/), the eLka demo's font: SOURCE.ttf
(default: Debian's Liberation Mono Regular) renamed to Secret Service
Typewriter, with its licence and a note of origin beside it.

      --help     show this help and exit
      --version  show the version and exit"""


def usage_error(what):
    sys.stderr.write("%s: %s\nTry '%s --help' for more information.\n" % (NAME, what, NAME))
    sys.exit(2)


def version(root):
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("project(elka VERSION "):
                return line.split()[2]
    return "unknown"


# As every elka program: --help and --version answer, anything else that
# is no file name is a usage error, before a file is touched.
def operands(argv, root):
    for arg in argv:
        if arg in ("--help", "-h"):
            print(USAGE)
            sys.exit(0)
        if arg == "--version":
            print("%s %s" % (NAME, version(root)))
            sys.exit(0)
        if len(arg) > 1 and arg.startswith("-"):
            usage_error("unrecognized option '%s'" % arg)
    if len(argv) > 2:
        usage_error("unexpected argument '%s'" % argv[2])
    return argv


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    args = operands(sys.argv[1:], root)
    source = args[0] if len(args) > 0 else SOURCE
    out_dir = args[1] if len(args) > 1 else os.path.join(root, "files")
    os.makedirs(out_dir, exist_ok=True)
    font = TTFont(source)
    if "glyf" not in font:
        raise SystemExit("%s has no TrueType outlines" % source)
    rename(font)
    font.save(os.path.join(out_dir, "font.ttf"))
    with open(os.path.join(out_dir, "font-LICENSE.txt"), "w", encoding="utf-8") as f:
        f.write(license_text())
    with open(os.path.join(out_dir, "font-ORIGIN.txt"), "w", encoding="utf-8") as f:
        f.write(ORIGIN)


if __name__ == "__main__":
    main()
