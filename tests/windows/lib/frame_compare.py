#!/usr/bin/python3
"""Compares frames of the Windows build with the Linux capture's stills.

  frame_compare.py LIMIT WINDOWS.bmp=LINUX.png[=LABEL]...
      -> one line per pair: "LABEL mean M max X" (mean absolute difference
         per channel in 1/255, largest difference); exit 1 when a mean is
         over LIMIT or the pictures differ in size.

Both are read through ffmpeg as 24-bit RGB at their own size.
"""
import subprocess
import sys


def read(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height",
                            "-of", "csv=p=0", path], check=True, stdout=subprocess.PIPE, text=True).stdout
    width, height = (int(v) for v in probe.strip().split(",")[:2])
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, stdout=subprocess.PIPE).stdout
    return width, height, raw


def main():
    limit = float(sys.argv[1])
    failed = False
    for pair in sys.argv[2:]:
        parts = pair.split("=")
        windows, linux = parts[0], parts[1]
        label = parts[2] if len(parts) > 2 else windows
        wa, ha, a = read(windows)
        wb, hb, b = read(linux)
        if (wa, ha) != (wb, hb):
            print(f"{label} size {wa}x{ha} against {wb}x{hb}")
            failed = True
            continue
        total = 0
        largest = 0
        for x, y in zip(a, b):
            d = x - y if x > y else y - x
            total += d
            if d > largest:
                largest = d
        mean = total / len(a)
        print(f"{label} mean {mean:.4f} max {largest}")
        failed = failed or mean > limit
    sys.exit(1 if failed else 0)


main()
