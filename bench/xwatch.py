"""Watches an X display from outside, through libX11 and libXdamage (ctypes,
no Python package needed), to time a program's start: from the moment the
process is started to the moment its window shows on the screen as it will
stay, its first complete frame.

    with XWatch(display) as watch:
        frame = watch.first_frame(lambda: subprocess.Popen(...))
        frame.mapped, frame.painted        # seconds after the start

How: the root window reports every top-level window that is mapped; the first
one of at least MIN_SIZE pixels each way is the program's. From its map on,
the DAMAGE extension reports every change of its pixels, and the watcher
takes a picture of the window at each report. Once the window has been
unchanged for `settle` seconds, its last picture is the window as it stays,
and `painted` is when the watcher first saw that picture. The same rule times
every program, whatever it draws and however many steps it paints in.
"""

import ctypes
import ctypes.util
import hashlib
import os
import select
import time

MAP_NOTIFY = 19
QUEUED_ALREADY = 0
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFFFFFFFFFF
DAMAGE_REPORT_RAW_RECTANGLES = 0
MIN_SIZE = 100


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("rest", ctypes.c_byte * 256)]


class _XEvent(ctypes.Union):
    # type at 0; for MapNotify the mapped window at 40, for DamageNotify the
    # drawable at 32 (x86-64 layout).
    _fields_ = [("type", ctypes.c_int), ("pad", ctypes.c_long * 24)]

    def word(self, offset):
        return ctypes.c_ulong.from_buffer(self, offset).value


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class Frame:
    def __init__(self, mapped, painted, changes, window):
        self.mapped = mapped      # seconds from the start to the map
        self.painted = painted    # seconds from the start to the first complete frame
        self.changes = changes    # when each picture that differed from the one before was seen
        self.window = window      # the X window


class XWatch:
    def __init__(self, display):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.damage = ctypes.CDLL(ctypes.util.find_library("Xdamage") or "libXdamage.so.1")
        x = self.x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XEventsQueued.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_XEvent)]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                           ctypes.POINTER(_XWindowAttributes)]
        x.XGetImage.restype = ctypes.POINTER(_XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        x.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
        self.damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                      ctypes.POINTER(ctypes.c_int)]
        self.damage.XDamageCreate.restype = ctypes.c_ulong
        self.damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        self.damage.XDamageDestroy.argtypes = [ctypes.c_void_p, ctypes.c_ulong]

        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError(f"cannot open display {display}")
        # A window that goes away between a report and its picture is no
        # reason to end the process, as Xlib's default handler would.
        self._on_error = _ERROR_HANDLER(lambda dpy, event: 0)
        x.XSetErrorHandler(self._on_error)
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        if not self.damage.XDamageQueryExtension(self.dpy, ctypes.byref(event_base),
                                                 ctypes.byref(error_base)):
            raise RuntimeError("the X server has no DAMAGE extension")
        self.damage_notify = event_base.value
        self.root = x.XDefaultRootWindow(self.dpy)
        x.XSelectInput(self.dpy, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        x.XSync(self.dpy, 0)
        self.fd = x.XConnectionNumber(self.dpy)

    def close(self):
        if self.dpy:
            self.x.XCloseDisplay(self.dpy)
            self.dpy = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _events(self, timeout):
        """The events that have arrived, waiting up to timeout seconds for one."""
        # A reply (a picture) makes Xlib read the events that came before it
        # into its own queue, where select() cannot see them.
        if not self.x.XEventsQueued(self.dpy, QUEUED_ALREADY):
            select.select([self.fd], [], [], max(0.0, timeout))
        events = []
        while self.x.XPending(self.dpy):
            event = _XEvent()
            self.x.XNextEvent(self.dpy, ctypes.byref(event))
            events.append(event)
        return events

    def _size(self, window):
        attributes = _XWindowAttributes()
        if not self.x.XGetWindowAttributes(self.dpy, window, ctypes.byref(attributes)):
            return 0, 0
        return attributes.width, attributes.height

    def picture(self, window):
        """A digest of the window's pixels as the screen shows them now."""
        width, height = self._size(window)
        if width <= 0 or height <= 0:
            return None
        image = self.x.XGetImage(self.dpy, window, 0, 0, width, height, ALL_PLANES, Z_PIXMAP)
        if not image:
            return None
        try:
            data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
            return hashlib.blake2b(data, digest_size=16).digest()
        finally:
            self.x.XDestroyImage(image)

    def first_frame(self, start, settle=1.0, timeout=60.0):
        """Calls start() and times its window's map and first complete frame.
        start() returns whatever it started; the caller ends it."""
        self._events(0)  # forget what came before
        started = time.monotonic()
        start()
        window = damage = None
        mapped = None
        seen = []  # (seconds after start, picture digest)
        last_change = None
        try:
            while True:
                now = time.monotonic()
                if window is None:
                    if now - started > timeout:
                        raise TimeoutError("no window was mapped")
                    wait = timeout - (now - started)
                else:
                    if now - last_change >= settle:
                        break
                    if now - started > timeout:
                        raise TimeoutError("the window did not settle")
                    wait = settle - (now - last_change)
                events = self._events(wait)
                at = time.monotonic() - started
                changed = False
                for event in events:
                    if window is None and event.type == MAP_NOTIFY:
                        candidate = event.word(40)
                        width, height = self._size(candidate)
                        if width >= MIN_SIZE and height >= MIN_SIZE:
                            window, mapped = candidate, at
                            damage = self.damage.XDamageCreate(self.dpy, window,
                                                               DAMAGE_REPORT_RAW_RECTANGLES)
                            changed = True
                    elif window is not None and event.type == self.damage_notify \
                            and event.word(32) == window:
                        changed = True
                if changed:
                    digest = self.picture(window)
                    if not seen or digest != seen[-1][1]:
                        seen.append((at, digest))
                        last_change = time.monotonic()
                    elif last_change is None:
                        last_change = time.monotonic()
            # Pictures in `seen` differ from the one before: the last one
            # is the window as it stays, since the moment it was first seen.
            return Frame(mapped, seen[-1][0], [t for t, _ in seen], window)
        finally:
            if damage:
                self.damage.XDamageDestroy(self.dpy, damage)
                self.x.XSync(self.dpy, 0)
