"""What the program's windows must be, for the checks of the built file and
for the runs under Wine alike: both dialogs with their controls, the system
menu's About entry, the help topics F1 leads to, the version, and the time of
the floppy's files.

These are the tests' own copies, written out by hand on purpose: a change to
the product's resources, headers or help must show as a failure here."""

from collections import namedtuple
from datetime import datetime

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_SYSMENU, WS_GROUP, WS_TABSTOP = 0x00C00000, 0x00080000, 0x00020000, 0x00010000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, SS_LEFT, SS_ICON = 0x0, 0x1, 0x0, 0x3
WS_EX_APPWINDOW = 0x00040000

# Major, minor, patch, build: the version block's, copied here on purpose too.
VERSION = (1, 0, 0, 1)

# A control of a dialog template: its window class, its id (None: no id of its
# own), its text (a number: that icon resource), its place and size in dialog
# units, and every style bit the template gives it.
Control = namedtuple("Control", "class_name id text x y width height style")
# A dialog template: its resource number, caption, window style and extended
# style, rectangle in dialog units, font as the template spells it (point size,
# then for an extended template weight, italic and character set, then the
# face), its help id (None: a classic template, which has none) and controls
# in template order.
Dialog = namedtuple("Dialog", "template caption style ex_style rect font help_id controls")

DIALOG_FRAME = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
CHILD = WS_CHILD | WS_VISIBLE
TEXT = CHILD | WS_GROUP | SS_LEFT

CONFIRMATION_CAPTION = "Tarvix-II PCI IDE Controller Uninstall Program"
ABOUT_CAPTION = "About Uninstall"

CONFIRMATION_DIALOG = Dialog(
    template=102, caption=CONFIRMATION_CAPTION, style=DIALOG_FRAME | WS_VISIBLE,
    ex_style=WS_EX_APPWINDOW, rect=(0, 0, 292, 94), font=(8, 0, 0, 1, "MS Sans Serif"),
    help_id=0, controls=[
        Control("Button", 1, "Yes (&Y)", 90, 72, 50, 14, CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON),
        Control("Button", 2, "No (&N)", 166, 72, 50, 14, CHILD | WS_TABSTOP | BS_PUSHBUTTON),
        Control("Static", None, "The computer will be restarted during Uninstallation.",
                29, 18, 256, 8, TEXT),
        Control("Static", None, "Continue Uninstallation?", 29, 34, 209, 8, TEXT),
    ])
ABOUT_BOX = Dialog(
    template=100, caption=ABOUT_CAPTION, style=DIALOG_FRAME, ex_style=0,
    rect=(0, 0, 217, 55), font=(8, "MS Sans Serif"), help_id=None, controls=[
        Control("Static", None, 128, 11, 17, 20, 20, CHILD | SS_ICON),
        Control("Static", None, "Uninstall Version %d.%d.%d.%d" % VERSION, 41, 25, 119, 8, TEXT),
        Control("Button", 1, "OK", 178, 7, 32, 14,
                CHILD | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON),
        Control("Static", None, "Quelda PCI IDE Controller", 41, 13, 124, 8, TEXT),
    ])

# The entry the program adds to the confirmation dialog's system menu.
ABOUT_ENTRY_TEXT = "&About Setup..."
ABOUT_ENTRY_COMMAND = 16

# F1 asks WinHelp for this base plus the dialog's template number, and the
# context leads to the topic of this title in SETUP.HLP. The base is a copy of
# the program's on purpose: a check that read it from the sources would follow a change.
HELP_BASE = 0x20000
CONFIRMATION_TOPIC = "Uninstalling the Tarvix-II driver"
ABOUT_TOPIC = "About the uninstall program"

# Every file on the floppy carries this time (FAT keeps local time).
DISK_FILE_TIME = datetime(1997, 10, 1, 12, 0)
