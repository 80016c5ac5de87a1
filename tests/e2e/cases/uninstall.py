""""Yes" by Enter and by Alt+Y on the machine the driver left: the whole
uninstall, read back from the registry, the Inf directory and the trace; a
second run; and the technician's run from the floppy in drive A:."""

from harness import calls, expectations
from harness.suite import case
from wine import machine_state, relay
from wine.session import DIALOG

from .help import (CONFIRMATION_HELP, CONFIRMATION_TOPIC, HELP_VIEWER, close_viewer, help_calls,
                   wait_topic)
from .outcome import (REGISTRY_FUNCTIONS, check_driver_inf_removed, check_registry_calls,
                      check_restart_requested_once, effect_order, finish, open_dialog)

FLOPPY_FILES = ["README.TXT", "SETUP.CNT", "SETUP.EXE", "SETUP.HLP"]


def uninstall_with(session, checks, keys):
    before = session.seed(machine_state.driver_state())
    open_dialog(session, checks)
    session.press(*keys)
    finish(session, checks)
    after = session.read_back()

    expected = expectations.after_table(expectations.after_redirect(before))
    checks.no_differences(after.differences(expected), "registry after the uninstall")
    checks.equal(sorted(after.values(machine_state.HISTORY)),
                 sorted(["a", "b", "mrulist", "aa", "1"]), "history value names")
    check_driver_inf_removed(session, checks)
    check_restart_requested_once(session, checks)
    order = effect_order(session)
    checks.true(None not in order and order == sorted(order),
                "effects out of order (source path, table, INF, restart): %s" % order)

    registry_calls = check_registry_calls(session, checks, before)
    needed = sum(not e.optional for e in calls.expected_calls(before))
    session.note("%d registry calls: the %d an uninstall needs, and %d closes of the "
                 "redirection's keys (the program's choice)" % (
                     len(registry_calls), needed, len(registry_calls) - needed))
    checked_apart = REGISTRY_FUNCTIONS | relay.HANDLE_FUNCTIONS | {"ExitProcess"}
    others = [str(c) for c in session.program_calls() if c.function not in checked_apart]
    checks.equal(len(others), 3, "file and restart calls: %s" % others)
    checks.true(len(others) == 3 and others[0].startswith("GetWindowsDirectoryA(")
                and others[0].endswith(",00000050)"), "GetWindowsDirectoryA with 80: %s" % others)
    checks.true(len(others) == 3 and "quelda.inf" in others[1].lower(), "removal: %s" % others)


@case("Enter uninstalls", modes=("default", "win95"))
def enter_uninstalls(session, checks):
    uninstall_with(session, checks, ["Return"])


@case("Alt+Y uninstalls", modes=("default", "win95"))
def alt_y_uninstalls(session, checks):
    uninstall_with(session, checks, ["alt+y"])


@case("a second run changes nothing more")
def second_run(session, checks):
    session.seed(machine_state.driver_state())
    open_dialog(session, checks)
    session.press("Return")
    finish(session, checks)
    after_first = session.read_back()
    open_dialog(session, checks)
    session.press("Return")
    finish(session, checks)
    checks.no_differences(session.read_back().differences(after_first),
                          "registry changed by the second run")
    check_driver_inf_removed(session, checks)
    check_restart_requested_once(session, checks)


@case("F1 and Yes from the floppy in drive A: (A:\\SETUP.HLP, the uninstall)", modes=("win95",))
def from_floppy(session, checks):
    before = session.seed(machine_state.driver_state())
    checks.equal(session.start_from_floppy(), FLOPPY_FILES, "files on the floppy")
    checks.require(session.wait_window(DIALOG), "the confirmation dialog did not appear")
    session.press("F1")
    checks.require(session.wait_window(HELP_VIEWER), "the help viewer did not open")
    wait_topic(session, checks, CONFIRMATION_TOPIC)
    close_viewer(session, checks)
    session.press("alt+y")
    finish(session, checks)

    checks.equal(help_calls(session), [("WinHelpA", ["A:\\SETUP.HLP", 1, CONFIRMATION_HELP])],
                 "help calls (no error box)")
    expected = expectations.after_table(expectations.after_redirect(before))
    checks.no_differences(session.read_back().differences(expected),
                          "registry after the uninstall")
    check_driver_inf_removed(session, checks)
    check_restart_requested_once(session, checks)
