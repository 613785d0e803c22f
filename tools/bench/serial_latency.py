#!/usr/bin/env python3
"""How long a byte takes from the serial device to the program under Wine: the echo time of single
bytes through a run-time channel (the receive queue and its drain) against the cheapest path that
does the same work, the device read directly, in the same run. (The idle cost of a channel is
tool_timing.py's.)

    serial_latency.py --exe build/windows/tools/serial_latency_bench.exe --prefix PREFIX --repo .
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from quorvex_session import WINE, ensure_prefix, wine_env  # noqa: E402
from virtual_serial import Port  # noqa: E402


def run(mode, exe, prefix, samples):
    port = Port(prefix, "COM7")
    proc = subprocess.Popen([WINE, exe, mode, "COM7"], env=wine_env(prefix), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        port.write(b"\x01")  # the first echo says the program is up
        assert port.read(1, 30) == b"\x01", f"{mode}: no echo"
        time.sleep(1)
        times = []
        rng = random.Random(7)
        for i in range(samples):
            time.sleep(rng.uniform(0.02, 0.25))  # arrivals at any moment of the drain's wait
            sent = time.monotonic()
            port.write(bytes([i % 200 + 2]))
            if port.read(1, 5):
                times.append(1000 * (time.monotonic() - sent))
        port.write(b"\xff")
        port.read(1, 5)
        proc.wait(timeout=30)
        return times
    finally:
        if proc.poll() is None:
            proc.kill()
        port.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--samples", type=int, default=60)
    args = parser.parse_args()
    exe, prefix = os.path.abspath(args.exe), os.path.abspath(args.prefix)
    ensure_prefix(prefix, args.repo)
    results = {mode: sorted(run(mode, exe, prefix, args.samples)) for mode in ("direct", "channel")}
    for mode, times in results.items():
        print(f"{mode:8s} echo ms: median {statistics.median(times):.2f}, 90% {times[int(len(times) * 0.9)]:.2f}, "
              f"max {times[-1]:.2f} ({len(times)} bytes)")
    d, c = (statistics.median(results[m]) for m in ("direct", "channel"))
    print(f"channel - direct echo median: {c - d:.2f} ms, ratio {c / d:.2f} (what the queue adds to a "
          f"byte's way in; the goal: within 5 ms)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
