""""No" in its four forms: the button, Alt+N, Escape and the caption's close
box. The whole registry and the Inf directory must read back unchanged and
no restart may be asked for."""

from harness.suite import case
from wine import machine_state, probe
from wine.session import DIALOG

from .outcome import check_nothing_changed_in_trace, finish, open_dialog

WHOLE_REGISTRY = ["HKLM", "HKU"]
# Wine's own bookkeeping, which moves with every Wine process or mouse move:
# its count of service starts (in Control) and its cache of system parameters.
# Wine 8 lists Control under CurrentControlSet, Wine 10 under ControlSet001,
# the key that CurrentControlSet links to.
WINE_CONTROL_KEYS = (r"hklm\system\currentcontrolset\control",
                     r"hklm\system\controlset001\control")
WINE_CACHE = r"\software\wine\temporary system parameters"
# And its display adapters: Wine's desktop process ends shortly after the last
# program, and when it starts again (a slow start of SETUP.EXE) the display
# driver writes its adapter anew under a new GUID.
WINE_ADAPTERS = tuple(control + "\\video\\" for control in WINE_CONTROL_KEYS)


def without_wine_bookkeeping(registry):
    for control in WINE_CONTROL_KEYS:
        registry.keys.get(control, {}).pop("servicecurrent", None)
    for key in [k for k in registry.keys if WINE_CACHE in k or k.startswith(WINE_ADAPTERS)]:
        del registry.keys[key]
    return registry


def cancel_with(session, checks, answer):
    session.seed(machine_state.driver_state())
    before = without_wine_bookkeeping(session.read_back(WHOLE_REGISTRY))
    before_infs = session.inf_files()
    open_dialog(session, checks)
    answer(session, checks)
    finish(session, checks)
    after = without_wine_bookkeeping(session.read_back(WHOLE_REGISTRY))
    checks.no_differences(after.differences(before), "registry changed")
    checks.equal(session.inf_files(), before_infs, "files in C:\\windows\\inf")
    check_nothing_changed_in_trace(session, checks)


def click_no(session, checks):
    _, controls, _, _ = session.window(DIALOG)
    no = [c for c in controls if c["id"] == "2"]
    checks.require(no, "no control with id 2")
    left, top, right, bottom = probe.rect(no[0]["rect"])
    session.click((left + right) // 2, (top + bottom) // 2)


def close_box(session, checks):
    found = probe.record(session.run_probe([["closebox", DIALOG]]), "closebox")
    checks.require(found and found["found"] == "1", "the dialog has no close box")
    session.click(int(found["x"]), int(found["y"]))


@case('"No" button', modes=("default", "win95"))
def no_button(session, checks):
    cancel_with(session, checks, click_no)


@case("Alt+N", modes=("default", "win95"))
def alt_n(session, checks):
    cancel_with(session, checks, lambda s, c: s.press("alt+n"))


@case("Escape", modes=("default", "win95"))
def escape(session, checks):
    cancel_with(session, checks, lambda s, c: s.press("Escape"))


@case("close box", modes=("default", "win95"))
def close_box_case(session, checks):
    cancel_with(session, checks, close_box)
