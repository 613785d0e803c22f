#!/usr/bin/env python3
"""Runs an example program of examples/ (built by examples_build) under Wine and checks what it
does: serial_monitor prints the bursts fed to a virtual port, picture_dialog saves its picture
as a BMP, key_echo echoes keys typed into its window."""
import argparse
import pathlib
import queue
import random
import struct
import subprocess
import sys
import threading
import time

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tools" / "e2e"))


def lines_of(stream):
    """A queue of the stream's lines, read on a thread of its own (None at the end)."""
    q = queue.Queue()

    def read():
        for raw in iter(stream.readline, b""):
            q.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        q.put(None)
    threading.Thread(target=read, daemon=True).start()
    return q


def wait_line(q, predicate, timeout, seen):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        try:
            line = q.get(timeout=max(0.01, end - time.monotonic()))
        except queue.Empty:
            break
        if line is None:
            return None
        seen.append(line)
        if predicate(line):
            return line
    return None


def finish(process, timeout=30):
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def serial_monitor(args, exe):
    """Three bursts (every byte value, random bytes, text) must come back as hex, whole."""
    rng = random.Random(31)
    bursts = [bytes(range(256)), bytes(rng.randrange(256) for _ in range(1500)), b"hello, monitor\r\n" * 8]
    command = [sys.executable, str(REPO / "tools" / "virtual_serial.py"), "--prefix", args.prefix,
               "--com", "COM6", "--feed", "-", "--burst", "4096", "--",
               str(REPO / "scripts" / "wine-run"), args.prefix, str(exe), "COM6", "115200", str(len(bursts))]
    process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    out = lines_of(process.stdout)
    seen = []
    if not wait_line(out, lambda l: l.startswith("serial_monitor: COM6 open"), 120, seen):
        process.kill()
        print("\n".join(seen))
        return "the monitor did not open COM6"
    for k, burst in enumerate(bursts):
        if k:
            time.sleep(1.5)  # a pause the monitor's 250 ms polls see as the end of a burst
        process.stdin.write(burst)
        process.stdin.flush()
    # The end of the feed, before the monitor has its last burst: the port tool's feeding thread
    # must be done when the program ends.
    process.stdin.close()
    end = time.monotonic() + 60
    while wait_line(out, lambda l: True, end - time.monotonic(), seen) is not None:
        pass
    code = finish(process)
    received, current = [], None
    for line in seen:
        if line.startswith("burst "):
            current = bytearray()
            received.append(current)
        elif current is not None and len(line) > 5 and line[4] == " ":
            current.extend(bytes.fromhex(line[5:]))
    print("\n".join(l for l in seen if l.startswith(("burst", "serial"))))
    if code != 0:
        return f"the monitor ended with {code}"
    if [bytes(r) for r in received] != bursts:
        return f"received {[len(r) for r in received]} bytes in bursts, fed {[len(b) for b in bursts]}"
    return None


def bmp_pixel(data, x, y):
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, bits
    stride = (width * 3 + 3) & ~3
    row = height - 1 - y if height > 0 else y
    b, g, r = data[offset + row * stride + 3 * x: offset + row * stride + 3 * x + 3]
    return (b << 16) | (g << 8) | r  # as the run-time's 0x00BBGGRR


def picture_dialog(args, exe):
    """The saved BMP holds the picture; the title says so; the close button ends it with 0."""
    from xwindow import Screen
    out_dir = pathlib.Path(args.build) / "picture_dialog" / "run"
    out_dir.mkdir(parents=True, exist_ok=True)
    picture = out_dir / "picture.bmp"
    picture.unlink(missing_ok=True)
    process = subprocess.Popen([str(REPO / "scripts" / "wine-run"), args.prefix, str(exe), "picture.bmp"],
                               cwd=out_dir, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    screen = Screen()
    try:
        window = screen.wait_window("Quorvex picture: ", timeout=120)
        title = screen.title(window)
        print(f"title: {title}")
        if title != "Quorvex picture: saved to picture.bmp":
            return f"title {title!r}"
        data = picture.read_bytes()
        width, height = struct.unpack_from("<ii", data, 18)
        if (width, abs(height)) != (300, 180):
            return f"picture of {width} x {height}"
        expected = {(5, 5): 0xF0D8A0, (150, 170): 0x3C9A3C, (245, 45): 0x00E0FF, (80, 110): 0x3050C0,
                    (110, 130): 0x104070, (60, 80): 0x202060, (299, 0): 0xF0D8A0, (0, 179): 0x3C9A3C, (299, 179): 0x3C9A3C}
        wrong = {p: hex(bmp_pixel(data, *p)) for p, c in expected.items() if bmp_pixel(data, *p) != c}
        if wrong:
            return f"pixels not as drawn: {wrong}"
        screen.send_close(window)
        code = finish(process, 60)
        if code != 0:
            return f"the dialog ended with {code}"
    finally:
        if process.poll() is None:
            process.kill()
        screen.close()
    return None


def key_echo(args, exe):
    """Keys typed on the display come back on standard output and ink the window."""
    from xwindow import Screen
    process = subprocess.Popen([str(REPO / "scripts" / "wine-run"), args.prefix, str(exe)],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = lines_of(process.stdout)
    seen = []
    screen = Screen()
    try:
        if not wait_line(out, lambda l: l == "key_echo: ready", 120, seen):
            return "the window did not come up"
        window = screen.wait_window("Quorvex key echo", timeout=30)

        def ink():
            image = screen.capture(window)
            return int((image.pixels.sum(axis=2) < 200).sum())
        before = ink()

        def xdotool(*words):
            subprocess.run(["xdotool", *words], timeout=30, check=False)
        # The first key again until it comes back: the window may not have the focus at once.
        for _ in range(10):
            xdotool("search", "--name", "^Quorvex key echo", "windowfocus")
            time.sleep(0.3)
            xdotool("key", "q")
            if wait_line(out, lambda l: l == "key q", 3, seen):
                break
        else:
            return f"no key came back: {seen}"
        xdotool("key", "--delay", "150", "h", "i", "Return", "F10")
        wait_line(out, lambda l: l == "key scan 0x44", 30, seen)
        after = ink()
        xdotool("key", "Escape")
        wait_line(out, lambda l: l == "key Escape", 30, seen)
        code = finish(process, 30)
        print("\n".join(seen))
        keys = [l for l in seen if l.startswith("key ")]
        while keys[1:2] == ["key q"]:  # a q typed again while the first was on its way
            keys.pop(0)
        if keys != ["key q", "key h", "key i", "key Enter", "key scan 0x44", "key Escape"]:
            return f"keys {keys}"
        if after <= before:
            return f"no ink in the window from the keys ({before} dark pixels before, {after} after)"
        if code != 0:
            return f"ended with {code}"
    finally:
        if process.poll() is None:
            process.kill()
        screen.close()
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repo", default=str(REPO))
    parser.add_argument("--prefix", required=True, help="the Wine prefix")
    parser.add_argument("--build", required=True, help="where examples_build built the examples")
    parser.add_argument("example", choices=["serial_monitor", "picture_dialog", "key_echo"])
    args = parser.parse_args()
    exe = pathlib.Path(args.build) / args.example / f"{args.example}.exe"
    if not exe.is_file():
        print(f"{exe} is missing: examples_build makes it")
        return 1
    fault = globals()[args.example](args, exe)
    if fault:
        print(f"{args.example}: {fault}")
        return 1
    print(f"{args.example}: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
