"""F1: the help requests it makes and the keys that make none, the error box
when help is turned down, and each dialog's topic in Wine's own help viewer
with the built SETUP.HLP."""

import os

from harness.suite import case
from support.program_facts import (ABOUT_BOX, ABOUT_TOPIC, CONFIRMATION_DIALOG,
                                   CONFIRMATION_TOPIC, HELP_BASE, WS_VISIBLE)
from wine import probe, relay
from wine.session import ABOUT, DIALOG, PROGRAM_DIR
from wine.waiting import wait_until

from .outcome import check_nothing_changed_in_trace, finish, open_dialog

# Wine's viewer keeps its own caption for a file that defines no window.
HELP_VIEWER = "Wine Help"
# The help contexts F1 asks for in each dialog.
CONFIRMATION_HELP = HELP_BASE + CONFIRMATION_DIALOG.template
ABOUT_HELP = HELP_BASE + ABOUT_BOX.template
MB_OK, MB_ICONEXCLAMATION = 0, 0x30
APP_NAME = "SETUP"  # the executable's base name


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
                  "type the path of the Windows 95 files", "Escape",
                  "does not start with the driver installed",
                  "does not start after the uninstall", "Write-protect the uninstall disk", "may stay in drive A: during the restart",
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
                 [("WinHelpA", ["C:\\Setup\\SETUP.HLP", 1, CONFIRMATION_HELP]),
                  ("WinHelpA", ["C:\\Setup\\SETUP.HLP", 1, ABOUT_HELP])],
                 "help calls (no error box)")
    session.press("Escape", caption=ABOUT)
    checks.require(session.wait_window(ABOUT, present=False), "the About box did not close")
    session.press("Escape")
    finish(session, checks)
    check_nothing_changed_in_trace(session, checks)


@case("F1 asks for help, Shift+F1 does not", modes=("default", "win95"))
def help_keys(session, checks):
    session.seed({})
    open_dialog(session, checks)
    # Shift+F1 first: once F1's request has arrived, Shift+F1 was handled too.
    session.press("shift+F1")
    session.press("F1")
    checks.require(wait_until(session.help_requests, 15), "no help request arrived")
    checks.equal(session.help_requests(),
                 ["command=1\tdata=%08X\tfile=C:\\Setup\\SETUP.HLP" % CONFIRMATION_HELP],
                 "help requests")
    checks.equal(help_calls(session),
                 [("WinHelpA", ["C:\\Setup\\SETUP.HLP", 1, CONFIRMATION_HELP])],
                 "help calls (WinHelpA, no error box)")
    checks.true(session.running(), "the dialog stays open after F1")
    session.press("Escape")
    finish(session, checks)
    check_nothing_changed_in_trace(session, checks)


@case("F1 when the help viewer turns it down: the error box, then the dialog goes on")
def help_refused(session, checks):
    session.seed({})
    open_dialog(session, checks)
    open(os.path.join(session.prefix.unix_path(PROGRAM_DIR), "winhelp-refuses"), "w").close()
    session.press("F1")
    checks.require(session.wait_window(APP_NAME), "no error box after the refused help")
    box, controls, _, _ = session.window(APP_NAME)
    dialog, _, _, _ = session.window(DIALOG)
    checks.equal(box["owner"], dialog["hwnd"], "the error box's owner")
    shown = [probe.text(c["text"]) for c in controls if int(c["style"], 16) & WS_VISIBLE]
    checks.true("Failed to launch help." in shown, "the error box's text: %s" % shown)
    checks.equal(help_calls(session),
                 [("WinHelpA", ["C:\\Setup\\SETUP.HLP", 1, CONFIRMATION_HELP]),
                  ("MessageBoxA", ["Failed to launch help.", APP_NAME, MB_OK | MB_ICONEXCLAMATION])],
                 "help calls (WinHelpA, then the error box named after the program)")
    session.press("Return", caption=APP_NAME)
    checks.require(session.wait_window(APP_NAME, present=False), "the error box did not close")
    checks.true(session.running(), "the dialog stays open after the error box")
    session.press("Escape")
    finish(session, checks)
    check_nothing_changed_in_trace(session, checks)
