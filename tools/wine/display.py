"""A private X server (Xvfb) for one worker: started and stopped by process id."""

import os
import subprocess

from .waiting import wait_until

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768
# Deliberately off-centre, so centring in the work area differs from centring
# on the screen: left, top, width, height.
WORK_AREA = (48, 24, 896, 704)


def answers(name):
    """Whether the X display `name` (":90") accepts a client."""
    return (
        subprocess.run(
            ["xdpyinfo", "-display", name],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        ).returncode
        == 0
    )


class VirtualDisplay:
    def __init__(self, first_number):
        self.number = self._free_number(first_number)
        self.name = ":%d" % self.number
        self._process = None

    @staticmethod
    def _free_number(first):
        number = first
        while os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists(
            "/tmp/.X11-unix/X%d" % number
        ):
            number += 1
        return number

    def start(self):
        # -noreset keeps root-window properties (the work area) when the last
        # client disconnects.
        self._process = subprocess.Popen(
            [
                "Xvfb",
                self.name,
                "-screen",
                "0",
                "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT),
                "-noreset",
                "-nolisten",
                "tcp",
            ],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        if not wait_until(lambda: self._process.poll() is not None or answers(self.name), 15):
            self.stop()
            raise RuntimeError("Xvfb %s did not answer" % self.name)
        if self._process.poll() is not None:
            raise RuntimeError("Xvfb %s ended at start" % self.name)
        left, top, width, height = WORK_AREA
        subprocess.run(
            [
                "xprop",
                "-display",
                self.name,
                "-root",
                "-f",
                "_NET_WORKAREA",
                "32c",
                "-set",
                "_NET_WORKAREA",
                "%d, %d, %d, %d" % (left, top, width, height),
            ],
            check=True,
        )

    def stop(self):
        if self._process and self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._process = None

    def screenshot(self, rect, path):
        """Saves the screen rectangle (left, top, right, bottom) as a PNG."""
        left, top, right, bottom = rect
        subprocess.run(
            [
                "import",
                "-display",
                self.name,
                "-window",
                "root",
                "-crop",
                "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                "+repage",
                path,
            ],
            check=True,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
