#!/usr/bin/env python3
"""Random drawing scripts over the whole range of every argument, each run by draw_script.exe
under Wine with a time limit. A script whose run crashes, hangs, ends with an exit code other
than 0 (done) or 2 (a line the runner refused), or has an operation that holds the surface lock
longer than --slow-ms on a canvas of at most 1200 x 960 is a finding: the script, its output and
the reason (with the line) are kept in the findings directory, and the run ends with status 1.
A hang seen once is a finding; a finding is replayed by its seed and number (--seed S --only N),
or from its kept file (--script F, judged under the time verdict whatever its canvases).
Exit code 1 counts as a finding too unless the runner said a file could not be loaded or saved.

The operations come from the runner itself (`draw_script.exe --operations`: name, family,
argument kinds and names); a runner that cannot list them ends the fuzzer with status 2.
Argument kinds: F float, I 32-bit whole number, T text, P point list, S a surface by its script
name; kinds after '|' may be left out together. Each kind has its own generator, drawing from
every region that changes a path (pens up to, at and past the platform's reach, points near, within
reach and far, 0 to 1025 of them, canvases up to 1200 x 960 and beyond, texts with NUL, controls,
bytes that are no UTF-8 and thousands of units), so a new operation of known kinds needs nothing
here.

  draw_script_fuzz.py --runner draw_script.exe --wine-run scripts/wine-run --prefix PREFIX
                      [--seconds 60 | --count N | --script F] [--seed S] [--only N] [--timeout 30]
                      [--slow-ms 1000] [--findings DIR]
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Lines of the runner's own (made here: a target that cannot be made ends a script with exit code
# 1 by design), and operations that wait for a person.
RUNNER_LINES = {"memory", "load", "window", "target", "save"}
WAITING = {"SurfaceLineInput", "SurfaceWindowOpen"}
# Operations whose surface takes `as NAME` when the runner names surfaces.
MAKERS = {"MemorySurfaceCreate": "memory", "MemorySurfaceLoad": "memory", "SurfaceWindowOpenThreaded": "window"}
FILES = ["a.bmp", "b.bmp", "x.y.bmp", "missing.bmp", "", ".", "a.bmp.ico", "dir\\no.bmp"]
# Operations whose size may count characters rather than pixels.
CELL_SIZED = {"SurfaceWindowOpenThreaded"}
# The platform's reach beyond the canvas, and the largest canvas the time verdict applies to.
REACH = 8192
VERDICT_AREA = (1200, 960)
# Pen widths: thin, wide, at and past the reach, and the ends of 32 bits.
PENS = [0, 1, 2, 3, 4, 5, 8, 15, 64, 1000, 8191, 8192, 8193, 8194, 16385, 100000, 3000000, 2147483647,
        -1, -3, -8193, -2147483648]


def list_operations(run):
    """The runner's own table (name, kinds, argument words), or None when it has no --operations."""
    try:
        done = run(["--operations"], 60)
    except subprocess.TimeoutExpired:
        return None
    if done.returncode != 0:
        return None
    ops = []
    for line in done.stdout.decode("utf-8", "replace").splitlines():
        fields = line.split("\t")
        if len(fields) >= 3 and fields[0]:
            ops.append((fields[0], fields[2], fields[3].split() if len(fields) > 3 else []))
    return ops or None


class Generator:
    def __init__(self, rng, operations, named):
        self.rng = rng
        self.operations = [op if len(op) > 2 else (op[0], op[1], []) for op in operations
                           if op[0] not in RUNNER_LINES | WAITING]
        self.named = named  # surfaces have script names (`as NAME`, `target NAME`)
        self.surfaces, self.windows = [], []
        self.largest = (0, 0)  # the largest canvas a script may make, for the time verdict

    def grew(self, width, height):
        """Notes a canvas size the script asks for (a 32-bit pattern counts as its magnitude)."""
        def magnitude(text):
            text = str(text)
            try:
                v = int(text[2:], 16) if text[:2].upper() == "&H" else int(float(text))
            except ValueError:
                return 1 << 31
            return abs(v - (1 << 32) if v >= 1 << 31 else v)
        self.largest = (max(self.largest[0], magnitude(width)), max(self.largest[1], magnitude(height)))

    # -- values by kind ------------------------------------------------------------------
    def whole(self):
        r = self.rng
        return r.choice([
            lambda: str(r.choice([0, 1, -1, 2, 3, 4, 5, 6, 7, 13, 15, 16, 17, 100, 255, -2, -3])),
            lambda: r.choice(["&H80000000", "&HFFFFFFFF", "&H7FFFFFFF", "2147483647", "-2147483648"]),
            lambda: "&H%06X" % r.randrange(1 << 24),  # a colour
            lambda: str(r.randrange(-1000, 1000)),
            lambda: str(r.randrange(-(1 << 31), 1 << 31)),
        ])()

    def pen(self):
        r = self.rng
        return str(r.choice(PENS) if r.random() < 0.8 else r.randrange(-(1 << 31), 1 << 31))

    def number(self):
        r = self.rng
        return r.choice([
            lambda: repr(r.uniform(-50, 450)),
            lambda: str(r.randrange(-20, 1220)),
            lambda: r.choice(["0", "-0", "0.5", "1e-38", "1e-45", "1e38", "3.4e38", "1e39", "-1e39",
                              "2147483647", "-2147483648", "3e9", "-3e9", "1e30", "-1e30", "16777217"]),
            lambda: "%de%d" % (r.randrange(-9, 10), r.randrange(-40, 40)),
            lambda: repr(r.choice([1, -1]) * r.uniform(1e5, 3e9)),
            # at and around the platform's reach: thousands of rows tall, yet within it
            lambda: str(r.choice([-REACH - 1, -REACH, -REACH + 1, 1200 + REACH, 960 + REACH, 420 + REACH + 1])),
            lambda: str(r.randrange(-REACH, 1200 + REACH)),
        ])()

    def text(self):
        r = self.rng
        units = r.choice([
            lambda: r.choice(FILES),
            lambda: "".join(r.choice("ab cd\tWMi.") for _ in range(r.randrange(0, 40))),
            lambda: "x" * r.randrange(200, 5000),
            lambda: r.choice("ab W\u00e9") * r.randrange(5000, 9000),  # thousands of units
            lambda: " lead space",
            lambda: "\u00e9\u4e2d\U0001F600 wide",
            # NUL, controls, a quote and a backslash as the runner writes them, and raw controls
            lambda: "".join(r.choice(["\\u0000", "\\u0007", "\\u001B", "\\u0022", "\\u005C", "\\uD800",
                                      "\\uDFFF", "\\uFFFF", "\x01", "\x1f", "\x7f", "\r", "a"])
                            for _ in range(r.randrange(1, 60))),
            # bytes that are no UTF-8 (written as they are)
            lambda: "".join(r.choice(["\udcff", "\udcc0", "\udc80", "\udced\udca0\udc80", "\udce2\udc82", "z"])
                            for _ in range(r.randrange(1, 30))),
        ])()
        return '"%s"' % units.replace('"', "'").replace("\n", " ")

    def points(self):
        r = self.rng
        n = r.choice([0, 1, 2, 3, 4, 5, 8, 50, 1024, 1024, 1025, r.randrange(1, 1100)])
        region = r.choice(["canvas", "reach", "far", "mixed", "tall"])

        def coordinate(axis):
            if region == "canvas":
                return repr(r.uniform(-20, 1220 if axis == 0 else 980))
            if region == "reach":
                return str(r.randrange(-REACH, (1200 if axis == 0 else 960) + REACH))
            if region == "tall":  # across the canvas, thousands of rows up and down
                return repr(r.uniform(-20, 420)) if axis == 0 else str(r.choice([-REACH, 420 + REACH]))
            if region == "far":
                return repr(r.choice([1, -1]) * r.uniform(1e4, 3e9))
            return self.number()

        pairs = ["%s,%s" % (coordinate(0), coordinate(1)) for _ in range(n)]
        if r.random() < 0.01:
            pairs.append(coordinate(0))  # an x without its y: the runner refuses the line
        return "[" + " ".join(pairs) + "]"

    def surface(self):
        # An unknown name ends a script at that line: rare.
        return self.rng.choice(self.surfaces) if self.surfaces and self.rng.random() < 0.99 else "nobody"

    def size(self):
        r = self.rng
        return r.choice([r.randrange(1, 420), r.randrange(1, 420), 1, 2, 3, r.randrange(420, 1201)])

    def extent(self):
        """A width or height: small, empty, negative, the largest canvas, beyond it, or so large
        that no bitmap can be made. Not the millions between, whose gigabytes of canvas get the
        runner killed by the system's memory limit (and may take other programs with it)."""
        r = self.rng
        return r.choice([
            lambda: str(r.randrange(-5, 1)),
            lambda: str(r.randrange(1, 400)),
            lambda: str(r.choice([1200, 960, 1201, 2048, 4000])),
            lambda: r.choice(["2147483647", "-2147483648", "&H80000000", "&H7FFFFFFF"]),
        ])()

    def argument(self, name, kind, word=""):
        if name == "SurfaceSetPenWidth":
            return self.pen()
        if kind == "I" and word in ("width", "height") and name in CELL_SIZED:
            # Counted in characters with one of the options: a few hundred are thousands of pixels.
            return self.rng.choice([str(self.rng.randrange(-5, 400)), "2147483647", "-2147483648"])
        if kind == "I" and word in ("width", "height"):
            return self.extent()
        return {"F": self.number, "I": self.whole, "T": self.text, "P": self.points, "S": self.surface}[kind]()

    # -- lines -----------------------------------------------------------------------------
    def make_target(self, kind):
        name = "s%d" % len(self.surfaces)
        r = self.rng
        if kind == "window":
            w, h = self.size(), self.size()
            line = 'window %d %d "fuzz"' % (w, h)
        elif kind == "load":
            w, h = (r.randrange(1, 1201), r.randrange(1, 961)) if r.random() < 0.5 else (0, 0)
            # Mostly a file an earlier script saved; sometimes one that is not there (exit code 1).
            file = "missing.bmp" if r.random() < 0.1 else r.choice(["a.bmp", "b.bmp"])
            line = 'load "%s"' % file + (" %d %d" % (w, h) if w else "")
            w, h = max(w, 1200), max(h, 960)  # a loaded file keeps its size: at most what was saved
        else:
            w, h = (self.size(), self.size()) if r.random() < 0.97 else (r.randrange(1200, 4001), r.randrange(960, 3001))
            line = "memory %d %d" % (w, h)
        self.grew(str(w), str(h))
        if self.named:
            line += " as " + name
            self.surfaces.append(name)
            if kind == "window":
                self.windows.append(name)
        return line

    def operation_line(self):
        name, kinds, words = self.rng.choice(self.operations)
        required, _, optional = kinds.partition("|")
        chosen = required + (optional if optional and self.rng.random() < 0.5 else "")
        words = [w.strip("[]") for w in words] + [""] * len(chosen)
        values = [self.argument(name, k, w) for k, w in zip(chosen, words)]
        for value, word in zip(values, words):
            if word in ("width", "height") and name != "SurfaceSetPenWidth":
                self.grew(value, value)
                if name in CELL_SIZED:
                    self.grew("2147483647", "2147483647")  # the pixels its font makes of it: no verdict
        line = " ".join([name] + values)
        # A window is always named, so that the script can close it: the runner waits for
        # every window it opened.
        if name in MAKERS and self.named and (MAKERS[name] == "window" or self.rng.random() < 0.8):
            made = "s%d" % len(self.surfaces)
            self.surfaces.append(made)
            if MAKERS[name] == "window":
                self.windows.append(made)
            line += " as " + made
        return line

    def script(self):
        self.surfaces, self.windows, self.largest = [], [], (0, 0)
        r = self.rng
        # Without names a window can be closed only while it is the target: it comes first
        # and stays the target.
        window_first = r.random() < 0.4
        lines = [self.make_target("window" if window_first else "memory")]
        for _ in range(r.randrange(5, 40)):
            roll = r.random()
            if self.named and roll < 0.08:
                lines.append(self.make_target(r.choice(["memory", "window", "load"])))
            elif self.named and self.surfaces and roll < 0.16:
                lines.append("target " + r.choice(self.surfaces))
            elif roll < 0.2:
                lines.append('save "%s"' % r.choice(["a.bmp", "b.bmp"]))
            elif not self.named and not window_first and roll < 0.25:
                lines.append(self.make_target("memory"))
            else:
                lines.append(self.operation_line())
        # Every window goes at the end, or the runner would wait for someone to close it.
        if self.named:
            for w in self.windows:
                lines += ["target " + w, "SurfaceWindowClose"]
        elif window_first:
            lines.append("SurfaceWindowClose")
        return "\n".join(lines) + "\n"

    def within_verdict(self):
        return self.largest[0] <= VERDICT_AREA[0] and self.largest[1] <= VERDICT_AREA[1]


def judge(run, timeout, slow_ms, timed, script):
    """Runs fuzz.txt once: (exit code or None, standard error, why it is a finding or None)."""
    try:
        done = run(["--slow", "%g" % slow_ms, "fuzz.txt"], timeout)
    except subprocess.TimeoutExpired as hung:
        return None, (hung.stderr or b"").decode("utf-8", "replace"), "hang (no end within %g s)" % timeout
    rc, err = done.returncode, done.stderr.decode("utf-8", "replace")
    if "Unhandled" in err or "page fault" in err:
        return rc, err, "crash (exit code %d)" % rc
    slow = [line for line in err.splitlines() if ": slow, " in line]
    if slow and timed:
        number = int(slow[0].split(":")[1]) if slow[0].split(":")[1].isdigit() else 0
        lines = script.split("\n")
        text = lines[number - 1] if 0 < number <= len(lines) else "?"
        return rc, err, "slow: %s: %s" % (slow[0], text[:200])
    if rc == 1 and ("could not load" in err or "could not save" in err):
        return rc, err, None  # a file the script named could not be read or written
    if rc not in (0, 2):
        return rc, err, "exit code %d" % rc
    return rc, err, None


def keep(directory, name, script, reason, started, err):
    os.makedirs(directory, exist_ok=True)
    base = os.path.join(directory, name)
    with open(base + ".txt", "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write(script)
    with open(base + ".log", "w", encoding="utf-8") as f:
        f.write("%s after %.1f s\n%s" % (reason, time.monotonic() - started, err))
    return base


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--wine-run", required=True, help="scripts/wine-run")
    p.add_argument("--prefix", required=True, help="the Wine prefix to run in")
    p.add_argument("--seconds", type=float, default=60)
    p.add_argument("--count", type=int, default=0, help="scripts to run (0: as many as --seconds allow)")
    p.add_argument("--seed", type=int, default=None)
    p.add_argument("--timeout", type=float, default=30, help="seconds one script may take")
    p.add_argument("--slow-ms", type=float, default=1000, help="longest an operation may hold the lock")
    p.add_argument("--only", type=int, default=0, help="run only this script of the seed's sequence")
    p.add_argument("--script", help="judge this script file once instead of generated ones")
    p.add_argument("--findings", default="draw-script-findings")
    a = p.parse_args()

    if a.seed is None and os.environ.get("QV_FUZZ_SEED"):
        a.seed = int(os.environ["QV_FUZZ_SEED"])
    seed = a.seed if a.seed is not None else int.from_bytes(os.urandom(4), "little")
    print("draw_script fuzz: seed %d" % seed, flush=True)
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="draw-fuzz-")
    runner = os.path.join(work, "draw_script.exe")
    shutil.copy(a.runner, runner)
    env = dict(os.environ, WINEDEBUG=os.environ.get("WINEDEBUG", "-all"))

    runs = [0]

    def run(args, timeout):
        # The verdict is the runner's own exit, and its output goes to files of this run alone: the
        # desktop process a runner starts keeps the runner's standard error for as long as any
        # program uses the desktop, so waiting for pipes to close judged that process instead.
        runs[0] += 1
        names = [os.path.join(work, "run%d.%s" % (runs[0], kind)) for kind in ("out", "err")]
        with open(names[0], "wb") as out, open(names[1], "wb") as err:
            proc = subprocess.Popen([a.wine_run, a.prefix, runner] + args, cwd=work, env=env, stdout=out, stderr=err,
                                    start_new_session=True)
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            hung = True
        else:
            hung = False
        out, err = (open(name, "rb").read() for name in names)
        if hung:  # what it wrote before, for the finding
            raise subprocess.TimeoutExpired(args, timeout, output=out, stderr=err)
        return subprocess.CompletedProcess(args, proc.returncode, out, err)

    operations = list_operations(run)
    if operations is None:
        print("draw_script fuzz: the runner does not list its operations (--operations failed)", file=sys.stderr)
        shutil.rmtree(work, ignore_errors=True)
        return 2
    named = any(op[0] == "target" for op in operations)
    print("draw_script fuzz: %d operations from the runner%s" % (len(operations), ", named surfaces" if named else ""))
    generator = Generator(rng, operations, named)

    counts = {"scripts": 0, "done": 0, "refused": 0, "files": 0, "findings": 0}
    refusals = {}
    deadline = time.monotonic() + a.seconds
    if a.script:
        a.count, a.only = 1, 0
    while (a.count and counts["scripts"] < a.count) or (a.only and counts["scripts"] < a.only) or \
            (not a.count and not a.only and time.monotonic() < deadline):
        if a.script:
            with open(a.script, encoding="utf-8", errors="surrogateescape", newline="") as f:
                script = f.read()
        else:
            script = generator.script()
        counts["scripts"] += 1
        if a.only and counts["scripts"] != a.only:
            continue
        path = os.path.join(work, "fuzz.txt")
        with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write(script)
        started = time.monotonic()
        rc, err, reason = judge(run, a.timeout, a.slow_ms, True if a.script else generator.within_verdict(), script)
        if rc == 0 and reason is None:
            counts["done"] += 1
        elif rc == 1 and reason is None:
            counts["files"] += 1
        elif rc == 2 and reason is None:
            counts["refused"] += 1
            last = (err.strip().splitlines() or ["?"])[-1]
            why = last.split(": ", 1)[-1].split(" ")[0:3]
            refusals[" ".join(why)] = refusals.get(" ".join(why), 0) + 1
        if reason:
            counts["findings"] += 1
            base = keep(a.findings, "finding-%d-%d" % (seed, counts["scripts"]), script, reason, started, err)
            replay = "--script " + a.script if a.script else "--seed %d --only %d" % (seed, counts["scripts"])
            print("draw_script fuzz: FINDING %s: %s.txt (replay: %s)" % (reason, base, replay), flush=True)
        # Runs leave their pictures behind; the next script starts from the same few names.
        for leftover in os.listdir(work):
            if leftover not in ("draw_script.exe", "fuzz.txt") and not leftover.endswith(".bmp"):
                target = os.path.join(work, leftover)
                shutil.rmtree(target, ignore_errors=True) if os.path.isdir(target) else os.remove(target)

    run_count = 1 if a.only else counts["scripts"]
    print("draw_script fuzz: %d scripts, %d ended normally, %d refused a line, %d could not read or write a "
          "file, %d findings" % (run_count, counts["done"], counts["refused"], counts["files"], counts["findings"]))
    if refusals:
        print("draw_script fuzz: refusals (%.0f %% of the scripts): %s" %
              (100.0 * counts["refused"] / max(run_count, 1),
               ", ".join("%s x%d" % (k, v) for k, v in sorted(refusals.items(), key=lambda kv: -kv[1]))))
    shutil.rmtree(work, ignore_errors=True)
    return 1 if counts["findings"] else 0


if __name__ == "__main__":
    sys.exit(main())
