"""Under a Traditional Chinese locale (code page 950), as on the machines the
program is for: the dialogs take the stock GUI font at its own size, and the
Big5 "Mfg" text reads back as its 21 bytes."""

from harness.suite import case
from wine import probe
from wine.session import DIALOG

from .dialog import about_box, mul_div
from .outcome import (CHINESE_LOCALE as LOCALE, check_nothing_changed_in_trace, finish,
                      open_dialog)
from .uninstall import uninstall_with


@case("zh_TW: dialog font is the stock GUI font at its own size; About box", locale=LOCALE,
      modes=("default", "win95"))
def dialog_font(session, checks):
    session.seed({})
    open_dialog(session, checks)
    report = session.inspect(DIALOG)
    process = probe.record(report, "process")
    checks.require(process is not None, "no report from inside the program:\n" + report)
    checks.equal(process["acp"], "950", "code page")
    checks.true(process["dbcs"] != "0", "double-byte support reported")
    font, stock = probe.record(report, "font"), probe.record(report, "stockfont")
    lpy = int(process["logpixelsy"])
    stock_points = mul_div(-int(stock["height"]), 72, lpy)
    checks.equal((probe.text(font["face"]), int(font["height"])),
                 (probe.text(stock["face"]), -mul_div(stock_points, lpy, 72)),
                 "dialog font (face, height) against the stock GUI font at %d pt" % stock_points)
    window, _, _, _ = session.window(DIALOG)
    shot = "zh_TW" if session.mode_name() == "default" else "zh_TW-" + session.mode_name()
    session.screenshot(probe.rect(window["rect"]), "confirmation-%s.png" % shot)
    about_box(session, checks, shot)
    session.press("Escape")
    finish(session, checks)
    check_nothing_changed_in_trace(session, checks)


@case("zh_TW: Enter uninstalls, Mfg reads back as its 21 bytes", locale=LOCALE,
      modes=("default", "win95"))
def uninstall_in_chinese(session, checks):
    uninstall_with(session, checks, ["Return"])
    output = session.run_probe([["system"]])
    checks.equal(probe.record(output, "system")["acp"], "950", "code page of the read-back")
