#!/usr/bin/env python3
"""Closes an X window as a window manager does (WM_DELETE_WINDOW) and then writes a marker file.

Started by the graphic-window tests from inside Wine: x_close.py TOOLS_E2E_DIR XID MARKER
"""
import sys

sys.path.insert(0, sys.argv[1])
from xwindow import Screen  # noqa: E402

screen = Screen()
screen.send_close(screen.d.create_resource_object("window", int(sys.argv[2])))
screen.close()
with open(sys.argv[3], "w") as marker:
    marker.write("sent\n")
