#!/usr/bin/python3
"""Compares screenshots of the running demo with pictures elka-capture drew.

  screen_probe.py colours FILE
      -> shares (0..1) of the picture's pixels that are white (every channel
         above 224), black (every channel below 40), blue (blue at least 60
         above red, 10 above green, above 120: the tunnel wall's light
         lines) and yellow (red 150 or more, green 90 or more, blue at least
         80 below red: the wall's stripes)
  screen_probe.py match SHOT REFERENCE...
      -> for every reference, the share of pixels that differ from SHOT by
         more than 64 in some channel; last line "best FILE SHARE"

Pictures are read through ffmpeg at half size (320 x 240 from 640 x 480) so
that single pixels of a line or of the 16-bit screen's rounding do not count.
"""
import subprocess
import sys


def read(path, width=320, height=240):
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", path, "-vf", f"scale={width}:{height}:flags=area",
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], check=True, stdout=subprocess.PIPE).stdout
    if len(raw) != width * height * 3:
        raise SystemExit(f"{path}: decoded to {len(raw)} bytes")
    return raw


def colours(path):
    raw = read(path)
    n = len(raw) // 3
    white = black = blue = yellow = 0
    for i in range(0, len(raw), 3):
        r, g, b = raw[i], raw[i + 1], raw[i + 2]
        if min(r, g, b) > 224:
            white += 1
        elif max(r, g, b) < 40:
            black += 1
        if b >= r + 60 and b >= g + 10 and b > 120:
            blue += 1
        if r >= 150 and g >= 90 and b <= r - 80:
            yellow += 1
    print(f"white {white / n:.4f} black {black / n:.4f} blue {blue / n:.4f} yellow {yellow / n:.4f}")


def mismatch(a, b):
    differ = 0
    for i in range(0, len(a), 3):
        if abs(a[i] - b[i]) > 64 or abs(a[i + 1] - b[i + 1]) > 64 or abs(a[i + 2] - b[i + 2]) > 64:
            differ += 1
    return differ / (len(a) // 3)


def match(shot, references):
    picture = read(shot)
    best = None
    for ref in references:
        share = mismatch(picture, read(ref))
        print(f"{ref} {share:.4f}")
        if best is None or share < best[1]:
            best = (ref, share)
    print(f"best {best[0]} {best[1]:.4f}")


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "colours":
        colours(sys.argv[2])
    elif len(sys.argv) >= 4 and sys.argv[1] == "match":
        match(sys.argv[2], sys.argv[3:])
    else:
        raise SystemExit(__doc__)
