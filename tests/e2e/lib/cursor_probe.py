#!/usr/bin/env python3
# Prints "shown" or "hidden": whether the X server draws a visible pointer
# right now. XFixesGetCursorImage returns the image of the cursor the server
# shows at the pointer; a program that hides the pointer (SDL does it with
# a blank cursor on its windows) leaves an image whose pixels are all fully
# transparent. Also prints the image's size and how many pixels are opaque.
# usage: cursor_probe.py   (DISPLAY must be set)
import ctypes
import sys

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
xfixes = ctypes.cdll.LoadLibrary("libXfixes.so.3")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
x11.XFree.argtypes = [ctypes.c_void_p]


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong),
                ("pixels", ctypes.POINTER(ctypes.c_ulong)),  # ARGB, one per long
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


xfixes.XFixesQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
event_base, error_base = ctypes.c_int(), ctypes.c_int()
if not xfixes.XFixesQueryExtension(display, ctypes.byref(event_base), ctypes.byref(error_base)):
    sys.exit("the X server has no XFIXES extension")
image = xfixes.XFixesGetCursorImage(display)
if not image:
    sys.exit("XFixesGetCursorImage failed")
c = image.contents
opaque = sum(1 for i in range(c.width * c.height) if (c.pixels[i] >> 24) & 0xFF)
print("%s %dx%d %d" % ("shown" if opaque else "hidden", c.width, c.height, opaque))
x11.XFree(image)
x11.XCloseDisplay(display)
