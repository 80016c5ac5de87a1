"""Keyboard and mouse through xdotool. Without a window manager X focus
follows the pointer, so a window is given the focus, and checked, first."""

import subprocess

from .waiting import scaled, wait_until


def _xdotool(display, *args, timeout=10):
    return subprocess.run(
        ["xdotool", *args], env={"DISPLAY": display, "PATH": "/usr/bin:/bin"},
        capture_output=True, text=True, timeout=scaled(timeout))


def x_window(display, title):
    """The X window id of the visible top-level window with exactly this title."""
    result = _xdotool(display, "search", "--onlyvisible", "--name", "^%s$" % _regex(title))
    ids = result.stdout.split()
    return ids[-1] if ids else None


def _regex(title):
    return "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in title)


def focus(display, title, timeout=10):
    """Gives the window the X keyboard focus; False when it cannot be done."""
    def focused():
        window = x_window(display, title)
        if not window:
            return False
        _xdotool(display, "windowfocus", window)
        return _xdotool(display, "getwindowfocus").stdout.strip() == window
    return wait_until(focused, timeout, 0.1)


def press(display, title, *keys):
    """Presses keys (xdotool names, such as "alt+y") in the focused window."""
    if not focus(display, title):
        raise AssertionError("could not give %r the keyboard focus" % title)
    _xdotool(display, "key", "--delay", "50", *keys)


def click(display, x, y):
    _xdotool(display, "mousemove", "--sync", str(x), str(y))
    _xdotool(display, "click", "1")
