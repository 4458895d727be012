#!/usr/bin/python3
"""Compares two captures of the same frames, drawn through different GLs,
scene by scene.

  compare_frames.py CHAPTERS DIR_A DIR_B [--mean MAX] [--share MAX] [--step N]

CHAPTERS is a capture's chapter table (scene, first frame, ...); DIR_A and
DIR_B hold frame-NNNNNN.png from the two runs. For each scene: the mean
absolute difference per channel over its frames (in 1/255 units), the share
of pixels whose largest channel difference is above 24, and the worst
frame with the box of its differing pixels. Fails when a scene's mean is
above MAX (default 1.0) or its share of differing pixels is above MAX
(default 0.005) or the frames of the two runs are not the same ones.
"""
import argparse
import glob
import os
import struct
import subprocess
import sys

THRESHOLD = 24


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(33)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise SystemExit(f"{path}: not a PNG file")
    width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
    if depth != 8 or colour != 2:
        raise SystemExit(f"{path}: not an 8-bit RGB picture")
    return width, height


def decode_all(folder, count, width, height):
    """Every frame of the folder as raw RGB, decoded by ffmpeg in one run."""
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-start_number", "0", "-i",
                          os.path.join(folder, "frame-%06d.png"), "-frames:v", str(count),
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, stdout=subprocess.PIPE).stdout
    size = width * height * 3
    if len(raw) != size * count:
        raise SystemExit(f"{folder}: decoded {len(raw)} bytes, not {count} frames of {width} x {height}")
    return [raw[i * size:(i + 1) * size] for i in range(count)]


def frame_difference(a, b, width):
    """(sum of absolute channel differences, pixels above THRESHOLD, box)."""
    total = sum(abs(x - y) for x, y in zip(a, b))
    if total == 0:
        return 0, 0, None
    d = [abs(x - y) for x, y in zip(a, b)]
    over = 0
    x0 = y0 = 1 << 30
    x1 = y1 = -1
    for i in range(0, len(d), 3):
        if d[i] > THRESHOLD or d[i + 1] > THRESHOLD or d[i + 2] > THRESHOLD:
            over += 1
            p = i // 3
            x, y = p % width, p // width
            x0, y0, x1, y1 = min(x0, x), min(y0, y), max(x1, x), max(y1, y)
    return total, over, (x0, y0, x1, y1) if over else None


def read_chapters(path):
    scenes = []
    with open(path) as f:
        next(f)
        for line in f:
            cols = line.rstrip("\n").split("\t")
            scenes.append((cols[0], int(cols[1]), cols[3] if len(cols) > 3 else ""))
    return scenes


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("chapters")
    ap.add_argument("a")
    ap.add_argument("b")
    ap.add_argument("--mean", type=float, default=1.0, help="largest mean difference per channel, in 1/255")
    ap.add_argument("--share", type=float, default=0.005, help="largest share of pixels differing by more than 24")
    ap.add_argument("--frames", help="only these frame numbers (comma separated), one a scene, for stills")
    args = ap.parse_args()

    names_a = sorted(glob.glob(os.path.join(args.a, "frame-*.png")))
    names_b = sorted(glob.glob(os.path.join(args.b, "frame-*.png")))
    if not names_a or [os.path.basename(n) for n in names_a] != [os.path.basename(n) for n in names_b]:
        print(f"FAIL: the two captures hold different frames ({len(names_a)} and {len(names_b)})")
        return 1
    width, height = png_size(names_a[0])
    if png_size(names_b[0]) != (width, height):
        print("FAIL: the two captures differ in size")
        return 1
    count = len(names_a)
    frames_a = decode_all(args.a, count, width, height)
    frames_b = decode_all(args.b, count, width, height)

    chapters = read_chapters(args.chapters)
    bounds = []
    for i, (scene, first, title) in enumerate(chapters):
        if scene == "end":
            break
        last = chapters[i + 1][1] if i + 1 < len(chapters) else count
        bounds.append((scene, first, min(last, count), title))

    failed = False
    pixels = width * height
    print(f"{'scene':>5} {'frames':>11} {'mean/255':>9} {'>24 share':>10}  worst frame (share, box x0,y0-x1,y1)")
    for scene, first, last, title in bounds:
        if last <= first:
            continue
        total = 0
        over = 0
        worst = (-1, 0, None)
        for n in range(first, last):
            t, o, box = frame_difference(frames_a[n], frames_b[n], width)
            total += t
            over += o
            if o > worst[1] or (worst[0] < 0):
                worst = (n, o, box)
        frames = last - first
        mean = total / (frames * pixels * 3)
        share = over / (frames * pixels)
        bad = mean > args.mean or share > args.share
        failed = failed or bad
        box = worst[2]
        where = f"{worst[0]} ({worst[1] / pixels:.4f}, {box[0]},{box[1]}-{box[2]},{box[3]})" if box else f"{worst[0]} (none)"
        print(f"{scene:>5} {first:>5}-{last - 1:<5} {mean:9.4f} {share:10.5f}  {where}{'  FAIL' if bad else ''}"
              f"  {title}")
    print("FAIL" if failed else "PASS")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
