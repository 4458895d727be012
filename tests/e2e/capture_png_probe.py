#!/usr/bin/python3
"""Reads 8-bit RGB PNG pictures (as elka-capture writes them) for the capture
tests.

  capture_png_probe.py size FILE                 -> "W H"
  capture_png_probe.py pixel FILE X Y            -> "R G B" (Y from the top)
  capture_png_probe.py share FILE X0 Y0 X1 Y1 [X0 Y0 X1 Y1 ...] KIND
      -> for each rectangle, one line: the share (0..1) of the pixels in
         [X0, X1) x [Y0, Y1) that are KIND:
         black (every channel below 16), white (every channel above 224),
         blue (blue at least 40 above red and green), bright (some channel
         above 160), emptycell (the contact sheet's empty thumbnail)
  capture_png_probe.py bbox FILE KIND            -> "X0 Y0 X1 Y1" of the
         KIND pixels (notblack: some channel 16 or more), or "none"
  capture_png_probe.py ink FILE R G B X0 Y0 X1 Y1 [X0 Y0 X1 Y1 ...]
      -> for each rectangle, one line: "X0 Y0 X1 Y1 SHADES" of the pixels in
         it that are not the background colour R G B, and how many distinct
         colours they have; "none" when every pixel there is the background
  capture_png_probe.py differ FILE X Y OTHER    -> how many pixels of the
         picture OTHER differ from FILE's pixels under it, OTHER's top-left
         corner at (X, Y) of FILE
  capture_png_probe.py serve
      -> the commands above, one a line on standard input, their
         arguments separated by tabs; each answered with its lines and then
         "\x04 STATUS" (0, or 1 with the reason on standard error), so that
         a test pays for Python's start-up once
  capture_png_probe.py frames SEQUENCE STILLS W H N0 N1 ...
      -> for each picture i of the numbered sequence STILLS (an ffmpeg
         pattern such as dir/still-%02d.png, from 0), one line: how many of
         its pixels differ from picture N_i of the sequence SEQUENCE (from
         0), all W x H; each sequence decoded by one ffmpeg
"""
import contextlib
import io
import os
import struct
import subprocess
import sys


_decoded = {}


def read_png(path):
    """Decoded once for each version of the file (its size and time)."""
    info = os.stat(path)
    key = (path, info.st_size, info.st_mtime_ns)
    if key not in _decoded:
        _decoded[key] = _read_png(path)
    return _decoded[key]


def _read_png(path):
    """Size from the PNG header (checked to be 8-bit RGB), pixels decoded by
    ffmpeg's own PNG decoder into raw RGB rows, top row first."""
    with open(path, "rb") as f:
        head = f.read(33)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise SystemExit(f"{path}: not a PNG file")
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", head[16:29])
    if depth != 8 or colour != 2:
        raise SystemExit(f"{path}: not an 8-bit RGB picture")
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, stdout=subprocess.PIPE).stdout
    if len(raw) != width * height * 3:
        raise SystemExit(f"{path}: decoded to {len(raw)} bytes, not {width} x {height} x 3")
    stride = width * 3
    return width, height, [raw[y * stride:(y + 1) * stride] for y in range(height)]


def read_sequence(pattern, width, height):
    """The numbered pictures of an ffmpeg image sequence as raw RGB frames."""
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-start_number", "0", "-i", pattern,
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], check=True, stdout=subprocess.PIPE).stdout
    size = width * height * 3
    if len(raw) % size:
        raise SystemExit(f"{pattern}: decoded to {len(raw)} bytes, not a whole number of {width} x {height} frames")
    return [raw[i:i + size] for i in range(0, len(raw), size)]


def main_frames(argv):
    width, height = int(argv[4]), int(argv[5])
    sequence = read_sequence(argv[2], width, height)
    stills = read_sequence(argv[3], width, height)
    wanted = [int(n) for n in argv[6:]]
    if len(stills) != len(wanted):
        raise SystemExit(f"{len(stills)} pictures in {argv[3]}, {len(wanted)} frame numbers")
    for still, n in zip(stills, wanted):
        if n >= len(sequence):
            raise SystemExit(f"no picture {n} in {argv[2]} ({len(sequence)} pictures)")
        frame = sequence[n]
        print(sum(still[i:i + 3] != frame[i:i + 3] for i in range(0, len(still), 3)))


def is_kind(r, g, b, kind):
    if kind == "black":
        return r < 16 and g < 16 and b < 16
    if kind == "notblack":
        return not (r < 16 and g < 16 and b < 16)
    if kind == "white":
        return r > 224 and g > 224 and b > 224
    if kind == "blue":
        return b >= r + 40 and b >= g + 40
    if kind == "emptycell":  # the contact sheet's colour for a scene without a picture
        return (r, g, b) == (60, 60, 66)
    if kind == "bright":
        return max(r, g, b) > 160
    raise SystemExit(f"unknown kind {kind}")


def main(argv):
    if argv[1] == "frames":
        return main_frames(argv)
    command, path = argv[1], argv[2]
    width, height, rows = read_png(path)
    px = lambda x, y: tuple(rows[y][3 * x:3 * x + 3])
    if command == "size":
        print(width, height)
    elif command == "pixel":
        print(*px(int(argv[3]), int(argv[4])))
    elif command == "share":
        # One or more rectangles (four numbers each), then the kind.
        numbers, kind = argv[3:-1], argv[-1]
        for at in range(0, len(numbers), 4):
            x0, y0, x1, y1 = map(int, numbers[at:at + 4])
            hits = sum(is_kind(*px(x, y), kind) for y in range(y0, y1) for x in range(x0, x1))
            print(f"{hits / ((x1 - x0) * (y1 - y0)):.4f}")
    elif command == "bbox":
        points = [(x, y) for y in range(height) for x in range(width) if is_kind(*px(x, y), argv[3])]
        if not points:
            print("none")
        else:
            xs = [p[0] for p in points]
            ys = [p[1] for p in points]
            print(min(xs), min(ys), max(xs) + 1, max(ys) + 1)
    elif command == "ink":
        background = tuple(map(int, argv[3:6]))
        numbers = argv[6:]
        for at in range(0, len(numbers), 4):
            x0, y0, x1, y1 = map(int, numbers[at:at + 4])
            points = [(x, y) for y in range(y0, y1) for x in range(x0, x1) if px(x, y) != background]
            if not points:
                print("none")
                continue
            xs = [p[0] for p in points]
            ys = [p[1] for p in points]
            shades = len({px(x, y) for x, y in points})
            print(min(xs), min(ys), max(xs) + 1, max(ys) + 1, shades)
    elif command == "differ":
        x0, y0 = int(argv[3]), int(argv[4])
        other_width, other_height, other = read_png(argv[5])
        if x0 + other_width > width or y0 + other_height > height:
            raise SystemExit(f"{argv[5]} does not fit in {path} at {x0}, {y0}")
        print(sum(px(x0 + x, y0 + y) != tuple(other[y][3 * x:3 * x + 3])
                  for y in range(other_height) for x in range(other_width)))
    else:
        raise SystemExit(f"unknown command {command}")


def serve():
    for line in sys.stdin:
        out = io.StringIO()
        status = 0
        try:
            with contextlib.redirect_stdout(out):
                main(["probe"] + line.rstrip("\n").split("\t"))
        except SystemExit as e:
            status = 0 if e.code in (None, 0) else 1
            if isinstance(e.code, str):
                print(e.code, file=sys.stderr, flush=True)
        except Exception as e:  # a bad argument: this command fails, the server goes on
            status = 1
            print(f"{type(e).__name__}: {e}", file=sys.stderr, flush=True)
        sys.stdout.write(out.getvalue() + f"\x04 {status}\n")
        sys.stdout.flush()


if __name__ == "__main__":
    if sys.argv[1:] == ["serve"]:
        serve()
    else:
        main(sys.argv)
