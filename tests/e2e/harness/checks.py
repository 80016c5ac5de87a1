"""Collects a case's failed checks, so one run reports all of them."""


class CaseFailed(Exception):
    pass


class Checks:
    def __init__(self):
        self.failures = []

    def true(self, condition, what):
        if not condition:
            self.failures.append(what)
        return bool(condition)

    def equal(self, actual, expected, what):
        if actual != expected:
            self.failures.append("%s: got %r, expected %r" % (what, actual, expected))
            return False
        return True

    def no_differences(self, lines, what):
        if lines:
            self.failures.append("%s:\n    %s" % (what, "\n    ".join(lines[:40])))
        return not lines

    def require(self, condition, what):
        """Stops the case: what follows would only repeat this failure."""
        if not condition:
            self.failures.append(what)
            raise CaseFailed(what)
