#!/usr/bin/python3
"""Waits until a window shows a frame the demo drew, at most SECONDS.

  frame_probe.py ID [SECONDS]

Before its first frame the demo's window is black all over; the frames of
its first scenes are not (the start picture on black, then the intro words
on white), so the first pixel that is not black, on a grid of 32 x 24
points over the part of the window on the screen, tells that the frame loop runs and has drawn. Exits
0 once it is seen, 1 at the deadline. Only for the first scenes: later ones
(the tunnel's black clear, the end cards) may have black where it looks.
"""
import ctypes
import sys
import time

x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
x.XGetImage.restype = ctypes.c_void_p
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]
x.XGetPixel.restype = ctypes.c_ulong
x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x.XDestroyImage.argtypes = [ctypes.c_void_p]
x.XSetErrorHandler.argtypes = [ctypes.c_void_p]


class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(WindowAttributes)]
x.XTranslateCoordinates.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                    ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                    ctypes.POINTER(ctypes.c_ulong)]

# A window that goes away while it is read is an answer ("not yet"), not
# a reason for Xlib to end this program.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)
ALL_PLANES = 0xFFFFFFFF
Z_PIXMAP = 2
IS_VIEWABLE = 2
GRID = (32, 24)


def drawn(display, window):
    """The first colour on the grid that is not black, None if there is none or the window cannot be read."""
    attributes = WindowAttributes()
    if not x.XGetWindowAttributes(display, window, ctypes.byref(attributes)):
        return None
    if attributes.map_state != IS_VIEWABLE:
        return None
    # Only the part on the screen can be read (a window larger than the
    # screen reaches past its edges).
    screen = WindowAttributes()
    if not x.XGetWindowAttributes(display, attributes.root, ctypes.byref(screen)):
        return None
    at_x, at_y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
    if not x.XTranslateCoordinates(display, window, attributes.root, 0, 0, ctypes.byref(at_x), ctypes.byref(at_y),
                                   ctypes.byref(child)):
        return None
    left, top = max(0, -at_x.value), max(0, -at_y.value)
    width = min(attributes.width, screen.width - at_x.value) - left
    height = min(attributes.height, screen.height - at_y.value) - top
    if width < GRID[0] or height < GRID[1]:
        return None
    image = x.XGetImage(display, window, left, top, width, height, ALL_PLANES, Z_PIXMAP)
    if not image:
        return None
    found = None
    for i in range(GRID[0]):
        for j in range(GRID[1]):
            pixel = x.XGetPixel(image, (2 * i + 1) * width // (2 * GRID[0]), (2 * j + 1) * height // (2 * GRID[1]))
            if pixel != 0:
                found = pixel
                break
        if found is not None:
            break
    x.XDestroyImage(image)
    return found


def main():
    window = int(sys.argv[1], 0)
    deadline = time.monotonic() + (float(sys.argv[2]) if len(sys.argv) > 2 else 20.0)
    x.XSetErrorHandler(ERROR_HANDLER)
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    while True:
        colour = drawn(display, window)
        if colour is not None:
            print("drawn: %06x" % colour)
            return 0
        if time.monotonic() > deadline:
            print("no frame drawn in window 0x%x" % window)
            return 1
        time.sleep(0.05)


sys.exit(main())
