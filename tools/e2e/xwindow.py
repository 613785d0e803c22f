"""What a person sees of a window on an X display: its title, its pixels, and the close button.

Used by the end-to-end tests and by scripts/run. Talks to the X server directly (python3-xlib).
"""
import struct
import time
import zlib

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
        self.d.flush()


class Image:
    """A 24/32-bit ZPixmap: 4 bytes per pixel, blue green red unused."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def rgb(self, x, y):
        i = 4 * (y * self.width + x)
        b, g, r = self.data[i], self.data[i + 1], self.data[i + 2]
        return (r, g, b)

    def row(self, y):
        return self.data[4 * y * self.width: 4 * (y + 1) * self.width]

    def find_rect(self, colour):
        """Bounding box (x, y, w, h) of the pixels of one colour, or None."""
        b, g, r = colour[2], colour[1], colour[0]
        key = bytes((b, g, r))
        xs, ys = [], []
        for y in range(self.height):
            row = self.row(y)
            first = -1
            for x in range(self.width):
                if row[4 * x: 4 * x + 3] == key:
                    first = x
                    break
            if first < 0:
                continue
            last = first
            for x in range(self.width - 1, first - 1, -1):
                if row[4 * x: 4 * x + 3] == key:
                    last = x
                    break
            xs += [first, last]
            ys.append(y)
        if not ys:
            return None
        return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)

    def region(self, x0, y0, w, h):
        """Rows of (r, g, b) tuples of a rectangle."""
        return [[self.rgb(x0 + x, y0 + y) for x in range(w)] for y in range(h)]

    def save_png(self, path):
        rows = []
        for y in range(self.height):
            row = self.row(y)
            line = bytearray(1 + 3 * self.width)
            line[1::3] = row[2::4]
            line[2::3] = row[1::4]
            line[3::3] = row[0::4]
            rows.append(bytes(line))

        def chunk(tag, body):
            return (struct.pack(">I", len(body)) + tag + body +
                    struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))

        png = (b"\x89PNG\r\n\x1a\n" +
               chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)) +
               chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b""))
        with open(path, "wb") as f:
            f.write(png)
