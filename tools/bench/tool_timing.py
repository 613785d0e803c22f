#!/usr/bin/env python3
"""Figures of the running tool under Wine, read from outside as a user's machine would see them:

- CPU used by an idle tool (port open, no data) over 10 s, as a share of one core: the tool's
  process (with the thread that keeps the port drained under Wine) and the Wine server of its
  prefix, which carries its messages and device reads; and the wake-ups of the tool's threads
  (context switches) per second. The same for the tool whose port does not exist, in the same
  run: the difference is what the open channel costs;
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


def wakeups(pids):
    """Context switches of every thread of the processes: each is one wake-up of a thread."""
    total = 0
    for pid in pids:
        try:
            tids = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tids:
            try:
                with open(f"/proc/{pid}/task/{tid}/status") as f:
                    for line in f:
                        if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                            total += int(line.split()[1])
            except OSError:
                pass
    return total


def idle_figures(prefix, seconds):
    """CPU share (tool, Wine server) and tool wake-ups per second over `seconds` of an idle tool."""
    tool_pids = processes_of_prefix(prefix, "quorvex.exe")
    server_pids = processes_of_prefix(prefix, "wineserver")
    assert tool_pids and server_pids, "the tool's processes were not found"
    before = cpu_seconds(tool_pids), cpu_seconds(server_pids), wakeups(tool_pids)
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    tool = used_between(before[0], cpu_seconds(tool_pids)) / elapsed
    server = used_between(before[1], cpu_seconds(server_pids)) / elapsed
    return tool, server, (wakeups(tool_pids) - before[2]) / elapsed


def print_idle(what, figures):
    tool, server, wakes = figures
    print(f"idle {what}: {100 * (tool + server):.2f} % of one core (tool {100 * tool:.2f} %, "
          f"Wine server {100 * server:.2f} %), {wakes:.1f} wake-ups/s of the tool's threads")


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

        with_port = idle_figures(prefix, args.idle_seconds)
        print_idle(f"with its port open, over {args.idle_seconds:.0f} s", with_port)

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

        # The same tool on a port that does not exist: no channel, the rest the same.
        tool = Tool(exe, prefix, os.environ.get("DISPLAY"), ["PORT=COM99"])
        screen.wait_window("Quorvex", 60)
        time.sleep(2.0)
        no_port = idle_figures(prefix, args.idle_seconds)
        print_idle("with no port", no_port)
        print(f"the open idle channel costs {100 * (sum(with_port[:2]) - sum(no_port[:2])):.2f} % of one core "
              f"(goal: at most 0.3 %) and {with_port[2] - no_port[2]:.1f} wake-ups/s (goal: at most 10)")
        return 0
    finally:
        tool.kill()
        port.close()
        screen.close()


if __name__ == "__main__":
    sys.exit(main())
