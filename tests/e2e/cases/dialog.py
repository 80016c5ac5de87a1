"""The confirmation dialog as the user meets it: where it opens, what it
shows, its keyboard, and its system menu with the About box."""

from harness.suite import case
from support.program_facts import (ABOUT_BOX, ABOUT_ENTRY_COMMAND, ABOUT_ENTRY_TEXT,
                                   CONFIRMATION_DIALOG, DS_SETFONT)
from wine import probe
from wine.display import WORK_AREA
from wine.session import ABOUT, DIALOG
from wine.waiting import wait_until

from .outcome import check_nothing_changed_in_trace, finish, open_dialog

BS_TYPE_MASK, SS_TYPE_MASK = 0xF, 0x1F
MF_SEPARATOR = 0x800
# How the probe writes the id of a control that has none.
NO_ID = ("-1", "65535")


def mul_div(number, numerator, denominator):
    """Windows' MulDiv for positive numbers: rounded to the nearest."""
    return (number * numerator + denominator // 2) // denominator


def centred(rect, within, work_area):
    """Where a window of rect's size is centred in `within`, then pushed into the work area."""
    width, height = rect[2] - rect[0], rect[3] - rect[1]
    left = int((within[0] + within[2]) / 2) - int(width / 2)
    top = int((within[1] + within[3]) / 2) - int(height / 2)
    left = max(min(left, work_area[2] - width), work_area[0])
    top = max(min(top, work_area[3] - height), work_area[1])
    return (left, top, left + width, top + height)


def check_controls(checks, window, controls, dialog):
    """Order, ids, classes, texts and styles; positions through the dialog's base units."""
    client = probe.rect(window["client"])
    units_x = round((client[2] - client[0]) * 4 / dialog.rect[2])
    units_y = round((client[3] - client[1]) * 8 / dialog.rect[3])
    checks.equal(len(controls), len(dialog.controls), "number of controls")
    for control, expected in zip(controls, dialog.controls):
        class_name, control_id, text, x, y, width, height, template_style = expected
        what = "control %r" % text
        checks.true(control["id"] in (NO_ID if control_id is None else (str(control_id),)),
                    "%s: id %s" % (what, control["id"]))
        checks.equal(probe.text(control["class"]).lower(), class_name.lower(), what + " class")
        checks.equal(probe.text(control["text"]), text, what + " text")
        style = int(control["style"], 16)
        # The type is a number in the low bits, the rest are flags.
        mask = BS_TYPE_MASK if class_name == "Button" else SS_TYPE_MASK
        bits = template_style & ~mask
        checks.true(style & bits == bits, "%s: style %08X lacks %08X" % (what, style, bits))
        checks.equal(style & mask, template_style & mask, what + " type")
        placed = probe.rect(control["rect"])
        expected_rect = (client[0] + mul_div(x, units_x, 4), client[1] + mul_div(y, units_y, 8))
        expected_size = (mul_div(width, units_x, 4), mul_div(height, units_y, 8))
        actual_size = (placed[2] - placed[0], placed[3] - placed[1])
        checks.true(all(abs(a - e) <= 1 for a, e in zip(placed[:2] + actual_size,
                                                         expected_rect + expected_size)),
                    "%s: at %s size %s, expected %s size %s" % (
                        what, placed[:2], actual_size, expected_rect, expected_size))


def check_system_menu(checks, report):
    items = probe.records(report, "menuitem")
    checks.require(len(items) >= 2, "system menu: %s" % items)
    separator, about = items[-2], items[-1]
    checks.true(int(separator["state"], 16) & MF_SEPARATOR, "separator before About: %s" % separator)
    checks.equal((about["id"], probe.text(about["text"])),
                 (str(ABOUT_ENTRY_COMMAND), ABOUT_ENTRY_TEXT), "the About entry")


def check_icons(checks, report):
    icons = probe.record(report, "icons")
    checks.true(icons and icons["big"] == icons["small"] == icons["resource"] and
                int(icons["big"], 16) != 0, "big and small icon are icon 128: %s" % icons)


def windows_seen(version):
    """GetVersion's result read out: the version number and the family."""
    number = "Windows %d.%d" % (version & 0xFF, version >> 8 & 0xFF)
    if version & 0x80000000:
        return number + ", the Windows 95 family"
    return number + " build %d, the NT family" % (version >> 16)


def focused_id(session):
    window, controls, _, _ = session.window(DIALOG)
    return next((c["id"] for c in controls if c["hwnd"] == window["focus"]), None)


@case("layout: centred, caption, controls, default button, system menu, Tab",
      modes=("default", "win95"))
def layout(session, checks):
    session.seed({})
    open_dialog(session, checks)
    window, controls, default, work_area = session.window(DIALOG)
    rect = probe.rect(window["rect"])
    area = probe.rect(work_area["rect"])
    left, top, width, height = WORK_AREA
    checks.equal(area, (left, top, left + width, top + height), "work area Wine reports")
    checks.equal(rect, centred(rect, area, area), "dialog position (centred in the work area)")
    checks.equal(probe.text(window["text"]), DIALOG, "caption")
    style = int(window["style"], 16)
    # DS_SETFONT tells how the template is laid out; the window need not keep it.
    wanted = CONFIRMATION_DIALOG.style & ~DS_SETFONT
    checks.true(style & wanted == wanted, "dialog style %08X lacks %08X" % (style, wanted))
    ex_style = int(window["exstyle"], 16)
    checks.true(ex_style & CONFIRMATION_DIALOG.ex_style == CONFIRMATION_DIALOG.ex_style,
                "extended style %08X lacks %08X" % (ex_style, CONFIRMATION_DIALOG.ex_style))
    check_controls(checks, window, controls, CONFIRMATION_DIALOG)
    checks.equal((default["id"], default["has"]), ("1", "1"), "default button")
    report = session.inspect(DIALOG)
    check_system_menu(checks, report)
    check_icons(checks, report)
    font = probe.record(report, "font")
    lpy = int(probe.record(report, "process")["logpixelsy"])
    checks.equal((probe.text(font["face"]), int(font["height"])),
                 (CONFIRMATION_DIALOG.font[-1], -mul_div(CONFIRMATION_DIALOG.font[0], lpy, 72)),
                 "dialog font (template font)")
    version = int(probe.record(report, "process")["version"], 16)
    checks.equal((version & 0x80000000 != 0, version & 0xFFFF == 0x0004),
                 (session.windows_version == "win95",) * 2,
                 "the program sees Windows 95 exactly in win95 mode (GetVersion %08X)" % version)
    session.screenshot(rect, "confirmation-%s.png" % session.mode_name())
    session.note("dialog %dx%d pixels at %d,%d, client area %s, font \"%s\" height %s; "
                 "the program sees %s (GetVersion %08X)" % (
                     rect[2] - rect[0], rect[3] - rect[1], rect[0], rect[1], window["client"],
                     probe.text(font["face"]), font["height"], windows_seen(version), version))

    checks.equal(focused_id(session), "1", "focus at start")
    session.press("Tab")
    checks.true(wait_until(lambda: focused_id(session) == "2", 5), "Tab moves to No")
    session.press("Tab")
    checks.true(wait_until(lambda: focused_id(session) == "1", 5), "Tab moves back to Yes")
    session.press("Escape")
    finish(session, checks)
    check_nothing_changed_in_trace(session, checks)


def about_box(session, checks, locale_name):
    """Opens About from the system menu, checks it, closes it and checks the dialog again."""
    dialog_before, controls_before, _, work_area = session.window(DIALOG)
    session.press("alt+space", "Up", "Return")
    checks.require(session.wait_window(ABOUT), "the About box did not open")
    about, about_controls, about_default, _ = session.window(ABOUT)
    dialog, _, _, _ = session.window(DIALOG)
    about_rect = probe.rect(about["rect"])
    session.screenshot(about_rect, "about-%s.png" % locale_name)
    checks.equal(about["owner"], dialog["hwnd"], "the About box's owner")
    checks.equal(dialog["enabled"], "0", "confirmation dialog disabled under the About box")
    checks.equal(about_rect, centred(about_rect, probe.rect(dialog["rect"]),
                                     probe.rect(work_area["rect"])),
                 "About box position (centred over the dialog)")
    checks.equal(probe.text(about["text"]), ABOUT, "About caption")
    checks.equal([probe.text(c["class"]).lower() for c in about_controls],
                 [c.class_name.lower() for c in ABOUT_BOX.controls], "About controls' classes")
    if len(about_controls) == len(ABOUT_BOX.controls):
        icon, _, ok, title = zip(about_controls, ABOUT_BOX.controls)
        checks.equal(int(icon[0]["style"], 16) & SS_TYPE_MASK, icon[1].style & SS_TYPE_MASK,
                     "icon static")
        checks.equal(ok[0]["id"], str(ok[1].id), "OK button id")
        checks.equal(probe.text(ok[0]["text"]), ok[1].text, "OK button text")
        checks.equal(probe.text(title[0]["text"]), title[1].text, "About title line")
    checks.equal((about_default["id"], about_default["has"]), ("1", "1"), "About default button")

    session.press("Return", caption=ABOUT)
    checks.require(session.wait_window(ABOUT, present=False), "the About box did not close")
    dialog_after, controls_after, _, _ = session.window(DIALOG)
    checks.equal(dialog_after["enabled"], "1", "dialog enabled after About")
    checks.true(wait_until(lambda: session.window(DIALOG)[0]["active"] == dialog["hwnd"], 5),
                "dialog active again after About")
    for field in ("hwnd", "rect", "text", "style"):
        checks.equal(dialog_after[field], dialog_before[field], "dialog %s after About" % field)
    checks.equal(controls_after, controls_before, "dialog controls after About")


@case("About from the system menu", modes=("default", "win95"))
def about(session, checks):
    session.seed({})
    open_dialog(session, checks)
    about_box(session, checks, session.mode_name())
    session.press("Escape")
    finish(session, checks)
    check_nothing_changed_in_trace(session, checks)
