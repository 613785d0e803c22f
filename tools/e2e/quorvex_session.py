"""Runs the real quorvex.exe under Wine, as a user would meet it: a Wine prefix whose COM name
is a pseudo-terminal (tools/virtual_serial.py), the window on an X display.
"""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from virtual_serial import Port  # noqa: E402,F401  (the serial line the tests drive)

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
        # The Wine session of the creation must end before the tool starts: a session begun
        # without the tool's display would keep its windows off that display.
        subprocess.run([WINESERVER, "-w"], env=wine_env(prefix), check=False)
    if not os.path.isdir(os.path.join(prefix, "dosdevices")):
        raise RuntimeError(f"wine prefix {prefix} could not be created")


def link_com(prefix, com_name, device_path):
    """Makes COM name `com_name` of the prefix open `device_path`."""
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
