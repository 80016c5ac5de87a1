"""Waiting on conditions: poll with a deadline, never a bare sleep. Every
deadline is stretched on a slower machine (an emulated CPU): see set_slowdown."""

import time

_slowdown = 1.0


def set_slowdown(factor):
    """Makes every wait (and every Wine command's time limit) factor times as long."""
    global _slowdown
    _slowdown = max(1.0, float(factor))


def scaled(seconds):
    """A time limit of the suite's own, as it stands on this machine."""
    return seconds * _slowdown


def wait_until(condition, timeout, interval=0.05):
    """Polls condition() until it is true or timeout seconds pass; its last value."""
    deadline = time.monotonic() + scaled(timeout)
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)
