#!/usr/bin/env python3
"""Figures of the running tool under Wine, read from outside as a user's machine would see them:

- CPU used by an idle tool (port open, no data) over 10 s, as a share of one core: the tool's
  process (with the thread that keeps the port drained under Wine) and the Wine server of its
  prefix, which carries its messages and device reads;
- latency from the last byte of a burst to the picture on screen, over several bursts.

    tool_timing.py --exe build/windows/app/quorvex.exe --prefix PREFIX --repo . [--bursts 8]
Needs DISPLAY.
"""
import argparse
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from quorvex_session import BACKGROUND, CANVAS_H, CANVAS_W, Port, Tool, ensure_prefix  # noqa: E402
from xwindow import Screen  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pids):
    """CPU seconds by process id, for those still running."""
    used = {}
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            used[pid] = (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime
        except OSError:
            pass
    return used


def used_between(before, after):
    """CPU seconds used by the processes seen at both ends (others on the machine come and go)."""
    return sum(after[pid] - before[pid] for pid in before if pid in after)


def processes_of_prefix(prefix, name):
    """Processes whose command line holds `name` and that run in this Wine prefix: other
    people's Wine sessions on the machine are not counted."""
    out = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmd = f.read().replace(b"\0", b" ").decode(errors="replace")
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = dict(item.split(b"=", 1) for item in f.read().split(b"\0") if b"=" in item)
        except OSError:
            continue
        if name in cmd and env.get(b"WINEPREFIX", b"").decode(errors="replace") == prefix:
            out.append(int(pid))
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--bursts", type=int, default=8)
    parser.add_argument("--idle-seconds", type=float, default=10.0)
    args = parser.parse_args()
    exe, prefix = os.path.abspath(args.exe), os.path.abspath(args.prefix)
    ensure_prefix(prefix, args.repo)

    port = Port(prefix, "COM3")
    tool = Tool(exe, prefix, os.environ.get("DISPLAY"))
    screen = Screen()
    try:
        win = screen.wait_window("Quorvex - Port", 60)
        time.sleep(2.0)  # start-up settles
        img = screen.capture(win)
        x, y, w, h = img.find_rect(BACKGROUND)
        assert (w, h) == (CANVAS_W, CANVAS_H), "the drawing area is not all background"

        tool_pids = processes_of_prefix(prefix, "quorvex.exe")
        server_pids = processes_of_prefix(prefix, "wineserver")
        assert tool_pids and server_pids, "the tool's processes were not found"
        before = cpu_seconds(tool_pids), cpu_seconds(server_pids)
        start = time.monotonic()
        time.sleep(args.idle_seconds)
        elapsed = time.monotonic() - start
        used = (used_between(before[0], cpu_seconds(tool_pids)),
                used_between(before[1], cpu_seconds(server_pids)))
        print(f"idle CPU over {elapsed:.1f} s: {100 * sum(used) / elapsed:.2f} % of one core "
              f"(tool {100 * used[0] / elapsed:.2f} %, Wine server {100 * used[1] / elapsed:.2f} %)")

        latencies = []
        for k in range(args.bursts):
            burst = bytes([(k * 37 + i) & 0xFF for i in range(300 + 100 * k)])
            previous = screen.capture(win).crop(x, y, CANVAS_W, CANVAS_H).copy()
            port.write(burst)
            sent = time.monotonic()
            while time.monotonic() - sent < 5:
                now = screen.capture(win).crop(x, y, CANVAS_W, CANVAS_H)
                if (now != previous).any():
                    latencies.append(time.monotonic() - sent)
                    break
                time.sleep(0.005)
            time.sleep(0.6)
        ms = [1000 * t for t in latencies]
        print(f"latency from the last byte to the picture over {len(ms)} bursts: "
              f"min {min(ms):.0f} ms, median {statistics.median(ms):.0f} ms, max {max(ms):.0f} ms "
              f"(the polling rule allows 250-500 ms plus the render)")
        screen.send_close(win)
        code = tool.wait(30)
        print(f"exit code {code}")
        return 0
    finally:
        tool.kill()
        port.close()
        screen.close()


if __name__ == "__main__":
    sys.exit(main())
