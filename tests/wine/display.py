"""A private X server (Xvfb) for one worker: started and stopped by process id.
Xvfb picks a free display number itself and tells it through a pipe, so the
server used is always the one started here, never one that merely answers."""

import os
import select
import subprocess
import tempfile
import time

from .waiting import scaled, wait_until

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768
# Deliberately off-centre, so centring in the work area differs from centring
# on the screen: left, top, width, height.
WORK_AREA = (48, 24, 896, 704)
START_TIMEOUT = 30
# A window still painting (Wine under the emulation pauses mid-paint) changes
# between two shots this far apart.
SETTLE_INTERVAL = 0.25
SETTLE_TIMEOUT = 15


class VirtualDisplay:
    def __init__(self):
        self.name = None
        self._process = None
        self._log = None

    def start(self):
        try:
            self._start()
        except BaseException:
            self.stop()
            raise

    def _start(self):
        read_end, write_end = os.pipe()
        # Xvfb's messages, for the error should it end at start; unnamed, so private.
        self._log = tempfile.TemporaryFile()
        # -displayfd: Xvfb takes the first display whose sockets it can bind
        # (the abstract one too, which a chroot beside us shares) and writes
        # the number once it accepts clients. -noreset keeps root-window
        # properties (the work area) when the last client disconnects.
        try:
            self._process = subprocess.Popen(
                [
                    "Xvfb",
                    "-displayfd",
                    str(write_end),
                    "-screen",
                    "0",
                    "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT),
                    "-noreset",
                    "-nolisten",
                    "tcp",
                ],
                pass_fds=(write_end,),
                stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL,
                stderr=self._log,
            )
        finally:
            os.close(write_end)
        try:
            number = self._read_number(read_end)
        finally:
            os.close(read_end)
        self.name = ":%s" % number
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

    def _read_number(self, pipe):
        """The display number Xvfb writes; an error with its message when it
        ends or stays silent instead."""
        text = b""
        deadline = time.monotonic() + START_TIMEOUT
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([pipe], [], [], remaining)[0]:
                raise RuntimeError("Xvfb gave no display number within %d s:\n%s"
                                   % (START_TIMEOUT, self._messages()))
            chunk = os.read(pipe, 16)
            if not chunk:  # every writer gone: Xvfb ended
                raise RuntimeError("Xvfb ended at start (exit code %d):\n%s"
                                   % (self._process.wait(10), self._messages()))
            text += chunk
        return int(text)

    def _messages(self):
        self._log.seek(0)
        return self._log.read().decode(errors="replace").strip()

    def stop(self):
        if self._process and self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._process = None
        if self._log:
            self._log.close()
            self._log = None

    def screenshot(self, rect, path):
        """Saves the screen rectangle (left, top, right, bottom) as a PNG once
        two shots in a row agree, so that a window is taken painted in full."""
        shots = []

        def settled():
            shots[:] = shots[-1:] + [self._shot(rect)]
            return len(shots) == 2 and shots[0] == shots[1]
        if not wait_until(settled, SETTLE_TIMEOUT, scaled(SETTLE_INTERVAL)):
            raise RuntimeError("the screen at %s still changed after %d s"
                               % (rect, scaled(SETTLE_TIMEOUT)))
        with open(path, "wb") as f:
            f.write(shots[1])

    def _shot(self, rect):
        """The rectangle as PNG bytes: stripped of ImageMagick's dates, the
        same pixels give the same bytes."""
        left, top, right, bottom = rect
        return subprocess.run(
            [
                "import",
                "-display",
                self.name,
                "-window",
                "root",
                "-crop",
                "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                "+repage",
                "-strip",
                "png:-",
            ],
            check=True,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
        ).stdout
