"""Checks shared by the cases: what an uninstall run, or no run, left behind."""

from harness import calls
from harness.checks import Checks
from wine import machine_state, relay
from wine.session import DIALOG, Session

REGISTRY_FUNCTIONS = relay.REGISTRY_FUNCTIONS


def open_dialog(session: Session, checks: Checks):
    session.start()
    checks.require(session.wait_window(DIALOG), "the confirmation dialog did not appear")


def finish(session: Session, checks: Checks):
    checks.require(session.wait_end(), "the program (or the restart it asked for) did not end")
    checks.true("Unhandled" not in session.trace(), "the program crashed: " + "; ".join(
        l for l in session.trace().splitlines() if "Unhandled" in l)[:300])


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
