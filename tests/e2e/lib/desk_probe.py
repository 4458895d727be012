#!/usr/bin/python3
"""Reads the whole X screen (DISPLAY), where the demo's presented picture is
seen as a user sees it: directly on an X server, or inside the window of a
nested compositor that covers the screen.

  desk_probe.py white SECONDS
      waits until the screen shows the white intro scene (its top and bottom
      rows white across the middle), then prints the rectangle of the white
      rows: "white LEFT RIGHT TOP BOTTOM" (inclusive pixel columns and rows
      of the first and last white pixel), or exits 1 at the deadline
  desk_probe.py lit SECONDS
      waits until something not black is on the screen, then prints the
      bounding box of the pixels that are not black: "lit LEFT RIGHT TOP
      BOTTOM"
  desk_probe.py pillarboxed SECONDS BAR
      waits until the screen shows a picture between black bars BAR pixels
      wide at the left and right (a fullscreen 4:3 picture on a wider
      screen, and nothing of a desktop beside it), then prints the bounding
      box of what is lit: "pillarboxed LEFT RIGHT TOP BOTTOM"
  desk_probe.py save FILE
      writes the screen as a binary PPM (a test artefact)
"""
import ctypes
import sys
import time

x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
x.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x.XGetImage.restype = ctypes.c_void_p
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]
x.XDestroyImage.argtypes = [ctypes.c_void_p]


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


ALL_PLANES = 0xFFFFFFFF
Z_PIXMAP = 2


class Screen:
    """One screenshot: pixel(x, y) -> (r, g, b)."""

    def __init__(self, display):
        root = x.XDefaultRootWindow(display)
        self.width, self.height = x.XDisplayWidth(display, 0), x.XDisplayHeight(display, 0)
        image = x.XGetImage(display, root, 0, 0, self.width, self.height, ALL_PLANES, Z_PIXMAP)
        if not image:
            raise SystemExit("cannot read the screen")
        info = ctypes.cast(image, ctypes.POINTER(XImage)).contents
        if info.bits_per_pixel != 32:
            raise SystemExit(f"a screen of {info.bits_per_pixel} bits a pixel; 24-bit colour is needed")
        self.stride = info.bytes_per_line
        self.data = ctypes.string_at(info.data, self.stride * self.height)
        x.XDestroyImage(image)

    def pixel(self, px, py):
        i = py * self.stride + px * 4  # BGRX, little-endian
        return self.data[i + 2], self.data[i + 1], self.data[i]


def white(p):
    return min(p) > 224


def black(p):
    return max(p) < 24


def white_rect(s):
    """The white rows' rectangle when the top and bottom rows are white in the middle, else None."""
    rows = [y for y in range(s.height) if white(s.pixel(s.width // 2, y))]
    if not rows:
        return None
    top, bottom = rows[0], rows[-1]
    probe = (top + bottom) // 2 if top == bottom else top + 2
    if bottom - top < 8:
        return None
    # Along a row near the top edge (the intro scene's words stay in the middle).
    columns = [px for px in range(s.width) if white(s.pixel(px, probe))]
    if len(columns) < 8:
        return None
    return columns[0], columns[-1], top, bottom


def lit_box(s):
    left, right, top, bottom = s.width, -1, s.height, -1
    for py in range(0, s.height, 2):
        for px in range(0, s.width, 2):
            if not black(s.pixel(px, py)):
                left, right = min(left, px), max(right, px)
                top, bottom = min(top, py), max(bottom, py)
    return None if right < 0 else (left, right, top, bottom)


def pillarboxed(s, bar):
    """The lit box when the columns outside BAR from each side are all black and something is lit, else None."""
    edge = 2  # the picture's own edge may blend into the bar by a pixel
    for py in range(0, s.height, 2):
        for px in list(range(0, bar - edge, 2)) + list(range(s.width - bar + edge, s.width, 2)):
            if not black(s.pixel(px, py)):
                return None
    return lit_box(s)


def main():
    what = sys.argv[1]
    display = x.XOpenDisplay(None)
    if not display:
        raise SystemExit("cannot open the display")
    if what == "save":
        s = Screen(display)
        with open(sys.argv[2], "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (s.width, s.height))
            out.write(bytes(c for py in range(s.height) for px in range(s.width) for c in s.pixel(px, py)))
        return 0
    find = {"white": white_rect, "lit": lit_box,
            "pillarboxed": lambda s: pillarboxed(s, int(sys.argv[3]))}[what]
    deadline = time.monotonic() + float(sys.argv[2])
    while True:
        found = find(Screen(display))
        if found:
            print(what, *found)
            return 0
        if time.monotonic() > deadline:
            print(f"no {what} picture on the screen")
            return 1
        time.sleep(0.1)


sys.exit(main())
