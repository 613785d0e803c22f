"""The tool end to end, as a user meets it: the real quorvex.exe under Wine, a pty as COM3,
the window's title and pixels read from the X server.

    e2e_test.py --exe build/windows/app/quorvex.exe --prefix build/windows/e2e-prefix --repo .
"""
import argparse
import os
import random
import sys
import threading
import time
import unittest

import numpy

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "e2e"))
from quorvex_session import (BACKGROUND, CANVAS_H, CANVAS_W, CELL, Port, Tool,  # noqa: E402
                             ensure_prefix, wait_until)
from xwindow import Screen  # noqa: E402

ARGS = None
TITLE_OK = "Quorvex - Port: COM3 , Baudrate: 115200"


class ToolCase(unittest.TestCase):
    def setUp(self):
        self.screen = Screen()
        self.port = Port(ARGS.prefix, "COM3")
        self.tool = None

    def tearDown(self):
        if self.tool:
            self.tool.kill()
        self.port.close()
        self.screen.close()

    def start(self, *args, title=TITLE_OK):
        self.tool = Tool(ARGS.exe, ARGS.prefix, os.environ.get("DISPLAY"), args)
        self.win = self.screen.wait_window("Quorvex")
        self.assertTrue(wait_until(lambda: self.screen.title(self.win) == title, 20),
                        f"title {self.screen.title(self.win)!r}, wanted {title!r}")
        self.canvas = self.find_canvas()

    def find_canvas(self):
        """The drawing area's top-left corner: the pale-yellow 1200 x 960 rectangle."""
        img = wait_until(lambda: self.fresh_background(), 20)
        self.assertTrue(img, "the drawing area never showed all pale yellow")
        return img

    def fresh_background(self):
        img = self.screen.capture(self.win)
        rect = img.find_rect(BACKGROUND)
        if rect and rect[2] == CANVAS_W and rect[3] == CANVAS_H:
            x, y = rect[0], rect[1]
            if self.count_colour(img, (x, y), BACKGROUND) == CANVAS_W * CANVAS_H:
                return (x, y)
        return None

    def capture_canvas(self):
        img = self.screen.capture(self.win)
        x, y = self.canvas
        return img, x, y

    @staticmethod
    def count_colour(img, origin, colour):
        x0, y0 = origin
        area = img.crop(x0, y0, CANVAS_W, CANVAS_H)
        return int(numpy.all(area == numpy.array(colour, dtype=numpy.uint8), axis=2).sum())

    def block(self, img, x, y, left, top, w=4, h=4):
        """The set of colours in a rectangle of the canvas."""
        area = img.crop(x + left, y + top, w, h).reshape(-1, 3)
        return {tuple(int(c) for c in p) for p in numpy.unique(area, axis=0)}

    def wait_drawn(self, timeout=10):
        """Waits until the canvas shows anything but background; returns (image, x, y, seconds)."""
        start = time.monotonic()
        while time.monotonic() - start < timeout:
            img, x, y = self.capture_canvas()
            if self.count_colour(img, (x, y), BACKGROUND) != CANVAS_W * CANVAS_H:
                return img, x, y, time.monotonic() - start
            time.sleep(0.01)
        self.fail("nothing was drawn")

    def close_and_wait(self):
        self.screen.send_close(self.win)
        code = self.tool.wait(timeout=30)
        self.tool = None
        return code


class WindowAndOptions(ToolCase):
    def test_default_options_title_and_background(self):
        self.start()
        img, x, y = self.capture_canvas()
        self.assertEqual(self.count_colour(img, (x, y), BACKGROUND), CANVAS_W * CANVAS_H)
        self.assertEqual(self.close_and_wait(), 0)

    def test_missing_port_names_the_upper_cased_port(self):
        self.start("port=com9", title="Quorvex - Unable to open Comport: COM9")
        self.assertEqual(self.close_and_wait(), 0)


class Bursts(ToolCase):
    def test_cells_land_in_place_and_a_second_burst_replaces_the_first(self):
        self.start()
        burst = bytearray(31)
        burst[0] = 0x01
        burst[29] = 0xFF
        burst[30] = 0x80
        self.port.write(burst)
        img, x, y, latency = self.wait_drawn()
        # Never at the first tick: the count has to be seen unchanged for one whole period
        # (250 ms; a little less allowed for timer jitter).
        self.assertGreaterEqual(latency, 0.2)
        blue, bg = {CELL}, {BACKGROUND}
        self.assertEqual(self.block(img, x, y, 0, 0), blue)             # 0x01 at index 0
        self.assertEqual(self.block(img, x, y, 0, 4, 4, 924), bg)       # the rest of strip 0
        self.assertEqual(self.block(img, x, y, 0, 928, 4, 32), blue)    # 0xFF at index 29
        self.assertEqual(self.block(img, x, y, 4, 28), blue)            # 0x80 at index 30
        self.assertEqual(self.block(img, x, y, 4, 0, 4, 28), bg)
        self.assertEqual(self.count_colour(img, (x, y), CELL), 16 * (1 + 8 + 1))

        self.port.write(bytes([0x80]))
        time.sleep(0.6)
        img = wait_until(lambda: self.changed_to_second(), 10)
        self.assertTrue(img, "the second burst did not replace the first")
        self.assertEqual(self.close_and_wait(), 0)

    def changed_to_second(self):
        img, x, y = self.capture_canvas()
        if self.block(img, x, y, 0, 28) == {CELL} and self.count_colour(img, (x, y), CELL) == 16:
            return img
        return None

    def test_a_sender_that_never_pauses_is_drawn_only_when_it_pauses(self):
        self.start()
        # A byte every 30 ms, from a thread of its own, so every 250 ms tick sees growth even
        # while a capture is slow.
        stop = threading.Event()

        def send():
            while not stop.is_set():
                self.port.write(b"\xff")
                stop.wait(0.03)

        sender = threading.Thread(target=send)
        sender.start()
        try:
            end = time.monotonic() + 2.0
            while time.monotonic() < end:
                img, x, y = self.capture_canvas()
                self.assertEqual(self.count_colour(img, (x, y), BACKGROUND), CANVAS_W * CANVAS_H)
                time.sleep(0.1)
        finally:
            stop.set()
            sender.join()
        self.wait_drawn()
        self.assertEqual(self.close_and_wait(), 0)


def expected_cells(burst):
    """The canvas pixels a burst sets: byte i is strip i // 30, its bit b the 4 x 4 cell at
    x = 4 * strip, y = 4 * ((i % 30) * 8 + b). The grid holds the first 9000 bytes."""
    data = numpy.frombuffer(bytes(burst[:9000]), dtype=numpy.uint8)
    bits = numpy.unpackbits(data[:, None], axis=1, bitorder="little").astype(bool)  # [i, b]
    index = numpy.arange(len(data))
    strip = numpy.repeat(index // 30, 8).reshape(-1, 8)
    cell = (index % 30)[:, None] * 8 + numpy.arange(8)[None, :]
    strip, cell = strip[bits], cell[bits]
    mask = numpy.zeros(CANVAS_W * CANVAS_H, dtype=bool)
    for dy in range(4):
        for dx in range(4):
            mask[CANVAS_W * (4 * cell + dy) + 4 * strip + dx] = True
    return mask.reshape(CANVAS_H, CANVAS_W)


class LargeBursts(ToolCase):
    """Bursts larger than the 4095 bytes a tty holds, as a user's device sends them: each must
    be drawn as the grid of the whole burst (its first 9000 bytes), once the sender stops, and
    stay so: a burst read in pieces would show the grid of a later piece instead."""

    def send_at_once(self, burst):
        self.port.write(burst)

    def send_at_line_rate(self, burst, rate=115200 // 10):
        start = time.monotonic()
        for at in range(0, len(burst), 64):
            delay = start + at / rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            self.port.write(burst[at:at + 64])

    def send_in_pieces(self, burst, piece=1000, every=0.05):
        for at in range(0, len(burst), piece):
            if at:
                time.sleep(every)
            self.port.write(burst[at:at + piece])

    def wrong_pixels(self, expected):
        img, x, y = self.capture_canvas()
        area = img.crop(x, y, CANVAS_W, CANVAS_H)
        cell = numpy.all(area == numpy.array(CELL, dtype=numpy.uint8), axis=2)
        background = numpy.all(area == numpy.array(BACKGROUND, dtype=numpy.uint8), axis=2)
        return int((cell != expected).sum() + (~cell & ~background).sum())

    def test_whole_bursts_are_drawn_exactly(self):
        self.start()
        rng = random.Random(10)
        cases = [
            ("9000 bytes at once", 9000, self.send_at_once),
            ("12000 bytes at once", 12000, self.send_at_once),
            ("6000 bytes at 115200 baud", 6000, self.send_at_line_rate),
            ("19000 bytes in 1000-byte pieces every 50 ms", 19000, self.send_in_pieces),
        ]
        for name, size, send in cases:
            with self.subTest(name):
                burst = bytes(rng.randrange(256) for _ in range(size))
                expected = expected_cells(burst)
                send(burst)
                wrong = wait_until(lambda: self.wrong_pixels(expected) == 0, 15, 0.1)
                self.assertTrue(wrong, f"{name}: {self.wrong_pixels(expected)} pixels differ "
                                       "from the whole burst's picture")
                # No later piece replaces it: the burst was read as one.
                time.sleep(1.0)
                self.assertEqual(self.wrong_pixels(expected), 0, f"{name}: redrawn afterwards")
        self.assertEqual(self.close_and_wait(), 0)


class Device(ToolCase):
    def test_hang_up_keeps_the_tool_running_and_it_closes_normally(self):
        self.start()
        self.port.hang_up()
        time.sleep(1.5)
        self.assertTrue(self.tool.alive())
        self.assertEqual(self.screen.title(self.win), TITLE_OK)
        self.screen.capture(self.win)  # still answering the X server
        self.assertEqual(self.close_and_wait(), 0)

    def test_close_frees_the_port_at_once(self):
        self.start()
        self.assertEqual(self.close_and_wait(), 0)
        # A second run opens the same port straight away.
        self.start()
        self.assertEqual(self.close_and_wait(), 0)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--repo", required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.exe, ARGS.prefix = os.path.abspath(ARGS.exe), os.path.abspath(ARGS.prefix)  # Wine wants them absolute
    if not os.environ.get("DISPLAY"):
        print("e2e: needs an X display (DISPLAY)", file=sys.stderr)
        return 1
    ensure_prefix(ARGS.prefix, ARGS.repo)
    result = unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
