#!/usr/bin/env python3
"""Runs quorvex.exe under Wine for a person to look at (scripts/run does the building).

    run_quorvex.py --exe EXE --prefix PREFIX --repo REPO [--device PATH] [OPTIONS...]

OPTIONS go to the tool as they are (PORT=..., BAUD=...). The COM name they select (COM3 by
default) is linked in PREFIX to --device, or else to a virtual serial port fed with sample
pictures. With an X display the window stays until it is closed; without one the tool runs on
a private Xvfb, a screenshot is saved once the first burst is drawn, and the run ends.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "e2e"))
from quorvex_session import (BACKGROUND, CANVAS_H, CANVAS_W, WINE, ensure_prefix,  # noqa: E402
                             link_com, wine_env)

SAMPLE_BURST = 9000  # one whole-grid picture (tools/sample_picture.py)


def selected_port(options):
    """The port name as the tool derives it: the text after '=' of the last token with PORT."""
    port = "COM3"
    for token in " ".join(options).split(" "):
        token = token.upper()
        if "PORT" in token:
            port = token.split("=", 1)[1].strip(" ") if "=" in token else ""
    return port


def display_works(name):
    if not name:
        return False
    return subprocess.run(["xdpyinfo", "-display", name], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def start_xvfb():
    for n in range(90, 140):
        if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
            continue
        proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1600x1200x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(50):
            if display_works(f":{n}"):
                return proc, f":{n}"
            if proc.poll() is not None:
                break
            time.sleep(0.1)
        proc.kill()
    raise RuntimeError("no Xvfb display could be started")


def start_virtual_port(args, com, workdir):
    samples = os.path.join(workdir, "samples.bin")
    # The pictures come round again and again, so whenever the tool opens the port it soon
    # sees one; a burst written before the open may be dropped by the device.
    subprocess.run([sys.executable, os.path.join(HERE, "sample_picture.py"), samples, "100"], check=True)
    ready = os.path.join(workdir, "ready")
    proc = subprocess.Popen(
        [sys.executable, os.path.join(HERE, "virtual_serial.py"), "--prefix", args.prefix,
         "--com", com, "--feed", samples, "--burst", str(SAMPLE_BURST), "--pause", "3000",
         "--start-delay", "1000", "--ready-file", ready,
         "--wine-run", os.path.join(args.repo, "scripts", "wine-run")])
    end = time.monotonic() + 60
    while not os.path.exists(ready):
        if proc.poll() is not None or time.monotonic() > end:
            raise RuntimeError("the virtual serial port did not start")
        time.sleep(0.05)
    return proc


def screenshot_run(tool, display, path):
    from xwindow import Screen
    screen = Screen(display)
    try:
        win = screen.wait_window("Quorvex", 60)
        end = time.monotonic() + 60
        canvas = None
        while time.monotonic() < end and tool.poll() is None:
            img = screen.capture(win)
            if canvas is None:  # the drawing area, found while it is all background
                rect = img.find_rect(BACKGROUND)
                if rect and rect[2] == CANVAS_W and rect[3] == CANVAS_H:
                    canvas = rect[:2]
            elif (img.crop(*canvas, CANVAS_W, CANVAS_H) != BACKGROUND).any():
                time.sleep(0.3)  # let the refresh settle
                screen.capture(win).save_png(path)
                print(f"quorvex: title {screen.title(win)!r}")
                print(f"quorvex: screenshot saved to {path}")
                break
            time.sleep(0.1)
        else:
            print(f"quorvex: no burst was drawn within a minute (title {screen.title(win)!r}); "
                  "no screenshot", file=sys.stderr)
        # Close as a user would, again if the first request went unanswered.
        for _ in range(3):
            screen.send_close(win)
            try:
                tool.wait(10)
                break
            except subprocess.TimeoutExpired:
                pass
    finally:
        screen.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--device", help="serial device to link as the selected COM name")
    parser.add_argument("--screenshot", default=None, help="PNG path for a run without a display")
    args, options = parser.parse_known_args()
    args.exe, args.prefix = os.path.abspath(args.exe), os.path.abspath(args.prefix)

    com = selected_port(options)
    if not (com.startswith("COM") and com[3:].isdigit()):
        print(f"quorvex: the options select port {com!r}, which is no COM name to link; "
              "the tool will report that it cannot open it", file=sys.stderr)
    ensure_prefix(args.prefix, args.repo)

    workdir = tempfile.mkdtemp(prefix="quorvex-run-")
    feeder = xvfb = None
    try:
        if args.device:
            if not os.path.exists(args.device):
                print(f"quorvex: no device {args.device}", file=sys.stderr)
                return 1
            link_com(args.prefix, com, os.path.abspath(args.device))
            print(f"quorvex: {com} is {args.device}")
        elif com.startswith("COM") and com[3:].isdigit():
            feeder = start_virtual_port(args, com, workdir)
            print(f"quorvex: {com} is a virtual serial port with sample pictures")

        display = os.environ.get("DISPLAY")
        headless = not display_works(display)
        if headless:
            xvfb, display = start_xvfb()
        log_path = os.path.join(workdir, "wine.log")
        with open(log_path, "wb") as log:  # Wine's own chatter stays out of the way
            tool = subprocess.Popen([WINE, args.exe, *options], env=wine_env(args.prefix, display),
                                    stdout=log, stderr=log)
        if headless:
            shot = args.screenshot or os.path.join(args.repo, "build", "quorvex-screenshot.png")
            screenshot_run(tool, display, os.path.abspath(shot))
        code = tool.wait()
        print(f"quorvex: exited with code {code}")
        return code
    finally:
        for proc in (feeder, xvfb):
            if proc and proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    proc.kill()


if __name__ == "__main__":
    sys.exit(main())
