"""Checks shared by the cases: what an uninstall run, or no run, left behind."""

from harness import calls
from harness.checks import Checks
from wine import machine_state, relay
from wine.session import DIALOG, Session

REGISTRY_FUNCTIONS = relay.REGISTRY_FUNCTIONS
# Code page 950: the dialogs' font is replaced, which takes a DC and memory.
CHINESE_LOCALE = "zh_TW.UTF-8"


def open_dialog(session: Session, checks: Checks):
    session.start()
    checks.require(session.wait_window(DIALOG), "the confirmation dialog did not appear")


def finish(session: Session, checks: Checks):
    checks.require(session.wait_end(), "the program (or the restart it asked for) did not end")
    checks.true("Unhandled" not in session.trace(), "the program crashed: " + "; ".join(
        l for l in session.trace().splitlines() if "Unhandled" in l)[:300])
    check_handles_given_back(session, checks)


def check_handles_given_back(session, checks):
    """Each DC, memory block and hook the program took, given back by the time it
    ended on its own; where the restart it asked for ended it first, the calls
    until then are noted."""
    calls = session.program_calls()
    counts = relay.handles_taken(calls)
    # Without these the check would check nothing.
    needed = ["SetWindowsHookExA"]
    if session.locale == CHINESE_LOCALE:
        needed += ["GetDC", "LocalAlloc"]
    for take in needed:
        checks.true(counts[take][0] > 0, "no %s of the program's in the trace" % take)
    open_ones = ["%d %s left open, without %s" % (counts[take][1], take, give_back)
                 for take, give_back, _ in relay.HANDLE_PAIRS if counts[take][1]]
    if any(c.function == "ExitProcess" for c in calls):
        checks.no_differences(open_ones, "handles not given back")
    elif session.restart_requests():
        session.note("the restart ended the process before it returned: %s" % (
            "; ".join(open_ones) or "every handle was given back by then"))
    else:
        checks.true(False, "the process ended without its ExitProcess call, and no restart "
                           "was asked for")


def check_restart_requested_once(session, checks):
    requests = session.restart_requests()
    checks.equal([c.arguments for c in requests], ["00000002,00000000"],
                 "restart requests (ExitWindowsEx arguments)")


def check_nothing_changed_in_trace(session, checks):
    writes = [str(c) for c in session.program_calls()
              if c.function in ("RegSetValueExA", "RegDeleteValueA", "DeleteFileA",
                                "ExitWindowsEx")]
    checks.equal(writes, [], "writes, deletions or restart requests by the program")


def check_driver_inf_removed(session, checks):
    files = [f.lower() for f in session.inf_files()]
    checks.true(machine_state.DRIVER_INF.lower() not in files, "Quelda.INF is still there")
    checks.true(machine_state.OTHER_INF.lower() in files, "the other INF is gone")


def check_registry_calls(session, checks, before):
    """The program's registry calls against those an uninstall of `before` makes;
    returns them."""
    registry_calls = [c for c in session.program_calls() if c.function in REGISTRY_FUNCTIONS]
    checks.no_differences(calls.mismatches(registry_calls, calls.expected_calls(before)),
                          "registry calls against those expected from the state before")
    return registry_calls


def effect_order(session):
    """Positions of the four effects in the program's process, in call order."""
    calls = session.process_calls()
    def first(predicate):
        return next((i for i, c in enumerate(calls) if predicate(c)), None)
    return [
        first(lambda c: c.function == "RegSetValueExA" and '"SourcePath"' in c.arguments),
        first(lambda c: c.function == "RegOpenKeyExA" and "hdc" in c.arguments.lower()),
        first(lambda c: c.function == "DeleteFileA" and "quelda.inf" in c.arguments.lower()),
        first(lambda c: c.function == "ExitWindowsEx"),
    ]
