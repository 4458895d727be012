#!/usr/bin/python3
"""Waits until a window's picture stands still, or moves on, at most SECONDS.

  picture_probe.py stands ID SECONDS     prints the picture's digest once
                                         five looks 0.2 s apart found it
                                         unchanged
  picture_probe.py moves ID SECONDS [DIGEST]
                                         exits 0 once the picture differs
                                         from DIGEST (or, without one, from
                                         the look before)

The whole window is read (it must lie on the screen) and compared byte for
byte. Exits 1 at the deadline, which only ends a hang.
"""
import ctypes
import hashlib
import sys
import time

x = ctypes.cdll.LoadLibrary("libX11.so.6")


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Geometry(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int)]


x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XGetImage.restype = ctypes.POINTER(XImage)
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]
x.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
x.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_uint),
                           ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint),
                           ctypes.POINTER(ctypes.c_uint)]
x.XSetErrorHandler.argtypes = [ctypes.c_void_p]
# A window that goes while it is read is "no picture", not the end of this program.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)


def digest(display, window):
    root, at_x, at_y = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
    width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
    if not x.XGetGeometry(display, window, ctypes.byref(root), ctypes.byref(at_x), ctypes.byref(at_y),
                          ctypes.byref(width), ctypes.byref(height), ctypes.byref(border), ctypes.byref(depth)):
        return None
    image = x.XGetImage(display, window, 0, 0, width.value, height.value, 0xFFFFFFFF, 2)
    if not image:
        return None
    data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * image.contents.height)
    x.XDestroyImage(image)
    return hashlib.sha256(data).hexdigest()


def main():
    mode, window = sys.argv[1], int(sys.argv[2], 0)
    deadline = time.monotonic() + float(sys.argv[3])
    reference = sys.argv[4] if len(sys.argv) > 4 else None
    x.XSetErrorHandler(ERROR_HANDLER)
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    last, same = None, 0
    while time.monotonic() < deadline:
        now = digest(display, window)
        if now is not None:
            if mode == "moves" and last is not None and now != (reference or last):
                return 0
            same = same + 1 if now == last else 0
            if mode == "stands" and same >= 4:
                print(now)
                return 0
            last = now
        time.sleep(0.2)
    print("window 0x%x: the picture did not %s" % (window, "stand" if mode == "stands" else "move"))
    return 1


sys.exit(main())
