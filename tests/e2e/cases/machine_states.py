"""Machine states the driver's machine may be in, each uninstalled with Enter:
the source path in every form, keys missing, the INF missing. The program
must never crash, and the later steps must still run."""

from harness import expectations
from harness.suite import case
from wine import machine_state, relay
from wine.machine_state import HDC_0001, HDC_0002, HISTORY, MF_CHILD_1, SETUP
from wine.probe import REG_BINARY, REG_SZ

from .outcome import (check_driver_inf_removed, check_registry_calls,
                      check_restart_requested_once, finish, open_dialog)


def uninstall_state(session, checks, state, expected_outcomes, driver_inf=True,
                    source_readable=True):
    """Seeds the state, answers Enter and compares the registry with the first
    of the expected outcomes (functions of the state before) that it matches;
    with a readable source, the registry calls with those of that state too."""
    before = session.seed(state, driver_inf)
    open_dialog(session, checks)
    session.press("Return")
    finish(session, checks)
    after = session.read_back()
    differences = [after.differences(outcome(before)) for outcome in expected_outcomes]
    if [] not in differences:
        checks.no_differences(differences[0], "registry after the uninstall")
    check_driver_inf_removed(session, checks)
    check_restart_requested_once(session, checks)
    if source_readable:
        check_registry_calls(session, checks, before)
    return differences.index([]) if [] in differences else None


def table_only(before):
    return expectations.after_table(before)


def redirected(before):
    return expectations.after_table(expectations.after_redirect(before))


def with_source(value):
    state = machine_state.driver_state()
    state[SETUP] = {"SourcePath": value}
    return state


def source_case(name, value, modes=("default",)):
    @case("SourcePath %s: history and source kept" % name, modes=modes)
    def run(session, checks):
        uninstall_state(session, checks, with_source(value), [table_only])


# Already on drive A:, in each form with its zero, and "A:\" without it.
source_case('"A:\\"', (REG_SZ, b"A:\\\0"))
source_case('"a:\\"', (REG_SZ, b"a:\\\0"))
source_case('"A:"', (REG_SZ, b"A:\0"))
source_case('"A"', (REG_SZ, b"A\0"))
source_case('"a:"', (REG_SZ, b"a:\0"))
source_case('"a"', (REG_SZ, b"a\0"))
source_case("empty", (REG_SZ, b"\0"))
source_case('"A:\\" without its zero', (REG_SZ, b"A:\\"), modes=("default", "win95"))


@case('SourcePath "A:\\WIN95": redirected like any path')
def directory_on_a(session, checks):
    uninstall_state(session, checks, with_source((REG_SZ, b"A:\\WIN95\0")), [redirected])


@case("SourcePath binary with its zero: copied as text")
def binary_source(session, checks):
    uninstall_state(session, checks, with_source((REG_BINARY, b"E:\\CABS\\\0")), [redirected])


def stored_by_wine(data, mode):
    """What Wine keeps of a REG_SZ write of `data` with its own count, from a
    buffer that is zero after the data (as the program's is): its Windows 95
    rule stores up to the first zero, its default rule looks one byte past
    the count and keeps a zero found there."""
    if mode == "win95":
        return data[:data.index(0) + 1] if 0 in data else data + b"\0"
    return data if data.endswith(b"\0") else data + b"\0"


def binary_source_case(name, data, modes=("default", "win95")):
    """"b" is written with the count the query returned, whatever the bytes."""
    @case("SourcePath binary %s: \"b\" written with its count" % name, modes=modes)
    def run(session, checks):
        def with_wine_rule(before):
            after = redirected(before)
            after.keys[HISTORY.lower()]["b"] = (REG_SZ, stored_by_wine(data, session.mode_name()))
            return after
        uninstall_state(session, checks, with_source((REG_BINARY, data)), [with_wine_rule])
        counts = [relay.parse_arguments(c.arguments)[5][0] for c in session.program_calls()
                  if c.function == "RegSetValueExA" and '"b"' in c.arguments]
        checks.equal(counts, [len(data)], 'count of the "b" write')


binary_source_case("E:\\CABS without its zero", b"E:\\CABS")
binary_source_case("of 80 bytes without a zero", b"D:\\" + b"8" * 77)
binary_source_case("with bytes after a zero", b"\\\\S\0\xFF\x01")


def unreadable_source_case(name, state_change, modes=("default",)):
    """Two outcomes are sound for a source the program cannot read whole: leave
    the history and the source alone, or redirect without "b". A note says which."""
    @case("SourcePath %s: no unread bytes written" % name, modes=modes)
    def run(session, checks):
        state = machine_state.driver_state()
        state_change(state)
        choice = uninstall_state(session, checks, state, [
            table_only,
            lambda b: expectations.after_table(expectations.after_redirect(b, False))],
            source_readable=False)
        if choice is not None:
            outcomes = ["kept the history and the source", "redirected without \"b\""]
            session.note("the program %s (the other sound outcome: %s)" % (
                outcomes[choice], outcomes[1 - choice]))


unreadable_source_case("missing", lambda s: s[SETUP].clear())
unreadable_source_case(
    "of 100 bytes", lambda s: s[SETUP].update(SourcePath=(REG_SZ, b"D:\\" + b"W" * 96 + b"\0")),
    modes=("default", "win95"))


def missing_key_case(name, key, outcome):
    @case("%s missing: the later steps still run" % name)
    def run(session, checks):
        state = machine_state.driver_state()
        state[key] = None
        uninstall_state(session, checks, state, [outcome])


missing_key_case("Setup key", SETUP, table_only)
missing_key_case("history key", HISTORY, table_only)
missing_key_case(r"hdc\0001 (first key group)", HDC_0001, redirected)
missing_key_case(r"hdc\0002", HDC_0002, redirected)
missing_key_case("the last key group", MF_CHILD_1, redirected)


@case("Quelda.INF absent: still the restart")
def inf_absent(session, checks):
    uninstall_state(session, checks, machine_state.driver_state(), [redirected],
                    driver_inf=False)
