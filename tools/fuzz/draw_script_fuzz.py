#!/usr/bin/env python3
"""Random drawing scripts with adversarial arguments, each run by draw_script.exe under Wine with
a time limit. A script whose run crashes, hangs, or ends with an exit code other than 0 (done) or
2 (a line the runner refused) is a finding: the script, its output and the reason are kept in
the findings directory, and the run ends with status 1. A hang is run a second time and counts
only when it comes again, since a busy machine can starve one run (one that does not is kept as
"unconfirmed"); a crash or a wrong exit code, a killed run among them, counts at once.

The operations come from the runner itself (`draw_script.exe --operations`: name, family,
argument kinds); a runner without that list is driven by the table below of the operations it
knows. Argument kinds: F float, I 32-bit whole number, T text, P point list, S a surface by its
script name; kinds after '|' may be left out together. Each kind has its own generator, so a
new operation of known kinds needs nothing here, and a new kind one generator.

  draw_script_fuzz.py --runner draw_script.exe --wine-run scripts/wine-run --prefix PREFIX
                      [--seconds 60 | --count N] [--seed S] [--timeout 30] [--findings DIR]
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

# The runner's operations before it could list them (name, argument kinds, the size words).
KNOWN_OPERATIONS = [
    ("SurfaceClear", "II"), ("SurfaceSetForeColor", "I"), ("SurfaceSetBackColor", "I"),
    ("SurfaceSetPenStyle", "I"), ("SurfaceSetPenWidth", "I"), ("SurfaceScale", "FFFF"),
    ("SurfaceMoveTo", "FFI"), ("SurfaceLineTo", "FFII"), ("SurfaceBox", "FFFFIIII"),
    ("SurfaceArc", "FFFFFFIIII"), ("SurfacePolygon", "PIIII"), ("SurfacePolyline", "PI"),
    ("SurfaceFloodFill", "FFIIII"), ("SurfaceSetPixel", "FFII"), ("SurfaceSetMix", "I"),
    ("SurfaceSetStretchMode", "I"), ("SurfaceStretchImage", "TFFFFII"), ("SurfaceSaveBitmap", "T"),
    ("SurfaceSetFont", "I"), ("SurfacePrint", "T"), ("SurfaceNewLine", ""), ("SurfaceTab", ""),
    ("SurfaceSetCell", "II"), ("SurfaceSetClip", "FFFF"), ("SurfaceWindowSetCaption", "T"),
    ("SurfaceWindowSetClientSize", "II", ["width", "height"]), ("SurfaceStretchView", "I"),
    ("SurfaceScrollView", "II", ["width", "height"]),
    ("SurfaceViewPosition", "FF"), ("SurfaceWindowClose", ""),
]

# Lines of the runner's own (made here with valid sizes: a target that cannot be made ends a
# script with exit code 1 by design), and operations that wait for a person.
RUNNER_LINES = {"memory", "load", "window", "target", "save"}
WAITING = {"SurfaceLineInput", "SurfaceWindowOpen"}
# Operations whose surface takes `as NAME` when the runner names surfaces.
MAKERS = {"MemorySurfaceCreate": "memory", "MemorySurfaceLoad": "memory", "SurfaceWindowOpenThreaded": "window"}
FILES = ["a.bmp", "b.bmp", "x.y.bmp", "missing.bmp", "", ".", "a.bmp.ico", "dir\\no.bmp"]


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

    def number(self):
        r = self.rng
        return r.choice([
            lambda: repr(r.uniform(-50, 450)),
            lambda: str(r.randrange(-20, 420)),
            lambda: r.choice(["0", "-0", "0.5", "1e-38", "1e-45", "1e38", "3.4e38", "1e39", "-1e39",
                              "2147483647", "-2147483648", "3e9", "-3e9", "1e30", "-1e30", "16777217"]),
            lambda: "%de%d" % (r.randrange(-9, 10), r.randrange(-40, 40)),
            lambda: repr(r.choice([1, -1]) * r.uniform(1e5, 3e9)),
        ])()

    def text(self):
        r = self.rng
        return '"%s"' % r.choice([
            lambda: r.choice(FILES),
            lambda: "".join(r.choice("ab cd\tWMi.") for _ in range(r.randrange(0, 40))),
            lambda: "x" * r.randrange(200, 5000),
            lambda: " lead space",
            lambda: "\u00e9\u4e2d\U0001F600 wide",
        ])()

    def points(self):
        r = self.rng
        n = r.choice([1, 2, 3, 4, 5, 8, 50, 1024, 1025, r.randrange(1, 1100)])
        pairs = ("%s,%s" % (self.number(), self.number()) for _ in range(n))
        return "[" + " ".join(pairs) + "]"

    def surface(self):
        return self.rng.choice(self.surfaces) if self.surfaces and self.rng.random() < 0.9 else "nobody"

    def size(self):
        r = self.rng
        return r.choice([r.randrange(1, 420), r.randrange(1, 420), 1, 2, 3])

    def extent(self):
        """A width or height: small, empty, negative, or so large that no bitmap can be made.
        Not the millions between, whose gigabytes of canvas get the runner killed by the
        system's memory limit (and may take other programs of the machine with it)."""
        r = self.rng
        return r.choice([
            lambda: str(r.randrange(-5, 1)),
            lambda: str(r.randrange(1, 400)),
            lambda: r.choice(["2147483647", "-2147483648", "&H80000000", "&H7FFFFFFF"]),
        ])()

    def argument(self, kind, word=""):
        if kind == "I" and word in ("width", "height"):
            return self.extent()
        return {"F": self.number, "I": self.whole, "T": self.text, "P": self.points, "S": self.surface}[kind]()

    # -- lines -----------------------------------------------------------------------------
    def make_target(self, kind):
        name = "s%d" % len(self.surfaces)
        if kind == "window":
            line = 'window %d %d "fuzz"' % (self.size(), self.size())
        else:
            line = "memory %d %d" % (self.size(), self.size())
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
        line = " ".join([name] + [self.argument(k, w) for k, w in zip(chosen, words)])
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
        self.surfaces, self.windows = [], []
        r = self.rng
        # Without names a window can be closed only while it is the target: it comes first
        # and stays the target.
        window_first = r.random() < 0.4
        lines = [self.make_target("window" if window_first else "memory")]
        for _ in range(r.randrange(5, 40)):
            if self.named and r.random() < 0.08:
                lines.append(self.make_target(r.choice(["memory", "window"])))
            elif self.named and self.surfaces and r.random() < 0.08:
                lines.append("target " + r.choice(self.surfaces))
            elif not self.named and not window_first and r.random() < 0.05:
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


def judge(run, timeout):
    """Runs fuzz.txt once: (exit code or None, standard error, why it is a finding or None)."""
    try:
        done = run(["fuzz.txt"], timeout)
    except subprocess.TimeoutExpired:
        return None, "", "hang (no end within %g s)" % timeout
    rc, err = done.returncode, done.stderr.decode("utf-8", "replace")
    if "Unhandled" in err or "page fault" in err:
        return rc, err, "crash (exit code %d)" % rc
    if rc not in (0, 2):
        return rc, err, "exit code %d" % rc
    return rc, err, None


def keep(directory, name, script, reason, started, err):
    os.makedirs(directory, exist_ok=True)
    base = os.path.join(directory, name)
    with open(base + ".txt", "w", encoding="utf-8") as f:
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

    def run(args, timeout):
        proc = subprocess.Popen([a.wine_run, a.prefix, runner] + args, cwd=work, env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, start_new_session=True)
        try:
            out, err = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            raise
        return subprocess.CompletedProcess(args, proc.returncode, out, err)

    operations = list_operations(run)
    named = operations is not None and any(op[0] == "target" for op in operations)
    if operations is None:
        operations = KNOWN_OPERATIONS
        print("draw_script fuzz: the runner lists no operations; using the %d it is known to have" % len(operations))
    else:
        print("draw_script fuzz: %d operations from the runner%s" % (len(operations), ", named surfaces" if named else ""))
    generator = Generator(rng, operations, named)

    counts = {"scripts": 0, "done": 0, "refused": 0, "findings": 0, "unconfirmed": 0}
    first_refusal = None
    deadline = time.monotonic() + a.seconds
    while (a.count and counts["scripts"] < a.count) or (not a.count and time.monotonic() < deadline):
        script = generator.script()
        path = os.path.join(work, "fuzz.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write(script)
        counts["scripts"] += 1
        started = time.monotonic()
        rc, err, reason = judge(run, a.timeout)
        if reason and rc is None:
            # A hang must come again: a run starved by a busy machine is only noted.
            again_rc, _, again = judge(run, a.timeout)
            if not again:
                counts["unconfirmed"] += 1
                print("draw_script fuzz: %s, not again on a second run (exit code %s): not counted" % (reason, again_rc),
                      flush=True)
                keep(a.findings, "unconfirmed-%d-%d" % (seed, counts["scripts"]), script, reason, started, err)
                reason, rc = None, again_rc
        if rc == 0 and reason is None:
            counts["done"] += 1
        elif rc == 2 and reason is None:
            counts["refused"] += 1
            first_refusal = first_refusal or err.strip().splitlines()[-1:]
        if reason:
            counts["findings"] += 1
            base = keep(a.findings, "finding-%d-%d" % (seed, counts["scripts"]), script, reason, started, err)
            print("draw_script fuzz: FINDING %s: %s.txt" % (reason, base), flush=True)
        # Runs leave their pictures behind; the next script starts from the same few names.
        for leftover in os.listdir(work):
            if leftover not in ("draw_script.exe", "fuzz.txt") and not leftover.endswith(".bmp"):
                target = os.path.join(work, leftover)
                shutil.rmtree(target, ignore_errors=True) if os.path.isdir(target) else os.remove(target)

    print("draw_script fuzz: %(scripts)d scripts, %(done)d ended normally, %(refused)d refused a line, "
          "%(findings)d findings, %(unconfirmed)d unconfirmed" % counts)
    if first_refusal:
        print("draw_script fuzz: first refused line: %s" % first_refusal)
    shutil.rmtree(work, ignore_errors=True)
    return 1 if counts["findings"] else 0


if __name__ == "__main__":
    sys.exit(main())
