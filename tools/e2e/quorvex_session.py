"""Runs the real quorvex.exe under Wine against a pseudo-terminal, as a user would meet it.

A Session owns a Wine prefix whose COM name points at the slave of a pty pair; the test (or
scripts/run) writes serial data into the master end and looks at the window on the X display.
"""
import os
import signal
import subprocess
import termios
import time
import tty

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"

BACKGROUND = (0xFF, 0xFA, 0xCD)  # 0x00CDFAFF as red, green, blue
CELL = (0x00, 0x00, 0xFF)        # 0x00FF0000: pure blue
CANVAS_W, CANVAS_H = 1200, 960


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display:
        env["DISPLAY"] = display
    return env


def ensure_prefix(prefix, repo):
    """Creates the prefix on first use, through the same script the test build uses."""
    if not os.path.exists(os.path.join(prefix, ".qv-ready")):
        subprocess.run([os.path.join(repo, "scripts", "wine-run"), prefix, "cmd", "/c", "exit"],
                       check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       env=wine_env(prefix))
    if not os.path.isdir(os.path.join(prefix, "dosdevices")):
        raise RuntimeError(f"wine prefix {prefix} could not be created")


class Pty:
    """A raw pseudo-terminal pair; the tool opens the slave, the test drives the master."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        self.slave_path = os.ttyname(self.slave)
        for fd in (self.master, self.slave):
            tty.setraw(fd)
            attrs = termios.tcgetattr(fd)
            attrs[3] &= ~termios.ECHO
            termios.tcsetattr(fd, termios.TCSANOW, attrs)

    def write(self, data):
        view = memoryview(bytes(data))
        while view:
            n = os.write(self.master, view)
            view = view[n:]

    def hang_up(self):
        """The device going away: the master end closes, the slave sees a hang-up."""
        if self.master >= 0:
            os.close(self.master)
            self.master = -1

    def close(self):
        self.hang_up()
        if self.slave >= 0:
            os.close(self.slave)
            self.slave = -1


def link_com(prefix, com_name, device_path):
    link = os.path.join(prefix, "dosdevices", com_name.lower())
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(device_path, link)
    return link


class Tool:
    """One run of quorvex.exe."""

    def __init__(self, exe, prefix, display, args=()):
        self.proc = subprocess.Popen([WINE, exe, *args], env=wine_env(prefix, display),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)

    def alive(self):
        return self.proc.poll() is None

    def wait(self, timeout=30.0):
        return self.proc.wait(timeout=timeout)

    def kill(self):
        if self.alive():
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait(timeout=10)


def wait_until(predicate, timeout, interval=0.02):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return predicate()
