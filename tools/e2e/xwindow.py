"""What a person sees of a window on an X display: its title, its pixels, and the close button.

Used by the end-to-end tests and by scripts/run. Talks to the X server directly (python3-xlib).
"""
import struct
import time
import zlib

import numpy

from Xlib import X, display as xdisplay, protocol
from Xlib.error import BadWindow, XError


class Screen:
    def __init__(self, name=None):
        self.d = xdisplay.Display(name)
        self.root = self.d.screen().root
        self.NET_WM_NAME = self.d.intern_atom("_NET_WM_NAME")
        self.UTF8 = self.d.intern_atom("UTF8_STRING")
        self.WM_PROTOCOLS = self.d.intern_atom("WM_PROTOCOLS")
        self.WM_DELETE = self.d.intern_atom("WM_DELETE_WINDOW")

    def close(self):
        self.d.close()

    def title(self, win):
        try:
            prop = win.get_full_property(self.NET_WM_NAME, self.UTF8)
            if prop is not None:
                return bytes(prop.value).decode("utf-8", "replace")
            name = win.get_wm_name()
            return name.decode("latin-1") if isinstance(name, bytes) else (name or "")
        except (BadWindow, XError):
            return None

    def windows(self):
        """Mapped top-level windows with their titles."""
        out = []
        for win in self.root.query_tree().children:
            try:
                if win.get_attributes().map_state != X.IsViewable:
                    continue
            except (BadWindow, XError):
                continue
            out.append((win, self.title(win) or ""))
        return out

    def wait_window(self, prefix, timeout=60.0):
        """The first viewable top-level window whose title starts with prefix."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            for win, title in self.windows():
                if title.startswith(prefix):
                    return win
            time.sleep(0.05)
        raise TimeoutError(f"no window titled {prefix!r} within {timeout} s")

    def capture(self, win):
        """The window's pixels as an Image (what the X server shows, not what the program holds)."""
        geo = win.get_geometry()
        raw = win.get_image(0, 0, geo.width, geo.height, X.ZPixmap, 0xFFFFFFFF)
        return Image(geo.width, geo.height, bytes(raw.data))

    def send_close(self, win):
        """The window manager's close: a WM_DELETE_WINDOW client message."""
        event = protocol.event.ClientMessage(
            window=win, client_type=self.WM_PROTOCOLS,
            data=(32, [self.WM_DELETE, X.CurrentTime, 0, 0, 0]))
        win.send_event(event, event_mask=X.NoEventMask)
        self.d.sync()  # the server has passed it on before we go on (or disconnect)


class Image:
    """Window pixels as an array of shape (height, width, 3) holding red, green, blue."""

    def __init__(self, width, height, data):
        bgrx = numpy.frombuffer(data, dtype=numpy.uint8).reshape(height, width, 4)
        self.pixels = bgrx[:, :, 2::-1].copy()
        self.width, self.height = width, height

    def rgb(self, x, y):
        return tuple(int(c) for c in self.pixels[y, x])

    def crop(self, x, y, w, h):
        return self.pixels[y:y + h, x:x + w]

    def mask(self, colour):
        return numpy.all(self.pixels == numpy.array(colour, dtype=numpy.uint8), axis=2)

    def find_rect(self, colour):
        """Bounding box (x, y, w, h) of the pixels of one colour, or None."""
        ys, xs = numpy.nonzero(self.mask(colour))
        if len(xs) == 0:
            return None
        return (int(xs.min()), int(ys.min()), int(xs.max() - xs.min() + 1), int(ys.max() - ys.min() + 1))

    def save_png(self, path):
        rows = numpy.zeros((self.height, 1 + 3 * self.width), dtype=numpy.uint8)
        rows[:, 1:] = self.pixels.reshape(self.height, 3 * self.width)

        def chunk(tag, body):
            return (struct.pack(">I", len(body)) + tag + body +
                    struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))

        png = (b"\x89PNG\r\n\x1a\n" +
               chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)) +
               chunk(b"IDAT", zlib.compress(rows.tobytes(), 6)) + chunk(b"IEND", b""))
        with open(path, "wb") as f:
            f.write(png)
