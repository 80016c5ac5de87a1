"""Registers the cases, runs them on a few workers (each with its own X
server) and prints one line per case and the closing count."""

import os
import queue
import shutil
import tempfile
import threading
import time
import traceback
from concurrent.futures import CancelledError, ThreadPoolExecutor, TimeoutError

from wine.display import VirtualDisplay
from wine.prefix import PristinePrefix
from wine.session import Session

from .checks import CaseFailed, Checks

CASES = []


def case(name, locale="C.UTF-8", modes=("default",)):
    """Registers fn(session, checks) as a case, once per Windows version mode."""
    def register(fn):
        for mode in modes:
            CASES.append((name if mode == "default" else "%s [%s]" % (name, mode),
                          fn, locale, None if mode == "default" else mode))
        return fn
    return register


class Suite:
    def __init__(self, tools, cache_dir, work_root, artifacts, keep):
        self.tools = tools
        self.pristine = PristinePrefix(cache_dir, tools)
        # Beside the cache, on its file system: case prefixes hard-link its files.
        self.work_root = work_root
        self.artifacts = artifacts
        self.keep = keep
        self.notes = []
        self._lock = threading.Lock()
        # The machines of the cases running, which the time limit stops.
        self._sessions = set()
        self._stopped = False
        # Cases whose outcome is printed, for a progress line.
        self.reported = 0

    def note(self, text, case_name=None):
        """A measured fact worth the report, printed after the cases (with the
        name of the case it comes from)."""
        with self._lock:
            self.notes.append("note (%s): %s" % (case_name, text) if case_name else
                              "note: " + text)

    def _run_case(self, entry, displays):
        name, fn, locale, mode = entry
        display = displays.get()
        work_dir = tempfile.mkdtemp(prefix="case-", dir=self.work_root)
        started = time.monotonic()
        checks = Checks()
        session = None
        try:
            session = Session(self, display, work_dir, locale, mode, case_name=name)
            with self._lock:
                if self._stopped:
                    raise RuntimeError("not run: the suite's time limit has passed")
                self._sessions.add(session)
            fn(session, checks)
        except CaseFailed:
            pass
        except Exception:
            checks.failures.append("error:\n" + traceback.format_exc())
        finally:
            if session:
                with self._lock:
                    self._sessions.discard(session)
                try:
                    session.close()
                except Exception:
                    checks.failures.append("clean-up:\n" + traceback.format_exc())
                if checks.failures and os.path.exists(session.trace_path):
                    safe = "".join(c if c.isalnum() else "_" for c in name)
                    shutil.copy(session.trace_path,
                                os.path.join(self.artifacts, "trace-%s.txt" % safe))
            displays.put(display)
            if not self.keep:
                shutil.rmtree(work_dir, ignore_errors=True)
        return name, checks.failures, time.monotonic() - started

    def _stop_cases(self, pool):
        """Starts no further case and ends the machines of those running: their
        programs and Wine servers go, so that their workers' waits end."""
        with self._lock:
            if self._stopped:
                return
            self._stopped = True
            sessions = list(self._sessions)
        pool.shutdown(wait=False, cancel_futures=True)
        for session in sessions:
            try:
                session.close()
            except Exception:
                pass  # the case's own clean-up reports it

    def run(self, selected, jobs, time_limit):
        """(passed, failed); a case not finished within time_limit seconds of
        the start, the pristine prefix included, fails."""
        deadline = time.monotonic() + time_limit
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        os.makedirs(self.work_root, exist_ok=True)
        self.pristine.ensure()
        displays = queue.Queue()
        started_displays = []
        try:
            for _ in range(jobs):
                display = VirtualDisplay()
                display.start()
                started_displays.append(display)
                displays.put(display)
            passed = failed = 0
            pool = ThreadPoolExecutor(jobs)
            futures = [pool.submit(self._run_case, e, displays) for e in selected]
            for entry, future in zip(selected, futures):
                try:
                    name, failures, seconds = future.result(
                        max(0, deadline - time.monotonic()))
                    took = "%.1f s" % seconds
                except (TimeoutError, CancelledError):
                    self._stop_cases(pool)
                    name, took = entry[0], "not finished"
                    failures = ["the suite's time limit of %d s passed first" % time_limit]
                if failures:
                    failed += 1
                    print("FAIL %s (%s)" % (name, took))
                    for failure in failures:
                        print("    " + failure.replace("\n", "\n    "))
                else:
                    passed += 1
                    print("ok   %s (%s)" % (name, took))
                self.reported += 1
                print(end="", flush=True)
            pool.shutdown(wait=False)
        finally:
            for display in started_displays:
                display.stop()
        for line in self.notes:
            print(line)
        return passed, failed
