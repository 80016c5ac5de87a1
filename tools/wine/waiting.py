"""Waiting on conditions: poll with a deadline, never a bare sleep."""

import time


def wait_until(condition, timeout, interval=0.05):
    """Polls condition() until it is true or timeout seconds pass; its last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)
