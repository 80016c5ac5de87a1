"""F1 with Wine's own help viewer and the built SETUP.HLP: each dialog opens
its own topic; and the technician's run from the floppy in drive A:."""

from harness import expectations
from harness.suite import case
from wine import machine_state, probe, relay
from wine.session import ABOUT, DIALOG
from wine.waiting import wait_until

from .cancel import check_nothing_changed_in_trace
from .outcome import check_driver_inf_removed, check_restart_requested_once, finish

# Wine's viewer keeps its own caption for a file that defines no window.
HELP_VIEWER = "Wine Help"
CONFIRMATION_TOPIC = "Uninstalling the Tarvix-II driver"
ABOUT_TOPIC = "About the uninstall program"
FLOPPY_FILES = ["README.TXT", "SETUP.CNT", "SETUP.EXE", "SETUP.HLP"]


def topic_text(session):
    """The lines of the topic the help viewer shows ([] while it shows none)."""
    output = session.run_probe([["childtext", HELP_VIEWER, "RichEdit20A"]])
    shown = probe.record(output, "childtext")
    if not shown or shown["found"] != "1":
        return []
    return probe.text(shown["text"]).replace("\r\n", "\n").split("\n")


def wait_topic(session, checks, title):
    """Waits for the viewer to show the topic titled `title`; its lines."""
    shown = []

    def showing():
        shown[:] = topic_text(session)
        return shown[:1] == [title]
    checks.require(wait_until(showing, 20), "the help viewer did not show %r: %s" % (
        title, shown[:3]))
    return list(shown)


def close_viewer(session, checks):
    """Closes the help viewer as the user does, before going back to the dialog."""
    session.press("alt+F4", caption=HELP_VIEWER)
    checks.require(session.wait_window(HELP_VIEWER, present=False), "the help viewer stayed open")


def help_calls(session):
    """The program's WinHelpA calls as (file, command, data), and its message boxes."""
    calls = [c for c in session.program_calls() if c.function in ("WinHelpA", "MessageBoxA")]
    return [(c.function, [a[1] or a[0] for a in relay.parse_arguments(c.arguments)][1:])
            for c in calls]


@case("F1 opens each dialog's topic in Wine's help viewer")
def real_help_topics(session, checks):
    session.seed({})
    session.start(real_help=True)
    checks.require(session.wait_window(DIALOG), "the confirmation dialog did not appear")
    session.press("F1")
    checks.require(session.wait_window(HELP_VIEWER), "the help viewer did not open")
    lines = wait_topic(session, checks, CONFIRMATION_TOPIC)
    text = "\n".join(lines)
    for words in ("in this order", "restarts at once", "standard IDE driver",
                  "type the path of the Windows 95 files", "Escape", "does not come back",
                  "Write-protect the uninstall disk", "may stay in drive A: during the restart",
                  "restart it from the Start menu"):
        checks.true(words.lower() in text.lower(), "confirmation topic lacks %r" % words)
    viewer, _, _, _ = session.window(HELP_VIEWER)
    session.screenshot(probe.rect(viewer["rect"]), "help-confirmation.png")
    close_viewer(session, checks)

    session.press("alt+space", "Up", "Return")
    checks.require(session.wait_window(ABOUT), "the About box did not open")
    session.press("F1", caption=ABOUT)
    lines = wait_topic(session, checks, ABOUT_TOPIC)
    checks.true(CONFIRMATION_TOPIC not in lines, "About topic shows the confirmation topic")
    close_viewer(session, checks)
    checks.equal(help_calls(session),
                 [("WinHelpA", ["C:\\Setup\\SETUP.HLP", 1, 0x20066]),
                  ("WinHelpA", ["C:\\Setup\\SETUP.HLP", 1, 0x20064])],
                 "help calls (no error box)")
    session.press("Escape", caption=ABOUT)
    checks.require(session.wait_window(ABOUT, present=False), "the About box did not close")
    session.press("Escape")
    finish(session, checks)
    check_nothing_changed_in_trace(session, checks)


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

    checks.equal(help_calls(session), [("WinHelpA", ["A:\\SETUP.HLP", 1, 0x20066])],
                 "help calls (no error box)")
    expected = expectations.after_table(expectations.after_redirect(before))
    checks.no_differences(session.read_back().differences(expected),
                          "registry after the uninstall")
    check_driver_inf_removed(session, checks)
    check_restart_requested_once(session, checks)
