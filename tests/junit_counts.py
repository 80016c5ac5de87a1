#!/usr/bin/env python3
"""Prints "PASSED FAILED" for a ctest JUnit report (ctest --output-junit FILE).
A test that ran and passed counts as passed; one that failed or did not run
counts as failed (a skipped one too: no test here skips); a disabled one
counts as neither. A missing or unreadable report counts as one failure.

    tests/junit_counts.py FILE"""

import sys
import xml.etree.ElementTree as ElementTree


def counts(path):
    try:
        cases = ElementTree.parse(path).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError):
        return 0, 1
    statuses = [case.get("status") for case in cases]
    passed = statuses.count("run")
    return passed, len(statuses) - passed - statuses.count("disabled")


if __name__ == "__main__":
    print("%d %d" % counts(sys.argv[1]))
