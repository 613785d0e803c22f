#!/usr/bin/env python3
"""A virtual serial port for Windows programs under Wine.

Creates a raw pseudo-terminal pair per COM name, links the slave end as that COM name in a
Wine prefix (dosdevices/comN), and drives the master end: feeds bytes from a file, standard
input or a named pattern in bursts with pauses, records what the program sends, and can hang
the line up like an unplugged device.

With a program after "--" it runs that program (normally through scripts/wine-run) and serves
commands the program prints on its standard output, one per line, answered on its standard
input with one line:

    @@vs feed PORT HEX           write the bytes to the port      -> ok COUNT
    @@vs pace PORT BAUD HEX      write them in the background at the pace of a line at BAUD
                                 (10 bits a byte)                  -> ok COUNT
    @@vs read PORT N TIMEOUT_MS  bytes the program sent, up to N   -> ok HEX
    @@vs inq PORT                bytes waiting for the program     -> ok COUNT
    @@vs termios PORT            line settings of the device       -> ok ISPEED OSPEED BITS PARENB CSTOPB
    @@vs flush PORT              drop what is queued either way    -> ok
    @@vs hangup PORT             close the line                    -> ok
    @@vs alias PORT NAME         link one more COM name to the port -> ok

Any other output line is passed through. The program finds the port names in the environment
variable QV_VIRTUAL_SERIAL (comma-separated); the tool exits with the program's exit code.
"""
import argparse
import binascii
import fcntl
import os
import random
import select
import signal
import struct
import subprocess
import sys
import termios
import threading
import time
import tty

COMMAND_PREFIX = "@@vs "

SPEEDS = {getattr(termios, name): int(name[1:]) for name in dir(termios)
          if name.startswith("B") and name[1:].isdigit()}
CSIZE_BITS = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}


def pattern_bytes(name, count, seed=1):
    """Named sample data: ramp (0,1,..,255,0,..), alternating (0x55/0xAA), ones, zeros,
    walking (one bit moving up), random (seeded), text (a repeated line)."""
    if name == "ramp":
        return bytes(i & 0xFF for i in range(count))
    if name == "alternating":
        return bytes(0x55 if i % 2 == 0 else 0xAA for i in range(count))
    if name == "ones":
        return b"\xff" * count
    if name == "zeros":
        return b"\x00" * count
    if name == "walking":
        return bytes(1 << (i % 8) for i in range(count))
    if name == "random":
        rng = random.Random(seed)
        return bytes(rng.randrange(256) for _ in range(count))
    if name == "text":
        line = b"The quick brown fox jumps over the lazy dog 0123456789\r\n"
        return (line * (count // len(line) + 1))[:count]
    raise ValueError(f"unknown pattern {name!r}")


PATTERNS = ["ramp", "alternating", "ones", "zeros", "walking", "random", "text"]


class Port:
    """One pty pair linked as a COM name. A reader thread collects what the program writes."""

    def __init__(self, prefix, name):
        self.name = name.upper()
        self.master, self.slave = os.openpty()
        self.slave_path = os.ttyname(self.slave)
        for fd in (self.master, self.slave):
            tty.setraw(fd)
            attrs = termios.tcgetattr(fd)
            attrs[3] &= ~termios.ECHO
            termios.tcsetattr(fd, termios.TCSANOW, attrs)
        self.link = os.path.join(prefix, "dosdevices", self.name.lower())
        if os.path.lexists(self.link):
            if not os.path.islink(self.link):
                raise RuntimeError(f"{self.link} exists and is not a link")
            os.unlink(self.link)
        os.symlink(self.slave_path, self.link)
        self.aliases = []
        self.received = bytearray()
        self.cond = threading.Condition()
        self.open = True
        self.lock = threading.Lock()  # writes and hang-up
        self.reader = threading.Thread(target=self._read_loop, daemon=True)
        self.reader.start()

    def _read_loop(self):
        # hang_up closes the descriptors only after this loop has seen `open` go false.
        while self.open:
            try:
                ready, _, _ = select.select([self.master], [], [], 0.05)
                if not ready:
                    continue
                data = os.read(self.master, 65536)
            except OSError:
                return
            if not data:
                return
            with self.cond:
                self.received += data
                self.cond.notify_all()

    def write(self, data):
        view = memoryview(bytes(data))
        while view:
            with self.lock:
                if not self.open:
                    raise OSError("the line is hung up")
                # Never block with the lock held: a full pty waits for the program to read.
                _, writable, _ = select.select([], [self.master], [], 0)
                n = os.write(self.master, view) if writable else 0
            view = view[n:]
            if view and n == 0:
                time.sleep(0.002)
        return len(data)

    def write_paced(self, data, baud):
        """Writes as a line at `baud` delivers: each byte at its own moment, a millisecond's
        bytes at a time."""
        per_second = baud / 10.0
        start = time.monotonic()
        sent = 0
        while sent < len(data):
            due = min(len(data), int((time.monotonic() - start) * per_second) + 1)
            if due > sent:
                self.write(data[sent:due])
                sent = due
            time.sleep(0.001)

    def read(self, count, timeout):
        deadline = time.monotonic() + timeout
        with self.cond:
            while len(self.received) < count:
                left = deadline - time.monotonic()
                if left <= 0:
                    break
                self.cond.wait(left)
            data = bytes(self.received[:count])
            del self.received[:count]
        return data

    def waiting(self):
        buf = fcntl.ioctl(self.slave, termios.FIONREAD, b"\0\0\0\0")
        return struct.unpack("i", buf)[0]

    def settings(self):
        attrs = termios.tcgetattr(self.slave)
        cflag = attrs[2]
        return (SPEEDS.get(attrs[4], attrs[4]), SPEEDS.get(attrs[5], attrs[5]),
                CSIZE_BITS.get(cflag & termios.CSIZE, 0), int(bool(cflag & termios.PARENB)),
                int(bool(cflag & termios.CSTOPB)))

    def flush(self):
        termios.tcflush(self.slave, termios.TCIOFLUSH)
        with self.cond:
            self.received.clear()

    def hang_up(self):
        with self.lock:
            if not self.open:
                return
            self.open = False
        self.reader.join()
        with self.lock:
            os.close(self.master)
            os.close(self.slave)

    def alias(self, name):
        link = os.path.join(os.path.dirname(self.link), name.lower())
        if os.path.lexists(link):
            if not os.path.islink(link):
                raise OSError(f"{link} exists and is not a link")
            os.unlink(link)
        os.symlink(self.slave_path, link)
        self.aliases.append(link)

    def close(self):
        self.hang_up()
        for link in self.aliases:
            try:
                if os.readlink(link) == self.slave_path:
                    os.unlink(link)
            except OSError:
                pass
        try:
            if os.readlink(self.link) == self.slave_path:
                os.unlink(self.link)
        except OSError:
            pass


def ensure_prefix(prefix, wine_run):
    if os.path.isdir(os.path.join(prefix, "dosdevices")):
        return
    # wine-run creates the prefix on first use.
    subprocess.run([wine_run, prefix, "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    if not os.path.isdir(os.path.join(prefix, "dosdevices")):
        raise RuntimeError(f"no Wine prefix at {prefix}")


def serve_command(ports, line):
    words = line.split()
    if not words:
        return "err empty command"
    op, args = words[0], words[1:]
    try:
        port = ports[args[0].upper()] if args else None
        if port is None:
            return "err no port named"
        if op == "feed":
            data = binascii.unhexlify(args[1]) if len(args) > 1 else b""
            return f"ok {port.write(data)}"
        if op == "pace":
            data = binascii.unhexlify(args[2])
            threading.Thread(target=port.write_paced, args=(data, int(args[1])), daemon=True).start()
            return f"ok {len(data)}"
        if op == "read":
            data = port.read(int(args[1]), int(args[2]) / 1000.0)
            return "ok " + data.hex()
        if op == "inq":
            return f"ok {port.waiting()}"
        if op == "termios":
            return "ok " + " ".join(str(v) for v in port.settings())
        if op == "flush":
            port.flush()
            return "ok"
        if op == "alias":
            port.alias(args[1])
            return "ok"
        if op == "hangup":
            port.hang_up()
            return "ok"
        return f"err unknown command {op}"
    except KeyError:
        return f"err unknown port {args[0]}"
    except (OSError, ValueError, IndexError, binascii.Error) as e:
        return f"err {e}"


def run_program(ports, command):
    env = dict(os.environ)
    env["QV_VIRTUAL_SERIAL"] = ",".join(ports)
    child = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)
    for raw in child.stdout:
        text = raw.decode("latin-1").rstrip("\r\n")
        at = text.find(COMMAND_PREFIX)
        if at < 0:
            sys.stdout.write(text + "\n")
            sys.stdout.flush()
            continue
        if at > 0:
            sys.stdout.write(text[:at] + "\n")
        reply = serve_command(ports, text[at + len(COMMAND_PREFIX):])
        try:
            child.stdin.write((reply + "\n").encode())
            child.stdin.flush()
        except BrokenPipeError:
            pass
    return child.wait()


def feed_source(args):
    """Bytes of the whole feed, or None for standard input read as it comes."""
    if args.pattern:
        return pattern_bytes(args.pattern, args.burst * args.bursts, args.seed)
    if args.feed == "-":
        return None
    if args.feed:
        with open(args.feed, "rb") as f:
            return f.read()
    return b""


def feed(port, args, stop):
    if args.start_delay:
        stop.wait(args.start_delay / 1000.0)
    data = feed_source(args)
    if data is None:
        source = iter(lambda: sys.stdin.buffer.read1(args.burst), b"")
    else:
        source = (data[i:i + args.burst] for i in range(0, len(data), args.burst))
    first = True
    for chunk in source:
        if stop.is_set():
            return
        if not first and args.pause:
            stop.wait(args.pause / 1000.0)
        first = False
        port.write(chunk)
        if args.verbose:
            print(f"virtual_serial: {len(chunk)} bytes to {port.name}", file=sys.stderr, flush=True)
    if args.hangup:
        if args.hangup_delay:
            stop.wait(args.hangup_delay / 1000.0)
        port.hang_up()
        if args.verbose:
            print(f"virtual_serial: {port.name} hung up", file=sys.stderr, flush=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--prefix", required=True, help="the Wine prefix to link the ports in")
    p.add_argument("--com", action="append", required=True,
                   help="COM name to create (repeatable); the feed goes to the first")
    src = p.add_mutually_exclusive_group()
    src.add_argument("--feed", metavar="FILE", help="bytes to feed; '-' for standard input")
    src.add_argument("--pattern", choices=PATTERNS, help="a named sample pattern")
    p.add_argument("--burst", type=int, default=600, help="bytes per burst (default 600)")
    p.add_argument("--bursts", type=int, default=1, help="bursts of a pattern (default 1)")
    p.add_argument("--pause", type=int, default=1000, help="ms between bursts (default 1000)")
    p.add_argument("--seed", type=int, default=1, help="seed of the random pattern")
    p.add_argument("--start-delay", type=int, default=0, help="ms before the first burst")
    p.add_argument("--hangup", action="store_true", help="hang the line up after the feed")
    p.add_argument("--hangup-delay", type=int, default=0, help="ms between the feed and the hang-up")
    p.add_argument("--received", metavar="FILE",
                   help="write what the program sent to FILE when done ('-' = hex on stdout)")
    p.add_argument("--hold", type=float, default=None,
                   help="without a program: seconds to keep the ports after the feed "
                        "(default: until interrupted)")
    p.add_argument("--ready-file", help="created once the ports are linked")
    p.add_argument("--wine-run", default=os.path.join(here, "..", "scripts", "wine-run"))
    p.add_argument("-v", "--verbose", action="store_true")
    p.add_argument("command", nargs=argparse.REMAINDER, help="-- PROGRAM ARGS to run and serve")
    args = p.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if args.burst < 1:
        p.error("--burst must be at least 1")

    ensure_prefix(args.prefix, args.wine_run)
    ports = {}
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    code = 0
    try:
        for name in args.com:
            port = Port(args.prefix, name)
            ports[port.name] = port
            if args.verbose:
                print(f"virtual_serial: {port.name} -> {port.slave_path}", file=sys.stderr, flush=True)
        if args.ready_file:
            with open(args.ready_file, "w") as f:
                f.write(" ".join(f"{n}={p.slave_path}" for n, p in ports.items()) + "\n")
        first = next(iter(ports.values()))
        feeder = None
        if args.feed or args.pattern:
            feeder = threading.Thread(target=feed, args=(first, args, stop), daemon=True)
            feeder.start()
        if command:
            code = run_program(ports, command)
        else:
            if feeder:
                while feeder.is_alive() and not stop.is_set():
                    feeder.join(0.1)
            if args.hold is None:
                while not stop.is_set():
                    stop.wait(0.5)
            else:
                stop.wait(args.hold)
    except KeyboardInterrupt:
        pass
    finally:
        stop.set()
        if args.received:
            out = b"".join(bytes(p.received) for p in ports.values())
            if args.received == "-":
                print(out.hex())
            else:
                with open(args.received, "wb") as f:
                    f.write(out)
        for port in ports.values():
            port.close()
    return code


if __name__ == "__main__":
    sys.exit(main())
